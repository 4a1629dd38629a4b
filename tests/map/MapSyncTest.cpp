#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/CMapBook.h"
#include "net/CMsg.h"
#include "net/CMsgDecoder.h"
#include "net/NetTestUtil.h"
#include "platform/Cp932.h"

namespace yarrow {
namespace {

using test::Bytes;

CMsg MapRecord(int number, std::int32_t flags = 0x9) {
    CMsg msg;
    msg.Type = UpdateMap;
    msg.ID = 3;
    msg.Param1 = flags;
    msg.Param2 = number;
    msg.Units[MakeCellKey(2, 3)] = CUnitRecord{0, 0x0000FF, 9, "AB", kNoAnchor};
    msg.Units[MakeCellKey(4, 4)] = CUnitRecord{0x10, 1, 0xF0, "chip", 0x0203};
    msg.Tiles[MakeCellKey(1, 1)] = CTileRecord{0x00FF00, 0, 0, "T"};
    return msg;
}

constexpr MapReceiveContext kShown{true, true, false};

TEST(MapBookTest, NewNumbersFollowTheRunFromTheSmallestAndTheMainMapStays) {
    struct Case {
        std::vector<int> numbers;
        int next;
    };
    for (const Case& c :
         {Case{{0}, 1}, Case{{0, 5}, 1}, Case{{2, 0, 1}, 3}, Case{{0, 1, 3, 4}, 2}, Case{{}, 0}})
        EXPECT_EQ(CMapBook::NextMapNumber(c.numbers), c.next);
    CMapBook book;
    EXPECT_FALSE(book.Delete(0));
    EXPECT_EQ(book.GetOrCreate(-1)->MapNumber(), 1);
}

TEST(MapSyncTest, WindowAutoShowAndTypingDecideBetweenShowingSwitchingAndNoting) {
    struct Case {
        const char* what;
        bool shown, autoShow, typing;
        int active, number;
        bool showWindow, activate;
        const char* notice;  // UTF-8; empty: none
    };
    // A hidden window without auto-show, and typing while another page
    // arrives, are noted in the whole-window test.
    const Case cases[] = {
        {"shown, same page", true, true, false, 0, 0, false, false, ""},
        {"shown, other page", true, false, false, 0, 2, false, true, ""},
        {"hidden, auto-show", false, true, false, 0, 0, true, false, ""},
        {"typing, this page", true, true, true, 2, 2, false, false, ""},
        // The typing rule replaces the hidden window's note.
        {"hidden, no auto-show, typing, this page", false, false, true, 2, 2, false, false, ""},
        {"hidden, auto-show, typing, other page", false, true, true, 2, 0, true, false,
         "◇ MainMapに更新がありました"},
    };
    for (const Case& c : cases) {
        CMapBook book;
        book.GetOrCreate(2);
        book.SetActive(c.active);
        CMsg msg = MapRecord(c.number);
        const MapReceiveReport report =
            book.ReceiveMap(msg, MapReceiveContext{c.shown, c.autoShow, c.typing});
        EXPECT_EQ(report.showWindow, c.showWindow) << c.what;
        EXPECT_EQ(report.activatePage, c.activate) << c.what;
        EXPECT_EQ(book.ActiveNumber(), c.activate ? c.number : c.active) << c.what;
        EXPECT_EQ(report.notice, std::string(c.notice).empty() ? "" : Sjis(c.notice)) << c.what;
        // The map is applied in every case.
        EXPECT_EQ(book.Find(c.number)->Units().size(), 2u) << c.what;
    }
}

TEST(MapSyncTest, ReceivedMapsLeaveTheCellSizeAndALockedPageItsTiles) {
    CMapBook book;
    CMapPage& page = book.MainPage();
    page.SetSmallTiles(true);
    page.SetFillColor(0x123456);
    page.PaintTile(9, 9);
    page.AddUnit(8, 8, false, 0, "old");
    page.SetLocked(true);
    CMsg msg = MapRecord(0, 0x4);  // square, large, direction 1, grey
    book.ReceiveMap(msg, kShown);
    EXPECT_TRUE(msg.Units.empty() && msg.Tiles.empty());  // taken over, not copied
    EXPECT_EQ(page.LastUnitNumber(), 9);                  // 0xF0 is -16
    EXPECT_FALSE(page.HasItem(8, 8));
    EXPECT_TRUE(page.HasItem(2, 3));
    ASSERT_EQ(page.Tiles().size(), 1u);
    EXPECT_EQ(page.TileAt(9, 9)->TileColor, 0x123456);
    EXPECT_EQ(page.MapFlags(), 0x4 | kFlagSmallTiles);
    EXPECT_EQ(page.HexA(), 5);
    // Its next own send spreads those tiles.
    EXPECT_EQ(CMapBook::BuildUpdate(page, 7).Tiles, page.Tiles());

    page.SetLocked(false);
    page.SetSmallTiles(false);
    CMsg next = MapRecord(0, 0xB);
    book.ReceiveMap(next, kShown);
    EXPECT_FALSE(page.HasTile(9, 9));
    EXPECT_TRUE(page.HasTile(1, 1));
    EXPECT_EQ(page.MapFlags(), 0x9);
}

TEST(MapSyncTest, FarCellsAskForALargerWindow) {
    struct Case {
        const char* what;
        std::int32_t flags;
        CellKey unit;
        CellKey tile;
        int scrollColumn;
        int width, height;
    };
    // Normal size, client 250 x 250: 10 x 10 cells (0 to 9) in hex direction
    // 0 (0x9) and in squares of 25 (0x8).
    const Case cases[] = {
        {"all within", 0x9, MakeCellKey(3, 3), MakeCellKey(9, 9), 0, 0, 0},
        {"one past the view", 0x9, MakeCellKey(3, 3), MakeCellKey(10, 10), 0, 12 * 25, 11 * 30},
        {"square within", 0x8, MakeCellKey(3, 3), MakeCellKey(9, 9), 0, 0, 0},
        {"square one past", 0x8, MakeCellKey(1, 1), MakeCellKey(10, 4), 0, 11 * 25, 0},
        {"square far", 0x8, MakeCellKey(1, 1), MakeCellKey(12, 12), 0, 13 * 25, 13 * 25},
        {"far unit column", 0x9, MakeCellKey(20, 5), MakeCellKey(1, 1), 0, 22 * 25, 0},
        {"far tile row", 0x9, MakeCellKey(1, 1), MakeCellKey(3, 30), 0, 0, 31 * 30},
        {"both", 0x9, MakeCellKey(40, 1), MakeCellKey(3, 30), 0, 42 * 25, 31 * 30},
        {"hex1 far column", 0xD, MakeCellKey(20, 5), MakeCellKey(1, 1), 0, 21 * 30, 0},
        // Items left of the scroll origin are not visible and do not count;
        // tiles count wherever they are.
        {"hidden unit", 0x9, MakeCellKey(20, 5), MakeCellKey(1, 1), 40, 0, 0},
    };
    for (const Case& c : cases) {
        CMapBook book;
        CMapPage& page = book.MainPage();
        page.SetClientSize(250, 250);
        page.Scroll(ScrollAxis::Horizontal, ScrollAction::Thumb, c.scrollColumn);
        CMsg msg;
        msg.Type = UpdateMap;
        msg.Param1 = c.flags;
        msg.Units[c.unit] = CUnitRecord{};
        msg.Tiles[c.tile] = CTileRecord{};
        const MapReceiveReport report = book.ReceiveMap(msg, kShown);
        EXPECT_EQ(report.growth.clientWidth, c.width) << c.what;
        EXPECT_EQ(report.growth.clientHeight, c.height) << c.what;
        EXPECT_EQ(report.growth.Any(), c.width > 0 || c.height > 0) << c.what;
    }
}

TEST(MapSyncTest, NegativeNumbersAndA65thPageAreIgnored) {
    CMapBook book;
    CMsg negative = MapRecord(-1);
    const MapReceiveReport refused = book.ReceiveMap(negative, kShown);
    EXPECT_TRUE(refused.ignored);
    EXPECT_EQ(book.PageCount(), 1);
    EXPECT_TRUE(book.MainPage().Units().empty());

    for (int n = 1; n < CMapBook::kMaxPages; ++n) {
        CMsg msg = MapRecord(n * 100);
        ASSERT_FALSE(book.ReceiveMap(msg, kShown).ignored) << n;
    }
    CMsg tooMany = MapRecord(7);
    const MapReceiveReport full = book.ReceiveMap(tooMany, MapReceiveContext{false, false, false});
    EXPECT_TRUE(full.ignored);
    EXPECT_TRUE(full.notice.empty());
    EXPECT_EQ(book.Find(7), nullptr);
    EXPECT_EQ(book.GetOrCreate(-1), nullptr);  // nor a new map of one's own
    // Pages that exist still take their updates.
    CMsg existing = MapRecord(6300);
    EXPECT_FALSE(book.ReceiveMap(existing, kShown).ignored);
}

// The map payload as another program may write it: entries out of key order,
// a cell given twice (the later entry wins) and a text too long for the
// one-byte length form (which the decoder reads field by field).
TEST(MapSyncTest, MapPayloadsDecodeTheSameWhateverTheirOrder) {
    const std::string longText(300, 's');
    const std::string wire =
        Bytes({7, 0, 0, 0, 0, 0, 0, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 2, 0, 0, 0}) +
        Bytes({3, 0}) +                                                                  // units
        Bytes({0x02, 0x02, 0x01, 5, 0, 0, 0, 9, 1}) + "B" + Bytes({0, 0, 0xFF, 0xFF}) +  //
        Bytes({0x01, 0x01, 0x12, 6, 0, 0, 0, 10, 0}) + Bytes({3, 1, 0, 0}) +             //
        Bytes({0x02, 0x02, 0x20, 7, 0, 0, 0, 11, 0xFF, 0x2C, 0x01}) + longText +         //
        Bytes({0, 0, 0xFF, 0xFF}) +                                                      //
        Bytes({2, 0}) +                                                                  // tiles
        Bytes({0xFF, 0xFF, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 1}) + "L" +               //
        Bytes({0x00, 0x00, 4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 0});

    UnitMap units;
    units[0x0101] = CUnitRecord{0x12, 6, 10, "", 0x0103};
    units[0x0202] = CUnitRecord{0x20, 7, 11, longText, kNoAnchor};
    TileMap tiles;
    tiles[0xFFFF] = CTileRecord{1, 2, 3, "L"};
    tiles[0x0000] = CTileRecord{4, 5, 6, ""};

    // The wire test feeds every payload kind, maps too, in pieces of any size.
    CMsgDecoder decoder;
    CMsg msg;
    decoder.Feed(wire);
    ASSERT_EQ(decoder.Next(msg), CMsgDecoder::Status::Record);
    EXPECT_EQ(std::pair(msg.Param1, msg.Param2), std::pair(9, 2));
    EXPECT_EQ(msg.Units, units);
    EXPECT_EQ(msg.Tiles, tiles);
    EXPECT_FALSE(decoder.HasBufferedBytes());
}

}  // namespace
}  // namespace yarrow
