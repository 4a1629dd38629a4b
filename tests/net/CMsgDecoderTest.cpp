#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetTestUtil.h"
#include "net/CMsgDecoder.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

using test::Bytes;
using test::DecodeAll;
using test::Header;
using test::LE16;
using test::LE32;
using Status = CMsgDecoder::Status;

// One record of every payload kind, with strings in all prefix forms.
std::vector<CMsg> Sample() {
    std::vector<CMsg> records;
    CMsg chat;
    chat.Type = LogBox;
    chat.ID = 3;
    chat.Name = Sjis("ゲームマスター");
    chat.Text = std::string(300, 'z');
    chat.Color = 0x112233;
    records.push_back(chat);

    CMsg reply;
    reply.Type = CnctReply;
    reply.Text = "Bo";
    reply.Members = {{"GM", 1}, {"Bo", 2}};
    records.push_back(reply);

    CMsg chart;
    chart.Type = Chart;
    chart.ChartRows = 2;
    chart.ChartColumns = 2;
    chart.ChartSpin = 50;
    chart.Strings = {Sjis("名前"), "HP", "a", ""};
    records.push_back(chart);

    CMsg secret;
    secret.Type = Secret;
    secret.Text = "psst";
    secret.Recipients = {{0, 4}, {1, 9}};
    records.push_back(secret);

    CMsg map;
    map.Type = UpdateMap;
    map.Units[0x0305] = CUnitRecord{2, 0xABCDEF, 4, "S", 0x0405};
    map.Tiles[0x0001] = CTileRecord{1, 2, 3, std::string(70000, 'L')};
    records.push_back(map);

    CMsg move;
    move.Type = MoveCard;
    move.Param1 = 0x0104;
    move.Strings = {"00001A", "00002B"};
    move.Close = 1;
    records.push_back(move);
    return records;
}

std::string EncodeAll(const std::vector<CMsg>& records) {
    std::string bytes;
    for (const CMsg& r : records)
        r.Encode(bytes);
    return bytes;
}

TEST(CMsgDecoder, SplitAtEveryByteBoundaryDecodesTheSame) {
    const std::vector<CMsg> sample = Sample();
    const std::string bytes = EncodeAll(sample);
    // Every split point in the small records; the long strings are covered by
    // the byte-by-byte run below.
    for (std::size_t split = 0; split <= 600 && split <= bytes.size(); ++split) {
        CMsgDecoder decoder;
        std::vector<CMsg> out;
        CMsg msg;
        decoder.Feed(std::string_view(bytes).substr(0, split));
        while (decoder.Next(msg) == Status::Record)
            out.push_back(msg);
        decoder.Feed(std::string_view(bytes).substr(split));
        while (decoder.Next(msg) == Status::Record)
            out.push_back(msg);
        ASSERT_EQ(out.size(), sample.size()) << "split at " << split;
        for (std::size_t i = 0; i < out.size(); ++i)
            EXPECT_EQ(out[i], sample[i]);
        EXPECT_FALSE(decoder.HasBufferedBytes());
    }
    for (std::size_t piece : {1u, 7u, 4096u}) {
        auto decoded = DecodeAll(bytes, piece);
        ASSERT_EQ(decoded.records.size(), sample.size()) << piece;
        for (std::size_t i = 0; i < sample.size(); ++i) {
            EXPECT_EQ(decoded.records[i], sample[i]);
        }
    }
}

TEST(CMsgDecoder, TypeOutOfRangeBreaksTheStream) {
    for (std::int32_t type : {0, 31, -1, 0x7FFFFFFF}) {
        CMsgDecoder decoder;
        decoder.Feed(LE32(5) + LE32(0) + LE32(type) + Header(1, 0, 3, "", 0, "ok", 0, 0));
        CMsg msg;
        EXPECT_EQ(decoder.Next(msg), Status::Bad) << type;
        EXPECT_EQ(decoder.Partial().ID, 5);
        EXPECT_EQ(decoder.Partial().Type, type);
        EXPECT_NE(decoder.ErrorText().find("out of range"), std::string::npos);
        // Nothing after a lost frame is trusted, not even a well-formed record.
        decoder.Feed(Header(1, 0, 3, "", 0, "later", 0, 0));
        EXPECT_EQ(decoder.Next(msg), Status::Bad);
    }
    // Types 1 and 30 are the ends of the valid range.
    auto decoded = DecodeAll(Header(1, 0, 1, "", 0, "", 0, 0) + Header(1, 0, 30, "", 0, "", 0, 0));
    EXPECT_EQ(decoded.records.size(), 2u);
}

