// Chat markup and escaping into RTF, and the shared colour table.

#include <gtest/gtest.h>

#include "chat/CColorTable.h"
#include "chat/RtfText.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

TEST(RtfMarkup, EscapingAndTagsInOneLine) {
    struct Case {
        std::string in;
        std::string out;
        std::uint32_t textColor = 0;
        int defaultSize = 24;
    };
    const Case cases[] = {
        {R"(a\b{c})", R"(a\\b\{c\})"},
        // A code page 932 trail byte 0x5C is escaped like any backslash.
        {"\x95\x5C", "\x95\\\\"},
        {"a<cr>b<CR>c\r\nd", "a\\par b\\par c\\par d"},
        {"<b>not bold</b>", "<b>not bold</b>"},
        // Sizes 1-5; anything else is the default size.
        {"<size 9>big</size>", "\\fs24 big\\fs24 "},
        {"<size 5>a<size 1>b</size>c", "\\fs45 a\\fs15 b\\fs24 c"},
        {"<SIZE 4>a</SIZE>", "\\fs34 a\\fs18 ", 0, 18},
        {"<size -2>a<size 99999999999999999>b", "\\fs24 a\\fs24 b"},
        // Incomplete or mixed-case tags stay literal.
        {"<size>x</size>", "<size>x</size>"},
        {"x</size>", "x</size>"},
        {"<Size 5>x", "<Size 5>x"},
        {"<size 2", "<size 2"},
        {"<color red>x</color>", "<color red>x</color>"},
        {"a</color>b", "a</color>b"},
        {"<color >x", "<color >x"},
        {"<color FF0000", "<color FF0000"},
        {"<Color FF0000>x", "<Color FF0000>x"},
        // A bad colour leaves every later colour tag literal too.
        {"<color zz>a<color FF0000>b", "<color zz>a<color FF0000>b"},
    };
    for (const Case& c : cases) {
        CColorTable colors;
        std::string text = c.in;
        const bool escaped = EscapeRtf(text);
        EXPECT_EQ(escaped, text != c.in) << c.in;
        ConvertMarkup(text, colors, c.textColor, c.defaultSize);
        EXPECT_EQ(text, c.out) << c.in;
        EXPECT_EQ(colors.LogColorTable(), "{\\colortbl;}") << c.in;
    }
}

std::string Convert(std::string text, CColorTable& colors, std::uint32_t textColor = 0) {
    EscapeRtf(text);
    ConvertMarkup(text, colors, textColor, 24);
    return text;
}

TEST(RtfMarkup, ColourTagsAndHeartsGrowTheTable) {
    CColorTable colors;
    EXPECT_EQ(Convert("<color FF0000>red</color> plain", colors), "\\cf1 red\\cf2  plain");
    EXPECT_EQ(colors.LogColorTable(),
              "{\\colortbl; \\red255\\green0\\blue0; \\red0\\green0\\blue0;}");
    // Every spelling of the same colour shares its entry.
    EXPECT_EQ(Convert("<color #FF0000>a</COLOR>", colors), "\\cf1 a\\cf2 ");
    EXPECT_EQ(Convert("<COLOR 0xff0000 >a", colors), "\\cf1 a");
    EXPECT_EQ(Convert("<color 0x00FF00>g</color>", colors), "\\cf3 g\\cf2 ");
    EXPECT_EQ(colors.Colors().size(), 3u);

    // The text colour's entry comes right after the tag's colour, whether or
    // not the line closes its tag; later lines rely on these numbers.
    CColorTable other;
    EXPECT_EQ(Convert("<color 0000FF>blue", other, 0x123456), "\\cf1 blue");
    EXPECT_EQ(Convert("I<h>U", other, 0x0000FF), "I\\cf3 \\f1 \xA9\\f0 \\cf1 U");
    EXPECT_EQ(other.Colors(), (std::vector<std::uint32_t>{0x0000FF, 0x123456, 0xFF0000}));
    // Bits above the 24 colour bits make no new colour; a reset starts over.
    EXPECT_EQ(other.ColorIndex(0x7F123456), 2);
    other.ResetColorTable();
    EXPECT_EQ(other.LogColorTable(), "{\\colortbl;}");
    EXPECT_EQ(other.ColorIndex(0xFFFFFF), 1);
}

TEST(RtfMarkup, LongHostileTextsStayBounded) {
    // A peer may send megabytes of tags; the colour table, which every later
    // line carries, must stay small.
    CColorTable colors;
    std::string text;
    for (int i = 0; i < 50000; ++i)
        text += "<size 1><cr><color " + std::to_string(i) + ">";
    text += "</size></color>";
    const std::string out = Convert(text, colors, 0xABCDEF);
    EXPECT_EQ(out.substr(0, 22), "\\fs15 \\par \\cf1 \\fs15 ");
    EXPECT_EQ(colors.Colors().size(), CColorTable::kMaxColors);
    EXPECT_EQ(out.substr(out.size() - 11), "\\fs24 \\cf0 ");  // table full: automatic
    EXPECT_EQ(colors.ColorIndex(0x000001), 2);                // known colours keep theirs
}

TEST(RtfMarkup, ColourParsingAndCharSizeOutOfRange) {
    EXPECT_EQ(ParseMarkupColor("0Xff8040"), 0xFF8040u);
    for (const char* bad : {"", "0x", "12 34"})
        EXPECT_FALSE(ParseMarkupColor(bad)) << bad;
    for (int size : {0, 6})
        EXPECT_EQ(ChatSizeFromCharSize(size), 24) << size;
}

}  // namespace
}  // namespace yarrow
