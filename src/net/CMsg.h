#pragma once
// The one network record. Every exchange between the hub and a participant is
// one CMsg; `Type` says which fields mean what (see MsgType.h).

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "net/MsgType.h"

namespace yarrow {

inline constexpr std::int32_t kProtocolVersion = 6;
// Product version 0.5.4.20 as the handshake carries it: (b << 16) | (c << 8) | d.
inline constexpr std::int32_t kProgramVersionCode = 0x050414;
inline constexpr const char* kProductVersionText = "Yarrow Ver0.54t";
// The most one record may take on the wire. Readers refuse a longer one and
// drop the connection, so senders never write one.
inline constexpr std::size_t kMaxRecordBytes = 16u * 1024u * 1024u;

struct CMember {
    std::string MemberName;
    std::int32_t MemberID = -1;
    bool operator==(const CMember&) const = default;
};

struct CUnitRecord {
    std::uint8_t Flags = 0;
    std::int32_t UnitColor = 0;
    std::uint8_t UnitNumber = 0;
    std::string Symbol;
    std::int32_t Anchor = static_cast<std::int32_t>(0xFFFF0000u);
    bool operator==(const CUnitRecord&) const = default;
};

struct CTileRecord {
    std::int32_t TileColor = 0xFFFFFF;
    std::int32_t LabelColor = 0;
    std::int32_t LabelSize = 0;
    std::string TileLabel;
    bool operator==(const CTileRecord&) const = default;
};

// A plain value: copied, moved and compared as a whole, so code that passes
// records on never lists their fields and cannot forget one.
class CMsg {
  public:
    // Never on the wire; the hub copies it into Param1 of CnctStart.
    static constexpr std::int32_t ProtocolVersion = kProtocolVersion;

    // Every field back to its default; containers emptied.
    void Reset() { *this = CMsg(); }

    // The name of a type code; "Unknown(0x%X)" for codes without one.
    static std::string TypeName(std::int32_t type);

    // Appends the wire form of this record to `out`: the common header, then
    // the payload that its Type carries. Reading is CMsgDecoder's job, since
    // bytes from a socket arrive in pieces.
    //
    // Two guards keep the stream readable whatever the caller filled in:
    // a Chart record writes exactly the cell strings a reader will expect
    // from ChartRows x ChartColumns (missing cells as empty strings, surplus
    // ones left out), and a map payload writes at most 65535 entries, the
    // most its 16-bit count can announce.
    void Encode(std::string& out) const;
    std::string Encode() const;

    // The number of chart cells a reader takes from the wire for these
    // dimensions: rows and columns are cut to 65535, and none when either
    // is not positive.
    static std::int64_t ChartCellCount(std::int32_t rows, std::int32_t columns);

    std::int32_t Close = 0;
    std::string Text;
    std::string Name;
    std::int32_t Color = 0;
    std::int32_t Type = 0;
    std::int32_t ID = 0;
    std::int32_t Param1 = 0;
    std::int32_t Param2 = 0;
    std::vector<CMember> Members;
    std::vector<std::string> Strings;
    std::map<std::uint16_t, CUnitRecord> Units;
    std::map<std::uint16_t, CTileRecord> Tiles;
    std::map<std::uint16_t, std::int32_t> Recipients;
    std::int32_t ChartRows = -1;
    std::int32_t ChartColumns = -1;
    std::int32_t ChartSpin = 0;

    bool operator==(const CMsg&) const = default;
};

}  // namespace yarrow
