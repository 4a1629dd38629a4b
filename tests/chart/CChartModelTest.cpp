// The chart model's edges; the window test drives the everyday editing
// (limits, moves, reset, deleting columns) through the controls.

#include <gtest/gtest.h>

#include "chart/CChartModel.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

std::vector<std::string> Column0(const CChartModel& chart) {
    std::vector<std::string> out;
    for (int r = 0; r < chart.RowCount(); ++r)
        out.push_back(chart.Cell(r, 0));
    return out;
}

TEST(CChartModel, OutOfRangeAccessAndMovesAreSafe) {
    CChartModel chart;
    EXPECT_EQ(chart.MoveRowDown(0), 0);  // a single row stays
    chart.AddRow();
    chart.AddRow();
    chart.SetCell(0, 0, "a");
    chart.SetCell(1, 0, "b");
    chart.SetCell(2, 0, "c");
    EXPECT_EQ(chart.MoveRowUp(3), -1);
    EXPECT_EQ(chart.MoveRowDown(-1), -1);
    EXPECT_EQ(chart.MoveRowUp(2), 1);
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_TRUE(chart.DeleteRow(1).changed);
    EXPECT_FALSE(chart.DeleteRow(2).changed);
    EXPECT_FALSE(chart.DeleteRow(-1).changed);
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(chart.Cell(5, 0), "");
    EXPECT_EQ(chart.Header(-1), "");
    chart.SetCell(5, 5, "ignored");
    EXPECT_EQ(chart.RowCount(), 2);
}

TEST(CChartModel, DeleteColumnsTakesEachIndexOnceAndKeepsTheOtherCells) {
    CChartModel chart;
    for (const char* h : {"b", "c", "d", "e"})
        chart.AddColumn(h);
    for (int c = 0; c < 5; ++c)
        chart.SetCell(0, c, std::string(1, static_cast<char>('0' + c)));
    EXPECT_EQ(chart.DeleteColumns({1, 3, 1, 99}), 2);
    ASSERT_EQ(chart.ColumnCount(), 3);
    EXPECT_EQ(chart.Header(2), "e");
    EXPECT_EQ(chart.Cell(0, 1), "2");
    EXPECT_EQ(chart.Cell(0, 2), "4");
}

}  // namespace
}  // namespace yarrow
