#include "settings/SettingsValues.h"

#include <cstdio>

#include "platform/Cp932.h"

namespace yarrow {
namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Stored CharSize → half-points (index 0 is a leftover that behaves as 3).

}  // namespace

const std::array<PaletteEntry, kPaletteSize>& HandleNamePalette() {
    static const std::array<PaletteEntry, kPaletteSize> palette = {{
        {Sjis("黒色"), 0x000000},
        {Sjis("赤色"), 0xFF0000},
        {Sjis("緑色"), 0x00C800},
        {Sjis("青色"), 0x0000FF},
        {Sjis("紫色"), 0xC800C8},
        {Sjis("茶色"), 0x960000},
        {Sjis("黄色"), 0xDCB400},
        {Sjis("水色"), 0x64C8C8},
        {Sjis("橙色"), 0xFF8040},
        {Sjis("ｶｽﾀﾑ"), 0x000000},
    }};
    return palette;
}

int PaletteIndexOf(std::uint32_t color) {
    const auto& palette = HandleNamePalette();
    for (int i = 0; i < kPaletteCustom; ++i) {
        if (palette[i].value == color)
            return i;
    }
    return kPaletteCustom;
}

std::uint32_t PaletteValue(int index, std::uint32_t custom) {
    if (index < 0 || index >= kPaletteCustom)
        return custom;
    return HandleNamePalette()[index].value;
}

std::vector<std::string> TextColorComboLabels() {
    return {Sjis("黒色"), Sjis("白色"), Sjis("ｶｽﾀﾑ")};
}

std::vector<std::string> BackColorComboLabels() {
    return {Sjis("白色"), Sjis("黒色"), Sjis("ｶｽﾀﾑ")};
}

int TextColorComboIndex(std::uint32_t color) {
    return color == kBlack ? 0 : color == kWhite ? 1 : kColorComboCustom;
}

int BackColorComboIndex(std::uint32_t color) {
    return color == kWhite ? 0 : color == kBlack ? 1 : kColorComboCustom;
}

std::uint32_t TextColorComboValue(int index, std::uint32_t custom) {
    return index == 0 ? kBlack : index == 1 ? kWhite : custom;
}

std::uint32_t BackColorComboValue(int index, std::uint32_t custom) {
    return index == 0 ? kWhite : index == 1 ? kBlack : custom;
}

std::vector<std::string> CharSizeComboLabels() {
    return {Sjis("小さい"), Sjis("普通"), Sjis("大きい")};
}

int CharSizeComboIndex(int charSize) {
    if (charSize < 2 || charSize > 4)
        return kDefaultCharSize - 2;
    return charSize - 2;
}

int CharSizeFromComboIndex(int index) {
    if (index < 0 || index > 2)
        return kDefaultCharSize;
    return index + 2;
}

std::vector<std::string> SplitCommaList(std::string_view text, std::size_t maxPieces) {
    std::vector<std::string> pieces;
    while (pieces.size() < maxPieces) {
        std::size_t comma = text.find(',');
        pieces.emplace_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return pieces;
}

std::string FormatColor(std::uint32_t color) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%06X", static_cast<unsigned>(color));
    return buffer;
}

}  // namespace yarrow
