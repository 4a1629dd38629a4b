#pragma once
// Where dragged list items land: the insertion rules of the card pile lists,
// kept apart from the widgets.

#include <vector>

namespace yarrow {

// Where the drop's hit point lies in the target list.
enum class DropZone {
    OnItem,             // on an item: insert before it
    AboveFirstVisible,  // above the first visible item: insert at the start
    BelowLastVisible,   // below the last visible item: append
    Elsewhere,          // anywhere else: the drop is refused
};

// The index the dragged items are inserted at in a list of `count` items, or
// -1 when the drop is refused. `item` is the item hit for OnItem.
int DropInsertIndex(DropZone zone, int item, int count);

// In a drop into the list the items came from: true when `insertAt` lies
// within the range of the dragged positions (ascending), so the items would
// be dropped onto themselves.
bool DropsOntoItself(const std::vector<int>& dragged, int insertAt);

}  // namespace yarrow
