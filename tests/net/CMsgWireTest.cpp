// The wire form of records: the exact bytes of each payload kind and string
// prefix, what the decoder makes of bytes a peer may send, and its bounds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetTestUtil.h"
#include "net/CMsgDecoder.h"
#include "platform/Cp932.h"

// The tables name only the fields a record sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace yarrow {
namespace {

using test::Bytes;
using test::DecodeAll;
using test::Header;
using test::LE16;
using test::LE32;
using Status = CMsgDecoder::Status;

// A LogBox record whose Text has `length` bytes: its wire form.
std::string TextRecord(std::size_t length, const std::string& prefix) {
    return LE32(0) + LE32(0) + LE32(LogBox) + Bytes({0}) + LE32(0) + prefix +
           std::string(length, 'x') + LE32(0) + LE32(0);
}

TEST(CMsgWire, EachPayloadKindEncodesToItsBytesAndDecodesBack) {
    const std::string dragon = Sjis("竜");
    const struct {
        const char* what;
        CMsg record;
        std::string bytes;
    } cases[] = {
        // clang-format off
        {"header in wire order, little-endian",
         CMsg{.Close = 1, .Color = 0x00A0B0C0, .Type = DiceRoll, .ID = 0x01020304, .Param1 = -2,
              .Param2 = 0x7FFFFFFF},
         Bytes({4, 3, 2, 1,  1, 0, 0, 0,  7, 0, 0, 0,  0,  0xC0, 0xB0, 0xA0, 0,  0,
                0xFE, 0xFF, 0xFF, 0xFF,  0xFF, 0xFF, 0xFF, 0x7F})},
        // clang-format on
        {"members: count, then ID before name",
         CMsg{.Text = "GM", .Type = CnctReply, .ID = 1, .Members = {{"GM", 1}, {"Bo", 2}}},
         Header(1, 0, 2, "", 0, "GM", 0, 0) + LE32(2) + LE32(1) + Bytes({2, 'G', 'M'}) + LE32(2) +
             Bytes({2, 'B', 'o'})},
        {"an own announcement lists nobody", CMsg{.Text = "Bo", .Type = UpdateMbr},
         Header(0, 0, 13, "", 0, "Bo", 0, 0) + LE32(0)},
        {"chart: spin, rows, columns, cells in order",
         CMsg{.Type = Chart,
              .ID = 2,
              .Strings = {"a", "b", "c", "d", "e", "f"},
              .ChartRows = 2,
              .ChartColumns = 3},
         Header(2, 0, 4, "", 0, "", 0, 0) + LE32(0) + LE32(2) + LE32(3) +
             Bytes({1, 'a', 1, 'b', 1, 'c', 1, 'd', 1, 'e', 1, 'f'})},
        {"chart without rows has no cells", CMsg{.Type = Chart, .ChartColumns = 3, .ChartSpin = 7},
         Header(0, 0, 4, "", 0, "", 0, 0) + LE32(7) + LE32(-1) + LE32(3)},
        {"whisper recipients: u16 count, position, ID",
         CMsg{.Text = "psst", .Name = "GM", .Type = Secret, .Recipients = {{0, 2}, {1, 5}}},
         Header(0, 0, 6, "GM", 0, "psst", 0, 0) + LE16(2) + LE16(0) + LE32(2) + LE16(1) + LE32(5)},
        {"map units and tiles by cell",
         CMsg{.Type = UpdateMap,
              .Param1 = 3,
              .Param2 = 1,
              .Units = {{0x0102, {1, 0x0000FF, 7, dragon, 0x0203}}, {0, {}}},
              .Tiles = {{0xFFFF, {0x123456, 0x654321, 12, "L"}}}},
         Header(0, 0, 11, "", 0, "", 3, 1) + LE16(2) + LE16(0) + Bytes({0}) + LE32(0) +
             Bytes({0, 0}) + LE32(static_cast<std::int32_t>(0xFFFF0000u)) + LE16(0x0102) +
             Bytes({1}) + LE32(0xFF) + Bytes({7, 2}) + dragon + LE32(0x0203) + LE16(1) +
             LE16(0xFFFF) + LE32(0x123456) + LE32(0x654321) + LE32(12) + Bytes({1, 'L'})},
        {"card strings", CMsg{.Type = MoveCard, .Param1 = 0x0104, .Strings = {"00001A"}},
         Header(0, 0, 16, "", 0, "", 0x0104, 0) + LE32(1) + Bytes({6}) + "00001A"},
        {"card statistics without strings", CMsg{.Type = GetCardStat},
         Header(0, 0, 25, "", 0, "", 0, 0) + LE32(0)},
        {"string prefix: one byte up to 254", CMsg{.Text = std::string(254, 'x'), .Type = LogBox},
         TextRecord(254, Bytes({0xFE}))},
        {"FF and a u16 from 255", CMsg{.Text = std::string(255, 'x'), .Type = LogBox},
         TextRecord(255, Bytes({0xFF, 0xFF, 0x00}))},
        {"up to 65533", CMsg{.Text = std::string(65533, 'x'), .Type = LogBox},
         TextRecord(65533, Bytes({0xFF, 0xFD, 0xFF}))},
        {"FF FFFF and a u32 from 65534", CMsg{.Text = std::string(65534, 'x'), .Type = LogBox},
         TextRecord(65534, Bytes({0xFF, 0xFF, 0xFF}) + LE32(65534))},
        {"u32 beyond", CMsg{.Text = std::string(70000, 'x'), .Type = LogBox},
         TextRecord(70000, Bytes({0xFF, 0xFF, 0xFF}) + LE32(70000))},
    };
    std::string all;
    for (const auto& c : cases) {
        EXPECT_EQ(c.record.Encode(), c.bytes) << c.what;
        const auto decoded = DecodeAll(c.bytes);
        ASSERT_EQ(decoded.records.size(), 1u) << c.what;
        EXPECT_EQ(decoded.records[0], c.record) << c.what;
        all += c.bytes;
    }
    // Fed in pieces of any size, the stream decodes the same.
    for (std::size_t piece = 1; piece <= 700; ++piece) {
        const auto decoded = DecodeAll(all, piece);
        ASSERT_EQ(decoded.records.size(), std::size(cases)) << "pieces of " << piece;
        for (std::size_t n = 0; n < std::size(cases); ++n)
            EXPECT_EQ(decoded.records[n], cases[n].record) << "pieces of " << piece;
    }
}

// What the writer does with fields that disagree with what a reader expects,
// and what the reader makes of odd but well-framed input: the stream always
// stays in step, and a record after it decodes whole.
TEST(CMsgWire, OddFieldsKeepTheStreamInStep) {
    CMsg fullMap{.Type = UpdateMap};
    for (int key = 0; key <= 0xFFFF; ++key)  // one more than a u16 count announces
        fullMap.Tiles[static_cast<std::uint16_t>(key)] = {};
    const struct {
        const char* what;
        std::string bytes;
        CMsg decoded;
    } cases[] = {
        {"missing chart cells are written empty",
         CMsg{.Type = Chart, .Strings = {"a"}, .ChartRows = 2, .ChartColumns = 2}.Encode(),
         CMsg{.Type = Chart, .Strings = {"a", "", "", ""}, .ChartRows = 2, .ChartColumns = 2}},
        {"surplus chart cells are left out",
         CMsg{.Type = Chart, .Strings = {"x", "y"}, .ChartColumns = 2}.Encode(),
         CMsg{.Type = Chart, .ChartColumns = 2}},
        {"negative member count", Header(1, 0, 2, "", 0, "a", 0, 0) + LE32(-5),
         CMsg{.Text = "a", .Type = CnctReply, .ID = 1}},
        {"negative string count", Header(1, 0, 24, "", 0, "", 0, 0) + LE32(-1),
         CMsg{.Type = PassCard, .ID = 1}},
        {"duplicate recipient keys keep the last",
         Header(1, 0, 6, "", 0, "", 0, 0) + LE16(2) + LE16(0) + LE32(3) + LE16(0) + LE32(4),
         CMsg{.Type = Secret, .ID = 1, .Recipients = {{0, 4}}}},
        // FF FE FF marks UTF-16, then a length in units: "あA" is 2 units.
        {"wide strings",
         LE32(4) + LE32(0) + LE32(3) + Bytes({0xFF, 0xFE, 0xFF, 2, 0x42, 0x30, 'A', 0}) + LE32(0) +
             Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x01}) + std::string(0x101 * 2, '\0') + LE32(0) +
             LE32(0),
         CMsg{.Text = std::string(0x101, '\0'), .Name = Sjis("あ") + "A", .Type = LogBox, .ID = 4}},
    };
    const std::string after = CMsg{.Text = "after", .Type = LogBox}.Encode();
    for (const auto& c : cases) {
        const auto decoded = DecodeAll(c.bytes + after);
        ASSERT_EQ(decoded.records.size(), 2u) << c.what;
        EXPECT_EQ(decoded.records[0], c.decoded) << c.what;
        EXPECT_EQ(decoded.records[1].Text, "after") << c.what;
    }
    const auto decoded = DecodeAll(fullMap.Encode() + after);
    ASSERT_EQ(decoded.records.size(), 2u);
    EXPECT_EQ(decoded.records[0].Tiles.size(), 0xFFFFu);

    // The largest chart the program makes (257 x 256) is fine.
    CMsg chart{.Type = Chart, .ChartRows = 257, .ChartColumns = 256};
    chart.Strings.assign(257 * 256, "c");
    EXPECT_EQ(DecodeAll(chart.Encode()).records.at(0), chart);
}

