#include <gtest/gtest.h>

#include <string>

#include "NetTestUtil.h"
#include "net/CMsg.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"

namespace yarrow {
namespace {

using test::Bytes;
using test::DecodeAll;
using test::Header;
using test::LE16;
using test::LE32;

TEST(CMsgCodec, HeaderIsLittleEndianInWireOrder) {
    CMsg chat;
    chat.Type = LogBox;
    chat.Name = "A";
    CMsg roll;
    roll.ID = 0x01020304;
    roll.Close = 1;
    roll.Type = DiceRoll;
    roll.Color = 0x00A0B0C0;
    roll.Param1 = -2;
    roll.Param2 = 0x7FFFFFFF;
    // clang-format off
    // ID, Close, Type, Name, Color, Text, Param1, Param2.
    EXPECT_EQ(chat.Encode(), Bytes({0, 0, 0, 0,  0, 0, 0, 0,  3, 0, 0, 0,  1, 'A',  0, 0, 0, 0,  0,
                                    0, 0, 0, 0,  0, 0, 0, 0}));
    EXPECT_EQ(roll.Encode(), Bytes({4, 3, 2, 1,  1, 0, 0, 0,  7, 0, 0, 0,  0,  0xC0, 0xB0, 0xA0, 0,
                                    0,  0xFE, 0xFF, 0xFF, 0xFF,  0xFF, 0xFF, 0xFF, 0x7F}));
    // clang-format on
}

// The Text field starts after 4+4+4 bytes, the one-byte empty Name and Color.
std::string TextPrefixOf(std::size_t length, std::size_t prefixBytes) {
    CMsg msg;
    msg.Type = LogBox;
    msg.Text.assign(length, 'x');
    const std::string wire = msg.Encode();
    EXPECT_EQ(wire.size(), 12 + 1 + 4 + prefixBytes + length + 8);
    return wire.substr(17, prefixBytes);
}

TEST(CMsgCodec, StringPrefixGrowsAt255And65534Bytes) {
    EXPECT_EQ(TextPrefixOf(0, 1), Bytes({0}));
    EXPECT_EQ(TextPrefixOf(254, 1), Bytes({0xFE}));
    EXPECT_EQ(TextPrefixOf(255, 3), Bytes({0xFF, 0xFF, 0x00}));
    EXPECT_EQ(TextPrefixOf(65533, 3), Bytes({0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(TextPrefixOf(65534, 7), Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(TextPrefixOf(70000, 7), Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));

    // And each form reads back to the same text.
    for (std::size_t length : {254u, 255u, 65533u, 65534u, 70000u}) {
        CMsg msg;
        msg.Type = LogBox;
        msg.Text.assign(length, 'y');
        auto decoded = DecodeAll(msg.Encode());
        ASSERT_EQ(decoded.records.size(), 1u) << length;
        EXPECT_EQ(decoded.records[0].Text.size(), length);
    }
}

TEST(CMsgCodec, MemberListWritesCountThenIdBeforeName) {
    CMsg msg;
    msg.Type = CnctReply;
    msg.Text = "GM";
    msg.ID = 1;
    msg.Members = {{"GM", 1}, {"Bo", 2}, {"Cy", 5}};
    const std::string expected = Header(1, 0, 2, "", 0, "GM", 0, 0) + LE32(3) + LE32(1) +
                                 Bytes({2, 'G', 'M'}) + LE32(2) + Bytes({2, 'B', 'o'}) + LE32(5) +
                                 Bytes({2, 'C', 'y'});
    EXPECT_EQ(msg.Encode(), expected);

    auto decoded = DecodeAll(expected);
    ASSERT_EQ(decoded.records.size(), 1u);
    EXPECT_EQ(decoded.records[0].Members, msg.Members);

    // A participant's own announcement carries an empty list: count 0.
    CMsg own;
    own.Type = UpdateMbr;
    own.Text = "Bo";
    EXPECT_EQ(own.Encode(), Header(0, 0, 13, "", 0, "Bo", 0, 0) + LE32(0));
}

TEST(CMsgCodec, ChartCellsFollowTheDimensions) {
    // Rows -1: spin, rows and columns only, no cells; the next record follows.
    const std::string empty = Header(2, 0, 4, "", 0, "", 0, 0) + LE32(7) + LE32(-1) + LE32(3);
    const std::string next = Header(2, 0, 3, "", 0, "hi", 0, 0);
    auto decoded = DecodeAll(empty + next);
    ASSERT_EQ(decoded.records.size(), 2u);
    EXPECT_EQ(decoded.records[0].ChartSpin, 7);
    EXPECT_EQ(decoded.records[0].ChartRows, -1);
    EXPECT_TRUE(decoded.records[0].Strings.empty());
    EXPECT_EQ(decoded.records[1].Text, "hi");

    // 2 x 3 reads exactly six cells, in wire order.
    std::string grid = Header(2, 0, 4, "", 0, "", 0, 0) + LE32(0) + LE32(2) + LE32(3);
    for (char c : std::string("abcdef"))
        grid += Bytes({1, c});
    decoded = DecodeAll(grid + next);
    ASSERT_EQ(decoded.records.size(), 2u);
    EXPECT_EQ(decoded.records[0].Strings, (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(decoded.records[1].Text, "hi");

    CMsg msg;
    msg.Type = Chart;
    msg.ID = 2;
    msg.ChartRows = 2;
    msg.ChartColumns = 3;
    msg.Strings = {"a", "b", "c", "d", "e", "f"};
    EXPECT_EQ(msg.Encode(), grid);
}

TEST(CMsgCodec, ChartWithWrongCellCountStillFramesCorrectly) {
    // A sender whose Strings disagree with its dimensions must not shift the
    // stream: the writer sends exactly rows x columns cells.
    CMsg shortChart;
    shortChart.Type = Chart;
    shortChart.ChartRows = 2;
    shortChart.ChartColumns = 2;
    shortChart.Strings = {"a"};
    CMsg longChart = shortChart;
    longChart.ChartRows = -1;
    longChart.Strings = {"x", "y"};
    CMsg after;
    after.Type = LogBox;
    after.Text = "after";

    auto decoded = DecodeAll(shortChart.Encode() + longChart.Encode() + after.Encode());
    ASSERT_EQ(decoded.records.size(), 3u);
    EXPECT_EQ(decoded.records[0].Strings, (std::vector<std::string>{"a", "", "", ""}));
    EXPECT_TRUE(decoded.records[1].Strings.empty());
    EXPECT_EQ(decoded.records[2].Text, "after");
}

TEST(CMsgCodec, PayloadsRoundTrip) {
    CMsg secret;
    secret.Type = Secret;
    secret.Name = "GM";
    secret.Text = Sjis("内緒です");
    secret.Recipients = {{0, 2}, {1, 5}};
    EXPECT_EQ(secret.Encode(), Header(0, 0, 6, "GM", 0, secret.Text, 0, 0) + LE16(2) + LE16(0) +
                                   LE32(2) + LE16(1) + LE32(5));

    CMsg map;
    map.Type = UpdateMap;
    map.Param1 = 3;
    map.Param2 = 1;
    map.Units[0x0102] = CUnitRecord{1, 0x0000FF, 7, Sjis("竜"), 0x0203};
    map.Units[0x0000] = CUnitRecord{};
    map.Tiles[0xFFFF] = CTileRecord{0x123456, 0x654321, 12, "L"};
    const std::string unitBytes = LE16(0x0000) + Bytes({0}) + LE32(0) + Bytes({0, 0}) +
                                  LE32(static_cast<std::int32_t>(0xFFFF0000u)) + LE16(0x0102) +
                                  Bytes({1}) + LE32(0xFF) + Bytes({7, 2}) + Sjis("竜") +
                                  LE32(0x0203);
    const std::string tileBytes =
        LE16(0xFFFF) + LE32(0x123456) + LE32(0x654321) + LE32(12) + Bytes({1, 'L'});
    EXPECT_EQ(map.Encode(),
              Header(0, 0, 11, "", 0, "", 3, 1) + LE16(2) + unitBytes + LE16(1) + tileBytes);

    CMsg move;
    move.Type = MoveCard;
    move.Strings = {"00003A", "00010B"};
    CMsg pass = move;
    pass.Type = PassCard;
    CMsg stat = move;
    stat.Type = GetCardStat;
    stat.Strings.clear();

    auto decoded =
        DecodeAll(secret.Encode() + map.Encode() + move.Encode() + pass.Encode() + stat.Encode());
    ASSERT_EQ(decoded.records.size(), 5u);
    EXPECT_EQ(decoded.records[0], secret);
    EXPECT_EQ(decoded.records[1], map);
    EXPECT_EQ(decoded.records[2], move);
    EXPECT_EQ(decoded.records[3], pass);
    EXPECT_EQ(decoded.records[4], stat);
}

TEST(CMsgCodec, FullMapPageKeepsTheStreamInStep) {
    // 256 x 256 cells is one more than a 16-bit count can announce; the
    // writer keeps count and entries in agreement.
    CMsg map;
    map.Type = UpdateMap;
    for (int key = 0; key <= 0xFFFF; ++key)
        map.Tiles[static_cast<std::uint16_t>(key)] = {};
    CMsg after;
    after.Type = LogBox;
    after.Text = "next";
    auto decoded = DecodeAll(map.Encode() + after.Encode());
    ASSERT_EQ(decoded.records.size(), 2u);
    EXPECT_EQ(decoded.records[0].Tiles.size(), 0xFFFFu);
    EXPECT_EQ(decoded.records[1].Text, "next");
}

TEST(CMsgCodec, ReadsTheWideStringForm) {
    // FF FE FF marks UTF-16; then a length in units: "あA" is 2 units.
    const std::string wide = Bytes({0xFF, 0xFE, 0xFF, 2, 0x42, 0x30, 'A', 0});
    const std::string wire = LE32(4) + LE32(0) + LE32(3) + wide + LE32(0) +
                             Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x01}) +
                             std::string(0x101 * 2, '\0') + LE32(0) + LE32(0);
    auto decoded = DecodeAll(wire);
    ASSERT_EQ(decoded.records.size(), 1u);
    EXPECT_EQ(decoded.records[0].Name, Sjis("あ") + "A");
    EXPECT_EQ(decoded.records[0].Text, std::string(0x101, '\0'));
    EXPECT_EQ(decoded.records[0].ID, 4);
}

TEST(CMsgCodec, TypeNamesAndDefaults) {
    const std::vector<std::pair<std::int32_t, std::string>> names = {
        {0, "Undefined"},      {1, "CnctStart"},           {12, "Unknown(0xC)"},
        {21, "Unknown(0x15)"}, {28, "Unknown(0x1C)"},      {30, "DenyPass"},
        {31, "Unknown(0x1F)"}, {-1, "Unknown(0xFFFFFFFF)"}};
    for (const auto& [type, name] : names)
        EXPECT_EQ(CMsg::TypeName(type), name);

    CMsg msg;
    msg.Type = Chart;
    msg.ChartRows = 4;
    msg.Units[1] = {};
    msg.Reset();
    EXPECT_EQ(msg, CMsg());
    EXPECT_EQ(msg.ChartRows, -1);
    EXPECT_EQ(CMsg::ProtocolVersion, 6);
}

TEST(CMsgCodec, TraceLinesForWriteAndRead) {
    std::string trace;
    SetTraceSink([&](std::string_view bytes) { trace.append(bytes); });
    CMsg msg;
    msg.Type = LogBox;
    msg.Name = "GM";
    msg.ID = 2;
    msg.Close = 1;
    msg.Color = 0xFF;
    msg.Param1 = 3;
    msg.Param2 = -4;
    const std::string wire = msg.Encode();
    const std::string body =
        "LogBox)\r\n   GM(ID:2) Close Color:0x0000FF Param1:3 Param2:-4\r\n\r\n";
    EXPECT_EQ(trace, "  CMsg::Serialize(Write:" + body);

    trace.clear();
    DecodeAll(wire + LE32(0) + LE32(0) + LE32(31));
    EXPECT_EQ(trace,
              "  CMsg::Serialize(Read:" + body + "  CMsg::Serialize(Read:Unknown(0x1F))\r\n");
    SetTraceSink({});
}

}  // namespace
}  // namespace yarrow
