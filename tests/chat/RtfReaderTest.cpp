// The RTF reader on the documents the log is built from, round trips through
// the writer, and hostile input.

#include <gtest/gtest.h>

#include <random>

#include "chat/CChatLog.h"
#include "net/MsgType.h"
#include "platform/CRtfReader.h"
#include "platform/CRtfWriter.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/ILogControl.h"

namespace yarrow {
namespace {

class LastDocument : public ILogControl {
  public:
    void AppendRtf(const std::string& document, bool) override { last = document; }
    std::string StreamOutRtf() const override { return {}; }
    std::string StreamOutText() const override { return {}; }
    void Clear() override {}
    void SetBackgroundColor(std::uint32_t) override {}
    std::string last;
};

class ZeroClock : public IClock {
  public:
    std::time_t Now() const override { return 0; }
};

RtfRun Text(std::string text, std::optional<std::uint32_t> color, int size, bool bold) {
    RtfRun run;
    run.text = std::move(text);
    run.format.color = color;
    run.format.halfPoints = size;
    run.format.bold = bold;
    return run;
}

RtfRun Break(std::optional<std::uint32_t> color, int size, bool bold) {
    RtfRun run = Text("", color, size, bold);
    run.paragraphBreak = true;
    return run;
}

class RtfReaderTest : public ::testing::Test {
  protected:
    std::vector<RtfRun> Chat(std::string_view name, std::string_view text, std::uint32_t color,
                             std::int32_t type = LogBox) {
        log.AppendChatLine(std::string(name), std::string(text), static_cast<std::int32_t>(color),
                           type);
        return CRtfReader::Read(control.last);
    }
    LastDocument control;
    ZeroClock clock;
    CChatLog log{&control, clock, "/nonexistent/"};
};

TEST_F(RtfReaderTest, ChatLineWithMarkupHeartAndJapanese) {
    log.SetTextColor(0x000080);
    const auto runs =
        Chat(Sjis("太郎"), Sjis("表<h><size 5>大</size>\\{x}<color 00FF00>緑"), 0xFF0000);
    const std::vector<RtfRun> expected = {
        Text("太郎", 0xFF0000, 24, true),
        Text("：表", 0x000080, 24, false),
        Text("♥", 0xFF0000, 24, false),
        Text("大", 0x000080, 45, false),
        Text("\\{x}", 0x000080, 24, false),
        Text("緑", 0x00FF00, 24, false),
        Break(0, 24, false),
    };
    // The closing "\cf0 " of a remark returns to the automatic colour.
    ASSERT_EQ(runs.size(), expected.size());
    for (std::size_t i = 0; i + 1 < runs.size(); ++i)
        EXPECT_EQ(runs[i], expected[i]) << i;
    EXPECT_TRUE(runs.back().paragraphBreak);
    EXPECT_FALSE(runs.back().format.color);
}

TEST_F(RtfReaderTest, NoticeBoldAndLineBreaks) {
    log.AppendNoticeLine(Sjis("<b>※ エラー<CR>次"));
    const auto runs = CRtfReader::Read(control.last);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], Text("※ エラー", 0x000000, 24, true));
    EXPECT_TRUE(runs[1].paragraphBreak);
    EXPECT_EQ(runs[2], Text("次", 0x000000, 24, true));
    EXPECT_TRUE(runs[3].paragraphBreak);
    EXPECT_FALSE(runs[3].format.bold);  // the added \b0 ends the bold
    EXPECT_FALSE(CRtfReader::HadReplacements(runs));
}

TEST_F(RtfReaderTest, EscapedTrailBytesJoinTheirCharacter) {
    // 表 and ソ end in 0x5C, which the log escapes as a backslash.
    const auto runs = Chat("GM", Sjis("表ソ能"), 0);
    ASSERT_GE(runs.size(), 2u);
    EXPECT_EQ(runs[1].text, "：表ソ能");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 \\'95\\'5c\\'83\\\\}")[0].text, "表ソ");
}

