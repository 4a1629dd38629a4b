#include <gtest/gtest.h>

#include "platform/Cp932.h"

namespace yarrow {
namespace {

TEST(Cp932, RoundTripsJapaneseAndAscii) {
    auto sjis = Utf8ToCp932("GM：ころころ");
    EXPECT_FALSE(sjis.replaced);
    EXPECT_EQ(sjis.text, "GM\x81\x46\x82\xb1\x82\xeb\x82\xb1\x82\xeb");
    auto back = Cp932ToUtf8(sjis.text);
    EXPECT_FALSE(back.replaced);
    EXPECT_EQ(back.text, "GM：ころころ");
}

TEST(Cp932, UnrepresentableCharactersAreReplacedVisibly) {
    // U+1F600 (an emoji) and U+00E9 (é) have no code page 932 form.
    auto sjis = Utf8ToCp932("a😀b\xc3\xa9");
    EXPECT_TRUE(sjis.replaced);
    EXPECT_EQ(sjis.text, std::string("a") + std::string(kCp932Replacement) + "b" +
                             std::string(kCp932Replacement));
}

TEST(Cp932, BrokenInputNeverLosesTheRest) {
    auto broken = Cp932ToUtf8(std::string("x\x81", 2));  // lead byte without a trail
    EXPECT_TRUE(broken.replaced);
    EXPECT_EQ(broken.text.substr(0, 1), "x");
    auto badUtf8 = Utf8ToCp932(
        "a\xff"
        "b");
    EXPECT_TRUE(badUtf8.replaced);
    EXPECT_EQ(badUtf8.text.back(), 'b');
}

TEST(Cp932, Utf16SurrogatePairsAndUnpairedHalves) {
    std::u16string pair = u"A\U0001F600B";
    auto r = Utf16ToCp932(pair);
    EXPECT_TRUE(r.replaced);
    EXPECT_EQ(r.text, std::string("A") + std::string(kCp932Replacement) + "B");
    std::u16string lone = {u'x', char16_t(0xD800), u'y'};
    auto r2 = Utf16ToCp932(lone);
    EXPECT_TRUE(r2.replaced);
    EXPECT_EQ(r2.text.front(), 'x');
    EXPECT_EQ(r2.text.back(), 'y');
    EXPECT_EQ(Utf16ToCp932(u"表").text, "\x95\x5c");
}

}  // namespace
}  // namespace yarrow
