#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CardTestSupport.h"
#include "cards/CDeckBox.h"
#include "dice/CMersenneTwister.h"
#include "dice/DiceFakes.h"
#include "platform/Cp932.h"
#include "support/FixedClock.h"

namespace yarrow {
namespace {

using test::ExpectEveryCardOnce;
using test::PlainSet;
using test::WriteDeckIni;

std::vector<int> Sorted(const std::deque<std::uint16_t>& pile) {
    std::vector<int> v(pile.begin(), pile.end());
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<int> AsInts(const std::deque<std::uint16_t>& pile) {
    return std::vector<int>(pile.begin(), pile.end());
}

class DeckBoxTest : public ::testing::Test {
  protected:
    // Loads `lines` as Deck.ini with a real generator.
    bool Load(const std::vector<std::string>& lines) {
        path = WriteDeckIni(dir, lines);
        return box.Load(path);
    }
    std::vector<std::string> With(std::vector<std::string> head,
                                  const std::vector<std::string>& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    }

    test::TempDir dir;
    test::FixedClock clock{1700000000};
    CMersenneTwister random;
    CDeckBox box{random, clock};
    std::string path;
};

TEST_F(DeckBoxTest, EmptyEntriesGiveNoCardAndNumbersRunCopyByCopy) {
    ASSERT_TRUE(
        Load({"[DeckSet]", "0=Set", "[Set]", "CardNum=3", "DeckNum=2", "0=Ace", "1=", "2=Two"}));
    EXPECT_EQ(box.Remaining(), 4);
    EXPECT_EQ(box.DiscardCount(), 0);
    EXPECT_EQ(Sorted(box.Current()->DrawPile()), (std::vector<int>{0, 2, 3, 5}));
    // Copy 1 of entry 0 is card 3, of entry 2 card 5; entry 1 has no card.
    EXPECT_EQ(box.DisplayText(3), "Ace");
    EXPECT_EQ(box.DisplayText(5), "Two");
    EXPECT_EQ(box.Current()->Card(1), nullptr);
    EXPECT_EQ(box.Current()->Card(4), nullptr);
    EXPECT_EQ(box.CurrentDeckName(), "Set");
}

TEST_F(DeckBoxTest, DeckSetListIsTheUnbrokenRunFromZero) {
    const auto sets = PlainSet("A", 2);
    ASSERT_TRUE(Load(With({"[DeckSet]", "0=A", "2=B"}, sets)));
    std::vector<std::string> names;
    EXPECT_TRUE(box.GetDeckSetNames(names));
    EXPECT_EQ(names, std::vector<std::string>{"A"});

    // An empty value ends the list as a missing key does.
    ASSERT_TRUE(Load(With({"[DeckSet]", "0=A", "1=", "2=B"}, sets)));
    EXPECT_EQ(box.DeckSetNames(), std::vector<std::string>{"A"});

    // At most 256 sets are offered.
    std::vector<std::string> many{"[DeckSet]"};
    for (int i = 0; i < 300; ++i)
        many.push_back(std::to_string(i) + "=A");
    ASSERT_TRUE(Load(With(many, sets)));
    EXPECT_EQ(box.DeckSetNames().size(), 256u);
}

// Each row: how many attributes the set declares, and what every card of a
// shuffled draw pile then shows.
struct AttributeCase {
    const char* name;
    std::vector<std::string> attributeLines;
    bool attributed;
};

class AttributeTest : public DeckBoxTest, public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(AttributeTest, EveryShuffleGivesAttributesOnlyWhenThereAreSeveral) {
    const AttributeCase& c = GetParam();
    std::vector<std::string> lines{"[DeckSet]", "0=S", "[S]", "CardNum=6"};
    lines.insert(lines.end(), c.attributeLines.begin(), c.attributeLines.end());
    for (int i = 0; i < 6; ++i)
        lines.push_back(std::to_string(i) + "=K" + std::to_string(i));
    ASSERT_TRUE(Load(lines));
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(box.Shuffle());
        for (std::uint16_t n : box.Current()->DrawPile()) {
            const CCard* card = box.Current()->Card(n);
            const std::string bare = "K" + std::to_string(n);
            if (!c.attributed) {
                EXPECT_EQ(card->Attribute, -1);
                EXPECT_EQ(box.DisplayText(n), bare);
                continue;
            }
            ASSERT_GE(card->Attribute, 0);
            ASSERT_LT(card->Attribute, 4);
            const std::string name = "N" + std::to_string(card->Attribute);
            EXPECT_EQ(box.DisplayText(n), bare + "(" + name + ")");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, AttributeTest,
                         ::testing::Values(AttributeCase{"One", {"Attribute=1", "Attr0=N0"}, false},
                                           AttributeCase{"None", {}, false},
                                           AttributeCase{"Four",
                                                         {"Attribute=4", "Attr0=N0", "Attr1=N1",
                                                          "attr2=N2", "ATTR3=N3"},
                                                         true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(DeckBoxTest, AttributeNamesWrapAt65536AndStopAtTheCount) {
    ASSERT_TRUE(Load({"[DeckSet]", "0=S", "[S]", "CardNum=1", "0=X", "Attribute=2", "Attr0=Up"}));
    EXPECT_EQ(box.AttributeName(0), "Up");
    EXPECT_EQ(box.AttributeName(65536), "Up");
    // Attr1 is missing: its name is empty, not absent.
    EXPECT_EQ(box.AttributeName(1), "");
    EXPECT_EQ(box.AttributeName(2), std::nullopt);
    EXPECT_EQ(box.AttributeName(-1), std::nullopt);
}

TEST_F(DeckBoxTest, ShuffleTakesThePositionDrawThenTheAttributeDraw) {
    test::ScriptedRandom scripted;
    CDeckBox scriptedBox(scripted, clock);
    path = WriteDeckIni(
        dir, {"[DeckSet]", "0=S", "1=T", "[S]", "CardNum=4", "0=a", "1=b", "2=c", "3=d", "[T]",
              "CardNum=3", "Attribute=3", "0=x", "1=y", "2=z", "Attr0=P", "Attr1=Q", "Attr2=R"});
    // Loading shuffles set S: four position draws. 4000000002 % 4 = 2 picks
    // card 2; then 0 of {0,1,3}; then 1 of {1,3}; then the last one.
    scripted.Draw(4000000002u).Draw(3).Draw(1).Draw(7);
    ASSERT_TRUE(scriptedBox.Load(path));
    EXPECT_EQ(AsInts(scriptedBox.Current()->DrawPile()), (std::vector<int>{2, 0, 3, 1}));
    EXPECT_EQ(scripted.Left(), 0u);
    // Reading a set reseeds the generator from the clock.
    EXPECT_EQ(scripted.seeds, std::vector<std::uint32_t>{1700000000u});

    // With attributes every position draw is followed by that card's
    // attribute draw.
    scripted.Draw(1).Draw(5).Draw(0).Draw(3).Draw(0).Draw(1);
    ASSERT_TRUE(scriptedBox.SelectDeck("T", true));
    const CDeck* deck = scriptedBox.Current();
    EXPECT_EQ(AsInts(deck->DrawPile()), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(deck->Card(1)->Attribute, 2);
    EXPECT_EQ(deck->Card(0)->Attribute, 0);
    EXPECT_EQ(deck->Card(2)->Attribute, 1);
    EXPECT_EQ(scriptedBox.DisplayText(1), "y(R)");
    EXPECT_EQ(scripted.Left(), 0u);

    // Selecting without shuffling draws nothing and restores number order.
    ASSERT_TRUE(scriptedBox.SelectDeck("S", false));
    EXPECT_EQ(AsInts(scriptedBox.Current()->DrawPile()), (std::vector<int>{0, 1, 2, 3}));
    // S was read before: no second reseed.
    EXPECT_EQ(scripted.seeds.size(), 2u);
}

TEST_F(DeckBoxTest, ResetGraveOnAnEmptyDiscardPileStillShuffles) {
    test::ScriptedRandom scripted;
    CDeckBox scriptedBox(scripted, clock);
    path = WriteDeckIni(dir, {"[DeckSet]", "0=S", "[S]", "CardNum=3", "0=a", "1=b", "2=c"});
    ASSERT_TRUE(scriptedBox.SelectDeck("S", false) == false);  // no file loaded yet
    scripted.Draw(0).Draw(0).Draw(0);
    ASSERT_TRUE(scriptedBox.Load(path));
    ASSERT_EQ(AsInts(scriptedBox.Current()->DrawPile()), (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(scriptedBox.DiscardCount(), 0);
    scripted.Draw(2).Draw(1).Draw(0);
    EXPECT_TRUE(scriptedBox.ResetGrave());
    EXPECT_EQ(AsInts(scriptedBox.Current()->DrawPile()), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(scripted.Left(), 0u);
}

TEST_F(DeckBoxTest, ResetGraveReturnsTheDiscardPileInOrderBeforeShuffling) {
    test::ScriptedRandom scripted;
    CDeckBox scriptedBox(scripted, clock);
    path = WriteDeckIni(dir, {"[DeckSet]", "0=S", "[S]", "CardNum=3", "0=a", "1=b", "2=c"});
    scripted.Draw(0).Draw(0).Draw(0);
    ASSERT_TRUE(scriptedBox.Load(path));
    scriptedBox.AddHolder(7);
    ASSERT_EQ(scriptedBox.DrawToHand(7), 0);
    ASSERT_EQ(scriptedBox.DrawToHand(7), 1);
    ASSERT_EQ(scriptedBox.MoveCards(7, kHandPile, kDiscardPile, {1, 0}).size(), 2u);
    EXPECT_EQ(scriptedBox.Current()->DiscardPile(), (std::vector<std::uint16_t>{1, 0}));
    // Draw pile [2] then discard [1, 0]: K = [2, 1, 0]; always taking the
    // first keeps that order.
    scripted.Draw(0).Draw(0).Draw(0);
    EXPECT_TRUE(scriptedBox.ResetGrave());
    EXPECT_EQ(AsInts(scriptedBox.Current()->DrawPile()), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(scriptedBox.DiscardCount(), 0);
    ExpectEveryCardOnce(scriptedBox, {7});
}

TEST_F(DeckBoxTest, SelectingASetAgainReturnsEveryCardAndReusesWhatWasRead) {
    ASSERT_TRUE(Load(With(With({"[DeckSet]", "0=A", "1=B"}, PlainSet("A", 10)), PlainSet("B", 3))));
    box.AddHolder(1);
    box.AddHolder(2);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(box.DrawToHand(1));
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(box.DrawToHand(2));
    const int inHand = *box.Holder(2)->Pile(kHandPile).begin();
    ASSERT_EQ(box.MoveCards(2, kHandPile, kDiscardPile, {inHand}).size(), 1u);
    const int faceUp = *box.Holder(1)->Pile(kHandPile).begin();
    ASSERT_EQ(box.MoveCards(1, kHandPile, kFaceUpPile, {faceUp}).size(), 1u);
    ASSERT_EQ(box.Remaining(), 5);

    // The file changes meanwhile; a set read before is not read again.
    WriteDeckIni(dir, {"[DeckSet]", "0=A", "[A]", "CardNum=1", "0=Changed"});
    ASSERT_TRUE(box.SelectDeck("A", true));
    EXPECT_EQ(box.Remaining(), 10);
    EXPECT_EQ(box.DiscardCount(), 0);
    EXPECT_EQ(Sorted(box.Current()->DrawPile()), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(box.DisplayText(0), "C0");
    for (std::int32_t member : {1, 2}) {
        for (const auto& pile : box.Holder(member)->piles)
            EXPECT_TRUE(pile.empty());
    }
    ExpectEveryCardOnce(box, {1, 2});
}

TEST_F(DeckBoxTest, ReleasedCardsGoToTheBottomHandThenFaceUpThenFaceDown) {
    test::ScriptedRandom scripted;
    CDeckBox scriptedBox(scripted, clock);
    path = WriteDeckIni(dir, With({"[DeckSet]", "0=S"}, PlainSet("S", 8)));
    scripted.Draw(0).Draw(0).Draw(0).Draw(0).Draw(0).Draw(0).Draw(0).Draw(0);
    ASSERT_TRUE(scriptedBox.Load(path));
    scriptedBox.AddHolder(3);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(scriptedBox.DrawToHand(3));  // cards 0..4
    scriptedBox.MoveCards(3, kHandPile, kFaceDownPile, {0});
    scriptedBox.MoveCards(3, kHandPile, kFaceUpPile, {4, 1});
    scriptedBox.ReleaseHolder(3);
    EXPECT_EQ(AsInts(scriptedBox.Current()->DrawPile()),
              (std::vector<int>{5, 6, 7, 2, 3, 1, 4, 0}));
    ExpectEveryCardOnce(scriptedBox, {3});
}

// Each row: a Deck.ini whose only set cannot be used; the box then has no
// deck and every operation says so.
struct UnusableCase {
    const char* name;
    std::vector<std::string> lines;
};

class UnusableDeckTest : public DeckBoxTest, public ::testing::WithParamInterface<UnusableCase> {};

TEST_P(UnusableDeckTest, TheBoxRunsWithoutADeck) {
    if (!GetParam().lines.empty())
        EXPECT_FALSE(Load(GetParam().lines));
    else
        EXPECT_FALSE(box.Load(dir.File("Deck.ini")));  // no file at all
    EXPECT_EQ(box.Current(), nullptr);
    EXPECT_EQ(box.Remaining(), -1);
    EXPECT_EQ(box.DiscardCount(), -1);
    EXPECT_FALSE(box.Shuffle());
    EXPECT_FALSE(box.ResetGrave());
    EXPECT_EQ(box.Draw(), std::nullopt);
    box.AddHolder(1);
    EXPECT_EQ(box.DrawToHand(1), std::nullopt);
    EXPECT_TRUE(box.MoveCards(1, kDiscardPile, kHandPile, {0}).empty());
    EXPECT_FALSE(box.AddToDiscard(0));
}

INSTANTIATE_TEST_SUITE_P(
    Cards, UnusableDeckTest,
    ::testing::Values(
        UnusableCase{"NoFile", {}}, UnusableCase{"NoDeckSet", {"[S]", "CardNum=2", "0=a"}},
        UnusableCase{"CardNumMissing", {"[DeckSet]", "0=S", "[S]", "0=a"}},
        UnusableCase{"CardNumZero", {"[DeckSet]", "0=S", "[S]", "CardNum=0", "0=a"}},
        UnusableCase{"CardNumNegative", {"[DeckSet]", "0=S", "[S]", "CardNum=-3", "0=a"}},
        UnusableCase{"SectionMissing", {"[DeckSet]", "0=S"}},
        UnusableCase{"TooManyCards", {"[DeckSet]", "0=S", "[S]", "CardNum=200", "DeckNum=200"}},
        UnusableCase{"CardNumHuge", {"[DeckSet]", "0=S", "[S]", "CardNum=2000000000"}},
        UnusableCase{"ProductWraps", {"[DeckSet]", "0=S", "[S]", "CardNum=65536", "DeckNum=65536"}},
        UnusableCase{"DeckNumZero", {"[DeckSet]", "0=S", "[S]", "CardNum=2", "DeckNum=0"}},
        UnusableCase{"AttributesHuge",
                     {"[DeckSet]", "0=S", "[S]", "CardNum=2", "0=a", "Attribute=2000000000"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(DeckBoxTest, AnUnusableSetLeavesNoDeckUntilAGoodOneIsSelected) {
    ASSERT_TRUE(
        Load(With({"[DeckSet]", "0=Good", "1=Bad", "[Bad]", "CardNum=x"}, PlainSet("Good", 4))));
    box.AddHolder(1);
    ASSERT_TRUE(box.DrawToHand(1));
    EXPECT_FALSE(box.SelectDeck("Bad", true));
    EXPECT_EQ(box.CurrentDeckName(), "Bad");
    EXPECT_EQ(box.Remaining(), -1);
    EXPECT_TRUE(box.Holder(1)->Pile(kHandPile).empty());
    ASSERT_TRUE(box.SelectDeck("Good", false));
    EXPECT_EQ(box.Remaining(), 4);
    // Without the file nothing can be selected, not even a set read before.
    std::filesystem::remove(path);
    EXPECT_FALSE(box.SelectDeck("Good", false));
}

TEST_F(DeckBoxTest, TheLargestSetLoadsAndKeepsTextsAsBytes) {
    std::vector<std::string> lines{"[DeckSet]", "0=Big", "[Big]", "CardNum=16384", "DeckNum=2"};
    for (int i = 0; i < 16384; ++i)
        lines.push_back(std::to_string(i) + "=T" + std::to_string(i));
    path = WriteDeckIni(dir, lines);
    // A text that is not valid code page 932 stays as its bytes, cut to 255.
    std::string raw = test::TempDir::Read(path);
    raw += "[Raw]\r\nCardNum=2\r\n0=\xFF\x81\x20ok\r\n1=" + std::string(300, 'x') + "\r\n";
    test::TempDir::Write(path, raw);
    ASSERT_TRUE(box.Load(path));
    EXPECT_EQ(box.Remaining(), 32768);
    EXPECT_EQ(box.DisplayText(16384 + 77), "T77");
    ASSERT_TRUE(box.SelectDeck("Raw", false));
    EXPECT_EQ(box.DisplayText(0), "\xFF\x81\x20ok");
    EXPECT_EQ(box.DisplayText(1), std::string(255, 'x'));
}

TEST(DeckTest, CardsMoveOnlyFromThePlaceTheyAreIn) {
    CDeck deck(3, 1, {"a", "b", "c"}, 1, {});
    ASSERT_EQ(deck.Draw(), 0);
    // A card in the draw pile is not out: it cannot be discarded or returned.
    EXPECT_FALSE(deck.AddToDiscard(1));
    EXPECT_FALSE(deck.ReturnToDeck(1));
    EXPECT_FALSE(deck.RemoveFromDiscard(0));
    EXPECT_TRUE(deck.AddToDiscard(0));
    EXPECT_FALSE(deck.AddToDiscard(0));  // already there: not a second time
    EXPECT_EQ(deck.DiscardCount(), 1);
    EXPECT_TRUE(deck.RemoveFromDiscard(0));
    EXPECT_FALSE(deck.RemoveFromDiscard(0));
    EXPECT_TRUE(deck.ReturnToDeck(0));
    EXPECT_FALSE(deck.ReturnToDeck(0));
    EXPECT_EQ(std::vector<int>(deck.DrawPile().begin(), deck.DrawPile().end()),
              (std::vector<int>{1, 2, 0}));
    // Unknown numbers, also ones that would wrap to a card in 16 bits.
    for (int bad : {-1, 3, 65536, 65537})
        EXPECT_EQ(deck.PlaceOf(bad), CDeck::Place::Absent) << bad;
}

}  // namespace
}  // namespace yarrow
