#include <gtest/gtest.h>

#include "dice/DiceTemplate.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

using C = TemplateCriterion;

TEST(TemplateEntryText, ParsedDisplayedAndStored) {
    const struct {
        const char* line;
        TemplateEntry entry;
        const char* display;  // UTF-8
        const char* stored;
    } cases[] = {
        {" Dodge , 2D6 ,10, lo ",
         {"Dodge", "2D6", 10, C::RollUnder},
         "Dodge(10↓)",
         "Dodge,2D6,10,lo"},
        {"Hit,2D6,8,HI", {"Hit", "2D6", 8, C::RollOver}, "Hit(8↑)", "Hit,2D6,8,hi"},
        {"Pool,$BM%2C5%2C8,0,PL",
         {"Pool", "$BM,5,8", 0, C::Plugin},
         "Pool($BM,5,8)",
         "Pool,$BM%2C5%2C8,0,pl"},
        // An unescaped comma in the formula shifts the fields.
        {"Pool,$BM,5,8,pl", {"Pool", "$BM", 5, C::Other}, "Pool($BM)", "Pool,$BM"},
        {"Odd,1D6,3,xx", {"Odd", "1D6", 3, C::Other}, "Odd(1D6)", "Odd,1D6"},
        // Two fields: the formula is the whole rest, untrimmed.
        {"Dmg, 2D6+3 ", {"Dmg", " 2D6+3 ", 0, C::Other}, "Dmg( 2D6+3 )", "Dmg, 2D6+3 "},
        {"A,,x", {"A", ",x", 0, C::Other}, "A(,x)", "A,%2Cx"},
        {"a%2Cb,1D6,-2,lo", {"a,b", "1D6", -2, C::RollUnder}, "a,b(-2↓)", "a%2Cb,1D6,-2,lo"},
    };
    for (const auto& c : cases) {
        const auto entry = ParseTemplateEntry(c.line);
        ASSERT_TRUE(entry) << c.line;
        EXPECT_EQ(*entry, c.entry) << c.line;
        EXPECT_EQ(TemplateDisplayText(*entry), Sjis(c.display)) << c.line;
        EXPECT_EQ(FormatTemplateEntry(*entry), c.stored) << c.line;
        // The stored line reads back as what it stores (a target without
        // a criterion is not stored).
        const auto back = ParseTemplateEntry(c.stored);
        ASSERT_TRUE(back) << c.stored;
        EXPECT_EQ(FormatTemplateEntry(*back), c.stored) << c.line;
    }
    for (const char* bad : {"", "name only", ",2D6,3,lo", "n,2D6,3", "n,2D6,,lo", "n,2D6,3,",
                            "n,2D6,3,  ", "n, ,3,lo", " ,2D6"})
        EXPECT_FALSE(ParseTemplateEntry(bad)) << bad;
    // A stray lead byte before a comma (not code page 932) still has the
    // comma escaped, so the stored line reads back as the same entry.
    const TemplateEntry stray{"n", "\x8e,x\x81,", 0, C::Other};
    EXPECT_EQ(FormatTemplateEntry(stray), "n,\x8e%2Cx\x81%2C");
    EXPECT_EQ(ParseTemplateEntry(FormatTemplateEntry(stray)), stray);
}

}  // namespace
}  // namespace yarrow
