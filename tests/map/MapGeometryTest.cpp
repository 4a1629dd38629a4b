#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "map/CMapGeometry.h"
#include "map/CMapPage.h"
#include "map/MapTypes.h"

namespace yarrow {
namespace {

TEST(MapTypesTest, ColoursSwapRedAndBlueBetweenDialogTextAndRecords) {
    struct Case {
        const char* text;
        std::int32_t color;
        const char* shown;
    };
    for (const Case& c :
         {Case{"FF0000", 0x0000FF, "FF0000"}, Case{"0x123456", 0x563412, "123456"},
          Case{"00ff00", 0x00FF00, "00FF00"}, Case{"zz", 0, "000000"}, Case{"", 0, "000000"}}) {
        EXPECT_EQ(MapColorFromText(c.text), c.color) << c.text;
        EXPECT_EQ(MapColorText(c.color), c.shown) << c.text;
    }
    EXPECT_EQ(RgbFromMapColor(0x00C0FF10), 0x10FFC0u);
}

// --- The three geometries ----------------------------------------------------

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

TEST(MapGeometryTest, CellBoxesAtTheScrollOrigin) {
    struct Case {
        const char* shape;
        int column, row;
        MapRect box;
    };
    const Case cases[] = {
        {"square large", 3, 7, {75, 175, 100, 200}},
        {"square small", 3, 7, {30, 70, 40, 80}},
        {"hex0 large", 0, 0, {10, 0, 25, 30}},
        {"hex0 large", 1, 0, {35, -15, 50, 15}},  // odd columns sit B higher
        {"hex0 large", 2, 1, {60, 30, 75, 60}},
        {"hex0 small", 1, 2, {17, 21, 24, 35}},
        {"hex1 large", 0, 0, {0, 10, 31, 25}},
        {"hex1 large", 0, 1, {-15, 35, 16, 50}},  // odd rows sit B further left
        {"hex1 large", 2, 2, {60, 60, 91, 75}},
        {"hex1 small", 2, 1, {21, 17, 36, 24}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PageNamed(c.shape).CellBox(c.column, c.row), c.box)
            << c.shape << " " << c.column << "," << c.row;
    }
}

TEST(MapGeometryTest, HexagonsAreTheBoxWithPointedEnds) {
    CMapPage page(0);
    EXPECT_EQ(page.HexVertices(0, 0),
              (HexPolygon{{{10, 0}, {25, 0}, {35, 15}, {25, 30}, {10, 30}, {0, 15}}}));
    page.SetHexDirection(1);
    EXPECT_EQ(page.HexVertices(0, 0),
              (HexPolygon{{{15, 0}, {30, 10}, {30, 25}, {15, 35}, {0, 25}, {0, 10}}}));
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

TEST(MapGeometryTest, CellsBeforeTheScrollOriginHaveEmptyBoxes) {
    for (const Shape& shape : kShapes) {
        CMapPage page = PageOf(shape);
        page.SetClientSize(200, 200);
        page.Scroll(ScrollAxis::Horizontal, ScrollAction::Thumb, 4);
        page.Scroll(ScrollAxis::Vertical, ScrollAction::Thumb, 6);
        EXPECT_TRUE(page.CellBox(3, 10).IsEmpty()) << shape.name;
        EXPECT_TRUE(page.CellBox(10, 5).IsEmpty()) << shape.name;
        EXPECT_FALSE(page.IsCellVisible(3, 6)) << shape.name;
        EXPECT_TRUE(page.IsCellVisible(4, 6)) << shape.name;
        EXPECT_TRUE(page.IsCellVisible(200, 250)) << shape.name;  // far right: a box all the same
    }
}

TEST(MapGeometryTest, AHitAtEveryBoxCentreFindsThatCell) {
    struct Scroll {
        int column, row;
        bool lineStep;  // one more line on an axis that does not stagger: odd positions too
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

TEST(MapGeometryTest, HitTestFollowsTheFormulasAtTheEdges) {
    struct Case {
        const char* shape;
        int x, y;
        MapCell cell;
    };
    const Case cases[] = {
        {"square large", 24, 24, {0, 0}},
        {"square large", 25, 49, {1, 1}},
        {"square small", 10, 9, {1, 0}},
        // Hex direction 0: the column is (x - 5) / 25, so x 29 is still 0.
        {"hex0 large", 4, 0, {0, 0}},
        {"hex0 large", 29, 29, {0, 0}},
        {"hex0 large", 30, 0, {1, 0}},   // odd column: y + 15 -> row 0
        {"hex0 large", 30, 15, {1, 1}},  // 30 / 30
        {"hex0 large", 55, 59, {2, 1}},
        {"hex1 large", 0, 30, {0, 1}},  // odd row: x + 15 -> column 0
        {"hex1 large", 15, 30, {1, 1}},
        {"hex1 large", 29, 29, {0, 0}},
        {"hex1 small", 14, 16, {1, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PageNamed(c.shape).HitTest(c.x, c.y), c.cell)
            << c.shape << " " << c.x << "," << c.y;
    }
    // Results wrap into a byte once the scroll position is added.
    CMapPage page(0);
    page.SetHexShape(false);
    page.SetClientSize(250, 250);
    page.Scroll(ScrollAxis::Horizontal, ScrollAction::ToEnd);
    EXPECT_EQ(page.ScrollColumn(), 246);
    EXPECT_EQ(page.HitTest(249, 0).column, 255);
    EXPECT_EQ(page.HitTest(250, 0).column, 0);
}

TEST(MapGeometryTest, VisibleCountsPerShape) {
    struct Case {
        const char* shape;
        int width, height;
        int columns, rows;
    };
    const Case cases[] = {
        {"square large", 500, 300, 20, 12}, {"square large", 524, 324, 20, 12},
        {"square small", 500, 305, 50, 30}, {"square small", 3000, 10, 256, 1},
        {"hex0 large", 500, 300, 20, 12},  // 20 even; 300/30 + 1 = 11 -> 12
        {"hex0 large", 525, 330, 22, 12},  // 21 -> 22; 11 + 1 = 12
        {"hex0 small", 120, 140, 10, 12},  // 120/12 = 10; 140/14 + 1 = 11 -> 12
        {"hex1 large", 300, 500, 12, 20},  // the axes exchanged
        {"hex1 large", 330, 525, 12, 22},   {"hex0 large", 0, 0, 0, 2},
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

TEST(MapGeometryTest, ClientSizeThatShowsAFarCell) {
    CMapGeometry g;
    EXPECT_EQ(g.ClientSizeFor(30, 20).width, 32 * 25);
    EXPECT_EQ(g.ClientSizeFor(30, 20).height, 30 * 21);
    g.hexDirection = 1;
    EXPECT_EQ(g.ClientSizeFor(30, 20).width, 30 * 31);
    EXPECT_EQ(g.ClientSizeFor(30, 20).height, 22 * 25);
    g.hexShape = false;
    EXPECT_EQ(g.ClientSizeFor(30, 20).width, 30 * 25);
    EXPECT_EQ(g.ClientSizeFor(30, 20).height, 20 * 25);
}

}  // namespace
}  // namespace yarrow
