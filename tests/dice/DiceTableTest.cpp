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

TEST_F(DiceTableTest, WorkedExamplesOperandsAndMinMaxRules) {
    const auto noResult = [](const char* name, const char* value) {
        return Sjis("エラー：[") + Sjis(name) + Sjis("]に出目\"") + value +
               Sjis("\"に対する結果がありません");
    };
    const struct {
        std::string expression;
        std::initializer_list<std::uint32_t> dice;
        std::string result;
        std::int32_t total;
    } cases[] = {
        {Sjis("#命中表"), {3, 4}, Sjis("(命中表:7)命中"), 7},
        // The modifier shows but is not part of the total.
        {Sjis("#命中表,+5"), {6, 6}, Sjis("(命中表:12+5)自動成功"), 12},
        {Sjis("#命中表,3"), {2, 2}, Sjis("(命中表:4+3)命中"), 4},
        {Sjis("#命中表"), {1, 2}, noResult("命中表", "3"), 3},
        // Operands of UseDice are added ("*" too); a modifier without digits is 0.
        {"#Ops", {3, 3}, "(Ops:9)nine", 9},
        {"#Minus", {2, 2}, "(Minus:3)three", 3},
        {"#Ops,x", {3, 3}, "(Ops:9+0)nine", 9},
        {"#Ops,-8", {3, 3}, noResult("Ops", "1"), 9},  // named with the modifier
        // Min and Max present but empty: neither result is used.
        {"#Open", {4}, noResult("Open", "4"), 4},
        // Without Max, values above 0 take MaxResult.
        {"#NoMax", {5}, "(NoMax:5)above", 5},
        {"#nomax", {1}, "(nomax:1)one", 1},  // names match without case, show as typed
        {"#NoMax,-5", {1}, noResult("NoMax", "-4"), 1},
        // Below Min takes MinResult; above the default Max of 0 without
        // MaxResult is an error.
        {"#Below", {2}, "(Below:2)below", 2},
        {"#Below", {5}, "(Below:5)five", 5},
        {"#Below", {4}, noResult("Below", "4"), 4},
    };
    for (const auto& c : cases) {
        std::int32_t total = 0;
        EXPECT_EQ(Roll(c.expression, c.dice, &total), c.result) << c.expression;
        EXPECT_EQ(total, c.total) << c.expression;
    }
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
