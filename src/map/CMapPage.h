#pragma once
// One numbered map: its items (units, chips, labels) and tiles on a grid of
// 256 x 256 square or hexagonal cells, its display settings, scroll state and
// the editing tools' state. The map window draws a page and turns mouse
// gestures and menu commands into the calls below; every rule (geometry,
// limits, where a dropped item lands, what a slide keeps) lives here.
//
// Every edit returns a CMapResult: `changed` says the page now differs (the
// window repaints and refreshes its tips); a message is for a message box.
// Whether an edit is sent to the others is the window's decision, made by the
// gesture: see the table in CMapBook.h.
//
// Columns and rows passed in are cells 0..255; calls with other values change
// nothing. Colours are in the map's byte order (MapTypes.h).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "map/CMapGeometry.h"
#include "map/CMapResult.h"
#include "map/MapTypes.h"

namespace yarrow {

// The left-button tools.
enum class MapTool { PlaceUnits = 0, FillTiles = 1, DeleteTiles = 2 };

// Rectangle fill: off, armed (the next press starts a rectangle), dragging.
enum class RectFillMode { Off = 0, Armed = 1, Dragging = 2 };

enum class ScrollAxis { Horizontal, Vertical };
enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, ToStart, ToEnd };

// What the settings say a new page looks like, read when the page is first
// activated (see CMapBook::InitialSettingsFrom).
struct MapInitialSettings {
    bool useSquareMap = false;  // IsUseSquareMap
    int hexDirection = 0;       // HexDirection
    bool chipsAvailable = false;
    std::vector<std::int32_t> chipColors;  // map byte order, by chip number
};

// What applying a received or loaded map asks of the window: a client area
// large enough for the farthest cell received (0: that dimension stays). The
// window adds its frame and may bound the result by the screen.
struct MapGrowth {
    int clientWidth = 0;
    int clientHeight = 0;
    bool Any() const { return clientWidth > 0 || clientHeight > 0; }
};

class CMapPage {
  public:
    static constexpr std::uint8_t kFormatVersion = 3;

    // A page with hexagonal cells, direction 0, normal size, white background,
    // unlocked, tool 0, fill colour 0xC0C0C0, nothing on it.
    explicit CMapPage(int mapNumber);

    int MapNumber() const { return mapNumber_; }
    std::uint8_t FormatVersion() const { return kFormatVersion; }

    // First activation: takes shape, direction and chips from the settings.
    // Later calls do nothing and return false.
    bool Initialize(const MapInitialSettings& settings);
    bool IsInitialized() const { return initialized_; }
    bool ChipsAvailable() const { return chipsAvailable_; }
    const std::vector<std::int32_t>& ChipColors() const { return chipColors_; }
    // The colour a chip shows at small size; black beyond the list.
    std::int32_t ChipColor(std::int32_t chipNumber) const;

    // ---- Contents --------------------------------------------------------
    const UnitMap& Units() const { return units_; }
    const TileMap& Tiles() const { return tiles_; }
    const CUnitRecord* ItemAt(int column, int row) const;
    const CTileRecord* TileAt(int column, int row) const;
    bool HasItem(int column, int row) const { return ItemAt(column, row) != nullptr; }
    bool HasTile(int column, int row) const { return TileAt(column, row) != nullptr; }
    // Where the item a dialog was opened on stands now. Maps keep arriving
    // while the dialog is open, so it may have been moved and another item
    // may hold its cell: the item is the one with the same number, kind and
    // text as `opened`, preferably still on `cell`, else wherever it lies.
    // Nothing when no such item is left (deleted, or retyped by another
    // member).
    std::optional<MapCell> FindItem(const CUnitRecord& opened, MapCell cell) const;
    // The highest item number in use (signed byte); a new item gets this + 1.
    int LastUnitNumber() const { return lastUnitNumber_; }

    // ---- Display settings ---------------------------------------------------
    bool HexShape() const { return geometry_.hexShape; }
    int HexDirection() const { return geometry_.hexDirection; }
    bool SmallTiles() const { return geometry_.smallTiles; }
    bool WhiteBackground() const { return whiteBackground_; }
    std::int32_t BackgroundColor() const {
        return whiteBackground_ ? kWhiteBackground : kGreyBackground;
    }
    bool Locked() const { return locked_; }
    int HexA() const { return geometry_.hexA; }
    int HexB() const { return geometry_.hexB; }
    int SquareSize() const { return geometry_.SquareSize(); }

    // Each returns true when the value changed. Shape and direction changes
    // recount the visible cells (and keep a staggered axis on an even scroll
    // position); the size change sets A (10, or 5 when small) and B = A x 1.5.
    // Any direction other than 0 counts as 1.
    bool SetHexShape(bool hex);
    bool SetHexDirection(int direction);
    bool SetSmallTiles(bool small);
    bool SetWhiteBackground(bool white);
    bool SetLocked(bool locked);

