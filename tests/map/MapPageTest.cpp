#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "map/CMapPage.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

// The shape setting is seen in the window tests (hexagonal and square).
TEST(MapPageTest, FirstActivationTakesDirectionAndChipColoursFromTheSettingsOnce) {
    CMapPage page(0);
    EXPECT_TRUE(page.Initialize(MapInitialSettings{false, 7, true, {0x0000FF, 0x00FF00}}));
    EXPECT_EQ(page.MapFlags(), 0xD);  // hex, direction 1 (7 is out of range), white
    EXPECT_EQ(page.ChipColor(1), 0x00FF00);
    EXPECT_EQ(page.ChipColor(2), 0);  // beyond the list: black
    EXPECT_FALSE(page.Initialize(MapInitialSettings{true, 0, false, {}}));
    EXPECT_EQ(page.MapFlags(), 0xD);
}

// --- Scrolling -------------------------------------------------------------

TEST(MapPageTest, StaggeredAxesScrollByTwoAndKeepEvenPositions) {
    struct Case {
        const char* what;
        bool hex;
        int direction;
        ScrollAxis axis;
        int line, page;
    };
    // Client 500 x 300: hex direction 0 shows 20 x 12 cells, direction 1
    // 18 x 12, square 20 x 12. Ranges 236/244, 238/244, 236/244.
    const Case cases[] = {
        {"hex0 columns", true, 0, ScrollAxis::Horizontal, 2, 48},  // 236/5 = 47 -> 48
        {"hex0 rows", true, 0, ScrollAxis::Vertical, 1, 48},       // 244/5 = 48
        {"hex1 columns", true, 1, ScrollAxis::Horizontal, 1, 47},  // 238/5 = 47, plain
        {"hex1 rows", true, 1, ScrollAxis::Vertical, 2, 48},
        {"square columns", false, 0, ScrollAxis::Horizontal, 1, 47},
    };
    for (const Case& c : cases) {
        CMapPage page(0);
        page.SetHexShape(c.hex);
        page.SetHexDirection(c.direction);
        page.SetClientSize(500, 300);
        EXPECT_EQ(page.LineStep(c.axis), c.line) << c.what;
        EXPECT_EQ(page.PageStep(c.axis), c.page) << c.what;

        EXPECT_FALSE(page.Scroll(c.axis, ScrollAction::LineBack)) << c.what;  // at 0
        EXPECT_TRUE(page.Scroll(c.axis, ScrollAction::LineForward));
        EXPECT_EQ(page.ScrollPosition(c.axis), c.line) << c.what;
        EXPECT_TRUE(page.Scroll(c.axis, ScrollAction::PageForward));
        EXPECT_EQ(page.ScrollPosition(c.axis), c.line + c.page) << c.what;
        EXPECT_TRUE(page.Scroll(c.axis, ScrollAction::PageBack));
        EXPECT_TRUE(page.Scroll(c.axis, ScrollAction::PageBack));
        EXPECT_EQ(page.ScrollPosition(c.axis), 0) << c.what;  // stops at 0

        // An odd thumb position moves one further, on every axis and shape.
        EXPECT_TRUE(page.Scroll(c.axis, ScrollAction::Thumb, 31));
        EXPECT_EQ(page.ScrollPosition(c.axis), 32) << c.what;
        EXPECT_TRUE(page.Scroll(c.axis, ScrollAction::Thumb, 1000));
        const int max = page.ScrollMax(c.axis);
        EXPECT_EQ(page.ScrollPosition(c.axis), max) << c.what;
        EXPECT_FALSE(page.Scroll(c.axis, ScrollAction::LineForward)) << c.what;
        EXPECT_FALSE(page.Scroll(c.axis, ScrollAction::PageForward)) << c.what;
    }
}

TEST(MapPageTest, ShapeChangesAndResizesKeepScrollPositionsValid) {
    CMapPage page(0);
    page.SetHexShape(false);
    page.SetClientSize(500, 300);
    page.Scroll(ScrollAxis::Horizontal, ScrollAction::Thumb, 100);
    page.Scroll(ScrollAxis::Horizontal, ScrollAction::LineForward);
    ASSERT_EQ(page.ScrollColumn(), 101);
    // Hex direction 0 staggers columns: the odd position becomes even.
    page.SetHexShape(true);
    EXPECT_EQ(page.ScrollColumn(), 102);
    // A larger window shrinks the range and pulls the position back.
    page.Scroll(ScrollAxis::Horizontal, ScrollAction::ToEnd);
    EXPECT_EQ(page.ScrollColumn(), 236);
    page.SetClientSize(1000, 300);
    EXPECT_EQ(page.ScrollColumn(), 216);
    EXPECT_EQ(page.ScrollColumn() % 2, 0);
}

