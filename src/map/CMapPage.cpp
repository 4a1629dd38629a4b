#include "map/CMapPage.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <memory>

#include "map/MapRings.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

CMapResult LimitMessage(const char* utf8Format, std::size_t limit) {
    const std::string format = Sjis(utf8Format);
    char text[128];
    std::snprintf(text, sizeof text, format.c_str(), static_cast<int>(limit));
    return CMapResult::Message(text, "Yarrow", PromptIcon::Information);
}

// The hex facing cycle 0..5, and the square one 0, 2, 3, 4.
int NextFacing(int facing, bool hex, bool backwards) {
    if (hex) {
        if (facing > 5)
            return 0;
        return backwards ? (facing + 5) % 6 : (facing + 1) % 6;
    }
    static constexpr int kSquareCycle[] = {0, 2, 3, 4};
    for (int i = 0; i < 4; ++i) {
        if (kSquareCycle[i] == facing)
            return kSquareCycle[(i + (backwards ? 3 : 1)) % 4];
    }
    return 0;
}

}  // namespace

CMapPage::CMapPage(int mapNumber) : mapNumber_(mapNumber) {
    Recount();
}

bool CMapPage::Initialize(const MapInitialSettings& settings) {
    if (initialized_)
        return false;
    initialized_ = true;
    geometry_.hexShape = !settings.useSquareMap;
    geometry_.hexDirection = settings.hexDirection != 0 ? 1 : 0;
    chipsAvailable_ = settings.chipsAvailable;
    chipColors_ = settings.chipColors;
    Recount();
    return true;
}

std::int32_t CMapPage::ChipColor(std::int32_t chipNumber) const {
    if (chipNumber < 0 || static_cast<std::size_t>(chipNumber) >= chipColors_.size())
        return 0;
    return chipColors_[static_cast<std::size_t>(chipNumber)];
}

// ---------------------------------------------------------------------------
// Contents

const CUnitRecord* CMapPage::ItemAt(int column, int row) const {
    if (!IsOnMap(column, row))
        return nullptr;
    const auto it = units_.find(MakeCellKey(column, row));
    return it == units_.end() ? nullptr : &it->second;
}

std::optional<MapCell> CMapPage::FindItem(const CUnitRecord& opened, MapCell cell) const {
    const auto same = [&opened](const CUnitRecord& item) {
        return item.UnitNumber == opened.UnitNumber && KindOf(item) == KindOf(opened) &&
               item.Symbol == opened.Symbol;
    };
    if (const CUnitRecord* there = ItemAt(cell.column, cell.row); there != nullptr && same(*there))
        return cell;
    for (const auto& [key, item] : units_) {
        if (same(item))
            return MapCell{KeyColumn(key), KeyRow(key)};
    }
    return std::nullopt;
}

CUnitRecord* CMapPage::MutableItem(int column, int row) {
    return const_cast<CUnitRecord*>(ItemAt(column, row));
}

const CTileRecord* CMapPage::TileAt(int column, int row) const {
    if (!IsOnMap(column, row))
        return nullptr;
    const auto it = tiles_.find(MakeCellKey(column, row));
    return it == tiles_.end() ? nullptr : &it->second;
}

std::uint8_t CMapPage::TakeNextUnitNumber() {
    const auto number = static_cast<std::uint8_t>(lastUnitNumber_ + 1);
    lastUnitNumber_ = SignedUnitNumber(number);
    return number;
}

// ---------------------------------------------------------------------------
// Display settings

bool CMapPage::SetHexShape(bool hex) {
    if (geometry_.hexShape == hex)
        return false;
    geometry_.hexShape = hex;
    Recount();
    return true;
}

bool CMapPage::SetHexDirection(int direction) {
    const int d = direction != 0 ? 1 : 0;
    if (geometry_.hexDirection == d)
        return false;
    geometry_.hexDirection = d;
    Recount();
    return true;
}

bool CMapPage::SetSmallTiles(bool small) {
    if (geometry_.smallTiles == small)
        return false;
    SetCellSize(small);
    Recount();
    return true;
}

void CMapPage::SetCellSize(bool small) {
    geometry_.smallTiles = small;
    geometry_.hexA = small ? CMapGeometry::kSmallHexA : CMapGeometry::kLargeHexA;
    geometry_.hexB = CMapGeometry::HexBFor(geometry_.hexA);
}

