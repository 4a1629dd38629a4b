#include "map/MapRings.h"

namespace yarrow {

namespace {

// Hex rings in "doubled" coordinates along the staggered axis: a cell at
// (major m, minor n) sits at half-cell height Y = 2n - (m odd). Neighbours
// then differ by (+-1, Y +-1) or (0, Y +-2); the cells at distance d in
// major offset k (|k| <= d) are Y offsets -d, -d+2, .., d when |k| = d and
// +-(2d - |k|) otherwise.
class HexRing {
  public:
    HexRing(bool rowsStaggered, MapCell target, std::vector<MapCell>& out)
        : rowsStaggered_(rowsStaggered), out_(out) {
        major_ = rowsStaggered ? target.row : target.column;
        minor_ = rowsStaggered ? target.column : target.row;
        y_ = 2 * minor_ - (major_ & 1);
    }

    void Add(int majorOffset, int yOffset) {
        const int major = major_ + majorOffset;
        const int y = y_ + yOffset;
        // y and the major offset have the same parity, so y + (major odd) is
        // always even and halves exactly, also below zero.
        const int minor = (y + (major & 1)) / 2;
        const MapCell cell = rowsStaggered_ ? MapCell{minor, major} : MapCell{major, minor};
        if (IsOnMap(cell.column, cell.row))
            out_.push_back(cell);
    }

  private:
    bool rowsStaggered_;
    std::vector<MapCell>& out_;
    int major_ = 0;
    int minor_ = 0;
    int y_ = 0;
};

}  // namespace

std::vector<MapCell> RingCells(bool hexShape, int hexDirection, MapCell target, int d) {
    std::vector<MapCell> cells;
    if (d <= 0)
        return cells;
    if (!hexShape) {
        auto add = [&](int dc, int dr) {
            const MapCell cell{target.column + dc, target.row + dr};
            if (IsOnMap(cell.column, cell.row))
                cells.push_back(cell);
        };
        for (int dr = -d; dr <= d; ++dr) {
            if (dr == -d || dr == d) {
                for (int dc = -d; dc <= d; ++dc)
                    add(dc, dr);
            } else {
                // Inside the block only its left and right edge are new (and,
                // for the first ring, the target itself between them).
                add(-d, dr);
                if (d == 1 && dr == 0)
                    add(0, 0);
                add(d, dr);
            }
        }
        return cells;
    }
    HexRing ring(hexDirection != 0, target, cells);
    for (int y = -d; y <= d; y += 2) {
        ring.Add(-d, y);
        ring.Add(d, y);
    }
    for (int k = d - 1; k >= 1; --k) {
        const int y = 2 * d - k;
        ring.Add(-k, -y);
        ring.Add(-k, y);
        ring.Add(k, -y);
        ring.Add(k, y);
    }
    ring.Add(0, -2 * d);
    ring.Add(0, 2 * d);
    return cells;
}

}  // namespace yarrow
