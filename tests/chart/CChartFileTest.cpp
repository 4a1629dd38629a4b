#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "chart/CChartFile.h"
#include "chart/ChartPayload.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"

namespace yarrow {
namespace {

class CChartFileTest : public ::testing::Test {
  protected:
    std::string PathOf(const char* name) const { return dir_.File(name); }
    test::TempDir dir_;
};

TEST_F(CChartFileTest, SavedLinesHoldEveryColumnAndCommasTravelAsPercent2C) {
    CChartModel chart;
    chart.AddColumn("a,b");
    chart.AddColumn("MP");
    chart.AddRow();
    chart.SetCell(0, 0, Sjis("戦士"));
    chart.SetCell(0, 1, "x,y,");
    chart.SetCell(1, 1, "100%2C");
    chart.SetCell(1, 2, "6");
    const std::string path = PathOf("out.cht");
    EXPECT_FALSE(CChartFile::Save(path, chart).HasMessage());
    const std::string bytes = test::TempDir::Read(path);
    EXPECT_EQ(bytes, Sjis("名前,a%2Cb,MP\r\n戦士,x%2Cy%2C,\r\n,100%2C,6\r\n"));

    CChartModel back;
    ASSERT_FALSE(CChartFile::Parse(bytes, back).HasMessage());
    EXPECT_EQ(back.Header(1), "a,b");
    EXPECT_EQ(back.Cell(0, 1), "x,y,");
    EXPECT_EQ(back.Cell(1, 1), "100,");  // the three characters came back as ","
}

TEST_F(CChartFileTest, FixtureIsTrimmedAndRowsFitTheColumns) {
    CChartModel chart;
    chart.SetSpin(9);
    CChartResult loaded = CChartFile::Load(YARROW_FIXTURES "/chart/party.cht", chart);
    ASSERT_FALSE(loaded.HasMessage()) << loaded.message;
    ASSERT_EQ(chart.ColumnCount(), 3);
    EXPECT_EQ(chart.Header(1), "HP");  // spaces at both ends are lost
    EXPECT_EQ(chart.Header(2), Sjis("MP,最大"));
    ASSERT_EQ(chart.RowCount(), 4);
    EXPECT_EQ(chart.Cell(1, 0), Sjis("魔法使い"));
    EXPECT_EQ(chart.Cell(1, 2), "");   // missing piece: empty cell
    EXPECT_EQ(chart.Cell(2, 0), "");   // empty line: empty row
    EXPECT_EQ(chart.Cell(3, 2), "6");  // "余分" beyond the last column is ignored
    EXPECT_EQ(chart.Spin(), 9);        // the file has no number box value
}

TEST_F(CChartFileTest, EmptyMissingAndUnwritableFilesAreToldAndLeaveTheChart) {
    CChartModel chart;
    chart.AddColumn("keep");
    const std::string path = PathOf("empty.cht");
    test::TempDir::Write(path, "");
    CChartResult loaded = CChartFile::Load(path, chart);
    EXPECT_FALSE(loaded.changed);
    EXPECT_EQ(loaded.message, Sjis("Chartファイルの書式がおかしいか、あるいは破損しています"));
    EXPECT_EQ(loaded.caption, Sjis("エラー"));

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

    if (std::filesystem::exists("/dev/full")) {
        chart.SetCell(0, 0, std::string(200000, 'x'));  // more than stdio buffers
        EXPECT_EQ(CChartFile::Save("/dev/full", chart)
                      .message.rfind(Sjis("Chartファイルに書き込めません\r\n"), 0),
                  0u);
    }
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

TEST_F(CChartFileTest, RandomBytesNeverBreakTheModel) {
    std::mt19937 random(20261206);
    const std::string alphabet = std::string("a,,%2C \r\n\r\n\t") + '\0' + "\x81\x82\xff\xe0";
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 4000, '\0');
        const bool structured = round % 2 == 0;
        for (char& ch : bytes) {
            ch = structured ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        }
        CChartModel chart;
        CChartResult result = CChartFile::Parse(bytes, chart);
        ASSERT_EQ(result.changed, !bytes.empty());
        ASSERT_LE(chart.ColumnCount(), kChartMaxColumns);
        ASSERT_LE(chart.RowCount(), kChartMaxRows);
        // The invariant the window relies on: every row has every cell.
        const CMsg msg = BuildChartMsg(chart, 1);
        ASSERT_EQ(msg.Strings.size(),
                  static_cast<std::size_t>(chart.RowCount() + 1) * chart.ColumnCount());
        // What was read saves and reads back the same (headers are cut to 255).
        CChartModel back;
        CChartFile::Parse(CChartFile::Format(chart), back);
        ASSERT_EQ(back.ColumnCount(), chart.ColumnCount());
        for (int r = 0; r < chart.RowCount() && back.ColumnCount() > 0; ++r) {
            for (int c = 0; c < chart.ColumnCount(); ++c) {
                ASSERT_EQ(back.Cell(r, c), chart.Cell(r, c)) << round;
            }
        }
    }
}

}  // namespace
}  // namespace yarrow
