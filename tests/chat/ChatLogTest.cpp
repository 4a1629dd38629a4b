// The chat log object: notice and chat documents byte for byte, every line
// layout in its display and text-log form, scroll lock and the past-log feed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "chat/CChatLog.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/ILogControl.h"
#include "support/FixedClock.h"

namespace yarrow {
namespace {

namespace fs = std::filesystem;

class RecordingControl : public ILogControl {
  public:
    void AppendRtf(const std::string& document, bool keep) override {
        documents.push_back(document);
        keptScroll.push_back(keep);
    }
    std::string StreamOutRtf() const override { return {}; }
    std::string StreamOutText() const override { return {}; }
    void Clear() override { documents.clear(); }
    void SetBackgroundColor(std::uint32_t) override {}

    std::vector<std::string> documents;
    std::vector<bool> keptScroll;
};

const std::string kFontTable =
    R"({\rtf1\ansi\ansicpg932\deff0\deflang1033\deflangfe1041{\fonttbl{\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'83\'53\'83\'56\'83\'62\'83\'4e;)";

std::string ChatDoc(const std::string& table, const std::string& body) {
    return kFontTable + R"( \f1\fnil Symbol;}})" + table + "\\viewkind\n\\fs24 " + body +
           "\n\\par }";
}

std::string NoticeDoc(const std::string& table, const std::string& body) {
    return kFontTable + "}}" + table + "\\viewkind\n" + body + "\n\\par }";
}

const std::string kRedBlack = R"({\colortbl; \red255\green0\blue0; \red0\green0\blue0;})";

class ChatLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string TextLogContent() {
        std::ifstream in(log.TextLogPath(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Set before the chat log below is built with it.
    fs::path folder = fs::temp_directory_path() /
                      ("yarrow_chatlog_" + std::to_string(::getpid()) + "_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    RecordingControl control;
    test::FixedClock clock{1700000000};
    CChatLog log{&control, clock, folder.string() + "/"};
};

TEST_F(ChatLogTest, RemarkDocumentByteForByte) {
    log.AppendChatLine("GM", "hi", 0xFF0000, LogBox);
    ASSERT_EQ(control.documents.size(), 1u);
    EXPECT_EQ(control.documents[0],
              ChatDoc(kRedBlack, "\\cf1\\b GM\\cf2\\b0 " + Sjis("：") + "hi\\cf0 \n"));
    EXPECT_FALSE(control.keptScroll[0]);

    // The second line reuses both entries; scroll lock reaches the control.
    log.SetScrollLock(true);
    log.AppendChatLine("GM", "again", 0xFF0000, LogBox);
    EXPECT_NE(control.documents[1].find(kRedBlack), std::string::npos);
    EXPECT_TRUE(control.keptScroll[1]);
}

TEST_F(ChatLogTest, EveryLayoutInDisplayForm) {
    // Name colour black, text colour black: both are entry 1.
    const std::string pre = "\\cf1\\b GM\\cf1";
    const std::string table = R"({\colortbl; \red0\green0\blue0;})";
    struct Case {
        std::int32_t type;
        const char* text;
        std::string body;
    };
    const std::vector<Case> cases = {
        {LogBox, "t", pre + "\\b0 " + Sjis("：") + "t\\cf0 \n"},
        {Secret, "t", pre + "\\b0 " + Sjis("(秘話)：") + "t\n"},
        {DiceRoll, "t", pre + "\\b0 " + Sjis("(ダイス)：") + "t\n"},
        {ScreenDice, "t", pre + "\\b0 " + Sjis("(隠しダイス)：") + "t\n"},
        {DrawCard, "K",
         pre + "\\b0 " + Sjis("(カード)：") + "\\b K\\b0 " + Sjis("を引きました") + "\n"},
        {ScreenCard, "secret card",
         pre + "\\b0 " + Sjis("(隠しカード)：カードを1枚引きました") + "\n"},
        {MoveCard, "K\tA\tB",
         pre + "\\b0 " + Sjis("(カード)：") + "\\b K\\b0 " + Sjis("を") + "\\b A\\b0 " +
             Sjis("から") + "\\b B\\b0 " + Sjis("に移動しました") + "\n"},
        {StartTimer, "t", pre + " " + Sjis("(タイマ)：") + "t\\b0 \n"},
        {PassCard, "t", pre + "\\b0 " + Sjis("(カード)：") + "t\n"},
    };
    for (const Case& c : cases) {
        control.documents.clear();
        log.AppendChatLine("GM", c.text, 0x000000, c.type);
        ASSERT_EQ(control.documents.size(), 1u) << c.type;
        EXPECT_EQ(control.documents[0], ChatDoc(table, c.body)) << c.type;
    }
    // Types that are not chat lines show nothing.
    control.documents.clear();
    log.AppendChatLine("GM", "t", 0, Chart);
    EXPECT_TRUE(control.documents.empty());
}

TEST_F(ChatLogTest, EveryLayoutInTextLogForm) {
    ASSERT_TRUE(log.StartTextLog().ok);
    log.AppendChatLine("GM", "a", 0, LogBox);
    log.AppendChatLine("GM", "b", 0, Secret);
    log.AppendChatLine("GM", "c", 0, DiceRoll);
    log.AppendChatLine("GM", "d", 0, ScreenDice);
    log.AppendChatLine("GM", "K", 0, DrawCard);
    log.AppendChatLine("GM", "hidden", 0, ScreenCard);  // no text-log line
    log.AppendChatLine("GM", "K\tA\tB", 0, MoveCard);
    log.AppendChatLine("GM", "e", 0, StartTimer);
    log.AppendChatLine("GM", "f", 0, PassCard);
    log.AppendChatLine("GM", "", 0, LogBox);  // nothing at all
    const std::string expected = Sjis(
        "GM：a\r\nGM(秘話)：b\r\nGM(ダイス)：c\r\nGM(隠しダイス)：d\r\n"
        "GM(カード)：Kを引きました\r\nGM(カード)：KをAからBに移動しました\r\n"
        "GM(タイマ)：e\r\nGM(カード)：f\r\n");
    EXPECT_EQ(TextLogContent(), expected);
    EXPECT_EQ(control.documents.size(), 9u);
}

TEST_F(ChatLogTest, ContinuationLinesAndMarkupInTheTextLog) {
    ASSERT_TRUE(log.StartTextLog().ok);
    log.AppendChatLine("GM", "hello<CR>world", 0, LogBox);
    log.AppendChatLine("GM", "x\r\ny <color FF0000>z</color>", 0, LogBox);
    EXPECT_EQ(TextLogContent(),
              Sjis("GM：hello\r\nworld\r\nGM：x\r\ny <color FF0000>z</color>\r\n"));
    // On screen both are one entry each, broken into paragraphs.
    ASSERT_EQ(control.documents.size(), 2u);
    EXPECT_NE(control.documents[0].find("hello\\par world\\cf0 \n"), std::string::npos);
    EXPECT_NE(control.documents[1].find("x\\par y \\cf2 z\\cf1 \\cf0 \n"), std::string::npos);
}

TEST_F(ChatLogTest, MoveCardWithoutTabsAndNamesThatNeedEscaping) {
    log.AppendChatLine("{GM}", "pile", 0, MoveCard);
    ASSERT_EQ(control.documents.size(), 1u);
    const std::string& doc = control.documents[0];
    EXPECT_NE(doc.find("\\b \\{GM\\}\\cf1"), std::string::npos);
    EXPECT_NE(doc.find("\\b \\b0 " + Sjis("を") + "\\b \\b0 " + Sjis("から") + "\\b pile\\b0 "),
              std::string::npos);
}

TEST_F(ChatLogTest, ColourOffWritesNamesInColourZero) {
    log.SetColorOff(true);
    log.SetTextColor(0x0000FF);
    log.AppendChatLine("GM", "t", 0xFF0000, LogBox);
    ASSERT_EQ(control.documents.size(), 1u);
    EXPECT_EQ(control.documents[0], ChatDoc(R"({\colortbl; \red0\green0\blue255;})",
                                            "\\cf0\\b GM\\cf1\\b0 " + Sjis("：") + "t\\cf0 \n"));
}

TEST_F(ChatLogTest, CharSizeSetsTheDefaultSize) {
    log.SetCharSize(4);
    log.AppendChatLine("GM", "<size 1>a</size>b", 0, LogBox);
    ASSERT_EQ(control.documents.size(), 1u);
    EXPECT_NE(control.documents[0].find("\\viewkind\n\\fs34 "), std::string::npos);
    EXPECT_NE(control.documents[0].find("\\fs15 a\\fs34 b"), std::string::npos);
}

TEST_F(ChatLogTest, NoticesBoldAndLineBreaks) {
    log.AppendNoticeLine("<b>x");
    log.AppendNoticeLine("y");
    log.AppendNoticeLine("<b>a</b>b<CR>c<cr>d");
    log.AppendNoticeLine(R"(\{})");
    ASSERT_EQ(control.documents.size(), 4u);
    const std::string table = R"({\colortbl; \red0\green0\blue0;})";
    // An unclosed bold ends with the notice; the next notice is not bold.
    EXPECT_EQ(control.documents[0], NoticeDoc(table, "\\cf1 \\b x\\b0"));
    EXPECT_EQ(control.documents[1], NoticeDoc(table, "\\cf1 y"));
    EXPECT_EQ(control.documents[2], NoticeDoc(table, "\\cf1 \\b a\\b0 b\\par c<cr>d"));
    EXPECT_EQ(control.documents[3], NoticeDoc(table, R"(\cf1 \\\{\})"));
}

TEST_F(ChatLogTest, NoticesInTheTextLogAndEmptyNotices) {
    ASSERT_TRUE(log.StartTextLog().ok);
    log.AppendNoticeLine(Sjis("<b>◎ 接続しました</b><CR>next<cr>last"));
    log.AppendNoticeLine("");
    EXPECT_EQ(control.documents.size(), 1u);
    EXPECT_EQ(TextLogContent(), Sjis("◎ 接続しました\r\nnext\r\nlast\r\n"));

    // Without a control a notice does nothing, not even in the text log.
    log.SetLogControl(nullptr);
    log.AppendNoticeLine("lost");
    EXPECT_EQ(TextLogContent(), Sjis("◎ 接続しました\r\nnext\r\nlast\r\n"));
}

TEST_F(ChatLogTest, TheTextLogKeepsTheRealRollAndTheWhisper) {
    ASSERT_TRUE(log.StartTextLog().ok);
    log.AppendChatLine("GM", "2D6 = 7", 0, ScreenDice);
    log.AppendChatLine("GM", "psst", 0, Secret);
    log.AppendChatLine("GM", "hi", 0, LogBox);
    log.AppendNoticeLine("notice");
    EXPECT_EQ(TextLogContent(),
              Sjis("GM(隠しダイス)：2D6 = 7\r\nGM(秘話)：psst\r\nGM：hi\r\nnotice\r\n"));
}

}  // namespace
}  // namespace yarrow
