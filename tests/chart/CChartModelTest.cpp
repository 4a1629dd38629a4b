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

// Three rows "a", "b", "c" in one column.
CChartModel ThreeRows() {
    CChartModel chart;
    chart.AddRow();
    chart.AddRow();
    chart.SetCell(0, 0, "a");
    chart.SetCell(1, 0, "b");
    chart.SetCell(2, 0, "c");
    return chart;
}

TEST(CChartModel, StartsWithNameColumnOneRowAndTableCaption) {
    CChartModel chart;
    ASSERT_EQ(chart.ColumnCount(), 1);
    EXPECT_EQ(chart.Header(0), Sjis("名前"));
    EXPECT_EQ(chart.RowCount(), 1);
    EXPECT_EQ(chart.Cell(0, 0), "");
    EXPECT_EQ(chart.Spin(), 0);
    EXPECT_FALSE(chart.Locked());
    EXPECT_EQ(chart.Caption(), Sjis("表"));
}

TEST(CChartModel, AddedColumnGivesEveryRowAnEmptyCell) {
    CChartModel chart;
    chart.AddRow();
    chart.SetCell(1, 0, "x");
    EXPECT_TRUE(chart.AddColumn("").changed);  // an empty header is allowed
    ASSERT_EQ(chart.ColumnCount(), 2);
    EXPECT_EQ(chart.Cell(1, 0), "x");
    EXPECT_EQ(chart.Cell(1, 1), "");
    chart.SetCell(1, 1, "y");
    EXPECT_EQ(chart.Cell(1, 1), "y");
}

TEST(CChartModel, ColumnAndRowLimitsRefuseThe257thWithTheirMessages) {
    CChartModel chart;
    for (int i = 1; i < kChartMaxColumns; ++i)
        ASSERT_TRUE(chart.AddColumn("h").changed) << i;
    for (int i = 1; i < kChartMaxRows; ++i)
        ASSERT_TRUE(chart.AddRow().changed) << i;
    EXPECT_EQ(chart.ColumnCount(), 256);
    EXPECT_EQ(chart.RowCount(), 256);

    CChartResult column = chart.AddColumn("one too many");
    EXPECT_FALSE(column.changed);
    EXPECT_EQ(column.message, Sjis("表に追加できる列は255個までです"));
    EXPECT_EQ(column.caption, Sjis("エラー"));
    EXPECT_FALSE(column.warning);

    CChartResult row = chart.AddRow();
    EXPECT_FALSE(row.changed);
    EXPECT_EQ(row.message, Sjis("表に追加できる行は255個までです"));
    EXPECT_EQ(row.caption, Sjis("エラー"));
    EXPECT_EQ(chart.ColumnCount(), 256);
    EXPECT_EQ(chart.RowCount(), 256);
}

TEST(CChartModel, ResetLeavesNoColumnAndAddRowDoesNothingUntilAColumnExists) {
    CChartModel chart = ThreeRows();
    chart.SetSpin(42);
    chart.Reset();
    EXPECT_EQ(chart.ColumnCount(), 0);
    EXPECT_EQ(chart.RowCount(), 1);
    EXPECT_EQ(chart.Spin(), 0);

    CChartResult added = chart.AddRow();
    EXPECT_FALSE(added.changed);
    EXPECT_FALSE(added.HasMessage());
    EXPECT_EQ(chart.RowCount(), 1);

    chart.AddColumn("hp");
    EXPECT_EQ(chart.Cell(0, 0), "");  // the reset's row got its cell
    EXPECT_TRUE(chart.AddRow().changed);
    EXPECT_EQ(chart.RowCount(), 2);
}

TEST(CChartModel, MovingRowsWrapsAroundAtTheEnds) {
    CChartModel chart = ThreeRows();
    EXPECT_EQ(chart.MoveRowDown(2), 0);  // last goes to the top
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(chart.MoveRowUp(0), 2);  // first goes to the bottom
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(chart.MoveRowDown(0), 1);
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(chart.MoveRowUp(2), 1);
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(chart.MoveRowUp(3), -1);
    EXPECT_EQ(chart.MoveRowDown(-1), -1);
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"b", "c", "a"}));

    CChartModel single;
    EXPECT_EQ(single.MoveRowDown(0), 0);
    EXPECT_EQ(single.MoveRowUp(0), 0);
    EXPECT_EQ(single.RowCount(), 1);
}

TEST(CChartModel, DeleteRowAndOutOfRangeAccessAreSafe) {
    CChartModel chart = ThreeRows();
    EXPECT_TRUE(chart.DeleteRow(1).changed);
    EXPECT_EQ(Column0(chart), (std::vector<std::string>{"a", "c"}));
    EXPECT_FALSE(chart.DeleteRow(2).changed);
    EXPECT_FALSE(chart.DeleteRow(-1).changed);
    EXPECT_EQ(chart.Cell(5, 0), "");
    EXPECT_EQ(chart.Header(-1), "");
    chart.SetCell(5, 5, "ignored");
    EXPECT_EQ(chart.RowCount(), 2);
}

TEST(CChartModel, DeleteColumnsKeepsTheOtherColumnsCells) {
    CChartModel chart;
    for (const char* h : {"b", "c", "d", "e"})
        chart.AddColumn(h);
    for (int c = 0; c < 5; ++c)
        chart.SetCell(0, c, std::string(1, static_cast<char>('0' + c)));
    // Given lowest first and with a duplicate: still deletes 1 and 3 only.
    EXPECT_EQ(chart.DeleteColumns({1, 3, 1, 99}), 2);
    ASSERT_EQ(chart.ColumnCount(), 3);
    EXPECT_EQ(chart.Header(1), "c");
    EXPECT_EQ(chart.Header(2), "e");
    EXPECT_EQ(chart.Cell(0, 0), "0");
    EXPECT_EQ(chart.Cell(0, 1), "2");
    EXPECT_EQ(chart.Cell(0, 2), "4");
    EXPECT_EQ(chart.DeleteColumns({}), 0);
}

TEST(CChartModel, LockChangesOnlyOnAChangeOfStateAndKeepsTheFirstLocker) {
    CChartModel chart;
    EXPECT_FALSE(chart.SetLock(false, ""));
    EXPECT_EQ(chart.Caption(), Sjis("表"));

    EXPECT_TRUE(chart.SetLock(true, "Alice"));
    EXPECT_EQ(chart.Caption(), Sjis("ロック中(Alice)"));
    EXPECT_FALSE(chart.SetLock(true, "Bob"));
    EXPECT_EQ(chart.LockerName(), "Alice");
    EXPECT_EQ(chart.Caption(), Sjis("ロック中(Alice)"));

    EXPECT_TRUE(chart.SetLock(false, ""));
    EXPECT_FALSE(chart.Locked());
    EXPECT_EQ(chart.LockerName(), "");
    EXPECT_EQ(chart.Caption(), "Yarrow");
}

}  // namespace
}  // namespace yarrow
