#include <gtest/gtest.h>

#include "chat/CDebugCodes.h"
#include "chat/InputTestFakes.h"

namespace yarrow {
namespace {

using test::FakeDebugHost;

class DebugCodesTest : public ::testing::Test {
  protected:
    FakeDebugHost host;
    CDebugCodes debug{host};
};

TEST_F(DebugCodesTest, SwitchCodesSetBitsAndSayWhatTheyDid) {
    struct Step {
        const char* code;
        const char* notice;
        unsigned switches;
    };
    const Step steps[] = {
        {"color_off", "[Color OFF]", 1},    {"cmd_on", "[Cmd ON]", 3},
        {"scrl_on", "[Scrl ON]", 7},        {"color_on", "[Color ON]", 6},
        {"cmd_off", "[Cmd OFF]", 4},        {"scrl_off", "[Scrl OFF]", 0},
        {"all_on", "[All Debug SW ON]", 7}, {"all_off", "[All Debug SW OFF]", 0},
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(debug.Run(step.code)) << step.code;
        EXPECT_EQ(host.notices.back(), step.notice);
        EXPECT_EQ(debug.Switches(), step.switches) << step.code;
    }
    bool flag = false;
    debug.BeginDebugInput(flag);
    EXPECT_TRUE(flag);
    EXPECT_EQ(host.notices.back(), "DebugMode ON. Put code.");
}

TEST_F(DebugCodesTest, UnknownCodesAreCaseSensitiveAndInvalid) {
    for (const char* code : {"COLOR_OFF", "", " cmd_on", "chk_mbr"}) {
        EXPECT_FALSE(debug.Run(code)) << code;
        EXPECT_EQ(host.notices.back(), "[Invalid code]");
    }
    EXPECT_EQ(debug.Switches(), 0u);
    EXPECT_EQ(host.rebuilds, 0);
}

TEST_F(DebugCodesTest, TraceLogOnOffAndAlreadyOff) {
    EXPECT_TRUE(debug.Run("trc_off"));
    EXPECT_EQ(host.notices.back(), "[TraceLog already OFF]");
    EXPECT_TRUE(debug.Run("trc_on"));
    EXPECT_TRUE(host.traceOpen);
    EXPECT_EQ(host.notices.back(), "[TraceLog ON]");
    EXPECT_TRUE(debug.Run("trc_off"));
    EXPECT_FALSE(host.traceOpen);
    EXPECT_EQ(host.notices.back(), "[TraceLog OFF]");
}

TEST_F(DebugCodesTest, MemberCheckRebuildsFromTheHubWhenHosting) {
    host.hosting = true;
    host.hubMembers = {{"GM", 1}, {"Ann", 3}};
    EXPECT_TRUE(debug.Run("chk_mbr"));
    EXPECT_EQ(host.rebuilds, 1);
    EXPECT_EQ(host.rebuilt, host.hubMembers);
    EXPECT_EQ(host.notices.back(), "[Update Member]<CR>GM(ID:1)<CR>Ann(ID:3)<CR>");
}

TEST_F(DebugCodesTest, ColourTablesAndMapFigures) {
    host.colorTable = "{\\colortbl; \\red1\\green2\\blue3;}";
    host.rtf = "{\\rtf1{\\fonttbl{\\f0 x;}}{\\colortbl;\\red0\\green0\\blue0;}\\viewkind4 hi}";
    EXPECT_TRUE(debug.Run("output_ctbl"));
    EXPECT_EQ(
        host.notices.back(),
        "Ctbl0:{\\colortbl; \\red1\\green2\\blue3;}<CR>Ctbl1:{\\colortbl;\\red0\\green0\\blue0;}");
    host.rtf = "{\\rtf1 no table}";
    debug.Run("output_ctbl");
    EXPECT_EQ(host.notices.back(), "Ctbl0:{\\colortbl; \\red1\\green2\\blue3;}<CR>Ctbl1:");

    host.maps = {{0, 3, 12}, {2, 0, 1}};
    EXPECT_TRUE(debug.Run("output_map"));
    EXPECT_EQ(host.notices.back(), "Map[0] Unit:3 Tile:12<CR>Map[2] Unit:0 Tile:1");
}

TEST_F(DebugCodesTest, CommandTraceNamesCommandsAboveTheMenuRange) {
    EXPECT_EQ(debug.CommandTraceText(32772, 0), "");
    debug.Run("cmd_on");
    EXPECT_EQ(debug.CommandTraceText(32772, 0), "Cmd:Connect Code:0");
    EXPECT_EQ(debug.CommandTraceText(32821, 1), "Cmd:TileFill Code:1");
    EXPECT_EQ(debug.CommandTraceText(32836, 0), "Cmd:32836 Code:0");
    EXPECT_EQ(debug.CommandTraceText(1002, 0), "");  // the Dice button is not a menu command
}

}  // namespace
}  // namespace yarrow
