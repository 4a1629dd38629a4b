// The input rules the input line does not already show through its widget:
// the filter's word lists, URLs and an empty sub-handle list.
// InputLineQtTest drives the rest live.

#include <gtest/gtest.h>

#include "chat/InputRules.h"
#include "platform/Cp932.h"

namespace yarrow::test {
namespace {

TEST(InputFilter, ReplacesWholeCharactersInListOrder) {
    const std::vector<std::string> persons = {Sjis("僕"), Sjis("俺"), Sjis("私")};
    struct Case {
        std::string text;
        std::vector<std::string> persons, replacements;
        std::string out;
    };
    const Case cases[] = {
        // Words beyond the replacement list take the last replacement.
        {Sjis("僕と俺と私、僕。"), persons, {Sjis("わし")}, Sjis("わしとわしとわし、わし。")},
        {Sjis("僕と俺と私"), persons, {Sjis("拙者"), Sjis("我")}, Sjis("拙者と我と我")},
        {Sjis("僕です"), {Sjis("僕")}, {}, Sjis("僕です")},
        // An empty setting yields one empty word; it must not match everywhere.
        {"abc", {""}, {"X"}, "abc"},
        {Sjis("僕です"), {Sjis("僕")}, {""}, Sjis("です")},
        // "ヶ" is 83 96 and "僕" is 96 6C: in "ヶl" the bytes 96 6C straddle
        // two characters and are not the word.
        {Sjis("ヶl"), {Sjis("僕")}, {Sjis("私")}, Sjis("ヶl")},
        {Sjis("ヶ僕l"), {Sjis("僕")}, {Sjis("私")}, Sjis("ヶ私l")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyFirstPersonFilter(c.text, c.persons, c.replacements), c.out) << c.text;
}

TEST(InputRules, UrlsEndAtABlankAndNoSubHandleIsNone) {
    EXPECT_EQ(NextSubHandleIndex(0, -1), -1);
    EXPECT_EQ(PreviousSubHandleIndex(0, -1), -1);
    EXPECT_EQ(ExtractUrl("see http://example.org/a b"), "http://example.org/a");
    EXPECT_EQ(ExtractUrl("http://exam\r\nple.org"), "http://example.org");
    EXPECT_EQ(ExtractUrl("x http://a.jp/\tnext"), "http://a.jp/");
    EXPECT_FALSE(ExtractUrl("https://secure.example").has_value());
    // "ド" is 83 68: its second byte is no "h" that could start an address.
    EXPECT_EQ(ExtractUrl(Sjis("ドttp://a.jp/ http://b.jp/")), "http://b.jp/");
    EXPECT_FALSE(ExtractUrl(Sjis("ドttp://a.jp/")).has_value());
}

}  // namespace
}  // namespace yarrow::test