// A header whose Text prefix is `prefix`, with no body behind it.
std::string HostilePrefix(const std::string& prefix) {
    return LE32(1) + LE32(0) + LE32(3) + Bytes({0}) + LE32(0) + prefix;
}

TEST(CMsgDecoder, HostileLengthsAreRefusedBeforeTheBodyArrives) {
    const std::vector<std::string> hostile = {
        // u32 length of 2 GiB.
        HostilePrefix(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})),
        // Just over the record cap.
        HostilePrefix(Bytes({0xFF, 0xFF, 0xFF}) + LE32(CMsgDecoder::kMaxRecordBytes)),
        // Wide form: 10 M UTF-16 units are 20 MB.
        HostilePrefix(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}) + LE32(10'000'000)),
        // A string list of a billion entries.
        Header(1, 0, 16, "", 0, "", 0, 0) + LE32(1'000'000'000),
        // More members than bytes could ever carry.
        Header(1, 0, 13, "", 0, "", 0, 0) + LE32(4'000'000),
        // A chart of 65535 x 65535 cells.
        Header(1, 0, 4, "", 0, "", 0, 0) + LE32(0) + LE32(65535) + LE32(65535),
        // Chart sizes beyond 65535 are cut to it, still far too many.
        Header(1, 0, 4, "", 0, "", 0, 0) + LE32(0) + LE32(0x7FFFFFFF) + LE32(0x7FFFFFFF),
    };
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        CMsgDecoder decoder;
        decoder.Feed(hostile[i]);
        CMsg msg;
        EXPECT_EQ(decoder.Next(msg), Status::Bad) << i;
        EXPECT_FALSE(decoder.ErrorText().empty()) << i;
    }

    // The largest chart the program makes (257 x 256) is fine, and a string
    // just under the cap waits for its body.
    CMsg chart;
    chart.Type = Chart;
    chart.ChartRows = 257;
    chart.ChartColumns = 256;
    chart.Strings.assign(257 * 256, "c");
    auto decoded = DecodeAll(chart.Encode());
    ASSERT_EQ(decoded.records.size(), 1u);
    EXPECT_EQ(decoded.records[0].Strings.size(), 257u * 256u);

    CMsgDecoder decoder;
    decoder.Feed(HostilePrefix(Bytes({0xFF, 0xFF, 0xFF}) + LE32(1'000'000)));
    CMsg msg;
    EXPECT_EQ(decoder.Next(msg), Status::NeedMore);
}

TEST(CMsgDecoder, NegativeCountsAnnounceNothing) {
    auto decoded =
        DecodeAll(Header(1, 0, 2, "", 0, "a", 0, 0) + LE32(-5) + Header(1, 0, 24, "", 0, "", 0, 0) +
                  LE32(-1) + Header(1, 0, 3, "", 0, "b", 0, 0));
    ASSERT_EQ(decoded.records.size(), 3u);
    EXPECT_TRUE(decoded.records[0].Members.empty());
    EXPECT_TRUE(decoded.records[1].Strings.empty());
    EXPECT_EQ(decoded.records[2].Text, "b");
}

TEST(CMsgDecoder, DuplicateMapKeysKeepTheLastEntry) {
    const std::string wire = Header(1, 0, 6, "", 0, "", 0, 0) + LE16(2) + LE16(0) + LE32(3) +
                             LE16(0) + LE32(4) + Header(1, 0, 3, "", 0, "x", 0, 0);
    auto decoded = DecodeAll(wire);
    ASSERT_EQ(decoded.records.size(), 2u);
    EXPECT_EQ(decoded.records[0].Recipients, (std::map<std::uint16_t, std::int32_t>{{0, 4}}));
}

}  // namespace
}  // namespace yarrow
