// The hub's card rules through the hub's own read path: records are encoded
// as a member sends them, fed to CYarrowServ, applied to the real card state
// and relayed; the tests look at what the connections receive and where each
// card lies afterwards.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "CardTestSupport.h"
#include "cards/CHubCardState.h"
#include "dice/CMersenneTwister.h"
#include "net/CYarrowServ.h"
#include "net/CardLineText.h"
#include "support/FixedClock.h"
#include "support/HubFakes.h"

namespace yarrow {
namespace {

using test::FakeConnection;

class HubCardsTest : public ::testing::Test {
  protected:
    HubCardsTest() : cards(random, clock), hub(&listener, &prompter, &sound, &clock) {
        random.RandomSeed(5489);
        hub.SetOwner(&owner);
        hub.SetCardState(&cards);
        EXPECT_TRUE(hub.ConnectSocket(15000));
    }

    // Twenty cards "C0".."C19" in set Twenty, then set Three.
    void LoadDeck() {
        ASSERT_TRUE(cards.Load(test::WriteDeckIni(
            dir, test::WithSet(test::WithSet({"[DeckSet]", "0=Twenty", "1=Three"}, "Twenty", 20),
                               "Three", 3))));
    }
    // Members 1..n join and announce themselves.
    void JoinMembers(int n) {
        for (int i = 0; i < n; ++i) {
            CMsg reply = Record(CnctReply);
            reply.ID = hub.ProcessPendingAccept(&conns.emplace_back());
            reply.Text = "M" + std::to_string(reply.ID);
            hub.ProcessPendingRead(reply.ID, reply.Encode());
        }
    }
    static CMsg Leave() {
        CMsg leave = Record(Disconnect);
        leave.Close = 1;
        return leave;
    }
    // Member `from` sends `msg` (its own ID unless set); returns the last
    // record the hub then sent to it.
    CMsg Send(std::int32_t from, CMsg msg) {
        if (msg.ID == 0)
            msg.ID = from;
        hub.ProcessPendingRead(from, msg.Encode());
        return conns[static_cast<std::size_t>(from - 1)].Records().back();
    }
    static CMsg Record(std::int32_t type, std::int32_t param1 = 0,
                       std::vector<std::string> strings = {}) {
        CMsg m;
        m.Type = type;
        m.Param1 = param1;
        m.Strings = std::move(strings);
        return m;
    }
    std::string Entry(int n) const { return FormatCardEntry(n, cards.Box().DisplayText(n)); }
    std::vector<int> DrawCards(std::int32_t member, int n) {
        std::vector<int> numbers;
        for (int i = 0; i < n; ++i)
            numbers.push_back(Send(member, Record(DrawCard)).Param1);
        return numbers;
    }
    const std::set<std::uint16_t>& Pile(std::int32_t member, int code) const {
        return cards.Box().Holder(member)->Pile(code);
    }
    void ExpectConserved() { test::ExpectEveryCardOnce(cards.Box(), {1, 2, 3}); }

    test::TempDir dir;
    test::FixedClock clock{1700000000};
    CMersenneTwister random;
    CHubCardState cards;
    test::FakeListener listener;
    test::ScriptedPrompter prompter;
    test::FakeSound sound;
    test::FakeOwner owner;
    std::deque<FakeConnection> conns;
    CYarrowServ hub;
};

// Each row is sent by member 1, written as if member 2 had sent it, after
// member 3 left and members 1 and 2 drew cards; "mineN"/"theirsN" name card N
// of member 1's/2's hand with a made-up text. The record must act for member
// 1 only and relay just the cards that moved, with the hub's texts; no card
// may be duplicated or lost. "wrapN" is mine N plus 65536.
struct HostileCase {
    const char* name;
    std::int32_t type;
    std::int32_t param1;
    std::vector<std::string> entries;
    std::size_t relayedEntries;
};

class HostileRecordTest : public HubCardsTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileRecordTest, ActsOnlyForTheSenderAndLosesOrDuplicatesNoCard) {
    const HostileCase& c = GetParam();
    LoadDeck();
    JoinMembers(3);
    Send(3, Leave());
    const std::vector<int> mine = DrawCards(1, 3);
    const std::vector<int> theirs = DrawCards(2, 2);
    Send(1, Record(MoveCard, 0x0104, {Entry(mine[2])}));  // one in the discard pile

