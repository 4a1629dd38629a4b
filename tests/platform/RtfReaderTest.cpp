// The RTF reader on documents laid out as the chat log writes them, round
// trips through the writer, double-byte characters whose trail byte is RTF
// syntax, and hostile input.

#include <gtest/gtest.h>

#include <random>

#include "platform/CRtfReader.h"
#include "platform/CRtfWriter.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

RtfRun Styled(std::string text, std::optional<std::uint32_t> color, int size, bool bold,
              bool paragraphBreak = false) {
    RtfRun run;
    run.text = std::move(text);
    run.format = {color, size, bold};
    run.paragraphBreak = paragraphBreak;
    return run;
}

std::string TextOf(const std::string& rtf) {
    std::string text;
    for (const RtfRun& run : CRtfReader::Read(rtf))
        text += run.paragraphBreak ? "\n" : run.text;
    return text;
}

TEST(RtfReader, ChatLineWithHeartSizesEscapesAndJapanese) {
    // A red bold name, navy text, a heart in the Symbol font, a bigger
    // character, escaped syntax and a green tail; "\cf0" is the automatic colour.
    const std::string doc =
        "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil"
        "\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e; \\f1\\fnil "
        "Symbol;}}{\\colortbl; \\red255\\green0\\blue0; \\red0\\green0\\blue128; "
        "\\red0\\green255\\blue0;}\\viewkind\n\\fs24 \\cf1\\b " +
        Sjis("太郎") + "\\cf2\\b0 " + Sjis("：花") + "\\cf1 \\f1 \xA9\\f0 \\cf2 \\fs45 " +
        Sjis("大") + "\\fs24 \\\\\\{x\\}\\cf3 " + Sjis("緑") + "\\cf0 \n\\par }";
    const std::vector<RtfRun> runs = CRtfReader::Read(doc);
    EXPECT_EQ(runs, (std::vector<RtfRun>{
                        Styled("太郎", 0xFF0000, 24, true),
                        Styled("：花", 0x000080, 24, false),
                        Styled("♥", 0xFF0000, 24, false),
                        Styled("大", 0x000080, 45, false),
                        Styled("\\{x}", 0x000080, 24, false),
                        Styled("緑", 0x00FF00, 24, false),
                        Styled("", std::nullopt, 24, false, true),
                    }));
    EXPECT_FALSE(CRtfReader::HadReplacements(runs));
    EXPECT_EQ(TextOf("{\\rtf1{\\*\\generator x;}{\\info{\\title t}}\\unknown12 a\\u9829?b\\uc0"
                     "\\u65c\\~\\tab\\line}"),
              "a♥bAc \t\n");
}

TEST(RtfReader, TrailBytesThatLookLikeRtfSyntaxStayInTheirCharacter) {
    const std::string header = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\colortbl;}\\viewkind\n";
    // The timer line's label is written unescaped; "マ" is 0x83 0x7D ("}").
    EXPECT_EQ(TextOf(header + Sjis("\\b GM (タイマ)：3秒\\b0 ") + "\n\\par }"),
              "GM (タイマ)：3秒\n");
    // "{" as the trail byte of a raw lead byte: "ボ" is 0x83 0x7B.
    EXPECT_EQ(TextOf(header + "\x83{x}"), "ボx");
    // Escaped text doubles a trail byte "\": "表" and "ソ" end in 0x5C.
    EXPECT_EQ(TextOf(header + "\x95\\\\" + Sjis("示") + "\x83\\\\" + Sjis("フト") + "}"),
              "表示ソフト");
    EXPECT_EQ(TextOf("{\\rtf1 \\'95\\'5c\\'83\\\\}"), "表ソ");
}

TEST(RtfWriter, RoundTripAndPlainText) {
    const std::vector<RtfRun> runs = {
        Styled("名前", 0x123456, 24, true),        Styled("：a\\b{c}\t", std::nullopt, 24, false),
        Styled("♥♠", 0xFF0000, 24, false),         Styled("大きい", std::nullopt, 45, false),
        Styled("", std::nullopt, 45, false, true), Styled("next", 0x00FF00, 18, true),
        Styled("", 0x00FF00, 18, true, true),
    };
    const std::string rtf = CRtfWriter::WriteRtf(runs);
    // Seven-bit output that carries its own colour table.
    for (char c : rtf)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80u);
    EXPECT_NE(rtf.find("{\\colortbl;\\red18\\green52\\blue86;\\red255\\green0\\blue0;"
                       "\\red0\\green255\\blue0;}"),
              std::string::npos);
    EXPECT_EQ(CRtfReader::Read(rtf), runs);
    // Both bytes of a double-byte character are hex escapes, even a trail
    // byte that is a backslash, so that other readers join them.
    EXPECT_NE(CRtfWriter::WriteRtf({Styled("表", std::nullopt, 24, false)}).find("\\'95\\'5c"),
              std::string::npos);
    const std::string lost = std::string(kCp932Replacement) + std::string(kCp932Replacement);
    EXPECT_EQ(CRtfWriter::WriteText(runs),
              Sjis("名前：a\\b{c}\t") + lost + Sjis("大きい\r\nnext\r\n"));
}

TEST(RtfReader, HostileInputNeverCrashesAndStaysBounded) {
    // Unbalanced groups, truncated escapes, huge numbers, deep nesting, and
    // random bytes biased towards RTF syntax.
    std::vector<std::string> inputs = {
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
    std::mt19937 gen(12345);
    const std::string alphabet = "{}\\'abcfsupr0123456789- ;\x81\x95\xa9\xff\r\n";
    for (int round = 0; round < 2000; ++round) {
        std::string in(gen() % 200, ' ');
        for (char& c : in)
            c = alphabet[gen() % alphabet.size()];
        inputs.push_back(in);
    }
    for (const std::string& in : inputs) {
        const auto runs = CRtfReader::Read(in);
        std::size_t bytes = 0;
        for (const RtfRun& r : runs) {
            bytes += r.text.size();
            ASSERT_TRUE(r.format.halfPoints >= 1 && r.format.halfPoints <= 1638) << in;
            ASSERT_LE(r.format.color.value_or(0), 0xFFFFFFu) << in;
        }
        ASSERT_LE(bytes, 4 * in.size() + 4);
        ASSERT_LE(runs.size(), in.size() + 1);
    }
    EXPECT_EQ(TextOf(std::string(100000, '{') + "deep"), "deep");
    EXPECT_EQ(CRtfReader::Read("{\\rtf1 \\fs999999999999 a}")[0].format.halfPoints, 1638);
}

}  // namespace
}  // namespace yarrow
