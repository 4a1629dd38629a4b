#include <gtest/gtest.h>

#include <string>

#include "platform/Cp932.h"
#include "platform/SjisText.h"

namespace yarrow {
namespace {

// Every direction keeps what it can and marks what it cannot: a character
// code page 932 lacks becomes the geta mark, broken input never takes the
// rest of the text with it.
TEST(Cp932, ConvertsEveryDirectionAndMarksWhatItCannotHold) {
    const std::string geta(kCp932Replacement);
    const struct {
        const char* what;
        Cp932Conversion result;
        std::string text;
        bool replaced;
    } cases[] = {
        {"Japanese and ASCII", Utf8ToCp932("GM：ころころ"),
         "GM\x81\x46\x82\xb1\x82\xeb\x82\xb1\x82\xeb", false},
        {"and back", Cp932ToUtf8("GM\x81\x46\x82\xb1\x82\xeb\x82\xb1\x82\xeb"), "GM：ころころ",
         false},
        // U+1F600 (an emoji) and U+00E9 (é) have no code page 932 form.
        {"unrepresentable", Utf8ToCp932("a😀b\xc3\xa9"), "a" + geta + "b" + geta, true},
        {"broken UTF-8",
         Utf8ToCp932("a\xff"
                     "b"),
         "a" + geta + "b", true},
        {"a lead byte without a trail", Cp932ToUtf8(std::string("x\x81", 2)), "x\xEF\xBF\xBD",
         true},
        {"a surrogate pair", Utf16ToCp932(u"A\U0001F600B"), "A" + geta + "B", true},
        {"an unpaired half", Utf16ToCp932(std::u16string{u'x', char16_t(0xD800), u'y'}),
         "x" + geta + "y", true},
        {"a trail byte that is a backslash", Utf16ToCp932(u"表"), "\x95\x5c", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.text, c.text) << c.what;
        EXPECT_EQ(c.result.replaced, c.replaced) << c.what;
    }
}

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
