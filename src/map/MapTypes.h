#pragma once
// The small vocabulary every part of the map shares: cell addresses, the item
// and tile records with their bit fields, colours in the map's byte order, the
// map flags word, page names and the limits.
//
// Items and tiles use the very records the UpdateMap payload carries, so a
// received map is taken over without converting a single entry.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/CMsg.h"

namespace yarrow {

// ---------------------------------------------------------------------------
// Cells

// A map has 256 columns and 256 rows, numbered 0..255.
inline constexpr int kMapSide = 256;

// A cell address: column in the high byte, row in the low byte.
using CellKey = std::uint16_t;

constexpr CellKey MakeCellKey(int column, int row) {
    return static_cast<CellKey>(((column & 0xFF) << 8) | (row & 0xFF));
}
constexpr int KeyColumn(CellKey key) {
    return key >> 8;
}
constexpr int KeyRow(CellKey key) {
    return key & 0xFF;
}
constexpr bool IsOnMap(int column, int row) {
    return column >= 0 && column < kMapSide && row >= 0 && row < kMapSide;
}

// A cell by column and row, as the hit test and the searches return it.
struct MapCell {
    int column = 0;
    int row = 0;
    CellKey Key() const { return MakeCellKey(column, row); }
    bool operator==(const MapCell&) const = default;
};

// ---------------------------------------------------------------------------
// Items (units, chips, labels) and tiles

using UnitMap = decltype(CMsg::Units);  // CellKey -> CUnitRecord
using TileMap = decltype(CMsg::Tiles);  // CellKey -> CTileRecord

// An item without a leader line.
inline constexpr std::int32_t kNoAnchor = static_cast<std::int32_t>(0xFFFF0000u);

// Flags: bits 0-3 facing, bits 4-6 kind, bit 7 carried along untouched.
inline constexpr std::uint8_t kFacingMask = 0x0F;
inline constexpr std::uint8_t kKindMask = 0x70;
inline constexpr std::uint8_t kKindUnit = 0x00;
inline constexpr std::uint8_t kKindChip = 0x10;
inline constexpr std::uint8_t kKindLabel = 0x20;

constexpr int FacingOf(const CUnitRecord& item) {
    return item.Flags & kFacingMask;
}
constexpr std::uint8_t KindOf(const CUnitRecord& item) {
    return item.Flags & kKindMask;
}
constexpr bool IsPlainUnit(const CUnitRecord& item) {
    return KindOf(item) == kKindUnit;
}
constexpr bool IsChip(const CUnitRecord& item) {
    return KindOf(item) == kKindChip;
}
constexpr bool IsLabel(const CUnitRecord& item) {
    return KindOf(item) == kKindLabel;
}
// The chip number of a chip item (an index into the chip list; may be
// negative or beyond the list, which draws without a picture).
constexpr std::int32_t ChipNumberOf(const CUnitRecord& item) {
    return item.UnitColor;
}

// Item numbers are one signed byte: after 127 they continue at -128.
constexpr int SignedUnitNumber(std::uint8_t number) {
    return static_cast<std::int8_t>(number);
}

// The cell an item's leader line points at, or nothing.
inline std::optional<MapCell> AnchorCell(const CUnitRecord& item) {
    if (item.Anchor == kNoAnchor)
        return std::nullopt;
    const auto key = static_cast<CellKey>(item.Anchor & 0xFFFF);
    return MapCell{KeyColumn(key), KeyRow(key)};
}
constexpr std::int32_t AnchorOf(CellKey key) {
    return key;
}

// Tile label font: bits 0-1 pick 14, 12 or 10 pixels (3 acts as 0).
constexpr int LabelPixelHeight(std::int32_t labelSize) {
    switch (labelSize & 3) {
        case 1:
            return 12;
        case 2:
            return 10;
        default:
            return 14;
    }
}

// Each page holds at most this many tiles and this many items.
inline constexpr std::size_t kMaxTiles = 65535;
inline constexpr std::size_t kMaxItems = 65535;

// ---------------------------------------------------------------------------
// Colours
//
// Records, messages and files keep colours with red in the low byte
// (0x00BBGGRR); dialogs show and take six hexadecimal digits RRGGBB.

constexpr std::int32_t SwapRedBlue(std::uint32_t color) {
    return static_cast<std::int32_t>(((color & 0xFF) << 16) | (color & 0xFF00) |
                                     ((color >> 16) & 0xFF));
}
// 0xRRGGBB -> 0x00BBGGRR and back (the same swap both ways; bits 24-31 drop).
constexpr std::int32_t MapColorFromRgb(std::uint32_t rgb) {
    return SwapRedBlue(rgb);
}
constexpr std::uint32_t RgbFromMapColor(std::int32_t color) {
    return static_cast<std::uint32_t>(SwapRedBlue(static_cast<std::uint32_t>(color)));
}
// "%06X" of the colour in RRGGBB order, as the dialogs show it.
std::string MapColorText(std::int32_t color);
// Dialog text (an optional "0x" is ignored, anything not hexadecimal gives 0,
// black) to the map's byte order.
std::int32_t MapColorFromText(std::string_view text);

inline constexpr std::int32_t kWhiteBackground = 0xFFFFFF;
inline constexpr std::int32_t kGreyBackground = 0xAAAAAA;
inline constexpr std::int32_t kDefaultFillColor = 0xC0C0C0;

// ---------------------------------------------------------------------------
// The flags word sent with a map and stored at the end of a map file.

inline constexpr std::int32_t kFlagHexShape = 1 << 0;
inline constexpr std::int32_t kFlagSmallTiles = 1 << 1;
inline constexpr std::int32_t kFlagHexDirection = 1 << 2;
inline constexpr std::int32_t kFlagWhiteBackground = 1 << 3;

// ---------------------------------------------------------------------------
// Names

// "MainMap" for map 0, "SubMap%02d" otherwise: the tab text and the name in
// the "updated" notice. Code page 932 (ASCII only).
std::string MapPageName(int mapNumber);

}  // namespace yarrow