// A header whose Text prefix is `prefix`, with no body behind it.
std::string HostilePrefix(const std::string& prefix) {
    return LE32(1) + LE32(0) + LE32(3) + Bytes({0}) + LE32(0) + prefix;
}

TEST(CMsgWire, BadTypesAndHostileLengthsBreakTheStreamBeforeTheBodyArrives) {
    const std::string ok = Header(1, 0, 3, "", 0, "ok", 0, 0);
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {LE32(5) + LE32(0) + LE32(0) + ok, "out of range"},
        {LE32(5) + LE32(0) + LE32(31) + ok, "out of range"},
        {LE32(5) + LE32(0) + LE32(-1) + ok, "out of range"},
        {LE32(5) + LE32(0) + LE32(0x7FFFFFFF) + ok, "out of range"},
        // u32 length of 2 GiB; just over the record cap; 10 M UTF-16 units.
        {HostilePrefix(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})), ""},
        {HostilePrefix(Bytes({0xFF, 0xFF, 0xFF}) + LE32(CMsgDecoder::kMaxRecordBytes)), ""},
        {HostilePrefix(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}) + LE32(10'000'000)), ""},
        // A billion strings; more members than bytes could carry; charts of
        // 65535 x 65535 cells, sizes beyond 65535 cut to it.
        {Header(1, 0, 16, "", 0, "", 0, 0) + LE32(1'000'000'000), ""},
        {Header(1, 0, 13, "", 0, "", 0, 0) + LE32(4'000'000), ""},
        {Header(1, 0, 4, "", 0, "", 0, 0) + LE32(0) + LE32(65535) + LE32(65535), ""},
        {Header(1, 0, 4, "", 0, "", 0, 0) + LE32(0) + LE32(0x7FFFFFFF) + LE32(0x7FFFFFFF), ""},
    };
    for (const auto& [bytes, error] : hostile) {
        CMsgDecoder decoder;
        decoder.Feed(bytes);
        CMsg msg;
        EXPECT_EQ(decoder.Next(msg), Status::Bad) << error;
        EXPECT_NE(decoder.ErrorText().find(error), std::string::npos) << decoder.ErrorText();
        EXPECT_FALSE(decoder.ErrorText().empty());
        EXPECT_EQ(decoder.Partial().ID, bytes[0]);
        // Nothing after a lost frame is trusted, not even a well-formed record.
        decoder.Feed(ok);
        EXPECT_EQ(decoder.Next(msg), Status::Bad);
    }
    // Types 1 and 30 end the valid range; a string just under the cap waits
    // for its body.
    EXPECT_EQ(DecodeAll(Header(1, 0, 1, "", 0, "", 0, 0) + Header(1, 0, 30, "", 0, "", 0, 0))
                  .records.size(),
              2u);
    EXPECT_EQ(DecodeAll(HostilePrefix(Bytes({0xFF, 0xFF, 0xFF}) + LE32(1'000'000))).last,
              Status::NeedMore);
}

}  // namespace
}  // namespace yarrow
