#pragma once
// The cells at one distance around a cell, in the order the nearest-free-cell
// search tries them.
//
// Square cells: the (2d + 1) x (2d + 1) block around the target, row offsets
// -d..d outside, column offsets -d..d inside. Cells nearer than d were tried
// by the earlier rings, so only the block's border is listed (and, for d = 1,
// the target itself in its place in the middle of the block).
//
// Hex cells, direction 0 (columns staggered): the 6d cells at hexagonal
// distance exactly d:
//   1. the two outer columns (offsets -d and +d, d + 1 cells each) in pairs,
//      left then right, from the smallest row up;
//   2. the inner columns in pairs from the outside in (offsets -d+1 and d-1,
//      then -d+2 and d-2, ...): left column top, left bottom, right top,
//      right bottom;
//   3. the middle column: row offset -d, then +d.
// Which rows those are depends on whether the target's column is odd, since
// odd columns sit half a cell higher. Direction 1 is the same with columns
// and rows exchanged.
//
// Cells off the map (negative, or beyond 255) are left out.

#include <vector>

#include "map/MapTypes.h"

namespace yarrow {

std::vector<MapCell> RingCells(bool hexShape, int hexDirection, MapCell target, int distance);

// The largest distance at which a ring can still touch the map.
inline constexpr int kMaxRingDistance = 2 * kMapSide;

}  // namespace yarrow
