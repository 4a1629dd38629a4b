#pragma once
// How settings values are shown and stored: the handle-name colour palette,
// the text and background colour combos, the text size combo and the comma
// lists of the first-person filter. The dialogs show indices; the settings
// file always stores the values.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yarrow {

struct PaletteEntry {
    std::string label;    // code page 932
    std::uint32_t value;  // 0xRRGGBB; unused for the custom entry
};

// The ten entries of the name colour combo; index 9 ("ｶｽﾀﾑ") is the custom colour.
inline constexpr int kPaletteSize = 10;
inline constexpr int kPaletteCustom = 9;
const std::array<PaletteEntry, kPaletteSize>& HandleNamePalette();
// The palette index of a stored colour: one of the nine fixed colours, or
// kPaletteCustom for any other value (which the caller keeps as the custom colour).
int PaletteIndexOf(std::uint32_t color);
// The colour to store for a palette index; `custom` for kPaletteCustom (and
// for an index out of range, so a stray index never loses the user's colour).
std::uint32_t PaletteValue(int index, std::uint32_t custom);

// The text colour combo: 0 "黒色", 1 "白色", 2 "ｶｽﾀﾑ"; the background colour
// combo: 0 "白色", 1 "黒色", 2 "ｶｽﾀﾑ". Reading selects by value.
inline constexpr int kColorComboCustom = 2;
std::vector<std::string> TextColorComboLabels();
std::vector<std::string> BackColorComboLabels();
int TextColorComboIndex(std::uint32_t color);
int BackColorComboIndex(std::uint32_t color);
// The value stored for a combo index (the custom colour for kColorComboCustom).
std::uint32_t TextColorComboValue(int index, std::uint32_t custom);
std::uint32_t BackColorComboValue(int index, std::uint32_t custom);

// Text size. CharSize indexes the chat markup's size table (24, 15, 18, 24,
// 34, 45 half-points); the basic page shows 2-4 as "小さい", "普通", "大きい".
inline constexpr int kDefaultCharSize = 3;
std::vector<std::string> CharSizeComboLabels();
// The combo index for a stored CharSize (out-of-range values show "普通").
int CharSizeComboIndex(int charSize);
int CharSizeFromComboIndex(int index);

// The first-person filter's comma lists: split at every ",", the text after
// the last comma being the last piece (so "" gives one empty piece); at most
// `maxPieces` pieces, the rest is ignored. Pieces are not trimmed.
inline constexpr std::size_t kFilterdPersonMax = 20;
inline constexpr std::size_t kFilterMax = 5;
std::vector<std::string> SplitCommaList(std::string_view text, std::size_t maxPieces);

// "0x%06X": how every colour is written into the settings file.
std::string FormatColor(std::uint32_t color);

}  // namespace yarrow
