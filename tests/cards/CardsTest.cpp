// The cards core: deck sets read from Deck.ini and their shuffles, then the
// hub's card rules through the hub's own read path: records are encoded as a
// member sends them, fed to CYarrowServ, applied to the real card state and
// relayed; the tests look at what the connections receive and where each
// card lies afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "cards/CDeckBox.h"
#include "cards/CHubCardState.h"
#include "dice/CMersenneTwister.h"
#include "net/CYarrowServ.h"
#include "net/CardLineText.h"
#include "platform/TempDir.h"
#include "support/FixedClock.h"
#include "support/HubFakes.h"
#include "support/ScriptedRandom.h"

namespace yarrow {
namespace {

using test::FakeConnection;
using test::TempDir;

// Writes `lines` as Deck.ini with CR LF line ends into `dir`; returns its path.
std::string WriteDeckIni(const TempDir& dir, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    const std::string path = dir.File("Deck.ini");
    TempDir::Write(path, bytes);
    return path;
}

// `head` followed by the set `name` of `count` cards "C0", "C1", ...
std::vector<std::string> WithSet(std::vector<std::string> head, const std::string& name,
                                 int count) {
    head.push_back("[" + name + "]");
    head.push_back("CardNum=" + std::to_string(count));
    for (int i = 0; i < count; ++i)
        head.push_back(std::to_string(i) + "=C" + std::to_string(i));
    return head;
}

// Every card of the current deck is in exactly one of: the draw pile, the
// discard pile, one pile of one of `members`.
void ExpectEveryCardOnce(const CDeckBox& box, const std::vector<std::int32_t>& members) {
    const CDeck* deck = box.Current();
    ASSERT_NE(deck, nullptr);
    std::vector<int> found(deck->DrawPile().begin(), deck->DrawPile().end());
    for (auto n : deck->DiscardPile())
        found.push_back(n);
    for (std::int32_t member : members) {
        if (const CCardHolder* holder = box.Holder(member)) {
            for (const auto& pile : holder->piles)
                found.insert(found.end(), pile.begin(), pile.end());
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<int> cards;
    for (int n = 0; n < deck->CardNum() * deck->DeckNum(); ++n) {
        if (deck->Card(n) != nullptr)
            cards.push_back(n);
    }
    EXPECT_EQ(found, cards);
}

std::vector<int> Ints(const std::deque<std::uint16_t>& pile) {
    return {pile.begin(), pile.end()};
}

class CardsTest : public ::testing::Test {
  protected:
    CardsTest() : cards(random, clock), hub(&listener, &prompter, &sound, &clock) {
        random.RandomSeed(5489);
        hub.SetOwner(&owner);
        hub.SetCardState(&cards);
        EXPECT_TRUE(hub.ConnectSocket(15000));
    }

    bool Load(const std::vector<std::string>& lines) {
        path = WriteDeckIni(dir, lines);
        return box.Load(path);
    }
    // Twenty cards "C0".."C19" in set Twenty, then set Three.
    void LoadDeck() {
        ASSERT_TRUE(cards.Load(WriteDeckIni(
            dir,
            WithSet(WithSet({"[DeckSet]", "0=Twenty", "1=Three"}, "Twenty", 20), "Three", 3))));
    }
    // A member connects and announces itself as `name` ("M<ID>" without);
    // returns its ID.
    std::int32_t Join(const std::string& name = {}) {
        CMsg reply = Record(CnctReply);
        reply.ID = hub.ProcessPendingAccept(&conns.emplace_back());
        reply.Text = name.empty() ? "M" + std::to_string(reply.ID) : name;
        hub.ProcessPendingRead(reply.ID, reply.Encode());
        return reply.ID;
    }
    void JoinMembers(int n) {
        for (int i = 0; i < n; ++i)
            Join();
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
    void ExpectConserved() { ExpectEveryCardOnce(cards.Box(), {1, 2, 3}); }

    TempDir dir;
    test::FixedClock clock{1700000000};
    CMersenneTwister random;
    CDeckBox box{random, clock};
    test::ScriptedRandom scripted;
    CDeckBox scriptedBox{scripted, clock};
    std::string path;
    CHubCardState cards;
    test::FakeListener listener;
    test::ScriptedPrompter prompter;
    test::FakeSound sound;
    test::FakeOwner owner;
    std::deque<FakeConnection> conns;
    CYarrowServ hub;
};

TEST_F(CardsTest, CardsNumberCopyByCopyAndTheSetListEndsAtAGapOr256) {
    ASSERT_TRUE(
        Load({"[DeckSet]", "0=Set", "[Set]", "CardNum=3", "DeckNum=2", "0=Ace", "1=", "2=Two"}));
    // Copy 1 of entry 0 is card 3, of entry 2 card 5; entry 1 has no card.
    std::vector<int> drawPile = Ints(box.Current()->DrawPile());
    std::sort(drawPile.begin(), drawPile.end());
    EXPECT_EQ(drawPile, (std::vector<int>{0, 2, 3, 5}));
    EXPECT_EQ(box.DisplayText(3), "Ace");
    EXPECT_EQ(box.DisplayText(5), "Two");
    for (const char* second : {"2=B", "1="}) {
        ASSERT_TRUE(Load(WithSet({"[DeckSet]", "0=A", second}, "A", 2)));
        EXPECT_EQ(box.DeckSetNames(), std::vector<std::string>{"A"}) << second;
    }
    std::vector<std::string> many{"[DeckSet]"};
    for (int i = 0; i < 300; ++i)
        many.push_back(std::to_string(i) + "=A");
    ASSERT_TRUE(Load(WithSet(many, "A", 2)));
    EXPECT_EQ(box.DeckSetNames().size(), 256u);
}

TEST_F(CardsTest, ShufflesTakeScriptedDrawsPositionThenAttribute) {
    path = WriteDeckIni(
        dir, {"[DeckSet]", "0=S", "1=T", "[S]", "CardNum=4", "0=a", "1=b", "2=c", "3=d", "[T]",
              "CardNum=3", "Attribute=3", "0=x", "1=y", "2=z", "Attr0=P", "attr1=Q", "ATTR2=R"});
    // Loading shuffles S (one attribute: no attribute draws). 4000000002 % 4
    // = 2 picks card 2; then 0 of {0,1,3}; then 1 of {1,3}; then the last.
    scripted.Draw(4000000002u).Draw(3).Draw(1).Draw(7);
    ASSERT_TRUE(scriptedBox.Load(path));
    EXPECT_EQ(Ints(scriptedBox.Current()->DrawPile()), (std::vector<int>{2, 0, 3, 1}));
    EXPECT_EQ(scripted.seeds, std::vector<std::uint32_t>{1700000000u});

    // With attributes every position draw is followed by the attribute draw;
    // attribute keys are read whatever their case.
    scripted.Draw(1).Draw(5).Draw(0).Draw(3).Draw(0).Draw(1);
    ASSERT_TRUE(scriptedBox.SelectDeck("T"));
    EXPECT_EQ(Ints(scriptedBox.Current()->DrawPile()), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(scriptedBox.DisplayText(1), "y(R)");
    EXPECT_EQ(scriptedBox.DisplayText(0), "x(P)");
    EXPECT_EQ(scriptedBox.DisplayText(2), "z(Q)");

    // A set read before comes back whole, in number order, and is shuffled.
    scripted.Draw(3).Draw(2).Draw(1).Draw(0);
    ASSERT_TRUE(scriptedBox.SelectDeck("S"));
    EXPECT_EQ(Ints(scriptedBox.Current()->DrawPile()), (std::vector<int>{3, 2, 1, 0}));

    // With cards discarded: draw pile [1, 0], then discard [2, 3] in the
    // order discarded; always taking the first keeps that order.
    scriptedBox.AddHolder(7);
    ASSERT_EQ(scriptedBox.DrawToHand(7), 3);
    ASSERT_EQ(scriptedBox.DrawToHand(7), 2);
    ASSERT_EQ(scriptedBox.MoveCards(7, kHandPile, kDiscardPile, {2, 3}).size(), 2u);
    scripted.Draw(0).Draw(0).Draw(0).Draw(0);
    EXPECT_TRUE(scriptedBox.ResetGrave());
    EXPECT_EQ(Ints(scriptedBox.Current()->DrawPile()), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(scriptedBox.DiscardCount(), 0);
    EXPECT_EQ(scripted.Left(), 0u);
    ExpectEveryCardOnce(scriptedBox, {7});
}

TEST_F(CardsTest, SetsThatCannotBeUsedLeaveTheBoxWithoutADeck) {
    // Mostly sets whose cards would not fit 16-bit numbers; the first has no file.
    const std::vector<std::vector<std::string>> files{
        {},
        {"[S]", "CardNum=2", "0=a"},
        {"[DeckSet]", "0=S"},
        {"[DeckSet]", "0=S", "[S]", "CardNum=-3", "0=a"},
        {"[DeckSet]", "0=S", "[S]", "CardNum=2", "DeckNum=0"},
        {"[DeckSet]", "0=S", "[S]", "CardNum=200", "DeckNum=200"},
        {"[DeckSet]", "0=S", "[S]", "CardNum=2000000000"},
        {"[DeckSet]", "0=S", "[S]", "CardNum=65536", "DeckNum=65536"},
        {"[DeckSet]", "0=S", "[S]", "CardNum=2", "0=a", "Attribute=2000000000"}};
    for (const auto& lines : files) {
        SCOPED_TRACE(lines.empty() ? "no file" : lines.back());
        EXPECT_FALSE(lines.empty() ? box.Load(dir.File("none.ini")) : Load(lines));
        EXPECT_EQ(box.Remaining(), -1);
        EXPECT_FALSE(box.Shuffle());
        EXPECT_FALSE(box.ResetGrave());
        box.AddHolder(1);
        EXPECT_EQ(box.DrawToHand(1), std::nullopt);
        EXPECT_TRUE(box.MoveCards(1, kDiscardPile, kHandPile, {0}).empty());
    }
}

TEST_F(CardsTest, TheLargestSetLoadsAndLongTextsAreCutTo255Bytes) {
    std::vector<std::string> lines{"[DeckSet]", "0=Big",         "1=Long",
                                   "[Long]",    "CardNum=1",     "0=" + std::string(300, 'x'),
                                   "[Big]",     "CardNum=16384", "DeckNum=2"};
    for (int i = 0; i < 16384; ++i)
        lines.push_back(std::to_string(i) + "=T" + std::to_string(i));
    ASSERT_TRUE(Load(lines));
    EXPECT_EQ(box.Remaining(), 32768);
    EXPECT_EQ(box.DisplayText(16384 + 77), "T77");
    ASSERT_TRUE(box.SelectDeck("Long"));
    EXPECT_EQ(box.DisplayText(0), std::string(255, 'x'));
}

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

class HostileRecordTest : public CardsTest, public ::testing::WithParamInterface<HostileCase> {};

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
        HostileCase{"PassOthersCards", PassCard, 2, {"theirs0", "mine2", "mine1"}, 1},
        HostileCase{"PassTheSameCardTwice", PassCard, 2, {"mine0", "mine0"}, 1},
        HostileCase{"PassToSelf", PassCard, 1, {"mine0", "mine1"}, 2},
        HostileCase{"LookAtAMember", GetCardStat, 2, {"junk"}, 0},
        HostileCase{"LookAtAMemberWhoLeft", GetCardStat, 3, {"junk"}, 0},
        // A random take only asks; the asked member's window answers with a
        // pass of its own, so asking nobody or a member who left moves nothing.
        HostileCase{"RandomTakeFromNobody", RndmGet, 0, {}, 0},
        HostileCase{"RandomTakeFromAMemberWhoLeft", RndmGet, 3, {}, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(CardsTest, MembersWhoLeaveOrGoUnlistedGiveTheirCardsBack) {
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

// A member's cards across a lost connection: the hub keeps the piles of a
// member that vanished and gives them to a newcomer of the same handle name
// within the grace time; after it, or at once after a goodbye, they go back
// to the deck. Ann (1) and Bob (2) join, Bob draws two cards and goes; the
// newcomer (3) comes `later` seconds after.
struct RejoinCase {
    const char* name;
    bool goodbye;  // Bob leaves with Disconnect and Close, else his connection breaks
    std::time_t later;
    const char* newcomer;
    int newcomerHand;   // cards the newcomer holds once joined
    int deckAfterJoin;  // cards left in the deck then
};

class RejoinTest : public CardsTest, public ::testing::WithParamInterface<RejoinCase> {};

TEST_P(RejoinTest, AVanishedMembersCardsWaitForItsNameWithinTheGraceTime) {
    const RejoinCase& c = GetParam();
    LoadDeck();
    const std::int32_t ann = Join("Ann");
    const std::int32_t bob = Join("Bob");
    DrawCards(bob, 2);
    if (c.goodbye)
        Send(bob, Leave());
    else
        hub.ConnectionLost(bob, "connection reset by peer");
    EXPECT_EQ(cards.Box().Remaining(), c.goodbye ? 20 : 18);
    auto passTime = [&](std::time_t seconds) {
        clock.now += seconds;
        hub.CheckStalledPeers();
    };
    passTime(c.later);
    const std::int32_t next = Join(c.newcomer);

    // Ann looks at the newcomer's cards as she would at anybody's.
    EXPECT_EQ(Send(ann, Record(GetCardStat, next)).Param1, c.newcomerHand);
    EXPECT_EQ(cards.Box().Remaining(), c.deckAfterJoin);
    // The newcomer alone hears of its cards, as a pass into its hand from
    // its old self, which its window shows like any pass.
    auto passes = [&](std::int32_t id) {
        std::vector<CMsg> records = conns[static_cast<std::size_t>(id - 1)].Records();
        std::erase_if(records, [](const CMsg& m) { return m.Type != PassCard; });
        return records;
    };
    EXPECT_TRUE(passes(ann).empty());
    const std::vector<CMsg> told = passes(next);
    ASSERT_EQ(told.size(), c.newcomerHand > 0 ? 1u : 0u);
    if (c.newcomerHand > 0) {
        EXPECT_EQ(std::pair(told[0].ID, told[0].Param1), std::pair(bob, next));
        EXPECT_EQ(told[0].Strings.size(), 2u);
        EXPECT_EQ(Pile(next, kHandPile).size(), 2u);
        EXPECT_EQ(cards.Box().Holder(bob), nullptr);
    }
    // Whatever is still kept goes back once the time is over.
    passTime(CYarrowServ::kCardGraceSeconds);
    EXPECT_EQ(cards.Box().Remaining(), 20 - c.newcomerHand);
    EXPECT_EQ(cards.Box().Holder(bob), nullptr);
    ExpectConserved();
}

INSTANTIATE_TEST_SUITE_P(
    Cards, RejoinTest,
    ::testing::Values(RejoinCase{"SameNameJustWithinTheTime", false,
                                 CYarrowServ::kCardGraceSeconds - 1, "Bob", 2, 18},
                      RejoinCase{"SameNameTooLate", false, CYarrowServ::kCardGraceSeconds, "Bob", 0,
                                 20},
                      RejoinCase{"AnotherNameLeavesThemKept", false, 10, "Cat", 0, 18},
                      RejoinCase{"AfterAGoodbye", true, 10, "Bob", 0, 20}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(CardsTest, AnEmptyDeckAnswersDeckEmptyOrOffersTheReshuffle) {
    ASSERT_TRUE(
        cards.Load(WriteDeckIni(dir, {"[DeckSet]", "0=S", "[S]", "CardNum=2", "0=a", "1=b"})));
    JoinMembers(2);
    const std::vector<int> drawn = DrawCards(1, 2);
    EXPECT_EQ(Send(2, Record(ScreenCard)).Type, DeckEmpty);
    Send(1, Record(MoveCard, 0x0104, {Entry(drawn[0])}));
    EXPECT_EQ(Send(2, Record(DrawCard)).Type, DeckEmptyReshuffle);
    Send(2, Record(ResetGrave));
    EXPECT_EQ(Send(2, Record(DrawCard)).Text, cards.Box().DisplayText(drawn[0]));
}

TEST_F(CardsTest, CardTextsThatAreNotCodePage932TravelAsTheirBytes) {
    TempDir::Write(dir.File("Deck.ini"),
                   "[DeckSet]\r\n0=S\r\n[S]\r\nCardNum=1\r\n0=\xFF\x81\x20ok\r\n");
    ASSERT_TRUE(cards.Load(dir.File("Deck.ini")));
    JoinMembers(2);
    EXPECT_EQ(Send(1, Record(DrawCard)).Text, "\xFF\x81\x20ok");
    const CMsg moved = Send(1, Record(MoveCard, 0x0102, {FormatCardEntry(0, "")}));
    EXPECT_EQ(moved.Strings, std::vector<std::string>{"00000\xFF\x81\x20ok"});
    EXPECT_EQ(Send(2, Record(GetCardStat, 1)).Strings, std::vector<std::string>{"\xFF\x81\x20ok"});
}

TEST_F(CardsTest, ADeckSwitchTakesBackEveryCardAndReusesTheSetsReadBefore) {
    LoadDeck();
    JoinMembers(2);
    const std::vector<int> drawn = DrawCards(1, 2);
    DrawCards(2, 2);
    Send(1, Record(MoveCard, 0x0104, {Entry(drawn[0])}));
    Send(1, Record(MoveCard, 0x0102, {Entry(drawn[1])}));
    // What the operator's window does: relay the InitDeck when there is one.
    auto switchTo = [&](int index) {
        const std::optional<CMsg> init = cards.SwitchDeck(index);
        if (init)
            hub.RelayGenerated(*init);
        return init.has_value();
    };
    // The file changes meanwhile; a set read before is not read again.
    path = WriteDeckIni(dir, {"[DeckSet]", "0=Twenty"});
    ASSERT_TRUE(switchTo(0));
    EXPECT_EQ(std::pair(cards.Box().Remaining(), cards.Box().DiscardCount()), std::pair(20, 0));
    EXPECT_TRUE(Pile(1, kFaceUpPile).empty());
    EXPECT_EQ(cards.Box().DisplayText(0), "C0");
    const int kept = DrawCards(1, 1)[0];
    ExpectConserved();
    // One beyond the list, or a set never read once the file is gone:
    // nothing changes and nothing is told, so every window keeps showing the
    // cards its member still holds.
    const std::size_t told = conns[0].Records().size();
    EXPECT_FALSE(switchTo(9));
    std::filesystem::remove(path);
    EXPECT_FALSE(switchTo(1));
    EXPECT_EQ(conns[0].Records().size(), told);
    EXPECT_EQ(Pile(1, kHandPile).count(static_cast<std::uint16_t>(kept)), 1u);
    EXPECT_EQ(cards.Box().Remaining(), 19);
    // A set read before needs no file.
    ASSERT_TRUE(switchTo(0));
    EXPECT_EQ(std::tuple(conns[0].Records().back().Type, conns[0].Records().back().Text,
                         conns[0].Records().back().Param1),
              std::tuple(InitDeck, std::string("Twenty"), 20));
    EXPECT_TRUE(Pile(1, kHandPile).empty());
    DrawCards(1, 1);
    // A set that cannot be read leaves no deck and no cards with anybody.
    WriteDeckIni(dir, {"[DeckSet]", "0=Twenty"});
    ASSERT_TRUE(switchTo(1));
    EXPECT_EQ(conns[0].Records().back().Param1, -1);
    EXPECT_TRUE(Pile(1, kHandPile).empty());
    EXPECT_EQ(Send(2, Record(DrawCard)).Type, DeckEmpty);
}

}  // namespace
}  // namespace yarrow
