// libFuzzer target: a dice expression as typed (or sent by a template) with
// a Chart.ini of dice tables. The input is the expression, a zero byte, the
// Chart.ini bytes, a zero byte and the draws (four bytes each, used in turn).
// Evaluating must not crash, hang or allocate without bound; the format
// check must agree with the roll on what kind of expression it is.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "dice/CDiceRoller.h"
#include "support/FakeDiceControls.h"
#include "support/FakeSession.h"

using namespace yarrow;
using fuzz::Check;

namespace {

// A roll draws at most this many numbers: the dice of the largest table or
// keep roll, with room to spare.
constexpr std::size_t kMaxDraws = 1u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile chartFile("Chart.ini");
    std::string_view rest = fuzz::Bytes(data, size);
    const std::string expression(fuzz::TakePart(rest));
    chartFile.Write(fuzz::TakePart(rest));
    fuzz::BytesRandom rng(rest);

    test::FakeSession session;
    test::FakeDiceControls controls;
    CDiceRoller roller(session, session, controls, rng, chartFile.Path(), nullptr);

    std::string result, sound;
    std::int32_t total = 0;
    const DiceKind kind = roller.RollExpression(expression, result, sound, total);
    Check(rng.drawn <= kMaxDraws, "a roll drew without bound");
    const bool checked = roller.CheckDiceFormat(expression, kind);
    // Tables are read afresh and can roll on the first try and not on the
    // second only when the file changed; it did not.
    Check(kind == DiceKind::FormatError || checked, "the format check refuses what rolled");
    Check(rng.drawn <= 2 * kMaxDraws, "a format check drew without bound");
    return 0;
}
