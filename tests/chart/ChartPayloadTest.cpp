#include <gtest/gtest.h>

#include <tuple>

#include "chart/ChartPayload.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

TEST(ChartPayload, RecordCountsTheHeaderRowAndListsHeadersThenRows) {
    CChartModel chart;
    chart.AddColumn("hp");
    chart.AddRow();
    chart.SetCell(0, 0, "A");
    chart.SetCell(0, 1, "10");
    chart.SetCell(1, 0, "B");
    chart.SetCell(1, 1, "7");
    chart.SetSpin(3);

    CMsg msg = BuildChartMsg(chart, 12);
    EXPECT_EQ(std::tuple(msg.Type, msg.ID, msg.ChartRows, msg.ChartColumns, msg.ChartSpin),
              std::tuple(Chart, 12, 3, 2, 3));
    EXPECT_EQ(msg.Strings, (std::vector<std::string>{Sjis("名前"), "hp", "A", "10", "B", "7"}));

    CChartModel other;
    other.SetLock(true, "Bob");
    ApplyChartMsg(other, msg);
    EXPECT_EQ(BuildChartMsg(other, 12).Strings, msg.Strings);
    EXPECT_EQ(other.Spin(), 3);
    EXPECT_TRUE(other.Locked());  // the lock belongs to the window's rules

    // A reset chart travels as no columns and no cells.
    chart.Reset();
    msg = BuildChartMsg(chart, 1);
    EXPECT_EQ(std::pair(msg.ChartRows, msg.ChartColumns), std::pair(2, 0));
    EXPECT_TRUE(msg.Strings.empty());
}

TEST(ChartPayload, HeadersAreCutTo255BytesWithoutSplittingACharacter) {
    CChartModel chart;
    chart.SetHeader(0, std::string(300, 'x'));
    chart.AddColumn("a" + std::string(150, '\0') + "tail");
    // Double-byte characters only: byte 255 would be the lead byte of the 128th.
    std::string kana;
    while (kana.size() < 300)
        kana += Sjis("あ");
    chart.AddColumn(kana);
    chart.SetCell(0, 0, std::string(400, 'c'));  // cells are not cut

    CMsg msg = BuildChartMsg(chart, 1);
    EXPECT_EQ(msg.Strings[0], std::string(255, 'x'));
    EXPECT_EQ(msg.Strings[1].size(), 155u);
    EXPECT_EQ(msg.Strings[2], kana.substr(0, 254));
    EXPECT_EQ(msg.Strings[3].size(), 400u);
    EXPECT_EQ(CutCp932("short", 255), "short");
}

TEST(ChartPayload, FewRowsOrColumnsGiveAnEmptyChart) {
    struct Case {
        int rows, columns;
        std::vector<std::string> strings;
        int columnCount, rowCount;
    };
    for (const Case& c :
         {Case{1, 2, {"a", "b"}, 2, 0}, Case{-1, -1, {}, 0, 0}, Case{3, 0, {}, 0, 2}}) {
        CMsg msg;
        msg.Type = Chart;
        msg.ChartRows = c.rows;
        msg.ChartColumns = c.columns;
        msg.Strings = c.strings;
        CChartModel chart;
        ApplyChartMsg(chart, msg);
        EXPECT_EQ(std::pair(chart.ColumnCount(), chart.RowCount()),
                  std::pair(c.columnCount, c.rowCount))
            << c.rows << "x" << c.columns;
    }
}

TEST(ChartPayload, HostileCountsAreBoundedAndMissingStringsLeaveCellsEmpty) {
    CMsg msg;
    msg.Type = Chart;
    msg.ChartRows = 70000;
    msg.ChartColumns = 300;
    // Headers and the first data row, laid out with the record's 300 columns.
    for (int i = 0; i < 600; ++i)
        msg.Strings.push_back(std::to_string(i));
    msg.ChartSpin = 0x7FFF0032;  // low half is 50

    CChartModel chart;
    ApplyChartMsg(chart, msg);
    EXPECT_EQ(chart.ColumnCount(), kChartMaxColumns);
    EXPECT_EQ(chart.RowCount(), kChartMaxRows);
    EXPECT_EQ(chart.Header(255), "255");
    EXPECT_EQ(chart.Cell(0, 0), "300");
    EXPECT_EQ(chart.Cell(0, 255), "555");
    EXPECT_EQ(chart.Cell(1, 0), "");
    EXPECT_EQ(chart.Spin(), 50);

    msg.ChartSpin = 0x0000FFFF;  // -1 as a 16-bit value
    ApplyChartMsg(chart, msg);
    EXPECT_EQ(chart.Spin(), 0);
    msg.ChartSpin = 250;
    ApplyChartMsg(chart, msg);
    EXPECT_EQ(chart.Spin(), 100);

    msg.ChartRows = 0x7FFFFFFF;
    msg.ChartColumns = 0x7FFFFFFF;
    ApplyChartMsg(chart, msg);  // index arithmetic must not overflow
    EXPECT_EQ(chart.Cell(0, 0), "");
    EXPECT_EQ(chart.Header(0), "0");
}

}  // namespace
}  // namespace yarrow
