#pragma once
// Helpers shared by the net tests: byte strings written out by hand and
// decoding a whole byte string into records.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
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

inline void ExpectSameRecord(const CMsg& a, const CMsg& b) {
    EXPECT_EQ(a.ID, b.ID);
    EXPECT_EQ(a.Close, b.Close);
    EXPECT_EQ(a.Type, b.Type);
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Color, b.Color);
    EXPECT_EQ(a.Text, b.Text);
    EXPECT_EQ(a.Param1, b.Param1);
    EXPECT_EQ(a.Param2, b.Param2);
    EXPECT_EQ(a.Members, b.Members);
    EXPECT_EQ(a.Strings, b.Strings);
    EXPECT_EQ(a.Units, b.Units);
    EXPECT_EQ(a.Tiles, b.Tiles);
    EXPECT_EQ(a.Recipients, b.Recipients);
    EXPECT_EQ(a.ChartRows, b.ChartRows);
    EXPECT_EQ(a.ChartColumns, b.ChartColumns);
    EXPECT_EQ(a.ChartSpin, b.ChartSpin);
}

}  // namespace yarrow::test
