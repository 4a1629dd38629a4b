// libFuzzer target: dice template lines as the settings file holds them. A
// line that parses must write back to a line that parses to the same entry,
// and rolling it (with the bonus a double click adds) must not crash.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "dice/CDiceRoller.h"
#include "dice/DiceTemplate.h"
#include "support/FakeDiceControls.h"
#include "support/FakeSession.h"

using namespace yarrow;
using fuzz::Check;

namespace {

// Stands for a plug-in that rolls anything beginning with its tag.
class EchoPlugin final : public IPluginRoller {
  public:
    bool RollPlugin(const std::string& expression, std::string& result,
                    IRandomSource& rng) override {
        if (expression.rfind("$FZ,", 0) != 0)
            return false;
        result = "(" + expression + ") " + std::to_string(rng.RandomNext() % 6 + 1);
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest = fuzz::Bytes(data, size);
    const std::string_view line = fuzz::TakePart(rest);
    const auto entry = ParseTemplateEntry(line);
    if (!entry)
        return 0;
    // A template without judgement has no use for its target and is stored
    // without one.
    TemplateEntry expected = *entry;
    if (expected.criterion == TemplateCriterion::Other)
        expected.target = 0;
    const auto again = ParseTemplateEntry(FormatTemplateEntry(*entry));
    Check(again.has_value() && *again == expected, "a stored template reads back different");
    TemplateDisplayText(*entry);

    fuzz::BytesRandom rng(rest);
    test::FakeSession session;
    test::FakeDiceControls controls;
    controls.shift = !rest.empty() && (rest[0] & 1) != 0;
    EchoPlugin plugin;
    CDiceRoller roller(session, session, controls, rng, "/nonexistent/Chart.ini", &plugin);
    const std::int32_t bonus = rest.size() >= 2 ? static_cast<std::int8_t>(rest[1]) : 0;
    roller.RollTemplateFromPane(*entry, bonus);
    Check(rng.drawn <= (1u << 21), "a template roll drew without bound");
    return 0;
}
