#include <gtest/gtest.h>

#include <string>

#include "map/CMapLayout.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

CMapGeometry Square(bool small = false, int scrollColumn = 0, int scrollRow = 0) {
    CMapGeometry g;
    g.hexShape = false;
    g.smallTiles = small;
    g.scrollColumn = scrollColumn;
    g.scrollRow = scrollRow;
    return g;
}

CMapGeometry Hex(int direction, bool small = false, int scrollColumn = 0, int scrollRow = 0) {
    CMapGeometry g;
    g.hexDirection = direction;
    g.smallTiles = small;
    g.hexA = small ? 5 : 10;
    g.hexB = small ? 7 : 15;
    g.scrollColumn = scrollColumn;
    g.scrollRow = scrollRow;
    return g;
}

TEST(MapLayout, BoxesExistAlsoBeforeTheScrollOrigin) {
    struct Case {
        const char* name;
        CMapGeometry g;
        MapCell cell;
        MapRect box;
    };
    const Case cases[] = {
        {"square", Square(), {2, 3}, {50, 75, 75, 100}},
        {"square scrolled", Square(false, 2, 1), {1, 0}, {-25, -25, 0, 0}},
        {"hex 0", Hex(0), {3, 1}, {85, 15, 100, 45}},
        // Column 1 left of a scroll origin at column 2: the hexagon cut by
        // the left edge.
        {"hex 0 scrolled", Hex(0, false, 2, 0), {1, 0}, {-15, -15, 0, 15}},
        {"hex 1", Hex(1), {1, 3}, {15, 85, 46, 100}},
        {"hex 1 scrolled", Hex(1, false, 0, 2), {0, 1}, {-15, -15, 16, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CMapLayout layout(c.g);
        EXPECT_EQ(layout.CellBox(c.cell.column, c.cell.row), c.box);
        // Visible cells agree with the page geometry.
        const MapCell far{c.cell.column + 4, c.cell.row + 4};
        EXPECT_EQ(layout.CellBox(far.column, far.row), c.g.CellBox(far.column, far.row));
    }
}

TEST(MapLayout, ItemBoxesWidenHexagonsAcrossTheStagger) {
    EXPECT_EQ(CMapLayout(Square()).ItemBox(1, 1), (MapRect{25, 25, 50, 50}));
    EXPECT_EQ(CMapLayout(Hex(0)).ItemBox(0, 0), (MapRect{4, 0, 31, 30}));
    EXPECT_EQ(CMapLayout(Hex(1)).ItemBox(0, 0), (MapRect{0, 4, 31, 31}));
    // Small: square inset by two, hexagon boxes squared around their centre.
    EXPECT_EQ(CMapLayout(Square(true)).SmallItemBox(1, 2), (MapRect{12, 22, 18, 28}));
    EXPECT_EQ(CMapLayout(Hex(0, true)).SmallItemBox(0, 0), (MapRect{5, 3, 12, 10}));
    const MapRect small1 = CMapLayout(Hex(1, true)).SmallItemBox(0, 0);
    EXPECT_EQ(small1.Width(), small1.Height());
    // Hexagon outlines reach A pixels beyond the box on the pointed sides.
    EXPECT_EQ(CMapLayout(Hex(0)).CellOutline(0, 0), (MapRect{0, 0, 35, 30}));
    EXPECT_EQ(CMapLayout(Hex(1)).CellOutline(0, 0), (MapRect{0, 0, 31, 35}));
}

TEST(MapLayout, ChipsAndFacingDots) {
    const CMapLayout square(Square());
    const MapRect cell = square.ItemBox(0, 0);
    EXPECT_EQ(square.ChipOrigin(cell), (MapPoint{3, 3}));
    struct Dot {
        int facing;
        MapPoint at;
    };
    for (const Dot& d : {Dot{0, {9, 1}}, Dot{1, {9, 1}}, Dot{2, {19, 9}}, Dot{3, {9, 19}},
                         Dot{4, {1, 9}}, Dot{5, {9, 1}}}) {
        EXPECT_EQ(square.FacingDot(cell, d.facing), d.at) << d.facing;
    }
    // Hex direction 0 in the widened box L 4, T 0, R 31, B 30.
    const CMapLayout hex0(Hex(0));
    const MapRect box0 = hex0.ItemBox(0, 0);
    EXPECT_EQ(hex0.ChipOrigin(box0), (MapPoint{8, 5}));
    for (const Dot& d : {Dot{0, {14, 0}}, Dot{1, {25, 6}}, Dot{2, {25, 18}}, Dot{3, {14, 24}},
                         Dot{4, {4, 18}}, Dot{5, {4, 6}}, Dot{9, {14, 0}}}) {
        EXPECT_EQ(hex0.FacingDot(box0, d.facing), d.at) << d.facing;
    }
    // Hex direction 1 in the widened box L 0, T 4, R 31, B 31 (M 17).
    const CMapLayout hex1(Hex(1));
    const MapRect box1 = hex1.ItemBox(0, 0);
    for (const Dot& d : {Dot{0, {0, 14}}, Dot{1, {6, 4}}, Dot{2, {19, 4}}, Dot{3, {25, 14}},
                         Dot{4, {19, 25}}, Dot{5, {6, 25}}}) {
        EXPECT_EQ(hex1.FacingDot(box1, d.facing), d.at) << d.facing;
    }
}

TEST(MapLayout, LeaderLinesEndOnTheAnchorsBorderFacingTheItem) {
    struct Case {
        const char* name;
        CMapGeometry g;
        MapCell item, anchor;
        MapPoint end;
    };
    const Case cases[] = {
        // Square anchor (3,3): box 75..100, centre 87.
        {"square diagonal", Square(), {5, 5}, {3, 3}, {100, 100}},
        {"square same row", Square(), {5, 3}, {3, 3}, {100, 87}},
        {"square same cell", Square(), {3, 3}, {3, 3}, {87, 87}},
        // Hex 0 anchor (2,2): box 60..75 x 60..90, centre (67, 75).
        {"hex0 right", Hex(0), {4, 2}, {2, 2}, {79, 75}},
        {"hex0 left below", Hex(0), {0, 4}, {2, 2}, {56, 83}},
        {"hex0 straight below", Hex(0), {2, 5}, {2, 2}, {67, 90}},
        {"hex0 straight above", Hex(0), {2, 0}, {2, 2}, {67, 61}},
        // Hex 1 anchor (2,2): box 60..91 x 60..75, centre (75, 67).
        {"hex1 below", Hex(1), {2, 4}, {2, 2}, {75, 79}},
        {"hex1 straight left", Hex(1), {0, 2}, {2, 2}, {61, 67}},
        {"hex1 straight right", Hex(1), {4, 2}, {2, 2}, {91, 67}},
        {"hex1 up-left", Hex(1), {1, 1}, {2, 2}, {67, 56}},
        // Small cells: the anchor's centre.
        {"small square", Square(true), {5, 5}, {3, 3}, {35, 35}},
        {"small hex", Hex(0, true), {4, 2}, {2, 2}, {32, 35}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CMapLayout(c.g).LeaderEnd(c.item, c.anchor), c.end);
    }
}

TEST(MapLayout, LabelLinesAndUnitCharacters) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(CMapLayout::LabelLines("abc"), (Lines{"abc"}));
    EXPECT_EQ(CMapLayout::LabelLines("a\r\nbc\r\n"), (Lines{"a", "bc", ""}));
    EXPECT_EQ(CMapLayout::LabelLines("a\nb"), (Lines{"a\nb"}));
    std::string many;
    for (int i = 0; i < 20; ++i)
        many += std::to_string(i) + "\r\n";
    const Lines cut = CMapLayout::LabelLines(many);
    ASSERT_EQ(cut.size(), 11u);
    EXPECT_EQ(cut.back(), "10");
    EXPECT_EQ(CMapLayout::LabelLines(std::string(5000, 'x'))[0].size(),
              CMapLayout::kMaxDrawnTextBytes);

    const std::string knight = Sjis("騎士");
    EXPECT_EQ(CMapLayout::UnitCharacters(knight), Sjis("騎"));
    EXPECT_EQ(CMapLayout::UnitCharacters("Orc"), "Or");
    EXPECT_EQ(CMapLayout::UnitCharacters("A" + knight), "A");
    EXPECT_EQ(CMapLayout::UnitCharacters(""), "");
    // Half-width katakana are single bytes.
    EXPECT_EQ(CMapLayout::UnitCharacters(Sjis("ｺﾞﾌﾞ")), Sjis("ｺﾞ"));
}

}  // namespace
}  // namespace yarrow