bool CMapPage::SetWhiteBackground(bool white) {
    if (whiteBackground_ == white)
        return false;
    whiteBackground_ = white;
    return true;
}

bool CMapPage::SetLocked(bool locked) {
    if (locked_ == locked)
        return false;
    locked_ = locked;
    return true;
}

std::int32_t CMapPage::MapFlags() const {
    std::int32_t flags = 0;
    if (geometry_.hexShape)
        flags |= kFlagHexShape;
    if (geometry_.smallTiles)
        flags |= kFlagSmallTiles;
    if (geometry_.hexDirection != 0)
        flags |= kFlagHexDirection;
    if (whiteBackground_)
        flags |= kFlagWhiteBackground;
    return flags;
}

void CMapPage::ApplyFlags(std::int32_t flags, bool takeSize) {
    geometry_.hexShape = (flags & kFlagHexShape) != 0;
    geometry_.hexDirection = (flags & kFlagHexDirection) != 0 ? 1 : 0;
    whiteBackground_ = (flags & kFlagWhiteBackground) != 0;
    if (takeSize)
        SetCellSize((flags & kFlagSmallTiles) != 0);
    Recount();
}

// ---------------------------------------------------------------------------
// Tools

void CMapPage::CycleTool() {
    tool_ = static_cast<MapTool>((static_cast<int>(tool_) + 1) % 3);
}

void CMapPage::SetRectFill(RectFillMode mode) {
    rectFill_ = mode;
    if (mode != RectFillMode::Off)
        tool_ = MapTool::FillTiles;
}

