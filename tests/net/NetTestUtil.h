#pragma once
// Helpers shared by the net tests: byte strings written out by hand and
// decoding a whole byte string into records.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "net/CMsg.h"
#include "net/CMsgDecoder.h"

namespace yarrow::test {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

inline std::string LE32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return Bytes({static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF),
                  static_cast<int>((u >> 16) & 0xFF), static_cast<int>(u >> 24)});
}

inline std::string LE16(std::uint16_t v) {
    return Bytes({v & 0xFF, v >> 8});
}

// The header of a record with one-byte-prefixed Name and Text.
inline std::string Header(std::int32_t id, std::int32_t close, std::int32_t type,
                          const std::string& name, std::int32_t color, const std::string& text,
                          std::int32_t p1, std::int32_t p2) {
    return LE32(id) + LE32(close) + LE32(type) + Bytes({static_cast<int>(name.size())}) + name +
           LE32(color) + Bytes({static_cast<int>(text.size())}) + text + LE32(p1) + LE32(p2);
}

struct Decoded {
    std::vector<CMsg> records;
    CMsgDecoder::Status last = CMsgDecoder::Status::NeedMore;
};

// Feeds `bytes` in pieces of `piece` bytes (0: all at once) and collects
// every record handed out.
inline Decoded DecodeAll(const std::string& bytes, std::size_t piece = 0) {
    CMsgDecoder decoder;
    Decoded result;
    std::size_t at = 0;
    do {
        const std::size_t n = piece == 0 ? bytes.size() : std::min(piece, bytes.size() - at);
        decoder.Feed(std::string_view(bytes).substr(at, n));
        at += n;
        CMsg msg;
        while ((result.last = decoder.Next(msg)) == CMsgDecoder::Status::Record) {
            result.records.push_back(msg);
        }
        if (result.last == CMsgDecoder::Status::Bad)
            break;
    } while (at < bytes.size());
    return result;
}

}  // namespace yarrow::test

namespace yarrow {
// What a failed comparison of two records shows.
inline void PrintTo(const CMsg& msg, std::ostream* os) {
    *os << CMsg::TypeName(msg.Type) << "(ID " << msg.ID << ", Close " << msg.Close << ", Name \""
        << msg.Name << "\", Text " << msg.Text.size() << " bytes, Param " << msg.Param1 << "/"
        << msg.Param2 << ", " << msg.Members.size() << " members, " << msg.Strings.size()
        << " strings, " << msg.Units.size() << " units, " << msg.Tiles.size() << " tiles, "
        << msg.Recipients.size() << " recipients)";
}
}  // namespace yarrow
