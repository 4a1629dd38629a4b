// The chat log: its RTF documents byte for byte, every line layout on screen
// and in the text log, the past-log feed, the log files and snapshots, and
// the colour-table fix-up of a saved log.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "chat/CChatLog.h"
#include "chat/ChatLineText.h"
#include "chat/LogFiles.h"
#include "net/MsgType.h"
#include "platform/CRtfReader.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "support/FakeLogControl.h"
#include "support/FixedClock.h"

namespace yarrow {
namespace {

const std::string kFontTable =
    R"({\rtf1\ansi\ansicpg932\deff0\deflang1033\deflangfe1041{\fonttbl{\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'83\'53\'83\'56\'83\'62\'83\'4e;)";
const std::string kBlackTable = R"({\colortbl; \red0\green0\blue0;})";
const std::string kRedBlackTable = R"({\colortbl; \red255\green0\blue0; \red0\green0\blue0;})";

std::string ChatDoc(const std::string& table, const std::string& body) {
    return kFontTable + R"( \f1\fnil Symbol;}})" + table + "\\viewkind\n\\fs24 " + body +
           "\n\\par }";
}

class ChatLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // File names carry local time; pin the zone so they are predictable.
        setenv("TZ", "UTC", 1);
        tzset();
        std::filesystem::create_directory(dir.File("Log"));
        log.SetLogFolderSource([this] { return logFolder; });
    }
    std::string Saved(const std::string& name) { return test::TempDir::Read(dir.File(name)); }

    test::TempDir dir;
    test::FakeLogControl control;
    test::FixedClock clock{1700000000};  // 2023-11-14 22:13:20 UTC
    CChatLog log{&control, clock, dir.Folder()};
    std::string logFolder = "Log";
};

// A red name and black text: two colour table entries, the same in every
// later document.
TEST_F(ChatLogTest, EveryLayoutOnScreenAndInTheTextLog) {
    ASSERT_TRUE(log.StartTextLog().ok);
    const std::string pre = "\\cf1\\b GM\\cf2";
    struct Case {
        std::int32_t type;
        const char* text;
        std::string body;     // on screen; empty: nothing
        const char* logLine;  // in the text log; null: none
    };
    const std::vector<Case> cases = {
        {LogBox, "t", pre + "\\b0 " + Sjis("：") + "t\\cf0 \n", "GM：t"},
        {Secret, "t", pre + "\\b0 " + Sjis("(秘話)：") + "t\n", "GM(秘話)：t"},
        {DiceRoll, "t", pre + "\\b0 " + Sjis("(ダイス)：") + "t\n", "GM(ダイス)：t"},
        {ScreenDice, "t", pre + "\\b0 " + Sjis("(隠しダイス)：") + "t\n", "GM(隠しダイス)：t"},
        {DrawCard, "K",
         pre + "\\b0 " + Sjis("(カード)：") + "\\b K\\b0 " + Sjis("を引きました") + "\n",
         "GM(カード)：Kを引きました"},
        {ScreenCard, "secret card",
         pre + "\\b0 " + Sjis("(隠しカード)：カードを1枚引きました") + "\n", nullptr},
        {MoveCard, "K\tA\tB",
         pre + "\\b0 " + Sjis("(カード)：") + "\\b K\\b0 " + Sjis("を") + "\\b A\\b0 " +
             Sjis("から") + "\\b B\\b0 " + Sjis("に移動しました") + "\n",
         "GM(カード)：KをAからBに移動しました"},
        // Extra tabs stay in the destination.
        {MoveCard, "K\tA\tB\tC",
         pre + "\\b0 " + Sjis("(カード)：") + "\\b K\\b0 " + Sjis("を") + "\\b A\\b0 " +
             Sjis("から") + "\\b B\tC\\b0 " + Sjis("に移動しました") + "\n",
         "GM(カード)：KをAからB\tCに移動しました"},
        {StartTimer, "t", pre + " " + Sjis("(タイマ)：") + "t\\b0 \n", "GM(タイマ)：t"},
        {PassCard, "t", pre + "\\b0 " + Sjis("(カード)：") + "t\n", "GM(カード)：t"},
        {LogBox, "a<CR>b<cr>c", pre + "\\b0 " + Sjis("：") + "a\\par b\\par c\\cf0 \n",
         "GM：a\r\nb\r\nc"},
        {LogBox, "", "", nullptr},  // an empty text shows nothing
        {Chart, "t", "", nullptr},  // nor does a type that is no chat line
    };
    std::string expected;
    for (const Case& c : cases) {
        control.documents.clear();
        log.AppendChatLine("GM", c.text, 0xFF0000, c.type);
        EXPECT_EQ(control.documents, c.body.empty() ? std::vector<std::string>{}
                                                    : std::vector{ChatDoc(kRedBlackTable, c.body)})
            << c.type;
        if (c.logLine)
            expected += Sjis(c.logLine) + "\r\n";
        EXPECT_EQ(test::TempDir::Read(log.TextLogPath()), expected) << c.type;
    }
}

