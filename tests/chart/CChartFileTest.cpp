#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "chart/CChartFile.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "support/FullDisk.h"

namespace yarrow {
namespace {

class CChartFileTest : public ::testing::Test {
  protected:
    std::string PathOf(const char* name) const { return dir_.File(name); }
    test::TempDir dir_;
};

// The window test opens an empty file; these are the failures the system reports.
TEST_F(CChartFileTest, MissingAndUnwritableFilesAreToldAndLeaveTheChart) {
    CChartModel chart;
    chart.AddColumn("keep");
    const std::string head = Sjis("Chartファイルを開けません\r\n");
    for (const CChartResult& failed :
         {CChartFile::Load(PathOf("missing.cht"), chart), CChartFile::Load(dir_.Folder(), chart),
          CChartFile::Save(PathOf("no/such/dir.cht"), chart)}) {
        EXPECT_EQ(failed.message.rfind(head, 0), 0u);
        EXPECT_GT(failed.message.size(), head.size());  // the system's reason follows
    }
    EXPECT_EQ(chart.Header(1), "keep");
    // A single line end is one empty header, not an empty file.
    EXPECT_TRUE(CChartFile::Parse("\r\n", chart).changed);
    EXPECT_EQ(chart.ColumnCount(), 1);
    EXPECT_EQ(chart.RowCount(), 0);

    chart.SetCell(0, 0, std::string(200000, 'x'));  // more than stdio buffers
    EXPECT_EQ(CChartFile::Save("/dev/full", chart)
                  .message.rfind(Sjis("Chartファイルに書き込めません\r\n"), 0),
              0u);
}

TEST_F(CChartFileTest, LimitsBoundWhatIsRead) {
    std::string bytes;
    for (int c = 0; c < 300; ++c)
        bytes += (c ? "," : "") + std::to_string(c);
    bytes += "\r\n";
    for (int r = 0; r < 300; ++r)
        bytes += "row" + std::to_string(r) + "\r\n";
    CChartModel chart;
    CChartResult loaded = CChartFile::Parse(bytes, chart);
    EXPECT_TRUE(loaded.changed);
    EXPECT_TRUE(loaded.warning);
    EXPECT_EQ(loaded.caption, Sjis("警告"));
    EXPECT_EQ(chart.ColumnCount(), kChartMaxColumns);
    EXPECT_EQ(chart.RowCount(), kChartMaxRows);
    EXPECT_EQ(chart.Cell(255, 0), "row255");

    const std::string big = PathOf("big.cht");
    test::TempDir::Write(big, std::string(CChartFile::kMaxFileBytes + 1, 'a'));
    CChartModel untouched;
    CChartResult refused = CChartFile::Load(big, untouched);
    EXPECT_FALSE(refused.changed);
    EXPECT_EQ(refused.caption, Sjis("エラー"));
    EXPECT_EQ(untouched.Header(0), Sjis("名前"));
    // Exactly at the limit is still read: one long line, one long header.
    test::TempDir::Write(big, std::string(CChartFile::kMaxFileBytes, 'a'));
    EXPECT_FALSE(CChartFile::Load(big, untouched).HasMessage());
    EXPECT_EQ(untouched.Header(0).size(), CChartFile::kMaxFileBytes);
}

TEST_F(CChartFileTest, LineBreaksNulBytesAndLoneCarriageReturns) {
    CChartModel chart;
    chart.SetCell(0, 0, "two\r\nlines\nmore");  // only a received chart can hold this
    EXPECT_EQ(CChartFile::Format(chart), Sjis("名前\r\ntwo lines more\r\n"));

    CChartModel read;
    CChartFile::Parse(std::string("a\0b,c\r\nd\re\nlast", 16), read);
    ASSERT_EQ(read.ColumnCount(), 2);
    EXPECT_EQ(read.Header(0), "ab");
    ASSERT_EQ(read.RowCount(), 2);
    EXPECT_EQ(read.Cell(0, 0), "d\re");  // a CR without LF stays inside the line
    EXPECT_EQ(read.Cell(1, 0), "last");  // a last line without a line end counts
}

// A comma is escaped wherever the reader splits at it: also right after a
// lead byte with no character to finish (only a received chart can hold one),
// where it once stayed bare and the saved row read back shifted a column.
TEST_F(CChartFileTest, EveryCommaStaysInItsCellThroughASaveAndARead) {
    for (const std::string& text :
         {Sjis("表,ソ"), std::string("\x8e,x"), std::string("\x81,"), std::string("\x95,\x95,y")}) {
        CChartModel chart;
        chart.Assign({text, "next"}, {{text, "next"}}, 0);
        CChartModel read;
        CChartFile::Parse(CChartFile::Format(chart), read);
        ASSERT_EQ(std::tuple(read.ColumnCount(), read.RowCount()), std::tuple(2, 1)) << text;
        EXPECT_EQ(std::tuple(read.Header(0), read.Header(1), read.Cell(0, 0), read.Cell(0, 1)),
                  std::tuple(text, std::string("next"), text, std::string("next")))
            << text;
    }
}

// A save over a chart on a disk that fills up halfway (a child process whose
// file size limit stands in for the disk) is reported and leaves the earlier
// chart whole; a save that succeeds keeps the file's permissions, and a link
// is written through to the chart it names.
TEST_F(CChartFileTest, AFailedSaveLeavesTheEarlierChartWhole) {
    namespace fs = std::filesystem;
    constexpr long kRoom = 4096;
    const std::string path = PathOf("kept.cht");
    CChartModel before;
    before.SetCell(0, 0, "earlier");
    ASSERT_FALSE(CChartFile::Save(path, before).HasMessage());
    const std::string saved = test::TempDir::Read(path);
    CChartModel larger;
    larger.SetCell(0, 0, std::string(4 * kRoom, 'x'));

    CChartResult result;
    {
        test::FullDisk full(kRoom);
        result = CChartFile::Save(path, larger);
    }
    EXPECT_EQ(result.message.rfind(Sjis("Chartファイルに書き込めません\r\n"), 0), 0u)
        << "the full disk is reported";
    EXPECT_TRUE(test::TempDir::Read(path) == saved) << "the earlier chart was cut short";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Folder()), {}), 1);

    // With room again the save goes through and keeps who may read the file.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_FALSE(CChartFile::Save(path, larger).HasMessage());
    EXPECT_TRUE(test::TempDir::Read(path) == CChartFile::Format(larger));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    const std::string link = PathOf("link.cht");
    fs::create_symlink(path, link);
    ASSERT_FALSE(CChartFile::Save(link, before).HasMessage());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(test::TempDir::Read(path) == saved);
}

}  // namespace
}  // namespace yarrow
