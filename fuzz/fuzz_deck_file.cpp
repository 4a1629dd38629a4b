// libFuzzer target: arbitrary bytes as Deck.ini, then every deck set it
// lists selected and played with: draws into a hand, discards, a return to
// the deck and a reshuffle. Nothing may crash or allocate without bound, and
// no card may be lost or duplicated: the draw pile, the discard pile and the
// hand together always hold every card of the set once.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "cards/CDeckBox.h"
#include "support/FixedClock.h"

using namespace yarrow;
using fuzz::Check;

namespace {

void CheckEveryCardOnce(const CDeckBox& box, std::int32_t member) {
    const CDeck* deck = box.Current();
    if (deck == nullptr)
        return;
    std::multiset<std::uint16_t> seen(deck->DrawPile().begin(), deck->DrawPile().end());
    for (std::uint16_t card : deck->DiscardPile())
        seen.insert(card);
    if (const CCardHolder* holder = box.Holder(member))
        for (const auto& pile : holder->piles)
            seen.insert(pile.begin(), pile.end());
    Check(seen.size() == deck->CardCount(), "a card was lost or added");
    for (std::uint16_t card : seen)
        Check(seen.count(card) == 1 && deck->Card(card) != nullptr, "a card is in two places");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile deckFile("Deck.ini");
    std::string_view rest = fuzz::Bytes(data, size);
    deckFile.Write(fuzz::TakePart(rest));
    fuzz::BytesRandom random(rest);
    const test::FixedClock clock(1700000000);

    CDeckBox box(random, clock);
    box.Load(deckFile.Path());
    Check(box.DeckSetNames().size() <= CDeckBox::kMaxDeckSets, "more deck sets than the limit");
    const std::int32_t member = 7;
    // A few sets are enough to reach every path; each may hold 32,768 cards.
    std::vector<std::string> names = box.DeckSetNames();
    if (names.size() > 4)
        names.resize(4);
    for (const std::string& name : names) {
        if (!box.SelectDeck(name)) {
            Check(box.Current() == nullptr, "a refused deck set is in use");
            continue;
        }
        const CDeck* deck = box.Current();
        Check(deck != nullptr && deck->CardCount() <= CDeck::kMaxCards, "deck beyond its limits");
        box.AddHolder(member);
        std::vector<int> hand;
        for (int i = 0; i < 64; ++i) {
            const auto card = box.DrawToHand(member);
            if (!card)
                break;
            hand.push_back(*card);
            box.DisplayText(*card);
        }
        CheckEveryCardOnce(box, member);
        const std::vector<int> half(hand.begin(), hand.begin() + hand.size() / 2);
        box.MoveCards(member, kHandPile, kDiscardPile, half);
        box.MoveCards(member, kHandPile, kFaceUpPile, hand);
        CheckEveryCardOnce(box, member);
        box.ResetGrave();
        box.ReleaseHolder(member);
        CheckEveryCardOnce(box, member);
        for (int index = -1; index <= deck->AttributeCount() && index < 16; ++index)
            deck->AttributeName(index);
    }
    return 0;
}
