// libFuzzer target: the GeneralDice plug-in with any text after its tag and
// any generator. The input is the text, then a zero byte, then the draws
// (four bytes each, used in turn and over again). Whatever comes, the plug-in
// must not crash, must draw at most 22,000 numbers (20 lines of 100 dice, each
// thrown at most 11 times), must keep its result under 128 kB and must leave
// the result alone when it refuses the line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dice/PluginAbi.h"

extern "C" unsigned char DiceFunc(std::string* expression, std::string* result,
                                  yarrow::PluginRandomFunc randomNext);

namespace {

constexpr std::size_t kMaxDraws = 22000;
constexpr std::size_t kMaxResultBytes = 128 * 1024;

struct Draws {
    const std::uint8_t* bytes = nullptr;
    std::size_t words = 0;  // whole four-byte draws in `bytes`
    std::size_t next = 0;
    std::size_t drawn = 0;
    std::uint32_t fallback = 0;
} g_draws;

std::uint32_t NextDraw() {
    ++g_draws.drawn;
    if (g_draws.words == 0)
        return g_draws.fallback += 0x9e3779b9u;  // an odd step reaches every remainder
    std::uint32_t value;
    std::memcpy(&value, g_draws.bytes + 4 * g_draws.next, sizeof value);
    g_draws.next = (g_draws.next + 1) % g_draws.words;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::size_t textSize = zero ? static_cast<std::size_t>(zero - data) : size;
    g_draws = Draws{};
    if (zero) {
        g_draws.bytes = zero + 1;
        g_draws.words = (size - textSize - 1) / 4;
    }

    std::string expression = "$GD," + std::string(reinterpret_cast<const char*>(data), textSize);
    const std::string before = "untouched";
    std::string result = before;
    const unsigned char ok = DiceFunc(&expression, &result, &NextDraw);
    if (g_draws.drawn > kMaxDraws || result.size() >= kMaxResultBytes)
        std::abort();
    if (!ok && result != before)
        std::abort();
    if (ok && result.compare(0, 5, "($GD,") != 0)
        std::abort();
    return 0;
}
