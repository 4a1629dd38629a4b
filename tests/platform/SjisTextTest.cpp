#include <gtest/gtest.h>

#include <string>

#include "platform/SjisText.h"

namespace yarrow {
namespace {

// "ソ" is 0x83 0x5C: its trail byte is a backslash.
const std::string kSo = "\x83\x5c";

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

}  // namespace
}  // namespace yarrow