    // Bit 0 HexShape, bit 1 SmallTiles, bit 2 HexDirection, bit 3
    // WhiteBackground; other bits 0.
    std::int32_t MapFlags() const;
    // The same bits as the toolbar wants them.
    std::int32_t DisplayBits() const { return MapFlags(); }

    // ---- Tools --------------------------------------------------------------
    MapTool Tool() const { return tool_; }
    void SetTool(MapTool tool) { tool_ = tool; }
    // 0 -> 1 -> 2 -> 0 (the context menu's "タイル塗潰し").
    void CycleTool();
    std::int32_t FillColor() const { return fillColor_; }
    void SetFillColor(std::int32_t color) { fillColor_ = color; }
    RectFillMode RectFill() const { return rectFill_; }
    // Turning rectangle fill on also selects the fill tool.
    void SetRectFill(RectFillMode mode);
    MapPoint DragStart() const { return dragStart_; }
    void SetDragStart(MapPoint at) { dragStart_ = at; }
    bool Dragging() const { return dragging_; }
    void SetDragging(bool dragging) { dragging_ = dragging; }
    // The cell last pressed; the context-menu commands act on it.
    MapCell ContextCell() const { return contextCell_; }
    void SetContextCell(MapCell cell) { contextCell_ = cell; }

    // The last map file chosen, the snapshot base name and counter.
    const std::string& LastFileName() const { return lastFileName_; }
    void SetLastFileName(std::string name) { lastFileName_ = std::move(name); }
    const std::string& SnapshotName() const { return snapshotName_; }
    void SetSnapshotName(std::string name) { snapshotName_ = std::move(name); }
    // The next snapshot file: the name with "_%02d" of the counter before its
    // last "."; the counter then grows.
    std::string TakeSnapshotFileName();
    int SnapshotCount() const { return snapshotCount_; }
    bool SnapshotPending() const { return snapshotPending_; }
    void SetSnapshotPending(bool pending) { snapshotPending_ = pending; }

    // ---- Client area, visible cells and scrolling ---------------------------
    // Called on every resize; recounts the visible cells and keeps the scroll
    // positions in range.
    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    int VisibleCols() const { return visible_.columns; }
    int VisibleRows() const { return visible_.rows; }

    int ScrollColumn() const { return geometry_.scrollColumn; }
    int ScrollRow() const { return geometry_.scrollRow; }
    int ScrollPosition(ScrollAxis axis) const;
    // The scroll range is 0..256 - visible count.
    int ScrollMax(ScrollAxis axis) const;
    // A staggered axis (hex: columns in direction 0, rows in direction 1)
    // moves 2 per line and its page step (a fifth of the range, at least 1)
    // is rounded up to even; otherwise 1 per line and the plain page step.
    int LineStep(ScrollAxis axis) const;
    int PageStep(ScrollAxis axis) const;
    // Moves the scroll position; a thumb position that is odd moves one
    // further. Positions stay within the range. True when it moved (the
    // window then repaints and moves its tips).
    bool Scroll(ScrollAxis axis, ScrollAction action, int thumbPosition = 0);

    // ---- Geometry (client pixels, see CMapGeometry) -------------------------
    const CMapGeometry& Geometry() const { return geometry_; }
    MapRect CellBox(int column, int row) const { return geometry_.CellBox(column, row); }
    HexPolygon HexVertices(int column, int row) const { return geometry_.HexVertices(column, row); }
    MapCell HitTest(int x, int y) const { return geometry_.HitTest(x, y); }
    bool IsCellVisible(int column, int row) const { return geometry_.IsVisible(column, row); }

    // ---- Limits ---------------------------------------------------------------
    // The refusals, ready for a message box (caption "Yarrow", information).
    static CMapResult TileLimitMessage();
    static CMapResult ItemLimitMessage();
    // Empty when one more item may be added, else the item limit message
    // (the unit dialog checks before it opens).
    CMapResult CheckItemLimit() const;

    // ---- Tile edits ------------------------------------------------------------
    // Fill tool on one cell: a tile of the fill colour stays as it is, a tile
    // of another colour only changes colour (its label stays), an empty cell
    // gets a new tile unless the page is at the tile limit.
    CMapResult PaintTile(int column, int row);
    // Delete tool, or the context menu: removes the cell's tile.
    CMapResult DeleteTile(int column, int row);
    // Rectangle from one corner cell to the other (both included). Fill puts a
    // fresh tile of the fill colour (no label) on every cell, row by row; a
    // count that starts at the page's tile count and grows by one per cell
    // stops the rest at the tile limit with one message. Erase has no limit.
    CMapResult FillRectangle(MapCell from, MapCell to, bool erase);
    // Ctrl + right button: the fill colour becomes the cell's tile colour.
    bool PickFillColor(int column, int row);
    // The label dialog: label colour, size (list index 0..2 into bits 0-1 of
    // LabelSize, other bits kept) and text on an existing tile.
    CMapResult EditTileLabel(int column, int row, std::int32_t labelColor, int sizeIndex,
                             std::string text);

