#include "chat/CColorTable.h"

#include <cstdio>

namespace yarrow {

namespace {
constexpr const char* kEmptyTable = "{\\colortbl;}";
}  // namespace

CColorTable::CColorTable() : table_(kEmptyTable) {}

int CColorTable::ColorIndex(std::uint32_t rgb) {
    // Colours are 24-bit; a wider value from hand-written markup would
    // otherwise give red components above 255 in the table.
    rgb &= 0xFFFFFFu;
    auto found = index_.find(rgb);
    if (found != index_.end())
        return found->second + 1;
    if (colors_.size() >= kMaxColors)
        return 0;

    const int number = static_cast<int>(colors_.size());
    char entry[64];
    std::snprintf(entry, sizeof entry, " \\red%u\\green%u\\blue%u;", (rgb >> 16) & 0xFFu,
                  (rgb >> 8) & 0xFFu, rgb & 0xFFu);
    table_.insert(table_.size() - 1, entry);
    index_.emplace(rgb, number);
    colors_.push_back(rgb);
    return number + 1;
}

void CColorTable::ResetColorTable() {
    table_ = kEmptyTable;
    index_.clear();
    colors_.clear();
}

}  // namespace yarrow
