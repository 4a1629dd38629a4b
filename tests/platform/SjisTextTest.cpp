#include <gtest/gtest.h>

#include <string>

#include "platform/SjisText.h"

namespace yarrow {
namespace {

// "ソ" is 0x83 0x5C: its trail byte is a backslash.
const std::string kSo = "\x83\x5c";

TEST(SjisText, CutsOnlyAtCharacterBoundaries) {
    struct Case {
        std::string text;
        std::size_t max;
        std::string expected;
    };
    const Case cases[] = {
        {"abc", 5, "abc"},
        {"abc", 2, "ab"},
        {"a" + kSo + "b", 2, "a"},  // the lead byte alone is never kept
        {"a" + kSo + "b", 3, "a" + kSo},
        {kSo + kSo, 3, kSo},
        {std::string("ab\x83", 3), 3, std::string("ab\x83", 3)},  // a lone lead byte at the end
        {std::string("ab\x83", 3), 2, "ab"},
        {"", 4, ""},
        {"abc", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SjisCut(c.text, c.max), c.expected) << c.text << " / " << c.max;
}

TEST(SjisText, ReplacesOnlyWholeCharacters) {
    // The backslash inside "ソ" is not the escape "\," that follows it.
    std::string text = kSo + "\\,x\\,";
    ReplaceAllSjis(text, "\\,", ",");
    EXPECT_EQ(text, kSo + ",x,");

    std::string aa = "aaa";
    ReplaceAllSjis(aa, "a", "aa");  // what was put in is not scanned again
    EXPECT_EQ(aa, "aaaaaa");
    std::string overlap = "aaa";
    ReplaceAllSjis(overlap, "aa", "b");
    EXPECT_EQ(overlap, "ba");
    // A megabyte of markup is one pass, not one tail move per match.
    std::string markup;
    for (int i = 0; i < 250000; ++i)
        markup += "<cr>";
    ReplaceAllSjis(markup, "<cr>", "\r\n");
    EXPECT_EQ(markup.size(), 500000u);
    std::string same = "abc";
    ReplaceAllSjis(same, "", "x");
    EXPECT_EQ(same, "abc");
}

TEST(SjisText, TrimsTheGivenBlanks) {
    EXPECT_EQ(TrimBlanks(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimBlanks(" \r\n "), "");
    EXPECT_EQ(TrimBlanks(" a\r", " \t"), "a\r");
}

}  // namespace
}  // namespace yarrow
