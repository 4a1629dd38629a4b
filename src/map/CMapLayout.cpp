#include "map/CMapLayout.h"

#include <algorithm>

#include "platform/SjisText.h"

namespace yarrow {
namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

MapRect Moved(MapRect box, MapPoint by) {
    return {box.left + by.x, box.top + by.y, box.right + by.x, box.bottom + by.y};
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

CMapLayout::CMapLayout(const CMapGeometry& geometry) : geometry_(geometry), origin_(geometry) {
    origin_.scrollColumn = 0;
    origin_.scrollRow = 0;
    // Scrolling moves every box by the same amount (a staggered axis scrolls
    // in even steps, so the stagger pattern stays put).
    const MapRect shown = geometry_.CellBox(geometry_.scrollColumn, geometry_.scrollRow);
    const MapRect unscrolled = origin_.CellBox(geometry_.scrollColumn, geometry_.scrollRow);
    offset_ = {shown.left - unscrolled.left, shown.top - unscrolled.top};
}

MapRect CMapLayout::CellBox(int column, int row) const {
    return Moved(origin_.CellBox(column, row), offset_);
}

HexPolygon CMapLayout::HexVertices(int column, int row) const {
    HexPolygon corners = origin_.HexVertices(column, row);
    for (MapPoint& p : corners) {
        p.x += offset_.x;
        p.y += offset_.y;
    }
    return corners;
}

MapRect CMapLayout::CellOutline(int column, int row) const {
    const MapRect box = CellBox(column, row);
    if (!geometry_.hexShape) {
        return box;
    }
    const int a = geometry_.hexA;
    if (geometry_.hexDirection == 0) {
        return {box.left - a, box.top, box.right + a, box.bottom};
    }
    return {box.left, box.top - a, box.right, box.bottom + a};
}

MapRect CMapLayout::ItemBox(int column, int row) const {
    MapRect box = CellBox(column, row);
    if (geometry_.hexShape) {
        if (geometry_.hexDirection == 0) {
            box.left -= 6;
            box.right += 6;
        } else {
            box.top -= 6;
            box.bottom += 6;
        }
    }
    return box;
}

MapRect CMapLayout::SmallItemBox(int column, int row) const {
    const MapRect box = CellBox(column, row);
    if (!geometry_.hexShape) {
        return {box.left + 2, box.top + 2, box.right - 2, box.bottom - 2};
    }
    const int side = std::min(box.Width(), box.Height());
    const int left = box.left + (box.Width() - side) / 2;
    const int top = box.top + (box.Height() - side) / 2;
    return {left, top, left + side, top + side};
}

MapPoint CMapLayout::ChipOrigin(const MapRect& itemBox) const {
    return geometry_.hexShape ? MapPoint{itemBox.left + 4, itemBox.top + 5}
                              : MapPoint{itemBox.left + 3, itemBox.top + 3};
}

MapPoint CMapLayout::FacingDot(const MapRect& box, int facing) const {
    const int l = box.left;
    const int t = box.top;
    const int r = box.right;
    const int b = box.bottom;
    if (!geometry_.hexShape) {
        switch (facing) {
            case 2:
                return {l + 19, t + 9};
            case 3:
                return {l + 9, t + 19};
            case 4:
                return {l + 1, t + 9};
            default:
                return {l + 9, t + 1};
        }
    }
    const int m = t + (b - t) / 2;
    if (geometry_.hexDirection == 0) {
        switch (facing) {
            case 1:
                return {r - 6, t + 6};
            case 2:
                return {r - 6, t + 18};
            case 3:
                return {l + (r - l - 6) / 2, b - 6};
            case 4:
                return {l, t + 18};
            case 5:
                return {l, t + 6};
            default:
                return {l + (r - l - 6) / 2, t};
        }
    }
    switch (facing) {
        case 1:
            return {l + 6, t};
        case 2:
            return {r - 12, t};
        case 3:
            return {r - 6, m - 3};
        case 4:
            return {r - 12, t + 21};
        case 5:
            return {l + 6, t + 21};
        default:
            return {l, m - 3};
    }
}

MapPoint CMapLayout::CellCentre(int column, int row) const {
    const MapRect box = CellBox(column, row);
    return {box.CenterX(), box.CenterY()};
}

MapPoint CMapLayout::LeaderEnd(MapCell item, MapCell anchor) const {
    const MapRect box = CellBox(anchor.column, anchor.row);
    const int ax = box.CenterX();
    const int ay = box.CenterY();
    if (geometry_.smallTiles) {
        return {ax, ay};
    }
    const MapPoint u = CellCentre(item.column, item.row);
    if (!geometry_.hexShape) {
        // The corner when the item lies diagonally, the middle of the facing
        // edge when it shares the row or column.
        const int dc = Sign(item.column - anchor.column);
        const int dr = Sign(item.row - anchor.row);
        return {dc < 0   ? box.left
                : dc > 0 ? box.right
                         : ax,
                dr < 0   ? box.top
                : dr > 0 ? box.bottom
                         : ay};
    }
    if (geometry_.hexDirection == 0) {
        int y = u.y < ay ? ay - 8 : u.y > ay ? ay + 8 : ay;
        int x = ax;
        if (u.x < ax) {
            x = box.left - 4;
        } else if (u.x > ax) {
            x = box.right + 4;
        } else if (u.y < y) {
            y = box.top + 1;
        } else if (u.y > y) {
            y = box.bottom;
        }
        return {x, y};
    }
    int x = u.x < ax ? ax - 8 : u.x > ax ? ax + 8 : ax;
    int y = ay;
    if (u.y < ay) {
        y = box.top - 4;
    } else if (u.y > ay) {
        y = box.bottom + 4;
    } else if (u.x < x) {
        x = box.left + 1;
    } else if (u.x > x) {
        x = box.right;
    }
    return {x, y};
}

std::string_view CMapLayout::DrawnText(std::string_view text) {
    if (text.size() <= kMaxDrawnTextBytes) {
        return text;
    }
    return text.substr(0, SjisCutLength(text, kMaxDrawnTextBytes));
}

std::vector<std::string_view> CMapLayout::LabelLines(std::string_view text) {
    text = DrawnText(text);
    std::vector<std::string_view> lines;
    while (static_cast<int>(lines.size()) < kMaxLabelLines) {
        const std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

std::string_view CMapLayout::UnitCharacters(std::string_view symbol) {
    if (symbol.size() <= 1) {
        return symbol;
    }
    if (IsLeadByte(static_cast<unsigned char>(symbol[0]))) {
        return symbol.substr(0, 2);
    }
    // A single-byte character, then maybe the lead byte of a character whose
    // second byte would be cut off.
    return symbol.substr(0, IsLeadByte(static_cast<unsigned char>(symbol[1])) ? 1 : 2);
}

}  // namespace yarrow
