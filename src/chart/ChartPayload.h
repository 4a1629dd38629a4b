#pragma once
// The chart on the wire: a `Chart` record carries the headers and then every
// row's cells, row by row, with ChartRows counting the header row as well.

#include <cstdint>
#include <string>

#include "chart/CChartModel.h"
#include "net/CMsg.h"

namespace yarrow {

// The longest header that is sent or saved: the list control reads headers
// into a 256-byte buffer, and peers and files have always seen them cut there.
inline constexpr std::size_t kChartHeaderMaxBytes = 255;

// `text` cut to at most `maxBytes` bytes without splitting a double-byte
// character, so that the cut never leaves a dangling lead byte behind.
std::string CutCp932(const std::string& text, std::size_t maxBytes);

// A `Chart` record of the whole chart, sent as member `myId`.
CMsg BuildChartMsg(const CChartModel& chart, std::int32_t myId);

// Rebuilds the chart (not its lock state) from a received `Chart` record.
// A record with ChartRows below 2 gives no data rows, ChartColumns 0 or less
// no columns. The record comes from the network: counts beyond the chart's
// limits are cut to them, missing strings leave cells empty, and the number
// box takes the low 16 bits of ChartSpin clamped to its range.
void ApplyChartMsg(CChartModel& chart, const CMsg& msg);

}  // namespace yarrow
