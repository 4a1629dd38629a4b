#include <gtest/gtest.h>

#include "chart/ChartPayload.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

CMsg ChartRecord(int rows, int columns, std::vector<std::string> strings, int spin = 0) {
    CMsg msg;
    msg.Type = Chart;
    msg.ChartRows = rows;
    msg.ChartColumns = columns;
    msg.ChartSpin = spin;
    msg.Strings = std::move(strings);
    return msg;
}

// The record counts the header row and lists the headers, then the rows;
// headers are cut to 255 bytes without splitting a character, cells never.
TEST(ChartPayload, RecordLayoutBothWaysWithHeadersCut) {
    CMsg sent = ChartRecord(3, 2, {Sjis("名前"), "hp", "A", "10", "B", "7"}, 3);
    sent.ID = 12;
    CChartModel chart;
    ApplyChartMsg(chart, sent);
    EXPECT_EQ(chart.Header(1) + chart.Cell(0, 1) + chart.Cell(1, 0), "hp10B");
    EXPECT_EQ(BuildChartMsg(chart, 12), sent);

    chart.SetHeader(0, std::string(300, 'x'));
    // Double-byte characters only: byte 255 would be the lead byte of the 128th.
    std::string kana;
    while (kana.size() < 300)
        kana += Sjis("あ");
    chart.SetHeader(1, kana);
    chart.SetCell(0, 0, std::string(400, 'c'));
    const CMsg cut = BuildChartMsg(chart, 1);
    EXPECT_EQ(cut.Strings[0], std::string(255, 'x'));
    EXPECT_EQ(cut.Strings[1], kana.substr(0, 254));
    EXPECT_EQ(cut.Strings[2].size(), 400u);
}

// Counts that leave no room for a header row or a column give an empty
// chart; counts beyond the limits are bounded while the strings keep the
// record's own layout; missing strings leave cells empty; the number box
// takes the low 16 bits, kept within 0..100.
TEST(ChartPayload, HostileCountsAreBoundedAndMissingStringsLeaveCellsEmpty) {
    struct Case {
        int rows, columns;
        std::vector<std::string> strings;
        int columnCount, rowCount;
    };
    for (const Case& c :
         {Case{1, 2, {"a", "b"}, 2, 0}, Case{-1, -1, {}, 0, 0}, Case{3, 0, {}, 0, 2},
          Case{70000, 300, {}, kChartMaxColumns, kChartMaxRows}}) {
        CChartModel chart;
        ApplyChartMsg(chart, ChartRecord(c.rows, c.columns, c.strings));
        EXPECT_EQ(std::pair(chart.ColumnCount(), chart.RowCount()),
                  std::pair(c.columnCount, c.rowCount))
            << c.rows << "x" << c.columns;
    }
    CMsg msg = ChartRecord(70000, 300, {}, 0x7FFF0032);
    for (int i = 0; i < 600; ++i)
        msg.Strings.push_back(std::to_string(i));
    CChartModel chart;
    ApplyChartMsg(chart, msg);
    EXPECT_EQ(chart.Header(255) + "|" + chart.Cell(0, 0) + "|" + chart.Cell(0, 255) + "|" +
                  chart.Cell(1, 0),
              "255|300|555|");
    EXPECT_EQ(chart.Spin(), 50);
    for (const auto& [spin, kept] : {std::pair(0x0000FFFF, 0), std::pair(250, 100)}) {
        msg.ChartSpin = spin;
        ApplyChartMsg(chart, msg);
        EXPECT_EQ(chart.Spin(), kept) << spin;
    }
    msg.ChartRows = 0x7FFFFFFF;
    msg.ChartColumns = 0x7FFFFFFF;
    ApplyChartMsg(chart, msg);  // index arithmetic must not overflow
    EXPECT_EQ(chart.Header(0) + "|" + chart.Cell(0, 0), "0|");
}

}  // namespace
}  // namespace yarrow
