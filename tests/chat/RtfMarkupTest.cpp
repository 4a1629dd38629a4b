// Chat markup and escaping into RTF, and the shared colour table.

#include <gtest/gtest.h>

#include "chat/CColorTable.h"
#include "chat/RtfText.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

constexpr std::uint32_t kBlack = 0x000000;

std::string Convert(std::string text, CColorTable& colors, std::uint32_t textColor = kBlack,
                    int defaultSize = 24) {
    EscapeRtf(text);
    ConvertMarkup(text, colors, textColor, defaultSize);
    return text;
}

TEST(RtfEscape, BackslashesBracesAndLineBreaks) {
    std::string text = R"(a\b{c})";
    EXPECT_TRUE(EscapeRtf(text));
    EXPECT_EQ(text, R"(a\\b\{c\})");

    text = "one\r\ntwo";
    EXPECT_TRUE(EscapeRtf(text));
    EXPECT_EQ(text, "one\\par two");

    text = "plain <b> text";
    EXPECT_FALSE(EscapeRtf(text));
    EXPECT_EQ(text, "plain <b> text");

    // A Shift_JIS trail byte 0x5C is escaped like any backslash.
    text = Sjis("表");
    ASSERT_EQ(text, "\x95\x5C");
    EXPECT_TRUE(EscapeRtf(text));
    EXPECT_EQ(text, "\x95\\\\");
}

TEST(RtfMarkup, ColourTagsConvertAndGrowTheTable) {
    CColorTable colors;
    EXPECT_EQ(Convert("<color FF0000>red</color> plain", colors), "\\cf1 red\\cf2  plain");
    EXPECT_EQ(colors.LogColorTable(),
              "{\\colortbl; \\red255\\green0\\blue0; \\red0\\green0\\blue0;}");

    // Every spelling of the same colour shares its entry.
    EXPECT_EQ(Convert("<color #FF0000>a</COLOR>", colors), "\\cf1 a\\cf2 ");
    EXPECT_EQ(Convert("<COLOR 0xff0000 >a", colors), "\\cf1 a");
    EXPECT_EQ(Convert("<color 0x00FF00>g</color>", colors), "\\cf3 g\\cf2 ");
    EXPECT_EQ(colors.Colors().size(), 3u);
}

TEST(RtfMarkup, BadOrMissingColourLeavesTagsLiteral) {
    CColorTable colors;
    EXPECT_EQ(Convert("<color red>x</color>", colors), "<color red>x</color>");
    EXPECT_EQ(Convert("a</color>b", colors), "a</color>b");
    EXPECT_EQ(Convert("<color >x", colors), "<color >x");
    EXPECT_EQ(Convert("<color FF0000", colors), "<color FF0000");
    // A stop leaves every later tag of that kind literal too.
    EXPECT_EQ(Convert("<color zz>a<color FF0000>b", colors), "<color zz>a<color FF0000>b");
    // Only the all-lower and all-upper spellings are markup.
    EXPECT_EQ(Convert("<Color FF0000>x", colors), "<Color FF0000>x");
    EXPECT_EQ(colors.LogColorTable(), "{\\colortbl;}");
}

TEST(RtfMarkup, ClosingColourTakesTextColourEvenWhenUnclosed) {
    // The text colour's entry comes right after the tag's colour, whether or
    // not the line closes its tag; later lines rely on these numbers.
    CColorTable colors;
    EXPECT_EQ(Convert("<color 0000FF>blue", colors, 0x123456), "\\cf1 blue");
    EXPECT_EQ(colors.Colors(), (std::vector<std::uint32_t>{0x0000FF, 0x123456}));
}

TEST(RtfMarkup, SizeTags) {
    CColorTable colors;
    EXPECT_EQ(Convert("<size 9>big</size>", colors), "\\fs24 big\\fs24 ");
    EXPECT_EQ(Convert("<size>x</size>", colors), "<size>x</size>");
    EXPECT_EQ(Convert("<size 5>a<size 1>b</size>c", colors), "\\fs45 a\\fs15 b\\fs24 c");
    EXPECT_EQ(Convert("<SIZE 4>a</SIZE>", colors, kBlack, 18), "\\fs34 a\\fs18 ");
    EXPECT_EQ(Convert("<size -2>a<size 99999999999999999>b", colors), "\\fs24 a\\fs24 b");
    EXPECT_EQ(Convert("x</size>", colors), "x</size>");
    EXPECT_EQ(Convert("<Size 5>x", colors), "<Size 5>x");
    EXPECT_EQ(Convert("<size 2", colors), "<size 2");
    EXPECT_EQ(colors.LogColorTable(), "{\\colortbl;}");
}

TEST(RtfMarkup, HeartLineBreaksAndLiterals) {
    CColorTable colors;
    EXPECT_EQ(Convert("I<h>U", colors, 0x0000FF), "I\\cf1 \\f1 \xA9\\f0 \\cf2 U");
    EXPECT_EQ(colors.Colors(), (std::vector<std::uint32_t>{0xFF0000, 0x0000FF}));
    EXPECT_EQ(Convert("a<cr>b<CR>c\r\nd", colors), "a\\par b\\par c\\par d");
    EXPECT_EQ(Convert("<b>not bold</b>", colors), "<b>not bold</b>");
    EXPECT_EQ(Convert(R"(a\b{c})", colors), R"(a\\b\{c\})");
}

TEST(RtfColorTable, GrowthResetAndWideValues) {
    CColorTable colors;
    EXPECT_EQ(colors.ColorIndex(0x102030), 1);
    EXPECT_EQ(colors.ColorIndex(0xFFFFFF), 2);
    EXPECT_EQ(colors.ColorIndex(0x102030), 1);
    EXPECT_EQ(colors.LogColorTable(),
              "{\\colortbl; \\red16\\green32\\blue48; \\red255\\green255\\blue255;}");
    // Bits above the 24 colour bits do not make a new colour or a bad entry.
    EXPECT_EQ(colors.ColorIndex(0x7F102030), 1);

    colors.ResetColorTable();
    EXPECT_EQ(colors.LogColorTable(), "{\\colortbl;}");
    EXPECT_EQ(colors.ColorIndex(0xFFFFFF), 1);
}

TEST(RtfMarkup, LongHostileTextsStayFastAndBounded) {
    // A peer may send megabytes of tags; conversion must stay linear and the
    // colour table, which every later line carries, small.
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

TEST(RtfMarkup, ColourParsing) {
    EXPECT_EQ(ParseMarkupColor("FF8040"), 0xFF8040u);
    EXPECT_EQ(ParseMarkupColor("0Xff8040"), 0xFF8040u);
    EXPECT_EQ(ParseMarkupColor("0"), 0u);
    EXPECT_FALSE(ParseMarkupColor(""));
    EXPECT_FALSE(ParseMarkupColor("0x"));
    EXPECT_FALSE(ParseMarkupColor("12 34"));
    EXPECT_FALSE(ParseMarkupColor("red"));
}

}  // namespace
TEST(ChatSize, CharSizeSettingPicksTheFontSize) {
    // CharSize 1-5 in half points; anything past the table is the default.
    const std::pair<int, int> cases[] = {{1, 15}, {2, 18}, {3, 24}, {4, 34},
                                         {5, 45}, {0, 24}, {6, 24}, {-1, 24}};
    for (const auto& [size, halfPoints] : cases)
        EXPECT_EQ(ChatSizeFromCharSize(size), halfPoints) << size;
}

}  // namespace yarrow
