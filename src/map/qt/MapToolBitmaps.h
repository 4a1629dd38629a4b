#pragma once
// The pictures of the map tool bar's bitmap buttons, drawn rather than
// loaded so they stay sharp at any size: 129/130 hex direction 0/1, 131/132
// hexagonal/square cells, 133/134 small/large cells, 135/136 locked/unlocked,
// 137 rectangle fill, 138 snapshot, 139/140 white/grey background.

#include <QPixmap>

namespace yarrow {

inline constexpr int kMapToolBitmapSize = 24;

// An empty pixmap for an unknown number.
QPixmap MapToolBitmap(int id);

}  // namespace yarrow
