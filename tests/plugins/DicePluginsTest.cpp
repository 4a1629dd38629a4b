// The delivered dice plug-ins, loaded by the registry from the program's
// Plugin folder and rolled with scripted draws: results, bounds, errors and
// how many numbers each roll takes from the generator.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dice/CPluginRegistry.h"
#include "platform/Cp932.h"
#include "support/ScriptedRandom.h"

namespace yarrow {
namespace {

using test::ScriptedRandom;

const std::string kPluginFolder = YARROW_BIN_DIR "/Plugin";
const std::string kRefused = "<refused>";

std::string Repeat(const std::string& part, int times) {
    std::string s;
    for (int i = 0; i < times; ++i)
        s += part;
    return s;
}

class DicePlugins : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { registry = new CPluginRegistry(kPluginFolder); }
    static void TearDownTestSuite() {
        delete registry;
        registry = nullptr;
    }
    // Rolls with exactly these draws, which must all be used; the result or
    // kRefused. Texts are written in UTF-8 here and rolled in code page 932.
    static std::string Roll(const std::string& expression,
                            const std::vector<std::uint32_t>& draws) {
        ScriptedRandom rng;
        for (std::uint32_t d : draws)
            rng.Draw(d);
        std::string result;
        const bool ok = registry->RollPlugin(Sjis(expression), result, rng);
        EXPECT_EQ(rng.Left(), 0u) << expression << ": draws left over";
        return ok ? result : kRefused;
    }
    static CPluginRegistry* registry;
};
CPluginRegistry* DicePlugins::registry = nullptr;

struct Example {
    std::string expression;
    std::vector<std::uint32_t> draws;
    std::string result;  // UTF-8; kRefused when the roll is refused
};

TEST_F(DicePlugins, KestrelAndBrightmoorResultsAndRefusals) {
    EXPECT_EQ(registry->Tags(), (std::vector<std::string>{"$BM,", "$GD,", "$KS,"}));
    EXPECT_EQ(registry->LibraryCount(), 3u);
    const std::string levels =
        "\r\nCrit:3 Value:10 [1,3,8,9,10]\r\nCrit:1 Value:10 [2,5,9]\r\nCrit:0 Value: 4 [4]";
    const std::vector<Example> examples = {
        // Dice 2, 6, 3, 6 sorted 2, 3, 6, 6; the first 6 explodes into 6 and
        // 2, the second into 4.
        {"$KS,4", {1, 5, 2, 5, 5, 1, 3}, "($KS,4) = 2,3,14,10\r\nCrit[0]:6+6+2\r\nCrit[1]:6+4"},
        {"$KS,0", {}, "($KS,0) = "},
        {"$KS,3abc", {0, 4, 1}, "($KS,3abc) = 1,2,5"},
        {"$KS, +2", {3, 2}, "($KS, +2) = 3,4"},
        // A generator stuck on 6 cannot make it loop for ever.
        {"$KS,1", std::vector<std::uint32_t>(101, 5), kRefused},
        {"$BM,5,8", {0, 2, 7, 8, 9, 1, 4, 8, 3}, "($BM,5,8) = 24" + levels},
        {"$BM,5,8,3", {9, 8, 7, 2, 0, 8, 1, 4, 3}, "($BM,5,8)+3 = 27" + levels},
        {"$BM,5,8,-2", {0, 2, 7, 8, 9, 1, 4, 8, 3}, "($BM,5,8) = 24" + levels},
        {"$BM,0,8", {}, "($BM,0,8) = 0\r\nCrit:0 Value: 0 []"},
        {"$BM,2,10",
         {9, 9, 9, 6, 0},
         "($BM,2,10) = 21\r\nCrit:2 Value:10 [10,10]\r\nCrit:1 Value:10 [7,10]\r\nCrit:0 Value: 1 "
         "[1]"},
    };
    for (const auto& e : examples)
        EXPECT_EQ(Roll(e.expression, e.draws), e.result) << e.expression;
    for (const char* bad : {"$KS,", "$KS,x", "$KS,-1", "$KS,1001", "$KS,99999999999999", "$BM,5",
                            "$BM,5,1", "$BM,5,11", "$BM,-1,8", "$BM,1001,8", "$BM,x,8"})
        EXPECT_EQ(Roll(bad, {}), kRefused) << bad;
}

TEST_F(DicePlugins, GeneralDiceRollsTheDocumentedExamples) {
    const std::vector<Example> examples = {
        {"$GD,2D6+1", {2, 4}, "($GD,2D6+1) = 8[3,5]+1 = 9"},
        {"$GD,(1-2D6)/2", {2, 4}, "($GD,(1-2D6)/2) = (1-8[3,5])/2 = -4"},
        {"$GD,2D6,-1", {2, 4}, "($GD,2D6,-1) = 8[3,5]-1 = 7"},
        {"$GD,4D6kh3", {4, 1, 5, 2}, "($GD,4D6kh3) = 14[6,5,3|2] = 14"},
        {"$GD,4D6KL1", {4, 1, 5, 2}, "($GD,4D6KL1) = 2[2|3,5,6] = 2"},
        {"$GD,3D6!", {5, 5, 1, 2, 5, 0}, "($GD,3D6!) = 24[6+6+2,3,6+1] = 24"},
        {"$GD,5D6>=5", {0, 4, 5, 1, 4}, "($GD,5D6>=5) = [1,5,6,2,5] -> 成功数3"},
        {"$GD,3D10<>1", {0, 9, 4}, "($GD,3D10<>1) = [1,10,5] -> 成功数2"},
        {"$GD,2D6<3,2", {0, 1}, "($GD,2D6<3,2) = [1,2] -> 成功数2"},
        {"$GD,D66", {5, 2}, "($GD,D66) = [6,3] -> 36"},
        {"$GD,d66n", {5, 2}, "($GD,d66n) = [6,3] -> 63"},
        {"$GD,choice[剣,槍,弓]", {4}, "($GD,choice[剣,槍,弓]) = 槍"},
        {"$GD,x2:1D6", {2, 4}, "($GD,x2:1D6)\r\n#1 3[3] = 3\r\n#2 5[5] = 5"},
        // The rest of the language: other comparisons, keeping every die,
        // bonuses, case, spaces, repeated choices.
        {"$GD,3D6<=2", {1, 2, 3}, "($GD,3D6<=2) = [2,3,4] -> 成功数1"},
        {"$GD,3D6=3", {1, 2, 2}, "($GD,3D6=3) = [2,3,3] -> 成功数2"},
        {"$GD,2D6*3-7/2", {0, 1}, "($GD,2D6*3-7/2) = 3[1,2]*3-7/2 = 6"},
        {"$GD,0-7/2", {}, "($GD,0-7/2) = 0-7/2 = -3"},
        {"$GD,007+1D6,+3", {0}, "($GD,007+1D6,+3) = 7+1[1]+3 = 11"},
        {"$GD,choice[a,b],-3", {1}, "($GD,choice[a,b],-3) = b"},
        {"$GD,x2:CHOICE[a,b]", {0, 1}, "($GD,x2:CHOICE[a,b])\r\n#1 a\r\n#2 b"},
        {"$GD,x2:1D6,1", {0, 1}, "($GD,x2:1D6,1)\r\n#1 1[1]+1 = 2\r\n#2 2[2]+1 = 3"},
        {"$GD, 2 d 6 + 1 ", {2, 4}, "($GD,2d6+1) = 8[3,5]+1 = 9"},
    };
    for (const auto& e : examples)
        EXPECT_EQ(Roll(e.expression, e.draws), Sjis(e.result)) << e.expression;
}

// Each bound at its limit and one past it. A line past a bound draws nothing.
struct Bound {
    std::string atLimit;
    std::size_t draws;  // all 0, so every die shows 1
    std::string past;
};

TEST_F(DicePlugins, GeneralDiceBoundsHoldAtTheirLimits) {
    const std::string items50 = Repeat("a,", 49) + "a";
    const std::vector<Bound> bounds = {
        {"$GD,100D6", 100, "$GD,101D6"},
        {"$GD,60D6+40D6", 100, "$GD,60D6+41D6"},
        {"$GD,100D6>=1", 100, "$GD,101D6>=1"},
        {"$GD,1D1000", 1, "$GD,1D1001"},
        {"$GD,1D1", 1, "$GD,1D0"},
        {"$GD,1D2!", 1, "$GD,1D1!"},
        {"$GD,4D6kh4", 4, "$GD,4D6kh5"},
        {"$GD,4D6kl1", 4, "$GD,4D6kl0"},
        {"$GD,x20:100D6", 2000, "$GD,x21:1D6"},
        {"$GD,x1:1D6", 1, "$GD,x0:1D6"},
        {"$GD,choice[" + items50 + "]", 1, "$GD,choice[" + items50 + ",a]"},
        {"$GD," + Repeat("(", 10) + "1D6" + Repeat(")", 10), 1,
         "$GD," + Repeat("(", 11) + "1D6" + Repeat(")", 11)},
        {"$GD,999999", 0, "$GD,0000001"},
        {"$GD,1D6,999999", 1, "$GD,1D6,-1000000"},
        {"$GD,999999*1000+999", 0, "$GD,999999*1000+1000"},
        {"$GD,0-999999*1000-999", 0, "$GD,0-999999*1000-1000"},
        {"$GD,999999*1000", 0, "$GD,999999*1000+999,1"},
        {"$GD,11" + Repeat("+1", 253), 0, "$GD,111" + Repeat("+1", 253)},    // 512 bytes
        {"$GD,11" + Repeat("+ 1", 253), 0, "$GD,111" + Repeat("+ 1", 253)},  // without spaces
    };
    for (const auto& b : bounds) {
        EXPECT_NE(Roll(b.atLimit, std::vector<std::uint32_t>(b.draws, 0)), kRefused) << b.atLimit;
        EXPECT_EQ(Roll(b.past, {}), kRefused) << b.past;
    }
    EXPECT_EQ(Roll("$GD,999999*1000+999", {}),
              "($GD,999999*1000+999) = 999999*1000+999 = 999999999");
    EXPECT_EQ(Roll("$GD,0-999999*1000-999", {}),
              "($GD,0-999999*1000-999) = 0-999999*1000-999 = -999999999");
    // A die is thrown again at most ten times.
    EXPECT_EQ(Roll("$GD,1D6!", std::vector<std::uint32_t>(11, 5)),
              "($GD,1D6!) = 66[6" + Repeat("+6", 10) + "] = 66");
    // The largest roll: twenty lines of a hundred thousand-sided dice that
    // all explode as far as they may (20 x 100 x 11 draws).
    const std::string largest = Roll("$GD,x20:100D1000!", std::vector<std::uint32_t>(22000, 999));
    EXPECT_LT(largest.size(), 128u * 1024);
    EXPECT_NE(largest.find("\r\n#20 1100000["), std::string::npos);
}

TEST_F(DicePlugins, GeneralDiceRefusesEveryKindOfError) {
    // Past the bounds: see above.
    const std::vector<std::string> malformed = {
        "$GD,",         "$GD,D6",           "$GD,0D6",        "$GD,4D6!kh3",
        "$GD,2D6+1>=8", "$GD,choice[a,,b]", "$GD,1234567",    "$GD,2D6,1,2",
        "$GD,2D6+",     "$GD,(2D6",         "$GD,2D6)",       "$GD,-1",
        "$GD,D66+1",    "$GD,D6N",          "$GD,2D",         "$GD,2D6D6",
        "$GD,2D6kh",    "$GD,2D6k2",        "$GD,2D6=>3",     "$GD,2D6>=3!",
        "$GD,2D6!>=3",  "$GD,x2:",          "$GD,x:1D6",      "$GD,x2:x2:1D6",
        "$GD,choice[]", "$GD,choice[a",     "$GD,choice[a]b", "$GD,choice[a[b]",
        "$GD,2D6,",     "$GD,2D6,1234567",  "$GD,1D6@",       "$GD,()",
    };
    for (const auto& text : malformed)
        EXPECT_EQ(Roll(text, {}), kRefused) << text;  // and nothing drawn
    // Zero divisors and values beyond the bounds show only once the dice
    // are thrown.
    EXPECT_EQ(Roll("$GD,1D6/(1-1)", {0}), kRefused);
    EXPECT_EQ(Roll("$GD,10/(1D6-1)", {0}), kRefused);
    EXPECT_EQ(Roll("$GD,10/(1D6-1)", {1}), "($GD,10/(1D6-1)) = 10/(2[2]-1) = 10");
    EXPECT_EQ(Roll("$GD,100D1000*10000", std::vector<std::uint32_t>(100, 999)), kRefused);
    EXPECT_EQ(Roll("$GD,x2:1000/(1D2-1)", {1, 0}), kRefused);
}

TEST_F(DicePlugins, GeneralDiceChoiceItemsMayHoldDoubleByteCharacters) {
    // "ー" ends in the byte of "[", "‐" in that of "]", "ソ" in a backslash.
    EXPECT_EQ(Roll("$GD,choice[ー‐,ソ]", {0}), Sjis("($GD,choice[ー‐,ソ]) = ー‐"));
    EXPECT_EQ(Roll("$GD,choice[ｿｰﾄﾞ,a(b):c]", {0}), Sjis("($GD,choice[ｿｰﾄﾞ,a(b):c]) = ｿｰﾄﾞ"));
    EXPECT_EQ(Roll("$GD,choice[ｿｰﾄﾞ,a(b):c]", {1}), Sjis("($GD,choice[ｿｰﾄﾞ,a(b):c]) = a(b):c"));
    // A lead byte takes the next byte with it, a bracket too; broken
    // characters and control bytes are not items.
    for (const std::string bad :
         {"$GD,choice[\x82]", "$GD,choice[a\x82", "$GD,choice[\x82\x7f]", "$GD,choice[\x80]",
          "$GD,choice[\xfd\x40]", "$GD,choice[a\tb]", "$GD,choice[\x7f]", "$GD,choice[\xa0]"}) {
        ScriptedRandom rng;
        std::string result;
        EXPECT_FALSE(registry->RollPlugin(bad, result, rng)) << bad;
    }
}

// The contract of the library itself, called without the registry: the
// result stays as it was on refusal, whatever the input.
TEST(GeneralDiceLibrary, KeepsTheResultOnRefusalAndCopesWithAnyInput) {
    void* library = dlopen((kPluginFolder + "/GeneralDice.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto dice = reinterpret_cast<PluginDiceFunc>(dlsym(library, kPluginDiceExport));
    ASSERT_NE(dice, nullptr);
    static int drawn = 0;
    const PluginRandomFunc next = [] {
        ++drawn;
        return std::uint32_t{0};
    };
    std::string expression = "$GD,1D6";
    std::string result = "before";
    EXPECT_EQ(dice(nullptr, &result, next) + dice(&expression, nullptr, next) +
                  dice(&expression, &result, nullptr),
              0);
    const std::string big(100 * 1024, '(');
    for (const std::string& text : std::vector<std::string>{
             "$KS,1", "$gd,1D6", "$GD,", "$GD," + big, "$GD,1D6/(1-1)", "$GD," + big + "1D6"}) {
        expression = text;
        EXPECT_EQ(dice(&expression, &result, next), 0) << text.substr(0, 20);
    }
    EXPECT_EQ(result, "before");
    EXPECT_EQ(drawn, 1);  // the zero divisor alone was thrown
    expression = "$GD," + std::string(100 * 1024, ' ') + "1D6";
    EXPECT_EQ(dice(&expression, &result, next), 1);
    EXPECT_EQ(result, "($GD,1D6) = 1[1] = 1");
    dlclose(library);
}

}  // namespace
}  // namespace yarrow