    std::vector<std::string> entries;
    for (const std::string& e : c.entries) {
        const auto n = static_cast<std::size_t>(e.back() - '0');
        if (e.starts_with("mine"))
            entries.push_back(FormatCardEntry(mine[n], "lie"));
        else if (e.starts_with("theirs"))
            entries.push_back(FormatCardEntry(theirs[n], "lie"));
        else if (e.starts_with("wrap"))  // 16 bits of it would name mine[n]
            entries.push_back(FormatCardEntry(mine[n] + 65536, "lie"));
        else
            entries.push_back(e);
    }
    CMsg forged = Record(c.type, c.param1, entries);
    forged.ID = 2;
    const CMsg relayed = Send(1, forged);
    EXPECT_EQ(relayed.Type, c.type);
    EXPECT_EQ(relayed.ID, 1);
    EXPECT_EQ(relayed.Strings.size(), c.relayedEntries);
    ExpectConserved();
    // Each relayed card is where the record took it, named by the hub.
    for (const std::string& e : relayed.Strings) {
        const int n = ParseCardEntry(e)->number;
        EXPECT_EQ(e, Entry(n));
        EXPECT_EQ(Pile(c.type == PassCard ? c.param1 : 1, c.type == PassCard ? 1 : c.param1 & 0xFF)
                      .count(static_cast<std::uint16_t>(n)),
                  1u)
            << e;
    }
    if (c.type == DrawCard) {
        EXPECT_EQ(Pile(1, kHandPile).count(static_cast<std::uint16_t>(relayed.Param1)), 1u);
    }
    // About somebody without cards: nothing at all; the asker's strings are
    // no part of the answer.
    if (c.type == GetCardStat) {
        EXPECT_EQ(relayed.Param1, c.param1 == 2 ? 2 : 0);
    }
    // Member 2 still holds both of its cards.
    for (int n : theirs)
        EXPECT_EQ(Pile(2, kHandPile).count(static_cast<std::uint16_t>(n)), 1u) << n;
}

INSTANTIATE_TEST_SUITE_P(
    Cards, HostileRecordTest,
    ::testing::Values(
        HostileCase{"Draw", DrawCard, 0, {}, 0},
        HostileCase{"HandToFaceDown", MoveCard, 0x0103, {"mine0", "mine1"}, 2},
        HostileCase{"SameCardManyTimes", MoveCard, 0x0102, {"mine0", "mine0", "mine0"}, 1},
        HostileCase{"SameCardManyTimesWithinOnePile", MoveCard, 0x0101, {"mine0", "mine0"}, 1},
        HostileCase{"CardNotInSourcePile", MoveCard, 0x0301, {"mine0"}, 0},
        HostileCase{"AnotherMembersCard", MoveCard, 0x0104, {"theirs0", "theirs1"}, 0},
        HostileCase{"DiscardToHandTwiceOver", MoveCard, 0x0401, {"mine2", "mine2"}, 1},
        HostileCase{"FromNowhere", MoveCard, 0x0001, {"theirs0", "mine0"}, 0},
        HostileCase{"ToNowhere", MoveCard, 0x0100, {"mine0"}, 0},
        HostileCase{"ToAPileThatDoesNotExist", MoveCard, 0x0105, {"mine0"}, 0},
        HostileCase{"FromTheDeck", MoveCard, 0x0501, {"00000", "00001", "00002"}, 0},
        HostileCase{"NumbersThatWouldWrap", MoveCard, 0x0104, {"65536x", "wrap0", "99999"}, 0},
        HostileCase{"DamagedEntries", MoveCard, 0x0104, {"", "12", "ab001", "-0001", " 0001"}, 0},
        HostileCase{"PassTwo", PassCard, 2, {"mine0", "mine1"}, 2},
        HostileCase{"PassToNobody", PassCard, 0, {"mine0", "mine1"}, 0},
        HostileCase{"PassToAMemberWhoLeft", PassCard, 3, {"mine0"}, 0},
        HostileCase{"PassToAnUnknownId", PassCard, 99999, {"mine0"}, 0},
        HostileCase{"PassOthersCards", PassCard, 2, {"theirs0", "mine2", "mine1"}, 1},
        HostileCase{"PassTheSameCardTwice", PassCard, 2, {"mine0", "mine0"}, 1},
        HostileCase{"PassToSelf", PassCard, 1, {"mine0", "mine1"}, 2},
        HostileCase{"LookAtAMember", GetCardStat, 2, {"junk"}, 0},
        HostileCase{"LookAtNobody", GetCardStat, 77, {"junk"}, 0},
        HostileCase{"LookAtAMemberWhoLeft", GetCardStat, 3, {"junk"}, 0},
        // A random take only asks; the asked member's window answers with a
        // pass of its own, so asking nobody or a member who left moves nothing.
        HostileCase{"RandomTakeFromNobody", RndmGet, 0, {}, 0},
        HostileCase{"RandomTakeFromAMemberWhoLeft", RndmGet, 3, {}, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(HubCardsTest, MembersWhoLeaveOrGoUnlistedGiveTheirCardsBack) {
    LoadDeck();
    JoinMembers(3);
    const std::vector<int> first = DrawCards(1, 4);
    DrawCards(2, 3);
    DrawCards(3, 2);
    Send(1, Record(MoveCard, 0x0103, {Entry(first[0])}));
    Send(1, Record(MoveCard, 0x0102, {Entry(first[1])}));
    Send(1, Leave());
    // To the bottom of the draw pile: the hand, then face-up, then face-down,
    // each in ascending order.
    const auto& pile = cards.Box().Current()->DrawPile();
    EXPECT_EQ(std::vector<int>(pile.end() - 4, pile.end()),
              (std::vector<int>{std::min(first[2], first[3]), std::max(first[2], first[3]),
                                first[1], first[0]}));
    // Member 3 is not on the member list: its cards go back, and it stays at
    // the table and can draw again.
    hub.PurgeCardHolders({2});
    EXPECT_EQ(cards.Box().Remaining(), 17);
    EXPECT_EQ(Send(3, Record(DrawCard)).Type, DrawCard);
    ExpectConserved();
}

TEST_F(HubCardsTest, AnEmptyDeckAnswersDeckEmptyOrOffersTheReshuffle) {
    ASSERT_TRUE(cards.Load(
        test::WriteDeckIni(dir, {"[DeckSet]", "0=S", "[S]", "CardNum=2", "0=a", "1=b"})));
    JoinMembers(2);
    const std::vector<int> drawn = DrawCards(1, 2);
    EXPECT_EQ(Send(2, Record(ScreenCard)).Type, DeckEmpty);
    Send(1, Record(MoveCard, 0x0104, {Entry(drawn[0])}));
    EXPECT_EQ(Send(2, Record(DrawCard)).Type, DeckEmptyReshuffle);
    Send(2, Record(ResetGrave));
    EXPECT_EQ(Send(2, Record(DrawCard)).Text, cards.Box().DisplayText(drawn[0]));
}

TEST_F(HubCardsTest, WithoutADeckDrawsAreAnsweredWithDeckEmpty) {
    EXPECT_FALSE(cards.Load(dir.File("Deck.ini")));  // no file
    JoinMembers(1);
    EXPECT_EQ(conns[0].Records()[0].Name, "-0001");
    EXPECT_EQ(Send(1, Record(DrawCard)).Type, DeckEmpty);
}

TEST_F(HubCardsTest, CardTextsThatAreNotCodePage932TravelAsTheirBytes) {
    test::TempDir::Write(dir.File("Deck.ini"),
                         "[DeckSet]\r\n0=S\r\n[S]\r\nCardNum=1\r\n0=\xFF\x81\x20ok\r\n");
    ASSERT_TRUE(cards.Load(dir.File("Deck.ini")));
    JoinMembers(2);
    EXPECT_EQ(Send(1, Record(DrawCard)).Text, "\xFF\x81\x20ok");
    const CMsg moved = Send(1, Record(MoveCard, 0x0102, {FormatCardEntry(0, "")}));
    EXPECT_EQ(moved.Strings, std::vector<std::string>{"00000\xFF\x81\x20ok"});
    EXPECT_EQ(Send(2, Record(GetCardStat, 1)).Strings, std::vector<std::string>{"\xFF\x81\x20ok"});
}

TEST_F(HubCardsTest, ADeckSwitchTakesBackEveryCardAndReusesTheSetsReadBefore) {
    LoadDeck();
    JoinMembers(2);
    const std::vector<int> drawn = DrawCards(1, 2);
    DrawCards(2, 2);
    Send(1, Record(MoveCard, 0x0104, {Entry(drawn[0])}));
    Send(1, Record(MoveCard, 0x0102, {Entry(drawn[1])}));
    // The file changes meanwhile; a set read before is not read again.
    const std::string path = test::WriteDeckIni(dir, {"[DeckSet]", "0=Twenty"});
    hub.RelayGenerated(cards.SwitchDeck(0));
    EXPECT_EQ(std::pair(cards.Box().Remaining(), cards.Box().DiscardCount()), std::pair(20, 0));
    EXPECT_TRUE(Pile(1, kFaceUpPile).empty());
    EXPECT_EQ(cards.Box().DisplayText(0), "C0");
    DrawCards(1, 1);
    ExpectConserved();
    // One beyond the list, or without the file, the deck in use stays and
    // is told again.
    hub.RelayGenerated(cards.SwitchDeck(9));
    std::filesystem::remove(path);
    hub.RelayGenerated(cards.SwitchDeck(1));
    for (const CMsg& init : {conns[0].Records().back(), *(conns[0].Records().end() - 2)}) {
        EXPECT_EQ(std::tuple(init.Type, init.Text, init.Param1),
                  std::tuple(InitDeck, std::string("Twenty"), 19));
    }
    // A set that cannot be read leaves no deck and no cards with anybody.
    test::WriteDeckIni(dir, {"[DeckSet]", "0=Twenty"});
    hub.RelayGenerated(cards.SwitchDeck(1));
    EXPECT_EQ(conns[0].Records().back().Param1, -1);
    EXPECT_TRUE(Pile(1, kHandPile).empty());
    EXPECT_EQ(Send(2, Record(DrawCard)).Type, DeckEmpty);
}

}  // namespace
}  // namespace yarrow