std::string CMapPage::TakeSnapshotFileName() {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_%02d", snapshotCount_);
    ++snapshotCount_;
    std::string name = snapshotName_;
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

// ---------------------------------------------------------------------------
// Visible cells and scrolling

void CMapPage::SetClientSize(int width, int height) {
    clientWidth_ = std::max(width, 0);
    clientHeight_ = std::max(height, 0);
    Recount();
}

void CMapPage::Recount() {
    visible_ = geometry_.VisibleCounts(clientWidth_, clientHeight_);
    KeepScrollInRange();
}

void CMapPage::KeepScrollInRange() {
    auto keep = [](int& position, int max, bool staggered) {
        if (staggered && position % 2 != 0)
            ++position;
        position = std::clamp(position, 0, max);
    };
    keep(geometry_.scrollColumn, ScrollMax(ScrollAxis::Horizontal), geometry_.StaggersColumns());
    keep(geometry_.scrollRow, ScrollMax(ScrollAxis::Vertical), geometry_.StaggersRows());
}

int CMapPage::ScrollPosition(ScrollAxis axis) const {
    return axis == ScrollAxis::Horizontal ? geometry_.scrollColumn : geometry_.scrollRow;
}

int CMapPage::ScrollMax(ScrollAxis axis) const {
    const int visible = axis == ScrollAxis::Horizontal ? visible_.columns : visible_.rows;
    return std::max(0, kMapSide - visible);
}

int CMapPage::LineStep(ScrollAxis axis) const {
    const bool staggered =
        axis == ScrollAxis::Horizontal ? geometry_.StaggersColumns() : geometry_.StaggersRows();
    return staggered ? 2 : 1;
}

int CMapPage::PageStep(ScrollAxis axis) const {
    const bool staggered =
        axis == ScrollAxis::Horizontal ? geometry_.StaggersColumns() : geometry_.StaggersRows();
    int step = std::max(1, ScrollMax(axis) / 5);
    if (staggered && step % 2 != 0)
        ++step;
    return step;
}

bool CMapPage::Scroll(ScrollAxis axis, ScrollAction action, int thumbPosition) {
    int& position = axis == ScrollAxis::Horizontal ? geometry_.scrollColumn : geometry_.scrollRow;
    const int max = ScrollMax(axis);
    int next = position;
    switch (action) {
        case ScrollAction::LineBack:
            next = position - LineStep(axis);
            break;
        case ScrollAction::LineForward:
            next = position + LineStep(axis);
            break;
        case ScrollAction::PageBack:
            next = position - PageStep(axis);
            break;
        case ScrollAction::PageForward:
            next = position + PageStep(axis);
            break;
        case ScrollAction::Thumb:
            next = thumbPosition % 2 != 0 ? std::min(thumbPosition + 1, kMapSide) : thumbPosition;
            break;
        case ScrollAction::ToStart:
            next = 0;
            break;
        case ScrollAction::ToEnd:
            next = max;
            break;
    }
    next = std::clamp(next, 0, max);
    if (next == position)
        return false;
    position = next;
    return true;
}

// ---------------------------------------------------------------------------
// Limits

CMapResult CMapPage::TileLimitMessage() {
    return LimitMessage("%d個以上のタイルを塗ることはできません", kMaxTiles);
}

CMapResult CMapPage::ItemLimitMessage() {
    return LimitMessage("%d個以上のシンボルを置くことはできません", kMaxItems);
}

CMapResult CMapPage::CheckItemLimit() const {
    return units_.size() >= kMaxItems ? ItemLimitMessage() : CMapResult{};
}

// ---------------------------------------------------------------------------
// Tile edits

CMapResult CMapPage::PaintTile(int column, int row) {
    if (!IsOnMap(column, row))
        return {};
    const MapCell cell{column, row};
    const auto it = tiles_.find(cell.Key());
    if (it != tiles_.end()) {
        if (it->second.TileColor == fillColor_)
            return {};
        it->second.TileColor = fillColor_;
        return CMapResult::Changed(cell);
    }
    if (tiles_.size() >= kMaxTiles)
        return TileLimitMessage();
    CTileRecord tile;
    tile.TileColor = fillColor_;
    tiles_.emplace(cell.Key(), std::move(tile));
    return CMapResult::Changed(cell);
}

CMapResult CMapPage::DeleteTile(int column, int row) {
    if (!IsOnMap(column, row) || tiles_.erase(MakeCellKey(column, row)) == 0)
        return {};
    return CMapResult::Changed(MapCell{column, row});
}

CMapResult CMapPage::FillRectangle(MapCell from, MapCell to, bool erase) {
    const int c0 = std::clamp(std::min(from.column, to.column), 0, kMapSide - 1);
    const int c1 = std::clamp(std::max(from.column, to.column), 0, kMapSide - 1);
    const int r0 = std::clamp(std::min(from.row, to.row), 0, kMapSide - 1);
    const int r1 = std::clamp(std::max(from.row, to.row), 0, kMapSide - 1);
    CMapResult result;
    std::size_t counter = tiles_.size();
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            const CellKey key = MakeCellKey(c, r);
            if (erase) {
                result.changed |= tiles_.erase(key) != 0;
                continue;
            }
            // The count grows per cell visited, whether or not the cell had
            // a tile, so a large rectangle stops at the limit even where it
            // only repaints.
            if (counter >= kMaxTiles) {
                CMapResult refused = TileLimitMessage();
                refused.changed = result.changed;
                return refused;
            }
            ++counter;
            CTileRecord tile;
            tile.TileColor = fillColor_;
            auto [it, inserted] = tiles_.try_emplace(key, tile);
            if (!inserted && !(it->second == tile)) {
                it->second = std::move(tile);
                result.changed = true;
            }
            result.changed |= inserted;
        }
    }
    return result;
}

bool CMapPage::PickFillColor(int column, int row) {
    const CTileRecord* tile = TileAt(column, row);
    if (tile == nullptr)
        return false;
    fillColor_ = tile->TileColor;
    return true;
}

CMapResult CMapPage::EditTileLabel(int column, int row, std::int32_t labelColor, int sizeIndex,
                                   std::string text) {
    if (!IsOnMap(column, row))
        return {};
    const auto it = tiles_.find(MakeCellKey(column, row));
    if (it == tiles_.end())
        return {};
    CTileRecord edited = it->second;
    edited.LabelColor = labelColor;
    edited.LabelSize = (edited.LabelSize & ~3) | (sizeIndex & 3);
    edited.TileLabel = std::move(text);
    if (edited == it->second)
        return {};
    it->second = std::move(edited);
    return CMapResult::Changed(MapCell{column, row});
}

// ---------------------------------------------------------------------------
// Item edits