TEST_F(ChatLogTest, NamesEscapedColourOffAndCharSize) {
    log.AppendChatLine("{GM}", "pile", 0, MoveCard);  // no tabs: all of it is the destination
    EXPECT_NE(control.documents[0].find("\\b \\{GM\\}\\cf1"), std::string::npos);
    EXPECT_NE(control.documents[0].find("\\b \\b0 " + Sjis("を") + "\\b \\b0 " + Sjis("から") +
                                        "\\b pile\\b0 "),
              std::string::npos);

    log.ClearLog();
    control.documents.clear();
    log.SetColorOff(true);
    log.SetTextColor(0x0000FF);
    log.AppendChatLine("GM", "t", 0xFF0000, LogBox);
    EXPECT_EQ(control.documents[0], ChatDoc(R"({\colortbl; \red0\green0\blue255;})",
                                            "\\cf0\\b GM\\cf1\\b0 " + Sjis("：") + "t\\cf0 \n"));

    log.SetCharSize(4);
    log.AppendChatLine("GM", "<size 1>a</size>b", 0, LogBox);
    EXPECT_NE(control.documents[1].find("\\viewkind\n\\fs34 "), std::string::npos);
    EXPECT_NE(control.documents[1].find("\\fs15 a\\fs34 b"), std::string::npos);
}

TEST_F(ChatLogTest, NoticesOnScreenAndInTheTextLog) {
    ASSERT_TRUE(log.StartTextLog().ok);
    log.AppendNoticeLine("<b>x");
    log.AppendNoticeLine("<b>a</b>b<CR>c<cr>d");
    log.AppendNoticeLine(R"(\{})");
    log.AppendNoticeLine("");
    const auto notice = [](const std::string& body) {
        return kFontTable + "}}" + kBlackTable + "\\viewkind\n" + body + "\n\\par }";
    };
    // An unclosed bold ends with its notice.
    EXPECT_EQ(control.documents, (std::vector<std::string>{
                                     notice("\\cf1 \\b x\\b0"),
                                     notice("\\cf1 \\b a\\b0 b\\par c<cr>d"),
                                     notice(R"(\cf1 \\\{\})"),
                                 }));
    const std::string text = "x\r\nab\r\nc\r\nd\r\n\\{}\r\n";
    EXPECT_EQ(test::TempDir::Read(log.TextLogPath()), text);
    // Without a control a notice does nothing, not even in the text log.
    log.SetLogControl(nullptr);
    log.AppendNoticeLine("lost");
    EXPECT_EQ(test::TempDir::Read(log.TextLogPath()), text);
}

// What the hub's past log keeps of a chat line; the text log (above) keeps
// the real roll and the whisper.
TEST(PastLogLine, MasksHiddenLinesAndDropsWhispers) {
    EXPECT_FALSE(PastLogLine(Secret, "GM", "psst"));
    EXPECT_FALSE(PastLogLine(LogBox, "GM", ""));
    EXPECT_EQ(PastLogLine(ScreenDice, "GM", "2D6 = 7"), Sjis("GM(隠しダイス)：(ころころ……)\r\n"));
    EXPECT_EQ(PastLogLine(ScreenCard, "GM", "K"),
              Sjis("GM(隠しカード)：カードを1枚引きました\r\n"));
    EXPECT_EQ(PastLogLine(LogBox, "GM", "hi"), Sjis("GM：hi\r\n"));
}

TEST_F(ChatLogTest, LogFileNamesTimeStampAndProgramFolder) {
    EXPECT_EQ(TimeStampedName(LogFolderPrefix(""), 946684800, ".rtf"), "2000_01_01_00_00_00.rtf");
    EXPECT_EQ(ResolveInProgramFolder("/p/", "/var/logs/a.txt"), "/var/logs/a.txt");
    // A Windows-style folder works, and a double-byte name whose trail byte is
    // 0x5C keeps that byte as part of its character.
    EXPECT_EQ(ResolveInProgramFolder("/p/", "Old\\Log/a.txt"), "/p/Old/Log/a.txt");
    EXPECT_EQ(ResolveInProgramFolder("/p/", Sjis("表") + "/a.txt"), "/p/表/a.txt");
}

TEST_F(ChatLogTest, TextLogReachesTheDiskAsAppendedAndSnapshotsNeverTruncateIt) {
    const LogFileResult r = log.StartTextLog();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.fileName, "Log/2023_11_14_22_13_20.txt");
    log.AppendChatLine("GM", "one", 0, LogBox);
    // Readable while the log still runs: nothing waits in a buffer.
    EXPECT_EQ(Saved(r.fileName), Sjis("GM：one\r\n"));

    // A snapshot and a second start within the same second take new names.
    const LogFileResult snapshot = log.SaveLogText();
    ASSERT_TRUE(snapshot.ok);
    EXPECT_EQ(snapshot.fileName, "Log/2023_11_14_22_13_20_2.txt");
    EXPECT_EQ(snapshot.text, Sjis("ログをLog/2023_11_14_22_13_20_2.txtに保存しました"));
    EXPECT_EQ(Saved(snapshot.fileName), Sjis("GM：one\r\n"));
    log.AppendChatLine("GM", "two", 0, LogBox);
    ASSERT_TRUE(log.StartTextLog().ok);
    EXPECT_EQ(log.TextLogPath(), dir.File("Log/2023_11_14_22_13_20_3.txt"));
    log.AppendChatLine("GM", "three", 0, LogBox);
    log.StopTextLog();
    log.AppendChatLine("GM", "after", 0, LogBox);
    EXPECT_EQ(Saved(r.fileName), Sjis("GM：one\r\nGM：two\r\n"));
    EXPECT_EQ(Saved("Log/2023_11_14_22_13_20_3.txt"), Sjis("GM：three\r\n"));
}

