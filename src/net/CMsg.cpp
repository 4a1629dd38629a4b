#include "net/CMsg.h"

#include <algorithm>
#include <cstdio>

#include "net/CArchiveWriter.h"
#include "net/MsgTrace.h"

namespace yarrow {

std::string CMsg::TypeName(std::int32_t type) {
    if (type >= 0 && type <= kLastMsgType && !kMsgTypes[type].name.empty()) {
        return std::string(kMsgTypes[type].name);
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Unknown(0x%X)", static_cast<unsigned>(type));
    return buffer;
}

namespace {

// A u16 count can announce at most this many map entries.
constexpr std::size_t kMaxMapEntries = 0xFFFF;

template <typename Map, typename WriteEntry>
void WriteMap(CArchiveWriter& w, const Map& map, WriteEntry write) {
    const std::size_t n = std::min(map.size(), kMaxMapEntries);
    w.U16(static_cast<std::uint16_t>(n));
    std::size_t written = 0;
    for (const auto& [key, value] : map) {
        if (written++ == n)
            break;
        w.U16(key);
        write(value);
    }
}

}  // namespace

std::int64_t CMsg::ChartCellCount(std::int32_t rows, std::int32_t columns) {
    const std::int64_t r = std::min<std::int32_t>(rows, 0xFFFF);
    const std::int64_t c = std::min<std::int32_t>(columns, 0xFFFF);
    return r > 0 && c > 0 ? r * c : 0;
}

std::string CMsg::Encode() const {
    std::string out;
    Encode(out);
    return out;
}

void CMsg::Encode(std::string& out) const {
    TraceSerializeStart(false);
    CArchiveWriter w(out);
    w.I32(ID);
    w.I32(Close);
    w.I32(Type);
    w.Str(Name);
    w.I32(Color);
    w.Str(Text);
    w.I32(Param1);
    w.I32(Param2);
    TraceSerializeHeader(*this);

    switch (PayloadOf(Type)) {
        case PayloadKind::None:
            break;
        case PayloadKind::Members:
            w.I32(static_cast<std::int32_t>(Members.size()));
            for (const CMember& m : Members) {
                w.I32(m.MemberID);
                w.Str(m.MemberName);
            }
            break;
        case PayloadKind::Chart: {
            w.I32(ChartSpin);
            w.I32(ChartRows);
            w.I32(ChartColumns);
            const auto cells = static_cast<std::size_t>(ChartCellCount(ChartRows, ChartColumns));
            for (std::size_t i = 0; i < cells; ++i) {
                w.Str(i < Strings.size() ? std::string_view(Strings[i]) : std::string_view());
            }
            break;
        }
        case PayloadKind::Recipients:
            WriteMap(w, Recipients, [&](std::int32_t id) { w.I32(id); });
            break;
        case PayloadKind::Map:
            // A full page is two megabytes: room for every entry with a short
            // text up front saves growing the buffer a dozen times.
            out.reserve(out.size() + 4 + Units.size() * (13 + 8) + Tiles.size() * (15 + 8));
            WriteMap(w, Units, [&](const CUnitRecord& u) {
                w.U8(u.Flags);
                w.I32(u.UnitColor);
                w.U8(u.UnitNumber);
                w.Str(u.Symbol);
                w.I32(u.Anchor);
            });
            WriteMap(w, Tiles, [&](const CTileRecord& t) {
                w.I32(t.TileColor);
                w.I32(t.LabelColor);
                w.I32(t.LabelSize);
                w.Str(t.TileLabel);
            });
            break;
        case PayloadKind::Strings:
            w.I32(static_cast<std::int32_t>(Strings.size()));
            for (const std::string& s : Strings)
                w.Str(s);
            break;
    }
}

}  // namespace yarrow
