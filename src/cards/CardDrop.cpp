#include "cards/CardDrop.h"

#include <algorithm>

namespace yarrow {

int DropInsertIndex(DropZone zone, int item, int count) {
    switch (zone) {
        case DropZone::OnItem:
            return item >= 0 && item < count ? item : -1;
        case DropZone::AboveFirstVisible:
            return 0;
        case DropZone::BelowLastVisible:
            return count;
        case DropZone::Elsewhere:
            break;
    }
    return -1;
}

bool DropsOntoItself(const std::vector<int>& dragged, int insertAt) {
    if (dragged.empty())
        return false;
    const auto [low, high] = std::minmax_element(dragged.begin(), dragged.end());
    return insertAt >= *low && insertAt <= *high;
}

}  // namespace yarrow