TEST_F(ChatLogTest, LogFilesThatCannotBeCreatedSayWhy) {
    logFolder = "missing";
    for (const LogFileResult& r : {log.StartTextLog(), log.SaveLogText()}) {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.caption, Sjis("ファイルエラー"));
        EXPECT_EQ(r.icon, PromptIcon::Stop);
        const std::string head = Sjis("ファイルが開けません\r\n");
        ASSERT_GT(r.text.size(), head.size());  // the system's reason follows
        EXPECT_EQ(r.text.substr(0, head.size()), head);
    }
    EXPECT_FALSE(log.TextLogRunning());
    // Without a log folder snapshots go to the program folder.
    logFolder.clear();
    EXPECT_EQ(log.SaveLogRtf().fileName, "2023_11_14_22_13_20.rtf");
    EXPECT_TRUE(std::filesystem::exists(dir.File("2023_11_14_22_13_20.rtf")));
}

TEST_F(ChatLogTest, SnapshotCarriesTheLogColourTableAndClearingResetsIt) {
    logFolder.clear();
    log.SetTextColor(0x00FF00);
    log.AppendChatLine("GM", "<color 0000FF>b</color>g", 0xFF0000, LogBox);
    ASSERT_TRUE(log.SaveLogRtf().ok);
    std::string saved = Saved("2023_11_14_22_13_20.rtf");
    EXPECT_NE(saved.find(log.LogColorTable() + "\r\n\\viewkind"), std::string::npos);
    // Read back, every piece has the colour it was shown in.
    std::vector<std::pair<std::string, std::uint32_t>> colored;
    for (const RtfRun& run : CRtfReader::Read(saved)) {
        if (!run.text.empty())
            colored.emplace_back(run.text, run.format.color.value_or(1));
    }
    EXPECT_EQ(colored, (std::vector<std::pair<std::string, std::uint32_t>>{
                           {"GM", 0xFF0000}, {"：", 0x00FF00}, {"b", 0x0000FF}, {"g", 0x00FF00}}));

    log.ClearLog();
    EXPECT_TRUE(control.runs.empty());
    EXPECT_EQ(log.LogColorTable(), "{\\colortbl;}");
    log.AppendChatLine("PL", "x", 0x123456, LogBox);
    ASSERT_TRUE(log.SaveLogRtf().ok);
    saved = Saved("2023_11_14_22_13_20_2.rtf");
    EXPECT_NE(saved.find("{\\colortbl; \\red18\\green52\\blue86; \\red0\\green255\\blue0;}"),
              std::string::npos);
    EXPECT_EQ(saved.find("blue255"), std::string::npos);
}

TEST_F(ChatLogTest, ColourTableFixUpRenumbersAndKeepsUnknownColours) {
    log.ColorIndex(0x0000FF);  // 1
    log.ColorIndex(0xFF0000);  // 2
    // A control that numbers the same colours the other way round, and a text
    // that merely looks like a colour word.
    EXPECT_EQ(
        log.FixUpColorTable("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                            "\r\n\\viewkind4 \\cf1 r\\cf2 b\\cf0 a \\\\cf1 \\cf9 z}"),
        "{\\rtf1" + log.LogColorTable() + "\r\n\\viewkind4 \\cf2 r\\cf1 b\\cf0 a \\\\cf1 \\cf0 z}");
    // Without a table one goes before the marker; without the marker the
    // text stays as it is.
    EXPECT_EQ(log.FixUpColorTable("{\\rtf1 \\viewkind x}"),
              "{\\rtf1 " + log.LogColorTable() + "\r\n\\viewkind x}");
    EXPECT_EQ(log.FixUpColorTable("{\\rtf1 {\\colortbl;\\red1\\green1\\blue1;} x}"),
              "{\\rtf1 {\\colortbl;\\red1\\green1\\blue1;} x}");
    // Colours the table did not know yet are added rather than lost.
    const std::string fixed =
        log.FixUpColorTable("{\\colortbl;\\red1\\green2\\blue3;}\\viewkind \\cf1 q");
    EXPECT_EQ(fixed, log.LogColorTable() + "\\viewkind \\cf3 q");
    EXPECT_EQ(log.Colors().Colors().back(), 0x010203u);
}

}  // namespace
}  // namespace yarrow
