// The hub's card actions through the hub's own read path: records are encoded
// as a participant sends them, fed to CYarrowServ, applied to the real card
// state and relayed; the tests look at what every connection receives and at
// where each card lies afterwards.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "CardTestSupport.h"
#include "cards/CHubCardState.h"
#include "dice/CMersenneTwister.h"
#include "net/CYarrowServ.h"
#include "net/CardLineText.h"
#include "net/HubFakes.h"
#include "support/FixedClock.h"

namespace yarrow {
namespace {

using test::ExpectEveryCardOnce;
using test::FakeConnection;
using test::WriteDeckIni;

std::vector<std::string> TwentyCards() {
    std::vector<std::string> lines{"[DeckSet]", "0=Twenty", "1=Three", "[Twenty]", "CardNum=20"};
    for (int i = 0; i < 20; ++i)
        lines.push_back(std::to_string(i) + "=Card" + std::to_string(i));
    for (const char* line : {"[Three]", "CardNum=3", "0=X", "1=Y", "2=Z"})
        lines.push_back(line);
    return lines;
}

class HubCardsTest : public ::testing::Test {
  protected:
    HubCardsTest() : cards(random, clock), hub(&listener, &prompter, &sound, &clock) {
        random.RandomSeed(5489);
        hub.SetOwner(&owner);
        hub.SetCardState(&cards);
        EXPECT_TRUE(hub.ConnectSocket(15000));
    }

    void LoadDeck(const std::vector<std::string>& lines = TwentyCards()) {
        ASSERT_TRUE(cards.Load(WriteDeckIni(dir, lines)));
    }

    // Members 1..n join and announce themselves.
    void JoinMembers(int n) {
        for (int i = 0; i < n; ++i) {
            FakeConnection& c = conns.emplace_back();
            const std::int32_t id = hub.ProcessPendingAccept(&c);
            CMsg reply;
            reply.Type = CnctReply;
            reply.ID = id;
            reply.Text = "M" + std::to_string(id);
            hub.ProcessPendingRead(id, reply.Encode());
        }
    }

    // Member `from` sends `msg` (its ID as the member writes it, unless set).
    CMsg Send(std::int32_t from, CMsg msg) {
        if (msg.ID == 0)
            msg.ID = from;
        if (msg.Name.empty())
            msg.Name = "M" + std::to_string(from);
        hub.ProcessPendingRead(from, msg.Encode());
        return Last(1);
    }
    CMsg Last(std::int32_t member) const {
        return conns[static_cast<std::size_t>(member - 1)].Records().back();
    }

