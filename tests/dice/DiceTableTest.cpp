#include <gtest/gtest.h>

#include "dice/CDiceTable.h"
#include "dice/DiceFakes.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

using test::ScriptedRandom;
using test::TempDir;

class DiceTableTest : public ::testing::Test {
  protected:
    DiceTableTest() : table(dir.File("Chart.ini")) {
        TempDir::Write(dir.File("Chart.ini"),
                       Sjis("[命中表]\r\nUseDice=2D6\r\n7=命中\r\n12=クリティカル\r\nMin=2\r\n"
                            "Max=12\r\nMaxResult=自動成功\r\n"
                            "[Ops]\r\nUseDice=2D6*3\r\n9=nine\r\n4=four\r\n"
                            "[Minus]\r\nUseDice=2D6-1\r\n3=three\r\n"
                            "[Open]\r\nUseDice=1D6\r\nMin=\r\nMinResult=low\r\nMax=\r\n"
                            "MaxResult=high\r\n"
                            "[NoMax]\r\nUseDice=1D6\r\n1=one\r\nMaxResult=above\r\n"
                            "[Below]\r\nUseDice=1D6\r\nMin=3\r\nMinResult=below\r\n5=five\r\n"
                            "[Bad]\r\nUseDice=2D0\r\n[Huge]\r\nUseDice=5000D6\r\n"
                            "[Empty]\r\nUseDice=\r\n"));
    }
    std::string Roll(const std::string& expression, std::initializer_list<std::uint32_t> dice,
                     std::int32_t* totalOut = nullptr) {
        ScriptedRandom rng;
        rng.Dice(dice);
        std::string result;
        std::int32_t total = 0;
        EXPECT_TRUE(table.RollTable(expression, result, total, rng)) << expression;
        EXPECT_EQ(rng.Left(), 0u) << expression;
        if (totalOut)
            *totalOut = total;
        return result;
    }
    TempDir dir;
    CDiceTable table;
};

TEST_F(DiceTableTest, WorkedExamples) {
    std::int32_t total = 0;
    EXPECT_EQ(Roll(Sjis("#命中表"), {3, 4}, &total), Sjis("(命中表:7)命中"));
    EXPECT_EQ(total, 7);
    EXPECT_EQ(Roll(Sjis("#命中表,+5"), {6, 6}, &total), Sjis("(命中表:12+5)自動成功"));
    EXPECT_EQ(total, 12) << "the modifier is not part of the total";
    EXPECT_EQ(Roll(Sjis("#命中表,3"), {2, 2}), Sjis("(命中表:4+3)命中"));
    EXPECT_EQ(Roll(Sjis("#命中表"), {1, 2}),
              Sjis("エラー：[命中表]に出目\"3\"に対する結果がありません"));
}

TEST_F(DiceTableTest, OperandsOfUseDiceAreAddedAndModifierWithoutDigitsShowsAsZero) {
    std::int32_t total = 0;
    EXPECT_EQ(Roll("#Ops", {3, 3}, &total), "(Ops:9)nine");  // 6 + 3, "*" adds
    EXPECT_EQ(total, 9);
    EXPECT_EQ(Roll("#Minus", {2, 2}), "(Minus:3)three");
    EXPECT_EQ(Roll("#Ops,x", {3, 3}), "(Ops:9+0)nine");
    // 9 - 8 = 1 has no entry: the error names the value with the modifier.
    EXPECT_EQ(Roll("#Ops,-8", {3, 3}), Sjis("エラー：[Ops]に出目\"1\"に対する結果がありません"));
}

TEST_F(DiceTableTest, MinAndMaxRules) {
    // Min and Max present but empty: neither result is used.
    EXPECT_EQ(Roll("#Open", {4}), Sjis("エラー：[Open]に出目\"4\"に対する結果がありません"));
    // Without Max, values above 0 take MaxResult.
    EXPECT_EQ(Roll("#NoMax", {5}), "(NoMax:5)above");
    EXPECT_EQ(Roll("#NoMax", {1}), "(NoMax:1)one");
    EXPECT_EQ(Roll("#NoMax,-5", {1}), Sjis("エラー：[NoMax]に出目\"-4\"に対する結果がありません"));
    // Below Min takes MinResult; above the default Max of 0 without MaxResult is an error.
    EXPECT_EQ(Roll("#Below", {2}), "(Below:2)below");
    EXPECT_EQ(Roll("#Below", {5}), "(Below:5)five");
    EXPECT_EQ(Roll("#Below", {4}), Sjis("エラー：[Below]に出目\"4\"に対する結果がありません"));
}

TEST_F(DiceTableTest, SectionNamesMatchWithoutCaseButShowAsTyped) {
    EXPECT_EQ(Roll("#nomax", {1}), "(nomax:1)one");
}

TEST_F(DiceTableTest, TablesThatCannotBeRolled) {
    for (const char* bad : {"#Missing", "#Bad", "#Huge", "#Empty", "#", "Ops"}) {
        ScriptedRandom rng;
        std::string result = "unchanged";
        std::int32_t total = 0;
        EXPECT_FALSE(table.RollTable(bad, result, total, rng)) << bad;
        EXPECT_EQ(result, "unchanged");
    }
    CDiceTable missing(dir.File("None.ini"));
    ScriptedRandom rng;
    std::string result;
    std::int32_t total = 0;
    EXPECT_FALSE(missing.RollTable("#Ops", result, total, rng));
}

}  // namespace
}  // namespace yarrow
