#include <gtest/gtest.h>

#include "dice/DiceTemplate.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

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

// Names listed twice, or in two cases, are one section of the file and so
// one group: read as two, the save of the second (unchanged) wrote its old
// entries over what was edited in the first.
TEST(TemplateGroups, OneGroupPerSectionSoAnEditSurvivesTheSave) {
    test::TempDir dir;
    const std::string path = dir.File("Yarrow.ini");
    test::TempDir::Write(path,
                         "[DiceTemplate]\r\nTemplateNum=4\r\n1=Main\r\n2=main\r\n3=Side\r\n"
                         "4= MAIN\r\n[Main]\r\nTemplateNum=1\r\n1=A,1D6\r\n"
                         "[Side]\r\nTemplateNum=1\r\n1=S,1D6\r\n");
    CProfileFile file(path);
    std::vector<TemplateGroup> groups = ReadTemplateGroups(file);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].name, "Main");
    EXPECT_EQ(groups[1].name, "Side");
    groups[0].entries.push_back({"B", "2D6", 7, C::RollOver});
    ASSERT_TRUE(WriteTemplateGroups(file, groups));
    const std::vector<TemplateGroup> again = ReadTemplateGroups(CProfileFile(path));
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].entries, groups[0].entries);
    EXPECT_EQ(again[1].entries, groups[1].entries);
}

// A settings file as large as the reader takes, nearly all of it group names
// without sections: every group is read (as the file's lookups find it: the
// first section of its name, in any case), and the file is walked once for
// all of them rather than once for each, which would take hours.
TEST(TemplateGroups, ManyGroupsReadAsEachAloneWouldRead) {
    test::TempDir dir;
    const std::string path = dir.File("Yarrow.ini");
    constexpr int kGroups = 200000;
    std::string text = "[DiceTemplate]\r\nTemplateNum=" + std::to_string(kGroups) + "\r\n";
    for (int k = 1; k <= kGroups; ++k)
        text += std::to_string(k) + "=g" + std::to_string(k) + "\r\n";
    text +=
        "[G1]\r\nTemplateNum=3\r\n1=A,1D6\r\n3=C,2D6,7,lo\r\n4=D,1D6\r\n1=dup,1D6\r\n"
        "[g2]\r\ntemplatenum=1\r\n1=B,3D6\r\n"
        "[g1]\r\nTemplateNum=1\r\n1=later,1D6\r\n";
    ASSERT_LT(text.size(), CProfileFile::kMaxFileBytes);
    test::TempDir::Write(path, text);
    const CProfileFile file(path);

    const std::vector<TemplateGroup> groups = ReadTemplateGroups(file);
    ASSERT_EQ(groups.size(), std::size_t(kGroups));
    const std::vector<TemplateEntry> g1 = {{"A", "1D6", 0, C::Other},
                                           {"C", "2D6", 7, C::RollUnder}};
    const std::vector<TemplateEntry> g2 = {{"B", "3D6", 0, C::Other}};
    for (int k : {1, 2, 3, 1001, kGroups}) {
        const TemplateGroup& group = groups[static_cast<std::size_t>(k - 1)];
        EXPECT_EQ(group.name, "g" + std::to_string(k));
        EXPECT_EQ(group.entries, ReadTemplateEntries(file, group.name)) << k;
        EXPECT_EQ(group.entries, k == 1 ? g1 : k == 2 ? g2 : std::vector<TemplateEntry>{}) << k;
    }
}

}  // namespace
}  // namespace yarrow
