#pragma once
// Where the parts of a drawn map go, in client pixels: the boxes items are
// drawn in, the facing dots, where leader lines end, where a chip's picture
// sits, and how label text is cut into lines. Built once per paint from the
// page's geometry; plain arithmetic, so the drawing code only paints.
//
// Unlike CMapGeometry::CellBox, the boxes here exist for every cell, also
// left of or above the scroll origin: hexagons cut by the top or left edge
// are partly visible, and a leader line may point at a cell scrolled away.

#include <string>
#include <string_view>
#include <vector>

#include "map/CMapGeometry.h"
#include "map/MapTypes.h"

namespace yarrow {

class CMapLayout {
  public:
    // Tile labels count at most this many lines, and longer texts are cut to
    // this many bytes before they are drawn (a label from the network may be
    // megabytes long).
    static constexpr int kMaxLabelLines = 11;
    static constexpr std::size_t kMaxDrawnTextBytes = 1024;
    // Chips are drawn at this size from their bitmaps.
    static constexpr int kChipSize = 19;
    // The facing dot is a filled square of this size.
    static constexpr int kFacingDotSize = 6;
    // The dot at the end of a leader line at normal size.
    static constexpr int kLeaderDotRadius = 3;

    explicit CMapLayout(const CMapGeometry& geometry);

    const CMapGeometry& Geometry() const { return geometry_; }

    // The cell's box, for any cell (see CMapGeometry::CellBox for the shapes).
    MapRect CellBox(int column, int row) const;
    // The hexagon's corners (hex shape).
    HexPolygon HexVertices(int column, int row) const;
    // The smallest rectangle holding everything a cell's tile shows of its
    // shape: the box, or for hexagons the box with its two points.
    MapRect CellOutline(int column, int row) const;

    // Normal size: the box items are drawn in: the cell box, for hexagons
    // widened by 6 pixels on both sides across the stagger (left and right in
    // direction 0, top and bottom in direction 1).
    MapRect ItemBox(int column, int row) const;
    // Small size: the cell box inset by 2 pixels (square), or the hexagon's
    // box squared to its shorter side around its centre.
    MapRect SmallItemBox(int column, int row) const;
    // Top-left corner of a chip's picture in its item box.
    MapPoint ChipOrigin(const MapRect& itemBox) const;
    // Top-left corner of a unit's facing dot (normal size) in its item box;
    // the square cell's dot is placed from the box's top-left corner.
    MapPoint FacingDot(const MapRect& itemBox, int facing) const;
    // Where a leader line from the item's cell centre to its anchor cell ends:
    // the anchor's centre at small size; otherwise on the anchor's border
    // facing the item.
    MapPoint LeaderEnd(MapCell item, MapCell anchor) const;
    MapPoint CellCentre(int column, int row) const;

    // What is drawn of a label or symbol: its first kMaxDrawnTextBytes bytes
    // at most, never ending in half a double-byte character.
    static std::string_view DrawnText(std::string_view text);
    // A label cut at "\r\n" into at most kMaxLabelLines lines (text beyond
    // DrawnText is not drawn).
    static std::vector<std::string_view> LabelLines(std::string_view text);
    // What a unit shows of its symbol: its first two bytes, never half a
    // double-byte character.
    static std::string_view UnitCharacters(std::string_view symbol);

  private:
    CMapGeometry geometry_;
    CMapGeometry origin_;  // the same geometry scrolled to 0, 0
    MapPoint offset_;      // where that origin's boxes move to on screen
};

}  // namespace yarrow
