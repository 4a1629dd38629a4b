#include <gtest/gtest.h>

#include <filesystem>

#include "chat/CChatLog.h"
#include "chat/CDebugCodes.h"
#include "chat/CTraceLog.h"
#include "platform/TempDir.h"
#include "platform/Trace.h"
#include "support/FakeLogControl.h"
#include "support/FixedClock.h"

namespace yarrow::test {
namespace {

class DebugCodesTest : public ::testing::Test {
  protected:
    CDebugCodes::Hooks Hooks() {
        CDebugCodes::Hooks hooks;
        hooks.mapFigures = [this] { return maps; };
        hooks.hubMembers = [this]() -> std::optional<std::vector<CMember>> {
            return hosting ? std::optional(hubMembers) : std::nullopt;
        };
        hooks.showMembers = [this](const std::vector<CMember>& m) { shown.push_back(m); };
        return hooks;
    }
    const std::string& LastNotice() const { return control.texts.back(); }

    TempDir dir;
    FixedClock clock{1700000000};
    FakeLogControl control;
    CChatLog log{&control, clock, dir.Folder()};
    CTraceLog trace{clock, dir.Folder()};
    std::vector<MapFigures> maps;
    bool hosting = false;
    std::vector<CMember> hubMembers;
    std::vector<std::vector<CMember>> shown;
    CDebugCodes codes{log, trace, Hooks()};
};

TEST_F(DebugCodesTest, SwitchCodesSetBitsSayWhatTheyDidAndColourTheLog) {
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
        EXPECT_TRUE(codes.Run(step.code)) << step.code;
        EXPECT_EQ(LastNotice(), step.notice);
        EXPECT_EQ(codes.Switches(), step.switches) << step.code;
        EXPECT_EQ(log.ColorOff(), (step.switches & 1) != 0) << step.code;
    }
    bool flag = false;
    codes.BeginDebugInput(flag);
    EXPECT_TRUE(flag);
    EXPECT_EQ(LastNotice(), "DebugMode ON. Put code.");

    for (const char* code : {"COLOR_OFF", " cmd_on", "chk_mbr"}) {  // chk_mbr: not hosting
        EXPECT_FALSE(codes.Run(code)) << code;
        EXPECT_EQ(LastNotice(), "[Invalid code]");
    }
    EXPECT_TRUE(shown.empty());
}

TEST_F(DebugCodesTest, TraceLogOnOffAndAlreadyOff) {
    EXPECT_TRUE(codes.Run("trc_off"));
    EXPECT_EQ(LastNotice(), "[TraceLog already OFF]");
    EXPECT_TRUE(codes.Run("trc_on"));
    EXPECT_TRUE(trace.FileOpen());
    EXPECT_EQ(LastNotice(), "[TraceLog ON]");
    Trace("CYarrowView::ConnectSocket(Port:%d IP:%s)\r\n", 15000, "127.0.0.1");
    EXPECT_TRUE(codes.Run("trc_off"));
    EXPECT_FALSE(trace.FileOpen());
    EXPECT_FALSE(TraceEnabled());
    EXPECT_EQ(LastNotice(), "[TraceLog OFF]");
    Trace("after\r\n");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Folder()))
        files.push_back(entry.path().string());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(TempDir::Read(files[0]),
              "[TraceLog ON]\r\nCYarrowView::ConnectSocket(Port:15000 IP:127.0.0.1)\r\n"
              "[TraceLog OFF]\r\n");
}

TEST_F(DebugCodesTest, HubMembersColourTablesAndMapFigures) {
    hosting = true;
    hubMembers = {{"GM", 1}, {"Ann", 3}};
    EXPECT_TRUE(codes.Run("chk_mbr"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], hubMembers);
    EXPECT_EQ(LastNotice(), "[Update Member]\nGM(ID:1)\nAnn(ID:3)");

    control.rtf = "{\\rtf1{\\fonttbl{\\f0 x;}}{\\colortbl;\\red0\\green0\\blue0;}\\viewkind4 hi}";
    EXPECT_TRUE(codes.Run("output_ctbl"));
    EXPECT_NE(LastNotice().find("Ctbl1:{\\colortbl;\\red0\\green0\\blue0;}"), std::string::npos)
        << LastNotice();

    maps = {{0, 3, 12}, {2, 0, 1}};
    EXPECT_TRUE(codes.Run("output_map"));
    EXPECT_EQ(LastNotice(), "Map[0] Unit:3 Tile:12\nMap[2] Unit:0 Tile:1");
}

TEST_F(DebugCodesTest, CommandTraceNamesCommandsAboveTheMenuRange) {
    EXPECT_EQ(codes.CommandTraceText(32772, 0), "");
    codes.Run("cmd_on");
    EXPECT_EQ(codes.CommandTraceText(32772, 0), "Cmd:Connect Code:0");
    EXPECT_EQ(codes.CommandTraceText(32821, 1), "Cmd:TileFill Code:1");
    EXPECT_EQ(codes.CommandTraceText(32836, 0), "Cmd:32836 Code:0");
    EXPECT_EQ(codes.CommandTraceText(1002, 0), "");  // the Dice button is not a menu command
}

TEST(TraceLog, UncreatableFileDropsOutputAndADestroyedLogUninstallsItself) {
    TempDir dir;
    FixedClock clock;
    {
        CTraceLog trace(clock, dir.File("missing/"));
        EXPECT_FALSE(trace.Open());
        Trace("dropped\r\n");
        EXPECT_TRUE(trace.IsOn());
    }
    EXPECT_FALSE(TraceEnabled());
    Trace("safe\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Folder()));
}

}  // namespace
}  // namespace yarrow::test