CMapResult CMapPage::AddItem(int column, int row, std::uint8_t flags, std::int32_t color,
                             std::string symbol) {
    if (!IsOnMap(column, row) || HasItem(column, row))
        return {};
    if (units_.size() >= kMaxItems)
        return ItemLimitMessage();
    CUnitRecord item;
    item.Flags = flags;
    item.UnitColor = color;
    item.UnitNumber = TakeNextUnitNumber();
    item.Symbol = std::move(symbol);
    item.Anchor = kNoAnchor;
    units_.emplace(MakeCellKey(column, row), std::move(item));
    return CMapResult::Changed(MapCell{column, row});
}

CMapResult CMapPage::PlaceNewItem(MapCell cell, std::uint8_t flags, std::int32_t color,
                                  std::string symbol) {
    if (!IsOnMap(cell.column, cell.row) || !HasItem(cell.column, cell.row))
        return AddItem(cell.column, cell.row, flags, color, std::move(symbol));
    if (units_.size() >= kMaxItems)
        return ItemLimitMessage();
    const std::optional<MapCell> free = NearestFreeCell(cell);
    if (!free)
        return {};
    CMapResult result = AddItem(free->column, free->row, flags, color, std::move(symbol));
    if (result.changed)
        MutableItem(free->column, free->row)->Anchor = AnchorOf(cell.Key());
    return result;
}

CMapResult CMapPage::EditItem(int column, int row, bool asLabel, std::int32_t color,
                              std::string symbol) {
    CUnitRecord* item = MutableItem(column, row);
    if (item == nullptr || IsChip(*item))
        return {};
    CUnitRecord edited = *item;
    edited.Flags =
        static_cast<std::uint8_t>((edited.Flags & ~kKindMask) | (asLabel ? kKindLabel : kKindUnit));
    edited.UnitColor = color;
    edited.Symbol = std::move(symbol);
    if (edited == *item)
        return {};
    *item = std::move(edited);
    return CMapResult::Changed(MapCell{column, row});
}

CMapResult CMapPage::DeleteItem(int column, int row) {
    if (!IsOnMap(column, row) || units_.erase(MakeCellKey(column, row)) == 0)
        return {};
    return CMapResult::Changed(MapCell{column, row});
}

CMapResult CMapPage::DropItem(MapCell from, MapCell drop, bool copy) {
    if (!IsOnMap(from.column, from.row) || !IsOnMap(drop.column, drop.row) || from == drop)
        return {};
    const auto source = units_.find(from.Key());
    if (source == units_.end())
        return {};
    if (copy && units_.size() >= kMaxItems)
        return ItemLimitMessage();

    MapCell target = drop;
    std::int32_t anchor = kNoAnchor;
    if (units_.count(drop.Key()) != 0) {
        const std::optional<MapCell> free = NearestFreeCell(drop);
        if (!free)
            return {};
        target = *free;
        anchor = AnchorOf(drop.Key());
    }
    if (copy) {
        CUnitRecord item = source->second;
        item.UnitNumber = TakeNextUnitNumber();
        item.Anchor = anchor;
        units_.emplace(target.Key(), std::move(item));
    } else {
        auto node = units_.extract(source);
        node.key() = target.Key();
        node.mapped().Anchor = anchor;
        units_.insert(std::move(node));
    }
    return CMapResult::Changed(target);
}

CMapResult CMapPage::TurnFacing(int column, int row, bool backwards) {
    CUnitRecord* item = MutableItem(column, row);
    if (item == nullptr || !IsPlainUnit(*item))
        return {};
    const int facing = NextFacing(FacingOf(*item), geometry_.hexShape, backwards);
    const auto flags = static_cast<std::uint8_t>((item->Flags & ~kFacingMask) | facing);
    if (flags == item->Flags)
        return {};
    item->Flags = flags;
    return CMapResult::Changed(MapCell{column, row});
}

// ---------------------------------------------------------------------------
// Whole-page edits

CMapResult CMapPage::Reset() {
    const bool had = !units_.empty() || !tiles_.empty() || lastUnitNumber_ != 0;
    units_.clear();
    tiles_.clear();
    lastUnitNumber_ = 0;
    CMapResult result;
    result.changed = had;
    return result;
}

