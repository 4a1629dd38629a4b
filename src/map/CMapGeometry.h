#pragma once
// Where the cells of a page are on screen, in pixels of the page's client
// area: cell boxes, hexagon outlines, the hit test from a pixel to a cell,
// how many cells fit a client size and the window size that shows a cell.
//
// A value type: the page hands out one built from its shape, size, direction
// and scroll positions (CMapPage::Geometry()), so drawing code can take it
// once per paint.
//
// Shapes:
//   square:      cells S x S pixels, S = 25 (10 when small).
//   hex, dir 0:  columns staggered, hexagons pointed left and right; column
//                pitch A + B, row pitch 2B; odd columns sit B higher.
//   hex, dir 1:  rows staggered, hexagons pointed up and down; row pitch
//                A + B, column pitch 2B; odd rows sit B further left.
// A = 10, B = 15 at normal size; A = 5, B = 7 when small.

#include <array>
#include <cstdint>

#include "map/MapTypes.h"

namespace yarrow {

// A rectangle with exclusive right and bottom edges.
struct MapRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    int CenterX() const { return left + Width() / 2; }
    int CenterY() const { return top + Height() / 2; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const MapRect&) const = default;
};

struct MapPoint {
    int x = 0;
    int y = 0;
    bool operator==(const MapPoint&) const = default;
};

using HexPolygon = std::array<MapPoint, 6>;

// Cell counts that fit a client area.
struct MapCellCounts {
    int columns = 0;
    int rows = 0;
};

struct MapSize {
    int width = 0;
    int height = 0;
};

struct CMapGeometry {
    static constexpr int kLargeSquare = 25;
    static constexpr int kSmallSquare = 10;
    static constexpr int kLargeHexA = 10;
    static constexpr int kSmallHexA = 5;
    // B = A x 1.5, truncated.
    static constexpr int HexBFor(int a) { return a * 3 / 2; }

    bool hexShape = true;
    int hexDirection = 0;  // 0 or 1
    bool smallTiles = false;
    int hexA = kLargeHexA;
    int hexB = HexBFor(kLargeHexA);
    int scrollColumn = 0;  // first column shown (horizontal scroll position)
    int scrollRow = 0;     // first row shown (vertical scroll position)

    // Square cell size S.
    int SquareSize() const { return smallTiles ? kSmallSquare : kLargeSquare; }

    // True when the axis staggers: columns in hex direction 0, rows in hex
    // direction 1. Scrolling and sliding move such an axis in even steps.
    bool StaggersColumns() const { return hexShape && hexDirection == 0; }
    bool StaggersRows() const { return hexShape && hexDirection != 0; }

    // The cell's box in client pixels; empty for a cell left of or above the
    // scroll origin (such a cell is not drawn and has no tip). For hex cells
    // the box is the hexagon without its two pointed ends (direction 1 boxes
    // are one pixel wider on the right).
    MapRect CellBox(int column, int row) const;
    // A cell is visible when its box is not empty.
    bool IsVisible(int column, int row) const { return !CellBox(column, row).IsEmpty(); }

    // The hexagon's six corners, clockwise from the top-left one (direction 0)
    // or from the top point (direction 1). Neighbours share their slanted
    // edges. Meaningful in hex shape only.
    HexPolygon HexVertices(int column, int row) const;

    // The cell under a client pixel. Square: x / S, y / S. Hex direction 0:
    // column (x - 5) / (A + B); for an odd column y moves down by B; row
    // y / 2B. Direction 1 the same with the axes exchanged. Then the scroll
    // positions are added. The strip past the last column or row (a client
    // area that is not a whole number of cells, scrolled to the end) gives
    // 256 or more: off the map, so a click there edits nothing, rather than
    // a cell at the other end of the map.
    MapCell HitTest(int x, int y) const;

    // The cells that fit a client area of width x height pixels. Square:
    // width / S and height / S. Hex: the staggered axis gets (length / (A+B))
    // rounded up to even, the other axis (length / 2B) + 1 rounded up to even.
    // At most 256 each.
    MapCellCounts VisibleCounts(int width, int height) const;

    // The client width and height that show every cell up to (column, row):
    // hex direction 0: (column + 2)(A + B) wide, 2B(row + 1) high; direction 1
    // the same with the axes exchanged; square: (column + 1) x S and
    // (row + 1) x S.
    MapSize ClientSizeFor(int column, int row) const;
};

}  // namespace yarrow
