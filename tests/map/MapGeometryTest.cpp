#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "map/CMapLayout.h"
#include "map/CMapPage.h"
#include "map/MapTypes.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

// --- The three geometries and their drawing layout
// ------------------------------

struct Shape {
    const char* name;
    bool hex;
    int direction;
    bool small;
};

constexpr Shape kShapes[] = {
    {"square large", false, 0, false}, {"square small", false, 0, true},
    {"hex0 large", true, 0, false},    {"hex0 small", true, 0, true},
    {"hex1 large", true, 1, false},    {"hex1 small", true, 1, true},
};

CMapPage PageOf(const Shape& shape) {
    CMapPage page(0);
    page.SetHexShape(shape.hex);
    page.SetHexDirection(shape.direction);
    page.SetSmallTiles(shape.small);
    return page;
}

CMapPage PageNamed(const std::string& name) {
    return PageOf(*std::find_if(std::begin(kShapes), std::end(kShapes),
                                [&](const Shape& s) { return name == s.name; }));
}

// The shape's geometry scrolled to a first column and row (no client needed).
CMapGeometry GeometryOf(const std::string& name, int column = 0, int row = 0) {
    CMapGeometry g = PageNamed(name).Geometry();
    g.scrollColumn = column;
    g.scrollRow = row;
    return g;
}

TEST(MapGeometryTest, CellBoxesOnThePageAndBeforeTheScrollOriginForDrawing) {
    struct Case {
        const char* shape;
        int scrollColumn, scrollRow, column, row;
        MapRect box;
    };
    const Case cases[] = {
        {"square large", 0, 0, 3, 7, {75, 175, 100, 200}},
        {"square large", 2, 1, 1, 0, {-25, -25, 0, 0}},
        {"hex0 large", 0, 0, 0, 0, {10, 0, 25, 30}},
        {"hex0 large", 0, 0, 1, 0, {35, -15, 50, 15}},  // odd columns sit B higher
        {"hex0 large", 2, 0, 1, 0, {-15, -15, 0, 15}},  // the hexagon cut by the
                                                        // left edge
        {"hex0 small", 0, 0, 1, 2, {17, 21, 24, 35}},
        {"hex1 large", 0, 0, 0, 0, {0, 10, 31, 25}},
        {"hex1 large", 0, 0, 0, 1, {-15, 35, 16, 50}},  // odd rows sit B further
                                                        // left
        {"hex1 large", 0, 2, 0, 1, {-15, -15, 16, 0}},
        {"hex1 small", 0, 0, 2, 1, {21, 17, 36, 24}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.shape) + " " + std::to_string(c.column) + "," +
                     std::to_string(c.row));
        const CMapGeometry g = GeometryOf(c.shape, c.scrollColumn, c.scrollRow);
        // The layout draws cut cells; the page has no box (no tip, no hit) for
        // them.
        EXPECT_EQ(CMapLayout(g).CellBox(c.column, c.row), c.box);
        if (c.column < c.scrollColumn || c.row < c.scrollRow)
            EXPECT_TRUE(g.CellBox(c.column, c.row).IsEmpty());
        else
            EXPECT_EQ(g.CellBox(c.column, c.row), c.box);
    }
}

int SharedVertices(const HexPolygon& a, const HexPolygon& b) {
    int shared = 0;
    for (const MapPoint& p : a)
        shared += static_cast<int>(std::count(b.begin(), b.end(), p));
    return shared;
}

