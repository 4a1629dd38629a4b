#pragma once
// The colour table that every line of the chat log shares. Each line is its own
// RTF document carrying the whole table, so a colour keeps its index for the
// whole run (until the log is cleared) and lines can be streamed in one by one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace yarrow {

class CColorTable {
  public:
    CColorTable();

    // Every line document carries the whole table, so it must stay small even
    // when a peer sends text with thousands of made-up colours.
    static constexpr std::size_t kMaxColors = 1024;

    // The RTF index of a colour (0xRRGGBB), 1 for the first colour used; a new
    // colour is appended to the table. Only the low 24 bits count. Once the
    // table is full a new colour gets 0, the automatic colour.
    int ColorIndex(std::uint32_t rgb);

    // The colour-table group, "{\colortbl;}" plus one " \redR\greenG\blueB;"
    // entry per colour in order of first use.
    const std::string& LogColorTable() const { return table_; }

    // The colours in index order (entry i is RTF index i + 1).
    const std::vector<std::uint32_t>& Colors() const { return colors_; }

    // Back to the empty table; used when the log is cleared.
    void ResetColorTable();

  private:
    std::string table_;
    std::unordered_map<std::uint32_t, int> index_;  // colour -> insertion number
    std::vector<std::uint32_t> colors_;
};

}  // namespace yarrow