// --- Tile and item edits -----------------------------------------------------

TEST(MapPageTest, PaintingKeepsLabelsAndSkipsTilesOfTheFillColour) {
    CMapPage page(0);
    EXPECT_TRUE(page.PaintTile(3, 4).changed);
    EXPECT_EQ(*page.TileAt(3, 4), (CTileRecord{0xC0C0C0, 0, 0, ""}));
    EXPECT_FALSE(page.PaintTile(3, 4).changed);  // already the fill colour
    EXPECT_TRUE(page.EditTileLabel(3, 4, 0x0000FF, 2, "A").changed);
    page.SetFillColor(0x00FF00);
    EXPECT_TRUE(page.PaintTile(3, 4).changed);
    EXPECT_EQ(*page.TileAt(3, 4), (CTileRecord{0x00FF00, 0x0000FF, 2, "A"}));

    // A rectangle over it puts a fresh tile: the label goes.
    page.SetFillColor(0x0000FF);
    EXPECT_TRUE(page.FillRectangle({2, 4}, {3, 4}, false).changed);
    EXPECT_EQ(*page.TileAt(3, 4), (CTileRecord{0x0000FF, 0, 0, ""}));
    EXPECT_TRUE(page.HasTile(2, 4));
    EXPECT_TRUE(page.DeleteTile(3, 4).changed);
    EXPECT_FALSE(page.DeleteTile(3, 4).changed);
    EXPECT_FALSE(page.PaintTile(256, 0).changed);
    EXPECT_FALSE(page.EditTileLabel(9, 9, 0, 0, "x").changed);  // no tile there

    // A label's size keeps the bits above the size itself.
    TileMap tiles;
    tiles[MakeCellKey(1, 1)] = CTileRecord{0xFFFFFF, 0, 0x100 | 3, "x"};
    page.ReplaceContents({}, std::move(tiles), page.MapFlags(), false, true);
    EXPECT_TRUE(page.EditTileLabel(1, 1, 0x112233, 1, "").changed);
    EXPECT_EQ(*page.TileAt(1, 1), (CTileRecord{0xFFFFFF, 0x112233, 0x101, ""}));
}

TEST(MapPageTest, EditingAnItemKeepsFacingAndBitSeven) {
    CMapPage page(0);
    page.AddUnit(1, 1, false, 0x0000FF, "AB");
    page.TurnFacing(1, 1, false);
    UnitMap units = page.Units();
    units[MakeCellKey(1, 1)].Flags |= 0x80;
    page.ReplaceContents(std::move(units), page.Tiles(), page.MapFlags(), false, false);

    EXPECT_TRUE(page.EditItem(1, 1, true, 0x00FF00, "L").changed);
    const CUnitRecord* item = page.ItemAt(1, 1);
    EXPECT_EQ(item->Flags, 0x80 | 0x20 | 1);
    EXPECT_EQ(item->UnitColor, 0x00FF00);
    EXPECT_EQ(item->Symbol, "L");
    EXPECT_TRUE(page.EditItem(1, 1, false, 0x00FF00, "L").changed);
    EXPECT_EQ(page.ItemAt(1, 1)->Flags, 0x80 | 1);

    page.AddChip(2, 2, 3, "chip");
    EXPECT_FALSE(page.EditItem(2, 2, false, 0, "x").changed);  // chips are not edited
    EXPECT_EQ(page.ItemAt(2, 2)->Flags, kKindChip);
    EXPECT_FALSE(page.AddUnit(2, 2, false, 0, "again").changed);  // occupied
}