TEST(MapGeometryTest, NeighbouringHexagonsShareTheirSlantedEdges) {
    for (const Shape& shape : kShapes) {
        if (!shape.hex)
            continue;
        const CMapPage page = PageOf(shape);
        for (int major = 2; major < 6; ++major) {
            const int minor = 4;
            // Along the staggered axis a cell touches two cells of the next
            // line: the same minor index and the one above or below it.
            const int other = (major & 1) ? minor - 1 : minor + 1;
            auto cell = [&](int ma, int mi) {
                return shape.direction == 0 ? page.HexVertices(ma, mi) : page.HexVertices(mi, ma);
            };
            EXPECT_EQ(SharedVertices(cell(major, minor), cell(major + 1, minor)), 2) << shape.name;
            EXPECT_EQ(SharedVertices(cell(major, minor), cell(major + 1, other)), 2) << shape.name;
            EXPECT_EQ(SharedVertices(cell(major, minor), cell(major, minor + 1)), 2) << shape.name;
        }
    }
}

TEST(MapGeometryTest, AHitAtEveryBoxCentreFindsThatCell) {
    struct Scroll {
        int column, row;
        bool lineStep;  // one more line on an axis that does not stagger: odd
                        // positions too
    };
    for (const Shape& shape : kShapes) {
        for (const Scroll& scroll : {Scroll{0, 0, false}, Scroll{4, 6, false}, Scroll{4, 6, true},
                                     Scroll{100, 200, false}, Scroll{100, 200, true}}) {
            CMapPage page = PageOf(shape);
            page.SetClientSize(400, 400);
            page.Scroll(ScrollAxis::Horizontal, ScrollAction::Thumb, scroll.column);
            page.Scroll(ScrollAxis::Vertical, ScrollAction::Thumb, scroll.row);
            ASSERT_EQ(page.ScrollColumn(), scroll.column) << shape.name;
            ASSERT_EQ(page.ScrollRow(), scroll.row) << shape.name;
            if (scroll.lineStep) {
                const bool columnsStagger = shape.hex && shape.direction == 0;
                const ScrollAxis plain =
                    columnsStagger ? ScrollAxis::Vertical : ScrollAxis::Horizontal;
                ASSERT_TRUE(page.Scroll(plain, ScrollAction::LineForward));
                ASSERT_EQ(page.ScrollPosition(plain) % 2, 1) << shape.name;
            }
            const int firstColumn = page.ScrollColumn();
            const int firstRow = page.ScrollRow();
            int checked = 0;
            for (int column = firstColumn; column < std::min(256, firstColumn + 40); ++column) {
                for (int row = firstRow; row < std::min(256, firstRow + 40); ++row) {
                    const MapRect box = page.CellBox(column, row);
                    ASSERT_FALSE(box.IsEmpty());
                    EXPECT_EQ(page.HitTest(box.CenterX(), box.CenterY()), (MapCell{column, row}))
                        << shape.name << " cell " << column << "," << row;
                    ++checked;
                }
            }
            EXPECT_GT(checked, 100);
        }
    }
}