TEST(RtfWriter, RoundTripAndPlainText) {
    const std::vector<RtfRun> runs = {
        Text("名前", 0x123456, 24, true), Text("：a\\b{c}\t", std::nullopt, 24, false),
        Text("♥♠", 0xFF0000, 24, false),  Text("大きい", std::nullopt, 45, false),
        Break(std::nullopt, 45, false),   Text("next", 0x00FF00, 18, true),
        Break(0x00FF00, 18, true),
    };
    const std::string rtf = CRtfWriter::WriteRtf(runs);
    // Seven-bit output that carries its own colour table.
    for (char c : rtf)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
    EXPECT_NE(rtf.find("{\\colortbl;\\red18\\green52\\blue86;\\red255\\green0\\blue0;"
                       "\\red0\\green255\\blue0;}"),
              std::string::npos);
    EXPECT_EQ(CRtfReader::Read(rtf), runs);
    // Both bytes of a double-byte character are hex escapes, even a trail
    // byte that is a backslash, so that other readers join them.
    EXPECT_NE(CRtfWriter::WriteRtf({Text("表", std::nullopt, 24, false)}).find("\\'95\\'5c"),
              std::string::npos);

    EXPECT_EQ(CRtfWriter::WriteText(runs),
              Sjis("名前：a\\b{c}\t") + std::string(kCp932Replacement) +
                  std::string(kCp932Replacement) + Sjis("大きい\r\nnext\r\n"));
}

TEST(RtfReader, UnicodeEscapesAndUnknownWords) {
    const auto runs = CRtfReader::Read(
        "{\\rtf1{\\*\\generator x;}{\\info{\\title t}}\\unknown12 a\\u9829?b\\uc0\\u65c"
        "\\~\\tab\\line}");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, "a♥bAc \t");
    EXPECT_TRUE(runs[1].paragraphBreak);
}

TEST(RtfReader, HostileInputNeverCrashesAndStaysBounded) {
    // Unbalanced groups, truncated escapes, huge numbers, deep nesting.
    const std::vector<std::string> inputs = {
        "",
        "}}}}x{{{",
        "\\",
        "{\\rtf1 \\'",
        "{\\rtf1 \\'4",
        "{\\rtf1 \\'zz}",
        "{\\rtf1 \\fs999999999999999999999 a\\fs-5 b\\cf99999999999 c\\cf-1 d}",
        "{\\colortbl;\\red999999999999\\green-1\\blue256;}\\cf1 x",
        std::string(100000, '{') + "deep" + std::string(3, '}'),
        "\\" + std::string(100000, 'a') + "1 x",
        "{\\fonttbl\\f99999999999 Symbol;}\\f99999999999 \\'a9",
        "\\u-99999999999 \\u99999999999 \\uc99999999 \\u65 z",
    };
    for (const std::string& in : inputs) {
        const auto runs = CRtfReader::Read(in);
        std::size_t bytes = 0;
        for (const RtfRun& r : runs) {
            bytes += r.text.size();
            EXPECT_GE(r.format.halfPoints, 1);
            EXPECT_LE(r.format.halfPoints, 1638);
            if (r.format.color) {
                EXPECT_LE(*r.format.color, 0xFFFFFFu);
            }
        }
        EXPECT_LE(bytes, 4 * in.size() + 4);
        EXPECT_LE(runs.size(), in.size() + 1);
    }
    const auto deep = CRtfReader::Read(std::string(100000, '{') + "deep");
    ASSERT_EQ(deep.size(), 1u);
    EXPECT_EQ(deep[0].text, "deep");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 \\fs999999999999 a}")[0].format.halfPoints, 1638);

    // Random bytes biased towards RTF syntax.
    std::mt19937 gen(12345);
    const std::string alphabet = "{}\\'abcfsupr0123456789- ;\x81\x95\xa9\xff\r\n";
    for (int round = 0; round < 2000; ++round) {
        std::string in(gen() % 200, ' ');
        for (char& c : in)
            c = alphabet[gen() % alphabet.size()];
        const auto runs = CRtfReader::Read(in);
        EXPECT_LE(runs.size(), in.size() + 1);
    }
}

}  // namespace
}  // namespace yarrow
