#include "map/MapTypes.h"

#include <cstdio>

#include "platform/ProgramFolder.h"

namespace yarrow {

std::string MapColorText(std::int32_t color) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(RgbFromMapColor(color)));
    return text;
}

std::int32_t MapColorFromText(std::string_view text) {
    return MapColorFromRgb(ParseHexColor(text));
}

std::string MapPageName(int mapNumber) {
    if (mapNumber == 0)
        return "MainMap";
    char text[24];
    std::snprintf(text, sizeof text, "SubMap%02d", mapNumber);
    return text;
}

}  // namespace yarrow
