#include <gtest/gtest.h>

#include "dice/DiceTemplate.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

using test::TempDir;
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
    }
    for (const char* bad : {"", "name only", ",2D6,3,lo", "n,2D6,3", "n,2D6,,lo", "n,2D6,3,",
                            "n,2D6,3,  ", "n, ,3,lo"})
        EXPECT_FALSE(ParseTemplateEntry(bad)) << bad;
}

TEST(TemplateEntryText, StrayLeadByteBeforeACommaStillHasItEscaped) {
    // Not code page 932, but the stored line must read back as the same entry.
    const TemplateEntry stray{"n", "\x8e,x\x81,", 0, C::Other};
    EXPECT_EQ(FormatTemplateEntry(stray), "n,\x8e%2Cx\x81%2C");
    EXPECT_EQ(ParseTemplateEntry(FormatTemplateEntry(stray)), stray);
}

TEST(TemplateStore, GroupsRoundTripWithCommasAndSkipInvalidLines) {
    TempDir dir;
    const std::string path = dir.File("Yarrow.ini");
    TempDir::Write(path,
                   "[DiceTemplate]\r\nTemplateNum=3\r\n1=Main\r\n2=\r\n3=Empty\r\n"
                   "[Main]\r\nTemplateNum=3\r\n1=Dodge,2D6,10,lo\r\n2=broken\r\n"
                   "3=Dmg,2D6+3\r\n4=Beyond,1D6\r\n");
    CProfileFile file(path);
    auto groups = ReadTemplateGroups(file);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].name, "Main");
    EXPECT_EQ(groups[0].entries, (std::vector<TemplateEntry>{{"Dodge", "2D6", 10, C::RollUnder},
                                                             {"Dmg", "2D6+3", 0, C::Other}}));
    EXPECT_TRUE(groups[1].entries.empty());

    const std::string name = Sjis("技能,判定");
    groups.push_back(
        {name, {{Sjis("回避,受け"), "$BM,5,8", 2, C::Plugin}, {"Over", "3D6", 12, C::RollOver}}});
    groups[0].entries.pop_back();
    ASSERT_TRUE(WriteTemplateGroups(file, groups));

    CProfileFile reread(path);
    const auto back = ReadTemplateGroups(reread);
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].name, groups[i].name);
        EXPECT_EQ(back[i].entries, groups[i].entries);
    }
    EXPECT_EQ(reread.GetString(name, "1"), Sjis("回避%2C受け") + ",$BM%2C5%2C8,2,pl");
    // Keys beyond the new count stay but are never read.
    EXPECT_EQ(reread.GetString("Main", "3"), "Dmg,2D6+3");
    EXPECT_EQ(reread.GetInt("Main", "TemplateNum", -1), 1);
}

TEST(TemplateStore, HugeCountsReadOnlyTheKeysThatAreThere) {
    // Counts far beyond the keys written, as a damaged or hand-edited file
    // may hold: the keys that exist are read in number order, and asking for
    // the two thousand million missing ones would never finish.
    TempDir dir;
    const std::string path = dir.File("Yarrow.ini");
    TempDir::Write(path,
                   "[DiceTemplate]\r\nTemplateNum=2147483647\r\n7=Late\r\n1=Main\r\n"
                   "05=Padded\r\n2x=Word\r\n99999999999=Huge\r\n"
                   "[Main]\r\nTemplateNum=2\r\n3=Beyond,1D6\r\n2=Second,1D6\r\n"
                   "1=First,2D6,7,lo\r\n1=Again,1D6\r\n"
                   "[Late]\r\nTemplateNum=-5\r\n1=Never,1D6\r\n");
    const CProfileFile file(path);
    EXPECT_EQ(ReadTemplateGroupNames(file), (std::vector<std::string>{"Main", "Late"}));
    EXPECT_EQ(ReadTemplateEntries(file, "Main"),
              (std::vector<TemplateEntry>{{"First", "2D6", 7, C::RollUnder},
                                          {"Second", "1D6", 0, C::Other}}));
    EXPECT_TRUE(ReadTemplateEntries(file, "Late").empty());
}

}  // namespace
}  // namespace yarrow