MapCell CMapPage::SlideShift(int dc, int dr) const {
    dc = static_cast<std::int8_t>(dc);
    dr = static_cast<std::int8_t>(dr);
    auto even = [](int shift) { return shift % 2 == 0 ? shift : shift + (shift > 0 ? 1 : -1); };
    if (geometry_.StaggersColumns())
        dc = even(dc);
    if (geometry_.StaggersRows())
        dr = even(dr);
    return {dc, dr};
}

CMapResult CMapPage::Slide(int dc, int dr) {
    const MapCell shift = SlideShift(dc, dr);
    if (shift.column == 0 && shift.row == 0)
        return {};
    // Collected into fresh maps first, so no entry lands on one not yet moved.
    auto moved = [&](auto& entries) {
        std::remove_reference_t<decltype(entries)> result;
        while (!entries.empty()) {
            auto node = entries.extract(entries.begin());
            const int c = KeyColumn(node.key()) + shift.column;
            const int r = KeyRow(node.key()) + shift.row;
            if (!IsOnMap(c, r))
                continue;
            node.key() = MakeCellKey(c, r);
            result.insert(std::move(node));
        }
        return result;
    };
    const bool had = !units_.empty() || !tiles_.empty();
    tiles_ = moved(tiles_);
    units_ = moved(units_);
    CMapResult result;
    result.changed = had;
    return result;
}

std::optional<MapCell> CMapPage::NearestFreeCell(MapCell target) const {
    if (!IsOnMap(target.column, target.row))
        return std::nullopt;
    // One bit per cell: a crowded map is searched far out, and a bit test is
    // much cheaper than a tree lookup.
    auto occupied = std::make_unique<std::bitset<kMapSide * kMapSide>>();
    for (const auto& [key, item] : units_)
        occupied->set(key);
    for (int d = 1; d <= kMaxRingDistance; ++d) {
        const std::vector<MapCell> ring =
            RingCells(geometry_.hexShape, geometry_.hexDirection, target, d);
        // The map is convex in either metric: once a ring misses it entirely,
        // so do all farther rings.
        if (ring.empty())
            break;
        for (const MapCell& cell : ring) {
            if (!occupied->test(cell.Key()))
                return cell;
        }
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Replacing everything

MapGrowth CMapPage::ReplaceContents(UnitMap units, TileMap tiles, std::int32_t flags, bool takeSize,
                                    bool ignoreLock) {
    ApplyFlags(flags, takeSize);
    units_ = std::move(units);
    if (!locked_ || ignoreLock)
        tiles_ = std::move(tiles);
    constexpr int kLast = kMapSide - 1;

    // The highest item number, and the farthest visible item. A full page
    // holds 65,535 items: the walk stops once nothing can grow any more.
    lastUnitNumber_ = 0;
    int farColumn = -1;
    int farRow = -1;
    bool first = true;
    for (const auto& [key, item] : units_) {
        const int number = SignedUnitNumber(item.UnitNumber);
        lastUnitNumber_ = first ? number : std::max(lastUnitNumber_, number);
        first = false;
        const int c = KeyColumn(key);
        const int r = KeyRow(key);
        if (geometry_.IsVisible(c, r)) {
            farColumn = std::max(farColumn, c);
            farRow = std::max(farRow, r);
        }
        if (lastUnitNumber_ == 127 && farRow == kLast)
            break;
    }
    // Keys run column by column, so the farthest column is at the end.
    for (auto it = units_.rbegin(); it != units_.rend() && KeyColumn(it->first) > farColumn; ++it) {
        if (geometry_.IsVisible(KeyColumn(it->first), KeyRow(it->first))) {
            farColumn = KeyColumn(it->first);
            break;
        }
    }
    // Received tiles count wherever they are.
    if (!locked_ || ignoreLock) {
        if (!tiles_.empty())
            farColumn = std::max(farColumn, KeyColumn(tiles_.rbegin()->first));
        for (const auto& entry : tiles_) {
            if (farRow == kLast)
                break;
            farRow = std::max(farRow, KeyRow(entry.first));
        }
    }

    MapGrowth growth;
    const MapSize wanted = geometry_.ClientSizeFor(farColumn, farRow);
    // Cells are counted from 0, so a cell whose index equals the visible
    // count is the first one out of view.
    if (farColumn >= visible_.columns)
        growth.clientWidth = wanted.width;
    if (farRow >= visible_.rows)
        growth.clientHeight = wanted.height;
    return growth;
}

}  // namespace yarrow
