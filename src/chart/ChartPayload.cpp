#include "chart/ChartPayload.h"

#include <algorithm>

#include <vector>
#include "platform/SjisText.h"

namespace yarrow {
std::string CutCp932(const std::string& text, std::size_t maxBytes) {
    return SjisCut(text, maxBytes);
}

CMsg BuildChartMsg(const CChartModel& chart, std::int32_t myId) {
    CMsg msg;
    msg.Type = Chart;
    msg.ID = myId;
    msg.ChartRows = chart.RowCount() + 1;
    msg.ChartColumns = chart.ColumnCount();
    msg.ChartSpin = chart.Spin();
    msg.Strings.reserve(static_cast<std::size_t>(msg.ChartRows) * chart.ColumnCount());
    for (int c = 0; c < chart.ColumnCount(); ++c) {
        msg.Strings.push_back(CutCp932(chart.Header(c), kChartHeaderMaxBytes));
    }
    for (int r = 0; r < chart.RowCount(); ++r) {
        for (int c = 0; c < chart.ColumnCount(); ++c)
            msg.Strings.push_back(chart.Cell(r, c));
    }
    return msg;
}

void ApplyChartMsg(CChartModel& chart, const CMsg& msg) {
    // The record's own column count lays out Strings; only the part within
    // the chart's limits is taken.
    const std::int64_t stride = std::max<std::int64_t>(0, msg.ChartColumns);
    const int columns = static_cast<int>(std::min<std::int64_t>(stride, kChartMaxColumns));
    const int rows = static_cast<int>(
        std::clamp<std::int64_t>(std::int64_t{msg.ChartRows} - 1, 0, kChartMaxRows));
    const auto stringAt = [&](std::int64_t index) -> std::string {
        return index < static_cast<std::int64_t>(msg.Strings.size()) ? msg.Strings[index]
                                                                     : std::string();
    };
    std::vector<std::string> headers(columns);
    for (int c = 0; c < columns; ++c)
        headers[c] = stringAt(c);
    std::vector<std::vector<std::string>> cells(rows, std::vector<std::string>(columns));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            cells[r][c] = stringAt((r + 1) * stride + c);
    }
    // The number box is a 16-bit control: it takes the low half, signed.
    const int spin = static_cast<std::int16_t>(static_cast<std::uint32_t>(msg.ChartSpin) & 0xFFFF);
    chart.Assign(std::move(headers), std::move(cells), spin);
}

}  // namespace yarrow
