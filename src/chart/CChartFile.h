#pragma once
// ".cht" chart files: plain code page 932 text, CR LF line ends. Line 1 holds
// the headers, every further line one row; texts are separated by "," and a
// "," inside a text is written as "%2C". Nothing else is stored.

#include <cstddef>
#include <string>
#include <string_view>

#include "chart/CChartModel.h"
#include "chart/CChartResult.h"

namespace yarrow {

class CChartFile {
  public:
    // Files beyond this size are refused before anything is read: a chart at
    // its limits with generous cells stays far below it.
    static constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;

    // The file's bytes for `chart`. Headers are cut to 255 bytes as on the
    // wire; a line break inside a text (only a received chart can hold one)
    // is written as a space so that it cannot split the row, and blanks at
    // either end of a text are left out as reading would drop them.
    static std::string Format(const CChartModel& chart);

    // Rebuilds `chart` from file bytes (the lock state is left alone). Bytes
    // without any line give the format error and leave `chart` unchanged.
    // Rows beyond the row limit and headers beyond the column limit are
    // dropped with a warning; NUL bytes are dropped.
    static CChartResult Parse(std::string_view bytes, CChartModel& chart);

    // Writes `chart` to `path` (created or truncated).
    static CChartResult Save(const std::string& path, const CChartModel& chart);
    // Reads `path` into `chart`.
    static CChartResult Load(const std::string& path, CChartModel& chart);
};

}  // namespace yarrow