    static CMsg Record(std::int32_t type, std::int32_t param1 = 0,
                       std::vector<std::string> strings = {}) {
        CMsg m;
        m.Type = type;
        m.Param1 = param1;
        m.Strings = std::move(strings);
        return m;
    }
    std::vector<std::string> EntriesOf(std::initializer_list<int> numbers) const {
        std::vector<std::string> entries;
        for (int n : numbers)
            entries.push_back(FormatCardEntry(n, cards.Box().DisplayText(n)));
        return entries;
    }
    // Draws `n` cards into member's hand; returns their numbers.
    std::vector<int> DrawCards(std::int32_t member, int n) {
        std::vector<int> numbers;
        for (int i = 0; i < n; ++i) {
            const CMsg answer = Send(member, Record(DrawCard));
            EXPECT_EQ(answer.Type, DrawCard);
            numbers.push_back(answer.Param1);
        }
        return numbers;
    }
    const std::set<std::uint16_t>& Pile(std::int32_t member, int code) const {
        return cards.Box().Holder(member)->Pile(code);
    }
    void ExpectConserved() { ExpectEveryCardOnce(cards.Box(), hub.ConnectionIds()); }

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

TEST_F(HubCardsTest, NewcomersGetTheDeckSummary) {
    LoadDeck();
    JoinMembers(1);
    EXPECT_EQ(conns[0].Records()[0].Name, "00020Twenty");
    DrawCards(1, 3);
    JoinMembers(1);
    EXPECT_EQ(conns[1].Records()[0].Name, "00017Twenty");
    EXPECT_EQ(cards.DeckSetNames(), (std::vector<std::string>{"Twenty", "Three"}));
}

TEST_F(HubCardsTest, AHiddenDrawReachesEveryoneWithTheCardForTheDrawersHand) {
    LoadDeck();
    JoinMembers(3);
    const int top = cards.Box().Current()->DrawPile().front();
    CMsg draw = Record(ScreenCard);
    draw.Color = 0x123456;
    Send(2, draw);
    for (std::int32_t member : {1, 2, 3}) {
        const CMsg got = Last(member);
        EXPECT_EQ(got.Type, ScreenCard);
        EXPECT_EQ(got.ID, 2);
        EXPECT_EQ(got.Name, "M2");
        EXPECT_EQ(got.Color, 0x123456);
        EXPECT_EQ(got.Param1, top);
        EXPECT_EQ(got.Param2, 19);
        EXPECT_EQ(got.Text, "Card" + std::to_string(top));
    }
    EXPECT_EQ(Pile(2, kHandPile), (std::set<std::uint16_t>{static_cast<std::uint16_t>(top)}));
    ExpectConserved();
}

TEST_F(HubCardsTest, CardRecordsActForTheConnectionThatSentThem) {
    LoadDeck();
    JoinMembers(2);
    const std::vector<int> mine = DrawCards(1, 2);
    // Member 2 writes member 1's ID: it draws for itself and cannot move,
    // pass or look as member 1.
    CMsg forged = Record(DrawCard);
    forged.ID = 1;
    EXPECT_EQ(Send(2, forged).ID, 2);
    EXPECT_EQ(Pile(2, kHandPile).size(), 1u);
    forged = Record(MoveCard, 0x0104, EntriesOf({mine[0]}));
    forged.ID = 1;
    const CMsg moved = Send(2, forged);
    EXPECT_EQ(moved.ID, 2);
    EXPECT_TRUE(moved.Strings.empty());
    forged = Record(PassCard, 2, EntriesOf({mine[0], mine[1]}));
    forged.ID = 1;
    EXPECT_TRUE(Send(2, forged).Strings.empty());
    EXPECT_EQ(Pile(1, kHandPile).size(), 2u);
    EXPECT_EQ(cards.Box().DiscardCount(), 0);
    ExpectConserved();
}

TEST_F(HubCardsTest, MovesBetweenPilesAreAppliedAndRelayedWithTheHubsTexts) {
    LoadDeck();
    JoinMembers(2);
    const std::vector<int> hand = DrawCards(1, 4);
    // Two cards hand -> face-down; the entries name them with the hub's texts
    // whatever the sender wrote after the digits.
    std::vector<std::string> entries{FormatCardEntry(hand[0], "lie"), FormatCardEntry(hand[1], "")};
    CMsg down = Send(1, Record(MoveCard, 0x0103, entries));
    EXPECT_EQ(down.Strings, EntriesOf({hand[0], hand[1]}));
    EXPECT_EQ(Last(2).Param1, 0x0103);
    EXPECT_EQ(Pile(1, kFaceDownPile).size(), 2u);
    EXPECT_EQ(Pile(1, kHandPile).size(), 2u);
    // One card face-down -> face-up.
    Send(1, Record(MoveCard, 0x0302, EntriesOf({hand[1]})));
    EXPECT_EQ(Pile(1, kFaceUpPile), (std::set<std::uint16_t>{static_cast<std::uint16_t>(hand[1])}));
    ExpectConserved();
}

TEST_F(HubCardsTest, TakingACardFromTheDiscardPileRemovesItThereForGood) {
    LoadDeck();
    JoinMembers(2);
    const std::vector<int> hand = DrawCards(1, 3);
    Send(1, Record(MoveCard, 0x0104, EntriesOf({hand[0], hand[1], hand[2]})));
    ASSERT_EQ(cards.Box().DiscardCount(), 3);
    // Member 2 takes one of them into its hand.
    const CMsg taken = Send(2, Record(MoveCard, 0x0401, EntriesOf({hand[1]})));
    EXPECT_EQ(taken.Strings, EntriesOf({hand[1]}));
    EXPECT_EQ(cards.Box().Current()->DiscardPile(),
              (std::vector<std::uint16_t>{static_cast<std::uint16_t>(hand[0]),
                                          static_cast<std::uint16_t>(hand[2])}));
    // Resetting the discard pile does not bring it back into the deck.
    Send(1, Record(ResetGrave));
    EXPECT_EQ(cards.Box().Remaining(), 19);
    EXPECT_EQ(cards.Box().Current()->PlaceOf(hand[1]), CDeck::Place::Out);
    EXPECT_EQ(Pile(2, kHandPile).count(static_cast<std::uint16_t>(hand[1])), 1u);
    ExpectConserved();
}

TEST_F(HubCardsTest, PassingThreeCardsMovesThemFromHandToHand) {
    LoadDeck();
    JoinMembers(5);
    const std::vector<int> hand = DrawCards(2, 4);
    const CMsg passed = Send(2, Record(PassCard, 5, EntriesOf({hand[0], hand[2], hand[3]})));
    EXPECT_EQ(passed.Type, PassCard);
    EXPECT_EQ(passed.Param1, 5);
    EXPECT_EQ(passed.Strings, EntriesOf({hand[0], hand[2], hand[3]}));
    EXPECT_EQ(Pile(2, kHandPile), (std::set<std::uint16_t>{static_cast<std::uint16_t>(hand[1])}));
    EXPECT_EQ(Pile(5, kHandPile).size(), 3u);
    ExpectConserved();
}

TEST_F(HubCardsTest, GetCardStatAnswersCountsAndFaceUpTexts) {
    LoadDeck();
    JoinMembers(3);
    const std::vector<int> drawn = DrawCards(3, 7);
    Send(3, Record(MoveCard, 0x0103, EntriesOf({drawn[0]})));
    Send(3, Record(MoveCard, 0x0102, EntriesOf({drawn[1], drawn[2]})));
    // The asker's strings are no part of the answer.
    const CMsg stat = Send(1, Record(GetCardStat, 3, {"junk"}));
    EXPECT_EQ(stat.ID, 1);
    EXPECT_EQ(stat.Param1, 4);
    EXPECT_EQ(stat.Param2, 1);
    std::vector<std::string> faceUp{cards.Box().DisplayText(std::min(drawn[1], drawn[2])),
                                    cards.Box().DisplayText(std::max(drawn[1], drawn[2]))};
    EXPECT_EQ(stat.Strings, faceUp);
    // About somebody without a holder: nothing at all.
    const CMsg nobody = Send(1, Record(GetCardStat, 77, {"junk"}));
    EXPECT_EQ(nobody.Param1, 0);
    EXPECT_EQ(nobody.Param2, 0);
    EXPECT_TRUE(nobody.Strings.empty());
}

TEST_F(HubCardsTest, ALeavingMembersCardsGoToTheBottomOfTheDrawPile) {
    LoadDeck();
    JoinMembers(2);
    const std::vector<int> drawn = DrawCards(2, 3);
    Send(2, Record(MoveCard, 0x0102, EntriesOf({drawn[2]})));
    CMsg leave = Record(Disconnect);
    leave.Close = 1;
    Send(2, leave);
    const auto& pile = cards.Box().Current()->DrawPile();
    ASSERT_EQ(pile.size(), 20u);
    const int a = std::min(drawn[0], drawn[1]);
    const int b = std::max(drawn[0], drawn[1]);
    EXPECT_EQ(std::vector<int>(pile.end() - 3, pile.end()), (std::vector<int>{a, b, drawn[2]}));
    ExpectConserved();
}

TEST_F(HubCardsTest, AConnectionThatBreaksGivesItsCardsBackAfterTheGraceTimeAndTakesNoMore) {
    LoadDeck();
    JoinMembers(2);
    const std::vector<int> hand = DrawCards(1, 2);
    DrawCards(2, 3);
    hub.ConnectionLost(2, "reset by peer");
    // Kept for a member of the same name that may come back.
    EXPECT_EQ(cards.Box().Remaining(), 15);
    clock.now += CYarrowServ::kCardGraceSeconds;
    hub.CheckStalledPeers();
    EXPECT_EQ(cards.Box().Remaining(), 18);
    EXPECT_EQ(cards.Box().Holder(2), nullptr);
    // A pass to it keeps the cards with the giver.
    EXPECT_TRUE(Send(1, Record(PassCard, 2, EntriesOf({hand[0], hand[1]}))).Strings.empty());
    EXPECT_EQ(Pile(1, kHandPile).size(), 2u);
    ExpectConserved();
}

TEST_F(HubCardsTest, ThePurgeReleasesMembersThatDidNotAnswer) {
    LoadDeck();
    JoinMembers(3);
    DrawCards(1, 2);
    DrawCards(3, 2);
    hub.PurgeCardHolders({1, 2});
    EXPECT_EQ(Pile(1, kHandPile).size(), 2u);
    EXPECT_TRUE(Pile(3, kHandPile).empty());
    EXPECT_EQ(cards.Box().Remaining(), 18);
    // Member 3 is still connected and can draw again.
    DrawCards(3, 1);
    ExpectConserved();
}

TEST_F(HubCardsTest, AnEmptyDeckAnswersDeckEmptyOrOffersTheReshuffle) {
    LoadDeck({"[DeckSet]", "0=S", "[S]", "CardNum=2", "0=a", "1=b"});
    JoinMembers(2);
    const std::vector<int> drawn = DrawCards(1, 2);
    CMsg empty = Send(2, Record(ScreenCard));
    EXPECT_EQ(empty.Type, DeckEmpty);
    EXPECT_EQ(empty.ID, 2);
    Send(1, Record(MoveCard, 0x0104, EntriesOf({drawn[0]})));
    EXPECT_EQ(Send(2, Record(DrawCard)).Type, DeckEmptyReshuffle);
    Send(2, Record(ResetGrave));
    EXPECT_EQ(Send(2, Record(DrawCard)).Text, cards.Box().DisplayText(drawn[0]));
}

TEST(HubWithoutDeck, DrawsAreAnsweredWithDeckEmpty) {
    test::TempDir dir;  // no Deck.ini in it
    test::FixedClock clock;
    CMersenneTwister random;
    CHubCardState cards(random, clock);
    EXPECT_FALSE(cards.Load(dir.File("Deck.ini")));
    test::FakeListener listener;
    CYarrowServ hub(&listener);
    hub.SetCardState(&cards);
    ASSERT_TRUE(hub.ConnectSocket(0));
    FakeConnection c;
    ASSERT_EQ(hub.ProcessPendingAccept(&c), 1);
    EXPECT_EQ(c.Records()[0].Name, "-0001");
    CMsg draw;
    draw.Type = DrawCard;
    draw.ID = 1;
    hub.ProcessPendingRead(1, draw.Encode());
    EXPECT_EQ(c.Records().back().Type, DeckEmpty);
    hub.Disconnection();
}

TEST_F(HubCardsTest, CardTextsThatAreNotCodePage932TravelAsTheirBytes) {
    test::TempDir::Write(dir.File("Deck.ini"),
                         "[DeckSet]\r\n0=S\r\n[S]\r\nCardNum=1\r\n0=\xFF\x81\x20ok\r\n");
    ASSERT_TRUE(cards.Load(dir.File("Deck.ini")));
    JoinMembers(2);
    const CMsg drawn = Send(1, Record(DrawCard));
    EXPECT_EQ(drawn.Text, "\xFF\x81\x20ok");
    const CMsg moved = Send(1, Record(MoveCard, 0x0102, {FormatCardEntry(0, "")}));
    EXPECT_EQ(moved.Strings, std::vector<std::string>{"00000\xFF\x81\x20ok"});
    EXPECT_EQ(Send(2, Record(GetCardStat, 1)).Strings, std::vector<std::string>{"\xFF\x81\x20ok"});
}

TEST_F(HubCardsTest, SwitchingTheDeckForgetsAllHoldingsAndTellsEverybody) {
    LoadDeck();
    JoinMembers(2);
    DrawCards(1, 5);
    hub.RelayGenerated(cards.SwitchDeck(1));
    CMsg init = Last(2);
    EXPECT_EQ(init.Type, InitDeck);
    EXPECT_EQ(init.Text, "Three");
    EXPECT_EQ(init.Param1, 3);
    EXPECT_TRUE(Pile(1, kHandPile).empty());
    // Back to the first set: all twenty cards again. An index beyond the
    // list changes nothing but still tells the deck in use.
    hub.RelayGenerated(cards.SwitchDeck(0));
    EXPECT_EQ(Last(1).Param1, 20);
    hub.RelayGenerated(cards.SwitchDeck(9));
    EXPECT_EQ(Last(1).Text, "Twenty");
    EXPECT_EQ(Last(1).Param1, 20);
    ExpectConserved();
}

// Hostile or confused records: each row is sent by member 1 after members 1
// and 2 hold cards; none may duplicate or lose a card.
struct HostileCase {
    const char* name;
    std::int32_t type;
    std::int32_t param1;
    // Entries by index into member 1's hand (>= 0), into member 2's hand
    // (-1 - index), or literal text.
    std::vector<std::string> entries;
    std::size_t relayedEntries;
};

class HostileRecordTest : public HubCardsTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileRecordTest, LosesOrDuplicatesNoCard) {
    LoadDeck();
    JoinMembers(3);
    CMsg leave = Record(Disconnect);
    leave.Close = 1;
    Send(3, leave);  // member 3 has left
    const std::vector<int> mine = DrawCards(1, 3);
    const std::vector<int> theirs = DrawCards(2, 2);
    Send(1, Record(MoveCard, 0x0104, EntriesOf({mine[2]})));  // one in the discard pile

