#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CardTestSupport.h"
#include "cards/CDeckBox.h"
#include "dice/CMersenneTwister.h"
#include "support/FixedClock.h"
#include "support/ScriptedRandom.h"

namespace yarrow {
namespace {

using test::ExpectEveryCardOnce;
using test::WithSet;
using test::WriteDeckIni;

std::vector<int> Ints(const std::deque<std::uint16_t>& pile, bool sorted = false) {
    std::vector<int> v(pile.begin(), pile.end());
    if (sorted)
        std::sort(v.begin(), v.end());
    return v;
}

class DeckBoxTest : public ::testing::Test {
  protected:
    bool Load(const std::vector<std::string>& lines) {
        path = WriteDeckIni(dir, lines);
        return box.Load(path);
    }

    test::TempDir dir;
    test::FixedClock clock{1700000000};
    CMersenneTwister random;
    CDeckBox box{random, clock};
    test::ScriptedRandom scripted;
    CDeckBox scriptedBox{scripted, clock};
    std::string path;
};

TEST_F(DeckBoxTest, CardsNumberCopyByCopyAndTheSetListEndsAtAGapOr256) {
    ASSERT_TRUE(
        Load({"[DeckSet]", "0=Set", "[Set]", "CardNum=3", "DeckNum=2", "0=Ace", "1=", "2=Two"}));
    // Copy 1 of entry 0 is card 3, of entry 2 card 5; entry 1 has no card.
    EXPECT_EQ(Ints(box.Current()->DrawPile(), true), (std::vector<int>{0, 2, 3, 5}));
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

TEST_F(DeckBoxTest, ShufflesTakeScriptedDrawsPositionThenAttribute) {
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
    ASSERT_TRUE(scriptedBox.SelectDeck("T", true));
    EXPECT_EQ(Ints(scriptedBox.Current()->DrawPile()), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(scriptedBox.DisplayText(1), "y(R)");
    EXPECT_EQ(scriptedBox.DisplayText(0), "x(P)");
    EXPECT_EQ(scriptedBox.DisplayText(2), "z(Q)");

    // Selecting S again without shuffling draws nothing, restores number
    // order and does not reseed.
    ASSERT_TRUE(scriptedBox.SelectDeck("S", false));
    EXPECT_EQ(Ints(scriptedBox.Current()->DrawPile()), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(scripted.seeds.size(), 2u);

    // ResetGrave on an empty discard pile still shuffles.
    scripted.Draw(3).Draw(2).Draw(1).Draw(0);
    EXPECT_TRUE(scriptedBox.ResetGrave());
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

TEST_F(DeckBoxTest, SetsThatCannotBeUsedLeaveTheBoxWithoutADeck) {
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

TEST_F(DeckBoxTest, TheLargestSetLoadsAndTextsStayAsTheirBytes) {
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

}  // namespace
}  // namespace yarrow