    // ---- Item edits ------------------------------------------------------------
    // Puts a new item on an empty cell: flags (kind and facing), colour (or
    // chip number), text; it gets the next item number and no leader line.
    // Refused at the item limit; an occupied cell changes nothing.
    CMapResult AddItem(int column, int row, std::uint8_t flags, std::int32_t color,
                       std::string symbol);
    CMapResult AddUnit(int column, int row, bool asLabel, std::int32_t color, std::string symbol) {
        return AddItem(column, row, asLabel ? kKindLabel : kKindUnit, color, std::move(symbol));
    }
    CMapResult AddChip(int column, int row, std::int32_t chipNumber, std::string symbol) {
        return AddItem(column, row, kKindChip, chipNumber, std::move(symbol));
    }
    // The unit and chip dialogs' OK for the cell they were opened on. Maps
    // keep arriving while a dialog is open, so another member may have put
    // an item there meanwhile: the new item then stands on the nearest free
    // cell with a leader line to the chosen one, as a drop onto an item does,
    // and what was typed is not lost. The result's cell is where it stands.
    CMapResult PlaceNewItem(MapCell cell, std::uint8_t flags, std::int32_t color,
                            std::string symbol);
    // The unit dialog's OK on an existing unit or label: kind becomes label or
    // unit (facing and bit 7 kept), colour and text replaced. Chips are not
    // edited.
    CMapResult EditItem(int column, int row, bool asLabel, std::int32_t color, std::string symbol);
    CMapResult DeleteItem(int column, int row);
    // An item dragged from one cell and released over another. When the drop
    // cell holds an item, the item goes to the nearest free cell instead and
    // its leader line points at the drop cell; otherwise it stands on the drop
    // cell without a leader line. `copy` (Ctrl held) leaves the original and
    // gives the copy the next item number (subject to the item limit). A drop
    // on the start cell changes nothing. The result's cell is where the item
    // now stands.
    CMapResult DropItem(MapCell from, MapCell drop, bool copy);
    // Double click on a plain unit: hex facing cycles 0..5, square facing
    // 0, 2, 3, 4 (a facing outside the square cycle goes to 0); `backwards`
    // (Shift) reverses the cycle. Chips and labels do not turn.
    CMapResult TurnFacing(int column, int row, bool backwards);

    // ---- Whole-page edits ------------------------------------------------------
    // Empties items and tiles and restarts item numbers; display settings,
    // lock and tool stay.
    CMapResult Reset();
    // Moves every tile and then every item by (dc, dr) cells (each taken as a
    // signed byte). In hex shape the shift along the staggered axis is made
    // even, away from zero, so the stagger pattern holds. Entries that would
    // leave the map are dropped; leader lines are not moved.
    CMapResult Slide(int dc, int dr);
    // The shift Slide really makes for (dc, dr).
    MapCell SlideShift(int dc, int dr) const;

    // The first cell without an item in rings of growing distance around a
    // cell (square: the block around it, row by row; hex: the six-sided ring
    // in the order the model documents in CMapPage.cpp). Nothing when every
    // cell holds an item.
    std::optional<MapCell> NearestFreeCell(MapCell target) const;

    // ---- Replacing everything (received maps, map files) ---------------------
    // Takes over a whole map: item numbers restart from the items taken, and
    // the flags set shape, direction and background (and the cell size when
    // `takeSize`; a received map leaves the size local). A locked page keeps
    // its own tiles unless `ignoreLock`. Returns the client area that would
    // show the farthest visible item or received tile, for the dimensions the
    // current visible counts do not cover.
    MapGrowth ReplaceContents(UnitMap units, TileMap tiles, std::int32_t flags, bool takeSize,
                              bool ignoreLock);
    // Only the display bits of a flags word (shape, direction, background and,
    // when `takeSize`, size).
    void ApplyFlags(std::int32_t flags, bool takeSize);

  private:
    void Recount();
    void KeepScrollInRange();
    void SetCellSize(bool small);
    CUnitRecord* MutableItem(int column, int row);
    std::uint8_t TakeNextUnitNumber();

    int mapNumber_;
    bool initialized_ = false;
    bool chipsAvailable_ = false;
    std::vector<std::int32_t> chipColors_;

    UnitMap units_;
    TileMap tiles_;
    int lastUnitNumber_ = 0;

    CMapGeometry geometry_;  // shape, size, direction, scroll positions
    bool whiteBackground_ = true;
    bool locked_ = false;

    MapTool tool_ = MapTool::PlaceUnits;
    std::int32_t fillColor_ = kDefaultFillColor;
    RectFillMode rectFill_ = RectFillMode::Off;
    MapPoint dragStart_;
    bool dragging_ = false;
    MapCell contextCell_;

    std::string lastFileName_;
    std::string snapshotName_;
    int snapshotCount_ = 0;
    bool snapshotPending_ = false;

    int clientWidth_ = 0;
    int clientHeight_ = 0;
    MapCellCounts visible_;
};

}  // namespace yarrow
