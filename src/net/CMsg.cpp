#include "net/CMsg.h"

#include <cstdio>

namespace yarrow {

void CMsg::Reset() {
    Close = 0;
    Text.clear();
    Name.clear();
    Color = 0;
    Type = 0;
    ID = 0;
    Param1 = 0;
    Param2 = 0;
    Members.clear();
    Strings.clear();
    Units.clear();
    Tiles.clear();
    Recipients.clear();
    ChartRows = -1;
    ChartColumns = -1;
    ChartSpin = 0;
}

CMsg& CMsg::operator=(const CMsg& other) {
    if (this == &other) return *this;
    Close = other.Close;
    Text = other.Text;
    Name = other.Name;
    Color = other.Color;
    Type = other.Type;
    ID = other.ID;
    Param1 = other.Param1;
    Param2 = other.Param2;
    Members = other.Members;
    Strings = other.Strings;
    Units = other.Units;
    Tiles = other.Tiles;
    Recipients = other.Recipients;
    ChartRows = other.ChartRows;
    ChartColumns = other.ChartColumns;
    ChartSpin = other.ChartSpin;
    return *this;
}

std::string CMsg::TypeName(std::int32_t type) {
    if (type >= 0 && type <= kLastMsgType && !kMsgTypes[type].name.empty()) {
        return std::string(kMsgTypes[type].name);
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Unknown(0x%X)", static_cast<unsigned>(type));
    return buffer;
}

}  // namespace yarrow
