#include <gtest/gtest.h>

#include "dice/DiceTemplate.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

using test::TempDir;
using C = TemplateCriterion;

TEST(ParseTemplateEntry, FourAndTwoFieldLines) {
    EXPECT_EQ(ParseTemplateEntry(" Dodge , 2D6 ,10, lo "),
              (TemplateEntry{"Dodge", "2D6", 10, C::RollUnder}));
    EXPECT_EQ(ParseTemplateEntry("Hit,2D6,8,HI"), (TemplateEntry{"Hit", "2D6", 8, C::RollOver}));
    EXPECT_EQ(ParseTemplateEntry("Pool,$BM,5,8,pl").value_or(TemplateEntry{}).criterion, C::Other)
        << "an unescaped comma in the formula shifts the fields";
    EXPECT_EQ(ParseTemplateEntry("Pool,$BM%2C5%2C8,0,PL"),
              (TemplateEntry{"Pool", "$BM,5,8", 0, C::Plugin}));
    EXPECT_EQ(ParseTemplateEntry("Odd,1D6,3,xx"), (TemplateEntry{"Odd", "1D6", 3, C::Other}));
    // Two fields: the formula is the whole rest, untrimmed.
    EXPECT_EQ(ParseTemplateEntry("Dmg, 2D6+3 "), (TemplateEntry{"Dmg", " 2D6+3 ", 0, C::Other}));
    // A comma right after the first one also makes a two-field line.
    EXPECT_EQ(ParseTemplateEntry("A,,x"), (TemplateEntry{"A", ",x", 0, C::Other}));
    EXPECT_EQ(ParseTemplateEntry("a%2Cb,1D6,-2,lo"),
              (TemplateEntry{"a,b", "1D6", -2, C::RollUnder}));
}

TEST(ParseTemplateEntry, InvalidLines) {
    for (const char* bad :
         {"", "name only", ",2D6,3,lo", "n,2D6,3", "n,2D6,,lo", "n,2D6,3,", "n,2D6,3,  "})
        EXPECT_FALSE(ParseTemplateEntry(bad)) << bad;
}

TEST(TemplateText, DisplayAndStoredForms) {
    EXPECT_EQ(TemplateDisplayText({"a", "2D6", 10, C::RollUnder}), "a(10" + Sjis("↓)"));
    EXPECT_EQ(TemplateDisplayText({"a", "2D6", 8, C::RollOver}), "a(8" + Sjis("↑)"));
    EXPECT_EQ(TemplateDisplayText({"a", "$BM,5,8", 0, C::Plugin}), "a($BM,5,8)");
    EXPECT_EQ(TemplateDisplayText({"a", "2D6+3", 0, C::Other}), "a(2D6+3)");
    EXPECT_EQ(FormatTemplateEntry({"a,b", "$BM,5", 3, C::Plugin}), "a%2Cb,$BM%2C5,3,pl");
    EXPECT_EQ(FormatTemplateEntry({"x", "1D6", 7, C::Other}), "x,1D6");
    EXPECT_EQ(FormatTemplateEntry(*ParseTemplateEntry("Odd,1D6,3,xx")), "Odd,1D6");
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