TEST(MapGeometryTest, HitTestAtTheEdgesBetweenCells) {
    struct Case {
        const char* shape;
        int x, y;
        MapCell cell;
    };
    const Case cases[] = {
        {"square large", 25, 49, {1, 1}},
        // Hex direction 0: the column is (x - 5) / 25, so x 29 is still 0.
        {"hex0 large", 29, 29, {0, 0}},
        {"hex0 large", 30, 0, {1, 0}},  // odd column: y + 15 -> row 0
        {"hex0 large", 30, 15, {1, 1}},
        {"hex1 large", 0, 30, {0, 1}},  // odd row: x + 15
        {"hex1 small", 14, 16, {1, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PageNamed(c.shape).HitTest(c.x, c.y), c.cell)
            << c.shape << " " << c.x << "," << c.y;
    }
    // Scrolled to the end, the strip past the last whole cell is off the
    // map: it must not stand for a cell at the other end of the map.
    for (const char* shape : {"square large", "hex0 large", "hex1 large"}) {
        CMapPage page = PageNamed(shape);
        page.SetClientSize(262, 262);  // not a whole number of cells
        page.Scroll(ScrollAxis::Horizontal, ScrollAction::ToEnd);
        page.Scroll(ScrollAxis::Vertical, ScrollAction::ToEnd);
        const MapCell corner = page.HitTest(261, 261);
        EXPECT_FALSE(corner.column < page.ScrollColumn() || corner.row < page.ScrollRow())
            << shape << " " << corner.column << "," << corner.row;
        EXPECT_EQ(page.HitTest(0, 0), (MapCell{page.ScrollColumn(), page.ScrollRow()})) << shape;
    }
    CMapPage page = PageNamed("square large");
    page.SetClientSize(262, 262);
    page.Scroll(ScrollAxis::Horizontal, ScrollAction::ToEnd);
    EXPECT_EQ(page.ScrollColumn(), 246);
    EXPECT_EQ(page.HitTest(249, 0).column, 255);
    EXPECT_EQ(page.HitTest(255, 0).column, 256);
    EXPECT_FALSE(page.PaintTile(256, 0).changed);
    EXPECT_TRUE(page.Tiles().empty());
}

TEST(MapGeometryTest, StaggeredAxesShowAnEvenNumberOfLines) {
    struct Case {
        const char* shape;
        int width, height;
        int columns, rows;
    };
    const Case cases[] = {
        {"square small", 3000, 10, 256, 1},
        {"hex0 large", 525, 330, 22, 12},  // 21 -> 22; 330/30 + 1 = 12
        {"hex0 small", 120, 140, 10, 12},  // 120/12 = 10; 140/14 + 1 = 11 -> 12
        {"hex1 large", 330, 525, 12, 22},  // the axes exchanged
        {"hex0 large", 0, 0, 0, 2},
    };
    for (const Case& c : cases) {
        CMapPage page = PageNamed(c.shape);
        page.SetClientSize(c.width, c.height);
        EXPECT_EQ(page.VisibleCols(), c.columns) << c.shape << " " << c.width << "x" << c.height;
        EXPECT_EQ(page.VisibleRows(), c.rows) << c.shape << " " << c.width << "x" << c.height;
        EXPECT_EQ(page.ScrollMax(ScrollAxis::Horizontal), 256 - c.columns);
        EXPECT_EQ(page.ScrollMax(ScrollAxis::Vertical), 256 - c.rows);
    }
}

// Where the dot sits in the widened item box tells which way a unit faces.
TEST(MapLayout, FacingDotsAndOutlinesOfHexItems) {
    struct Case {
        const char* shape;
        MapRect box, outline;
        MapPoint dots[6];  // facing 0 to 5
    };
    const Case cases[] = {
        {"hex0 large",
         {4, 0, 31, 30},
         {0, 0, 35, 30},
         {{14, 0}, {25, 6}, {25, 18}, {14, 24}, {4, 18}, {4, 6}}},
        {"hex1 large",
         {0, 4, 31, 31},
         {0, 0, 31, 35},
         {{0, 14}, {6, 4}, {19, 4}, {25, 14}, {19, 25}, {6, 25}}},
    };
    for (const Case& c : cases) {
        const CMapLayout layout(GeometryOf(c.shape));
        ASSERT_EQ(layout.ItemBox(0, 0), c.box) << c.shape;
        // Outlines reach A pixels beyond the box on the pointed sides.
        EXPECT_EQ(layout.CellOutline(0, 0), c.outline) << c.shape;
        for (int facing = 0; facing < 6; ++facing)
            EXPECT_EQ(layout.FacingDot(c.box, facing), c.dots[facing]) << c.shape << facing;
        EXPECT_EQ(layout.FacingDot(c.box, 9), c.dots[0]) << c.shape;
    }
    EXPECT_EQ(CMapLayout(GeometryOf("hex0 large")).ChipOrigin({4, 0, 31, 30}), (MapPoint{8, 5}));
}

TEST(MapLayout, LeaderLinesEndOnTheAnchorsBorderFacingTheItem) {
    struct Case {
        const char* name;
        const char* shape;
        MapCell item, anchor;
        MapPoint end;
    };
    const Case cases[] = {
        // Square anchor (3,3): box 75..100, centre 87.
        {"square diagonal", "square large", {5, 5}, {3, 3}, {100, 100}},
        {"square same row", "square large", {5, 3}, {3, 3}, {100, 87}},
        {"square same cell", "square large", {3, 3}, {3, 3}, {87, 87}},
        // Hex 0 anchor (2,2): box 60..75 x 60..90, centre (67, 75).
        {"hex0 right", "hex0 large", {4, 2}, {2, 2}, {79, 75}},
        {"hex0 left below", "hex0 large", {0, 4}, {2, 2}, {56, 83}},
        {"hex0 straight below", "hex0 large", {2, 5}, {2, 2}, {67, 90}},
        {"hex0 straight above", "hex0 large", {2, 0}, {2, 2}, {67, 61}},
        // Hex 1 anchor (2,2): box 60..91 x 60..75, centre (75, 67).
        {"hex1 below", "hex1 large", {2, 4}, {2, 2}, {75, 79}},
        {"hex1 straight left", "hex1 large", {0, 2}, {2, 2}, {61, 67}},
        {"hex1 straight right", "hex1 large", {4, 2}, {2, 2}, {91, 67}},
        {"hex1 up-left", "hex1 large", {1, 1}, {2, 2}, {67, 56}},
        // Small cells: the anchor's centre.
        {"small square", "square small", {5, 5}, {3, 3}, {35, 35}},
        {"small hex", "hex0 small", {4, 2}, {2, 2}, {32, 35}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMapLayout(GeometryOf(c.shape)).LeaderEnd(c.item, c.anchor), c.end) << c.name;
}

TEST(MapLayout, LabelLinesAndUnitCharacters) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(CMapLayout::LabelLines("a\r\nbc\r\n"), (Lines{"a", "bc", ""}));
    EXPECT_EQ(CMapLayout::LabelLines("a\nb"), (Lines{"a\nb"}));
    std::string many;
    for (int i = 0; i < 20; ++i)
        many += std::to_string(i) + "\r\n";
    const Lines cut = CMapLayout::LabelLines(many);
    ASSERT_EQ(cut.size(), 11u);
    EXPECT_EQ(cut.back(), "10");

    // A long label is drawn up to the byte limit, cut before a double-byte
    // character that would not fit whole.
    const std::string knight = Sjis("騎士");
    std::string knights;
    for (int i = 0; i < 300; ++i)
        knights += knight;
    std::string halfWidth;
    for (int i = 0; i < 600; ++i)
        halfWidth += Sjis("ｺﾞ");
    const std::size_t limit = CMapLayout::kMaxDrawnTextBytes;
    const struct {
        std::string text;
        std::size_t drawn;
    } longLabels[] = {
        {std::string(5000, 'x'), limit},
        {std::string(limit - 1, 'x') + knight, limit - 1},
        {std::string(limit - 2, 'x') + knight, limit},
        {knights, limit},
        {"x" + knights, limit - 1},
        {halfWidth, limit},
        {std::string(limit, 'x'), limit},
    };
    for (const auto& c : longLabels) {
        EXPECT_EQ(CMapLayout::DrawnText(c.text), std::string_view(c.text).substr(0, c.drawn))
            << c.text.size();
        const Lines lines = CMapLayout::LabelLines(c.text);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].size(), c.drawn) << c.text.size();
    }

    EXPECT_EQ(CMapLayout::UnitCharacters(knight), Sjis("騎"));
    EXPECT_EQ(CMapLayout::UnitCharacters("Orc"), "Or");
    EXPECT_EQ(CMapLayout::UnitCharacters("A" + knight), "A");
    EXPECT_EQ(CMapLayout::UnitCharacters(""), "");
    // Half-width katakana are single bytes.
    EXPECT_EQ(CMapLayout::UnitCharacters(Sjis("ｺﾞﾌﾞ")), Sjis("ｺﾞ"));
}

}  // namespace
}  // namespace yarrow
