// libFuzzer target: arbitrary bytes as a .cht file. Reading may refuse them
// but must not crash or allocate without bound; whatever it reads must stay
// within the chart's limits, and once written out must read back to the same
// file bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "chart/CChartFile.h"

using namespace yarrow;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CChartModel chart;
    const CChartResult read = CChartFile::Parse(fuzz::Bytes(data, size), chart);
    if (!read.changed) {
        const CChartModel fresh;
        Check(CChartFile::Format(chart) == CChartFile::Format(fresh),
              "a refused file changed the chart");
        return 0;
    }
    Check(chart.ColumnCount() <= 256 && chart.RowCount() <= 256, "chart beyond its limits");

    const std::string once = CChartFile::Format(chart);
    CChartModel again;
    Check(CChartFile::Parse(once, again).changed, "a written chart does not read back");
    Check(again.ColumnCount() == chart.ColumnCount() && again.RowCount() == chart.RowCount(),
          "a written chart reads back with another shape");
    Check(CChartFile::Format(again) == once, "a written chart reads back different");
    return 0;
}