TEST(MapPageTest, FacingCyclesPerShape) {
    struct Case {
        bool hex;
        int from;
        bool backwards;
        int to;
    };
    const Case cases[] = {
        {true, 0, false, 1},  {true, 4, false, 5},  {true, 5, false, 0},  {true, 0, true, 5},
        {true, 3, true, 2},   {true, 9, false, 0},  {false, 0, false, 2}, {false, 2, false, 3},
        {false, 3, false, 4}, {false, 4, false, 0}, {false, 0, true, 4},  {false, 2, true, 0},
        {false, 1, false, 0}, {false, 5, true, 0},
    };
    for (const Case& c : cases) {
        CMapPage page(0);
        page.SetHexShape(c.hex);
        UnitMap units;
        units[MakeCellKey(0, 0)] =
            CUnitRecord{static_cast<std::uint8_t>(0x80 | c.from), 0, 1, "u", kNoAnchor};
        page.ReplaceContents(std::move(units), {}, page.MapFlags(), false, false);
        page.TurnFacing(0, 0, c.backwards);
        EXPECT_EQ(page.ItemAt(0, 0)->Flags, 0x80 | c.to)
            << (c.hex ? "hex " : "square ") << c.from << (c.backwards ? " back" : "");
    }
    CMapPage page(0);
    page.AddChip(0, 0, 1, "c");
    page.AddUnit(1, 0, true, 0, "label");
    EXPECT_FALSE(page.TurnFacing(0, 0, false).changed);
    EXPECT_FALSE(page.TurnFacing(1, 0, false).changed);
}

TEST(MapPageTest, DroppingOnAnItemTakesTheNearestFreeCellWithALeaderLine) {
    CMapPage page(0);
    page.SetHexShape(false);
    page.AddUnit(5, 5, false, 0, "A");
    page.AddUnit(7, 7, false, 0, "B");
    // Onto B: the nearest free cell around B (row above first), pointing at B.
    EXPECT_EQ(page.DropItem({5, 5}, {7, 7}, false).cell, (MapCell{6, 6}));
    EXPECT_EQ(page.ItemAt(6, 6)->Anchor, 0x0707);
    EXPECT_EQ(page.ItemAt(7, 7)->Symbol, "B");
    // Later onto an empty cell: the line goes.
    page.DropItem({6, 6}, {1, 1}, false);
    EXPECT_EQ(page.ItemAt(1, 1)->Anchor, kNoAnchor);
    // A copy onto B leaves its original and points at B too.
    EXPECT_EQ(page.DropItem({1, 1}, {7, 7}, true).cell, (MapCell{6, 6}));
    EXPECT_TRUE(page.HasItem(1, 1));
    EXPECT_EQ(page.ItemAt(6, 6)->Anchor, 0x0707);
    EXPECT_FALSE(page.DropItem({2, 2}, {3, 3}, false).changed);  // from an empty cell
}

TEST(MapPageTest, SlideMakesStaggeredShiftsEvenAndDropsWhatLeavesTheMap) {
    struct Case {
        const char* what;
        bool hex;
        int direction;
        int dc, dr;
        MapCell shift;
    };
    const Case cases[] = {
        {"hex0 dc 1", true, 0, 1, 1, {2, 1}},   {"hex0 dc -3", true, 0, -3, 3, {-4, 3}},
        {"hex1 dr 3", true, 1, 3, 3, {3, 4}},   {"hex1 dr -1", true, 1, 0, -1, {0, -2}},
        {"square", false, 0, 3, -3, {3, -3}},   {"signed byte", false, 0, 255, 0, {-1, 0}},
        {"hex0 even", true, 0, -2, 0, {-2, 0}},
    };
    for (const Case& c : cases) {
        CMapPage page(0);
        page.SetHexShape(c.hex);
        page.SetHexDirection(c.direction);
        EXPECT_EQ(page.SlideShift(c.dc, c.dr), c.shift) << c.what;

        page.AddUnit(10, 10, false, 0, "u");
        page.PaintTile(10, 10);
        page.PaintTile(0, 0);      // leaves the map for any negative shift
        page.PaintTile(255, 255);  // leaves it for any positive one
        UnitMap units = page.Units();
        units[MakeCellKey(10, 10)].Anchor = 0x0101;
        page.ReplaceContents(std::move(units), page.Tiles(), page.MapFlags(), false, false);

        EXPECT_TRUE(page.Slide(c.dc, c.dr).changed) << c.what;
        const MapCell to{10 + c.shift.column, 10 + c.shift.row};
        ASSERT_TRUE(page.HasItem(to.column, to.row)) << c.what;
        EXPECT_EQ(page.ItemAt(to.column, to.row)->Anchor, 0x0101) << c.what;  // not moved
        EXPECT_EQ(page.ItemAt(to.column, to.row)->UnitNumber, 1);
        EXPECT_TRUE(page.HasTile(to.column, to.row)) << c.what;
        EXPECT_EQ(page.Units().size(), 1u);
        const bool originStays = c.shift.column >= 0 && c.shift.row >= 0;
        const bool farCornerStays = c.shift.column <= 0 && c.shift.row <= 0;
        EXPECT_EQ(page.Tiles().size(), 1u + originStays + farCornerStays) << c.what;
        EXPECT_EQ(page.HasTile(c.shift.column, c.shift.row), originStays) << c.what;
    }
    // Neighbours moving onto each other's cells do not overwrite one another.
    CMapPage page(0);
    page.SetHexShape(false);
    for (int c = 0; c < 5; ++c)
        page.AddUnit(c, 0, false, 0, std::string(1, static_cast<char>('a' + c)));
    page.Slide(1, 0);
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(page.ItemAt(c + 1, 0)->Symbol, std::string(1, static_cast<char>('a' + c)));
    EXPECT_FALSE(page.Slide(0, 0).changed);
}

