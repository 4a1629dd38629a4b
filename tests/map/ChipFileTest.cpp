#include <gtest/gtest.h>

#include <string>

#include "map/CChipFile.h"
#include "map/MapTypes.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

class ChipFileTest : public ::testing::Test {
  protected:
    void WriteIni(const std::string& text) { test::TempDir::Write(dir.File(kChipFileName), text); }
    void Touch(const std::string& name) { test::TempDir::Write(dir.File(name), "BM"); }
    test::TempDir dir;
};

TEST_F(ChipFileTest, MissingFileOffersNoChips) {
    const CChipFile chips(dir.Folder());
    EXPECT_FALSE(chips.Exists());
    EXPECT_EQ(chips.ChipNum(), 0);
    EXPECT_TRUE(chips.ChipColors().empty());
    EXPECT_TRUE(chips.ExistingChips().empty());
    EXPECT_EQ(chips.BitmapPath(0), "");
}

TEST_F(ChipFileTest, ListsOnlyChipsWhoseBitmapExistsWithTheirNumbers) {
    WriteIni(
        "[ChipFile]\r\nChipNum=3\r\n0=a.bmp\r\n1=b.bmp\r\n2=c.bmp\r\n"
        "[ChipName]\r\n0=" +
        Sjis("騎士") + "\r\n2=Box\r\n[ChipColor]\r\n0=0xFF0000\r\n1=00FF00\r\n2=junk\r\n");
    Touch("a.bmp");
    Touch("c.bmp");
    const CChipFile chips(dir.Folder());
    EXPECT_TRUE(chips.Exists());
    ASSERT_EQ(chips.ChipNum(), 3);
    const auto list = chips.ExistingChips();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].fileName, "a.bmp");
    EXPECT_EQ(list[0].chip, 0);
    EXPECT_EQ(list[1].fileName, "c.bmp");
    EXPECT_EQ(list[1].chip, 2);
    EXPECT_EQ(chips.ChipName(0), Sjis("騎士"));
    EXPECT_EQ(chips.ChipName(1), "");
    EXPECT_EQ(chips.ChipName(2), "Box");
    // Colours in map order (red in the low byte); junk is black.
    EXPECT_EQ(chips.ChipColors(), (std::vector<std::int32_t>{0x0000FF, 0x00FF00, 0}));
    EXPECT_EQ(chips.BitmapPath(2), dir.Folder() + "c.bmp");
    EXPECT_EQ(chips.BitmapPath(3), "");
    EXPECT_EQ(chips.BitmapPath(-1), "");
}

TEST_F(ChipFileTest, FolderKeyAbsoluteRelativeAndBackslashed) {
    WriteIni("[ChipFile]\r\nChipNum=2\r\nChipFolder=chips\\set\r\n0=k.bmp\r\n1=sub\\m.bmp\r\n");
    const CChipFile chips(dir.Folder());
    EXPECT_EQ(chips.Folder(), dir.Folder() + "chips/set");
    EXPECT_EQ(chips.BitmapPath(1), dir.Folder() + "chips/set/sub/m.bmp");

    WriteIni("[ChipFile]\r\nChipNum=1\r\nChipFolder=" + dir.Folder() + "\r\n0=" + Sjis("表") +
             ".bmp\r\n");
    const CChipFile absolute(dir.Folder());
    EXPECT_EQ(absolute.Folder() + "/", dir.Folder());
    // The second byte of 表 is 0x5C ("\"): it stays part of the character.
    EXPECT_EQ(absolute.BitmapPath(0), dir.Folder() + Sjis("表") + ".bmp");
}

TEST_F(ChipFileTest, HostileCountsAndLongValuesAreBounded) {
    WriteIni("[ChipFile]\r\nChipNum=2000000000\r\n0=" + std::string(400, 'x') + "\r\n");
    const CChipFile chips(dir.Folder());
    EXPECT_EQ(chips.ChipNum(), CChipFile::kMaxChips);
    EXPECT_EQ(chips.ChipColors().size(), static_cast<std::size_t>(CChipFile::kMaxChips));
    EXPECT_EQ(chips.FileName(0).size(), kChipValueBytes);
    EXPECT_TRUE(chips.ExistingChips().empty());

    WriteIni("[ChipFile]\r\nChipNum=-5\r\n");
    EXPECT_EQ(CChipFile(dir.Folder()).ChipNum(), 0);
}

}  // namespace
}  // namespace yarrow
