#include "map/CMapGeometry.h"

#include <algorithm>

namespace yarrow {

namespace {

int RoundUpToEven(int n) {
    return (n % 2 != 0) ? n + 1 : n;
}

}  // namespace

MapRect CMapGeometry::CellBox(int column, int row) const {
    const int c = column - scrollColumn;
    const int r = row - scrollRow;
    if (c < 0 || r < 0)
        return {};
    if (!hexShape) {
        const int s = SquareSize();
        return {c * s, r * s, c * s + s, r * s + s};
    }
    const int a = hexA;
    const int b = hexB;
    if (hexDirection == 0) {
        const int stagger = column & 1;  // the absolute column decides
        const int y0 = b * (2 * r - stagger);
        return {a + (a + b) * c, y0, (a + b) * (c + 1), y0 + 2 * b};
    }
    const int stagger = row & 1;
    const int x0 = b * (2 * c - stagger);
    return {x0, a + (a + b) * r, x0 + 2 * b + 1, (a + b) * (r + 1)};
}

HexPolygon CMapGeometry::HexVertices(int column, int row) const {
    const int c = column - scrollColumn;
    const int r = row - scrollRow;
    const int a = hexA;
    const int b = hexB;
    if (hexDirection == 0) {
        const int y0 = b * (2 * r - (column & 1));
        const int left = a + (a + b) * c;
        const int right = (a + b) * (c + 1);
        return {{{left, y0},
                 {right, y0},
                 {right + a, y0 + b},
                 {right, y0 + 2 * b},
                 {left, y0 + 2 * b},
                 {(a + b) * c, y0 + b}}};
    }
    const int x0 = b * (2 * c - (row & 1));
    const int top = a + (a + b) * r;
    const int bottom = (a + b) * (r + 1);
    return {{{x0 + b, (a + b) * r},
             {x0 + 2 * b, top},
             {x0 + 2 * b, bottom},
             {x0 + b, bottom + a},
             {x0, bottom},
             {x0, top}}};
}

MapCell CMapGeometry::HitTest(int x, int y) const {
    int column = 0;
    int row = 0;
    if (!hexShape) {
        const int s = SquareSize();
        column = x / s;
        row = y / s;
    } else if (hexDirection == 0) {
        column = (x - 5) / (hexA + hexB);
        if (column % 2 != 0)
            y += hexB;
        row = y / (2 * hexB);
    } else {
        row = (y - 5) / (hexA + hexB);
        if (row % 2 != 0)
            x += hexB;
        column = x / (2 * hexB);
    }
    return {column + scrollColumn, row + scrollRow};
}

MapCellCounts CMapGeometry::VisibleCounts(int width, int height) const {
    width = std::max(width, 0);
    height = std::max(height, 0);
    MapCellCounts counts;
    if (!hexShape) {
        const int s = SquareSize();
        counts = {width / s, height / s};
    } else {
        // Along the staggered axis the pitch is A + B, across it 2B.
        const int pitch = hexA + hexB;
        const int across = 2 * hexB;
        if (hexDirection == 0)
            counts = {RoundUpToEven(width / pitch), RoundUpToEven(height / across + 1)};
        else
            counts = {RoundUpToEven(width / across + 1), RoundUpToEven(height / pitch)};
    }
    counts.columns = std::min(counts.columns, kMapSide);
    counts.rows = std::min(counts.rows, kMapSide);
    return counts;
}

MapSize CMapGeometry::ClientSizeFor(int column, int row) const {
    if (!hexShape) {
        const int s = SquareSize();
        return {(column + 1) * s, (row + 1) * s};
    }
    const int pitch = hexA + hexB;
    const int across = 2 * hexB;
    if (hexDirection == 0)
        return {(column + 2) * pitch, across * (row + 1)};
    return {across * (column + 1), (row + 2) * pitch};
}

}  // namespace yarrow