// --- Nearest free cell ------------------------------------------------------

// Occupies the target, then asks for the nearest free cell again and again,
// placing an item there each time: the answers list the search order.
std::vector<MapCell> SearchOrder(bool hex, int direction, MapCell target, int count) {
    CMapPage page(0);
    page.SetHexShape(hex);
    page.SetHexDirection(direction);
    page.AddUnit(target.column, target.row, false, 0, "T");
    std::vector<MapCell> order;
    for (int i = 0; i < count; ++i) {
        const std::optional<MapCell> cell = page.NearestFreeCell(target);
        if (!cell)
            break;
        order.push_back(*cell);
        page.AddUnit(cell->column, cell->row, false, 0, "x");
    }
    return order;
}

// "c,r c,r ...": a list of cells.
std::vector<MapCell> Cells(const std::string& text) {
    std::vector<MapCell> cells;
    std::istringstream in(text);
    int column = 0, row = 0;
    char comma = 0;
    while (in >> column >> comma >> row)
        cells.push_back({column, row});
    return cells;
}

TEST(MapPageTest, NearestFreeCellOrder) {
    struct Case {
        const char* shape;  // "square", "hex0" or "hex1"
        MapCell target;
        const char* order;
    };
    const Case cases[] = {
        {"square",
         {10, 10},
         "9,9 10,9 11,9 9,10 11,10 9,11 10,11 11,11 8,8 9,8 10,8 11,8 12,8 8,9 12,9 8,10 12,10 "
         "8,11 12,11 8,12 9,12 10,12 11,12 12,12 7,7"},
        {"square", {0, 0}, "1,0 0,1 1,1 2,0 2,1 0,2"},
        {"hex0",
         {10, 10},
         "9,10 11,10 9,11 11,11 10,9 10,11 8,9 12,9 8,10 12,10 8,11 12,11 9,9 9,12 11,9 11,12 10,8 "
         "10,12"},
        {"hex0",
         {11, 10},
         "10,9 12,9 10,10 12,10 11,9 11,11 9,9 13,9 9,10 13,10 9,11 13,11 10,8 10,11 12,8 12,11 "
         "11,8 11,12"},
        {"hex1", {10, 11}, "9,10 9,12 10,10 10,12 9,11 11,11"},
        {"hex0", {0, 0}, "1,0 1,1 0,1"},
    };
    for (const Case& c : cases) {
        const std::vector<MapCell> order = Cells(c.order);
        const std::string shape = c.shape;
        EXPECT_EQ(SearchOrder(shape != "square", shape == "hex1" ? 1 : 0, c.target,
                              static_cast<int>(order.size())),
                  order)
            << c.shape << " " << c.target.column << "," << c.target.row;
    }
}

TEST(MapPageTest, ACrowdedMapFindsItsLastFreeCellAndAFullOneNone) {
    for (const auto& [hex, direction] :
         {std::pair{false, 0}, std::pair{true, 0}, std::pair{true, 1}}) {
        UnitMap units;
        for (int key = 0; key <= 0xFFFF; ++key)
            units.emplace_hint(units.end(), static_cast<CellKey>(key), CUnitRecord{});
        units.erase(MakeCellKey(255, 0));
        CMapPage page(0);
        page.SetHexShape(hex);
        page.SetHexDirection(direction);
        page.ReplaceContents(units, {}, page.MapFlags(), false, false);
        EXPECT_EQ(page.NearestFreeCell({0, 255}), (MapCell{255, 0}));
        units.emplace(MakeCellKey(255, 0), CUnitRecord{});
        page.ReplaceContents(std::move(units), {}, page.MapFlags(), false, false);
        EXPECT_FALSE(page.NearestFreeCell({0, 255}).has_value());
        EXPECT_FALSE(page.DropItem({0, 0}, {1, 1}, false).changed);
    }
}

}  // namespace
}  // namespace yarrow