    std::vector<std::string> entries;
    for (const std::string& e : GetParam().entries) {
        if (e.rfind("mine", 0) == 0)
            entries.push_back(EntriesOf({mine[static_cast<std::size_t>(e[4] - '0')]})[0]);
        else if (e.rfind("theirs", 0) == 0)
            entries.push_back(EntriesOf({theirs[static_cast<std::size_t>(e[6] - '0')]})[0]);
        else
            entries.push_back(e);
    }
    const CMsg relayed = Send(1, Record(GetParam().type, GetParam().param1, entries));
    EXPECT_EQ(relayed.Type, GetParam().type);
    EXPECT_EQ(relayed.Strings.size(), GetParam().relayedEntries);
    ExpectEveryCardOnce(cards.Box(), {1, 2, 3});
    // Member 2 still holds both of its cards.
    for (int n : theirs)
        EXPECT_EQ(Pile(2, kHandPile).count(static_cast<std::uint16_t>(n)), 1u) << n;
}

INSTANTIATE_TEST_SUITE_P(
    Cards, HostileRecordTest,
    ::testing::Values(
        HostileCase{"SameCardManyTimes", MoveCard, 0x0102, {"mine0", "mine0", "mine0"}, 1},
        HostileCase{"SameCardManyTimesWithinOnePile", MoveCard, 0x0101, {"mine0", "mine0"}, 1},
        HostileCase{"CardNotInSourcePile", MoveCard, 0x0301, {"mine0"}, 0},
        HostileCase{"AnotherMembersCard", MoveCard, 0x0104, {"theirs0", "theirs1"}, 0},
        HostileCase{"DiscardTwiceOver", MoveCard, 0x0401, {"mine2", "mine2"}, 1},
        HostileCase{"FromNowhere", MoveCard, 0x0001, {"theirs0", "mine0"}, 0},
        HostileCase{"ToNowhere", MoveCard, 0x0100, {"mine0"}, 0},
        HostileCase{"ToAPileThatDoesNotExist", MoveCard, 0x0105, {"mine0"}, 0},
        HostileCase{"FromTheDeck", MoveCard, 0x0501, {"00000", "00001", "00002"}, 0},
        HostileCase{"NumbersThatWouldWrap", MoveCard, 0x0104, {"65536x", "65537", "99999"}, 0},
        HostileCase{"DamagedEntries", MoveCard, 0x0104, {"", "12", "ab001", "-0001", " 0001"}, 0},
        HostileCase{"PassToNobody", PassCard, 0, {"mine0", "mine1"}, 0},
        HostileCase{"PassToAMemberWhoLeft", PassCard, 3, {"mine0"}, 0},
        HostileCase{"PassToAnUnknownId", PassCard, 99999, {"mine0"}, 0},
        HostileCase{"PassOthersCards", PassCard, 2, {"theirs0", "mine2", "mine1"}, 1},
        HostileCase{"PassTheSameCardTwice", PassCard, 2, {"mine0", "mine0"}, 1},
        HostileCase{"PassToSelf", PassCard, 1, {"mine0", "mine1"}, 2},
        // A random take only asks; the asked member's window answers with a
        // pass of its own, so asking nobody or a member who left moves nothing.
        HostileCase{"RandomTakeFromNobody", RndmGet, 0, {}, 0},
        HostileCase{"RandomTakeFromAMemberWhoLeft", RndmGet, 3, {}, 0}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace yarrow
