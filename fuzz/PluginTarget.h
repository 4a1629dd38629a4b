#pragma once
// The libFuzzer target of one dice plug-in, built into the fuzzer with the
// plug-in's source so that the plug-in is instrumented. The including file
// defines kTag. The input is the text after the tag, a zero byte, then the
// draws (four bytes each, used in turn and over again). Whatever comes, the
// plug-in must not crash, must draw a bounded number of times, must keep its
// result within what the host accepts and, when it rolls, must show the
// expression it rolled.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "dice/PluginAbi.h"

extern "C" unsigned char DiceFunc(std::string* expression, std::string* result,
                                  yarrow::PluginRandomFunc randomNext);

namespace {

yarrow::fuzz::BytesRandom g_random;

std::uint32_t NextDraw() {
    return g_random.RandomNext();
}

// Pools hold at most 1,000 dice, each thrown at most a thousand times.
constexpr std::size_t kMaxDraws = 1000u * 1000u + 1000u;
// What the plug-in host accepts as one result.
constexpr std::size_t kMaxResultBytes = 256 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest = yarrow::fuzz::Bytes(data, size);
    std::string expression = std::string(kTag) + std::string(yarrow::fuzz::TakePart(rest));
    g_random = yarrow::fuzz::BytesRandom(rest);
    const std::string before = expression;
    std::string result = "untouched";
    const unsigned char ok = DiceFunc(&expression, &result, &NextDraw);
    yarrow::fuzz::Check(g_random.drawn <= kMaxDraws, "the plug-in drew without bound");
    yarrow::fuzz::Check(result.size() < before.size() + kMaxResultBytes,
                        "the plug-in's result is beyond what the host accepts");
    if (ok)
        yarrow::fuzz::Check(result.rfind("(" + std::string(kTag), 0) == 0,
                            "a rolled result does not begin with its expression");
    return 0;
}
