#include <gtest/gtest.h>

#include "dice/DiceFakes.h"
#include "dice/DiceRolls.h"
#include "dice/DiceTerm.h"
#include "dice/TimerCommand.h"

namespace yarrow {
namespace {

using test::ScriptedRandom;

TEST(ParseDiceTerm, ReadsTheTermAndRefusesValuesBeyondTheBounds) {
    EXPECT_EQ(ParseDiceTerm("02d6"), (DiceTerm{2, 6, DiceOp::None, 0}));
    EXPECT_EQ(ParseDiceTerm("2D6-1"), (DiceTerm{2, 6, DiceOp::Minus, -1}));
    EXPECT_EQ(ParseDiceTerm("1D100/3"), (DiceTerm{1, 100, DiceOp::Divide, 3}));
    EXPECT_EQ(ParseDiceTerm("3D6+2x"), (DiceTerm{3, 6, DiceOp::Plus, 2}));
    EXPECT_EQ(ParseDiceTerm("3D"), (DiceTerm{3, 0, DiceOp::None, 0}));
    EXPECT_TRUE(ParseDiceTerm("1000D1000000+1000000"));
    // Digit runs that would overflow 32 bits must not wrap into small values.
    for (const char* bad : {"", "D6", "3", "3x6", "3D6x", "3D6 ", "-3D6", "1001D6", "1D1000001",
                            "1D6*1000001", "4294967299D6", "1D4294967302"})
        EXPECT_FALSE(ParseDiceTerm(bad)) << bad;
}

struct RollCase {
    const char* expression;
    std::initializer_list<std::uint32_t> dice;
    const char* text;  // null: a format error
    std::int32_t total = 0;
    bool sorted = false;
};

TEST(RollSum, WorkedExamplesAndFormatErrors) {
    const RollCase cases[] = {
        {"3D6", {2, 6, 1}, "3D6 = ( 2 + 6 + 1 ) = 9", 9},
        {"3D6", {2, 6, 1}, "!3D6 = ( 1 + 2 + 6 ) = 9", 9, true},
        {"2D6*2", {5, 2}, "2D6*2 = ( 2 + 5 )*2 = 14", 14, true},  // "!" only when additive
        {"2D6-1", {4, 4}, "2D6-1 = ( 4 + 4 )-1 = 7", 7},
        {"2D6/2", {3, 4}, "2D6/2 = ( 3 + 4 )/2 = 3.5", 3},
        {"2D6-7/3", {1, 1}, "2D6-7 = ( 1 + 1 )-7 = -5", -5},  // operand after "-" only
        {"0D6", {}, "0D6 = (  = 0", 0},
        {"02d6+", {1, 1}, "2D6 = ( 1 + 1 ) = 2", 2},
        {"1D100+0", {50}, "1D100 = ( 50 ) = 50", 50},
        {"3D6+2x", {1, 1, 1}, "3D6+2 = ( 1 + 1 + 1 )+2 = 5", 5},
        {"3D", {}, nullptr},
        {"3D0", {}, nullptr},
        {"2D6/0", {}, nullptr},
        {"2D6/", {}, nullptr},
        {"1001D6", {}, nullptr},
    };
    for (const auto& c : cases) {
        ScriptedRandom rng;
        rng.Dice(c.dice);
        std::string text = "unchanged";
        std::int32_t total = -1;
        EXPECT_EQ(RollSum(c.expression, rng, c.sorted, text, total), c.text != nullptr)
            << c.expression;
        EXPECT_EQ(text, c.text ? c.text : "unchanged");
        EXPECT_EQ(total, c.text ? c.total : -1) << c.expression;
        EXPECT_EQ(rng.Left(), 0u);
    }
    // A product beyond 32 bits is a format error too.
    ScriptedRandom rng;
    for (int i = 0; i < 1000; ++i)
        rng.Draw(999999);  // every die shows 1000000
    std::string text;
    std::int32_t total = 0;
    EXPECT_FALSE(RollSum("1000D1000000*1000000", rng, false, text, total));
}

TEST(RollKeep, WorkedExamplesAndFormatErrors) {
    const RollCase cases[] = {
        {"+2,4D6", {5, 2, 6, 3}, "+2,4D6 = (2,3,5,6) -> (6+5) = 11"},
        {"-1,2D6", {4, 2}, "-1,2D6 = (2,4) -> (2) = 2"},
        {"+2,3D6+1", {1, 4, 6}, "+2,3D6 = (1,4,6) -> (6+4)+1 = 11"},
        {"-2,3D6-1", {1, 4, 6}, "-2,3D6 = (1,4,6) -> (1+4)-1 = 4"},
        {"+1,2D6+", {3, 5}, "+1,2D6 = (3,5) -> (5)+0 = 5"},
        {"+2,2D6*3", {3, 5}, "+2,2D6 = (3,5) -> (5+3)*3 = 24"},
        {"-2,3D6/4", {6, 1, 2}, "-2,3D6 = (1,2,6) -> (1+2)/4 = 0.8"},
    };
    for (const auto& c : cases) {
        ScriptedRandom rng;
        rng.Dice(c.dice);
        std::string text;
        ASSERT_TRUE(RollKeep(c.expression, rng, text)) << c.expression;
        EXPECT_EQ(text, c.text);
    }
    for (const char* bad :
         {"+0,3D6", "+4,3D6", "+2", "+2,3D", "+x,3D6", "+-1,3D6", "+1,3D6/0", "+1,D6", "*1,3D6"}) {
        ScriptedRandom rng;
        std::string text;
        EXPECT_FALSE(RollKeep(bad, rng, text)) << bad;
    }
}

TEST(ParseTimerCommand, StartCancelAndInvalid) {
    struct Case {
        const char* text;
        std::int32_t duration, interval;
    };
    for (const Case& c : {Case{"$TIMER,5m", 300, 1}, Case{"$TIMER,1h,10m", 3600, 600},
                          Case{"$TIMER,90", 90, 1}, Case{"$TIMER,3M,1M", 180, 60},
                          Case{"$TIMER, 2H , 30s", 7200, 30}, Case{"$TIMER,30,60", 30, 60},
                          // A tab before the interval leaves its unit alone.
                          Case{"$TIMER,10m,\t1m", 600, 60}, Case{"$TIMER,\t10m,1m", 600, 60}}) {
        std::int32_t d = 0, i = 0;
        EXPECT_EQ(ParseTimerCommand(c.text, 0, d, i), TimerCommand::Start) << c.text;
        EXPECT_EQ(std::pair(d, i), std::pair(c.duration, c.interval)) << c.text;
    }
    std::int32_t d = -1, i = -1;
    EXPECT_EQ(ParseTimerCommand("$TIMER", 5000, d, i), TimerCommand::Cancel);
    EXPECT_EQ(ParseTimerCommand("$TIMER", 0, d, i), TimerCommand::Start);
    EXPECT_EQ(d, 0);  // which the countdown refuses
    for (const char* bad : {"$TIMER,", "$TIMER,0", "$TIMER,x", "$timer,30", "$TIME,30",
                            "$TIMER,10,0", "$TIMER,99999999999", "$TIMER,600000h"})
        EXPECT_EQ(ParseTimerCommand(bad, 0, d, i), TimerCommand::Invalid) << bad;
}

}  // namespace
}  // namespace yarrow
