#pragma once
// One loaded deck set: every card of the set, the draw pile (position 0 is
// the top) and the shared discard pile.
//
// Every card of the set is in exactly one place: the draw pile, the discard
// pile, or out (in some member's pile, which the deck box keeps). Each
// operation moves a card only from the place it is really in, so no sequence
// of calls can duplicate or lose a card; a call that names a card in the
// wrong place changes nothing and says so.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "cards/CCard.h"

namespace yarrow {

class IRandomSource;

class CDeck {
  public:
    // Card numbers fit the signed 16-bit values that entries and list items carry.
    static constexpr int kMaxCards = 32768;
    // Attribute counts are 16-bit as well.
    static constexpr int kMaxAttributes = 32767;

    enum class Place : std::uint8_t { Absent, Draw, Discard, Out };

    // A set of `cardNum` entries in `deckNum` copies. `entryTexts[e]` is the
    // text of entry e (empty: no card); entry e of copy c becomes card
    // c x cardNum + e. Every card starts in the draw pile in ascending
    // number order, without attribute. The caller keeps cardNum x deckNum at
    // or below kMaxCards and the attribute count at or below kMaxAttributes.
    CDeck(int cardNum, int deckNum, const std::vector<std::string>& entryTexts, int attributeCount,
          std::vector<std::string> attributeNames);

    int CardNum() const { return cardNum_; }
    int DeckNum() const { return deckNum_; }
    int AttributeCount() const { return attributeCount_; }
    // The number of cards of the set (empty entries give none).
    std::size_t CardCount() const { return cardCount_; }

    // The card with this number, or null when the set has none.
    const CCard* Card(int number) const;
    Place PlaceOf(int number) const;
    // The card's text, with "(attribute)" when it has one.
    std::string DisplayText(int number) const;
    // The name at `index` taken modulo 65536, when there is one.
    std::optional<std::string> AttributeName(int index) const;

    // Every card back into the draw pile in ascending number order; the
    // discard pile empties and nothing is out any more.
    void RestoreAll();
    // A random permutation of the draw pile by repeated selection: for each
    // position i in turn, draw r = RandomNext() mod (cards not yet placed)
    // and place the r-th of them (in their old order); with more than one
    // attribute a second draw gives that card its attribute. False when the
    // draw pile is empty.
    bool Shuffle(IRandomSource& random);
    // Takes the top card; it is then out. None when the pile is empty.
    std::optional<std::uint16_t> Draw();
    int Remaining() const { return static_cast<int>(drawPile_.size()); }
    int DiscardCount() const { return static_cast<int>(discardCount_); }

    // An out card to the end of the discard pile. False (nothing changes)
    // when the card is not out.
    bool AddToDiscard(int number);
    // A card of the discard pile out of it. False when it is not there.
    bool RemoveFromDiscard(int number);
    // An out card to the bottom of the draw pile, unshuffled. False when the
    // card is not out.
    bool ReturnToDeck(int number);
    // The discard pile, in order, to the bottom of the draw pile, then
    // Shuffle. Returns what Shuffle returns.
    bool ResetGrave(IRandomSource& random);

    const std::deque<std::uint16_t>& DrawPile() const { return drawPile_; }
    // The discard pile in order, oldest first.
    std::vector<std::uint16_t> DiscardPile() const;

  private:
    bool Known(int number) const {
        return number >= 0 && number < static_cast<int>(cards_.size()) &&
               places_[static_cast<std::size_t>(number)] != Place::Absent;
    }
    void UnlinkDiscard(std::uint16_t number);

    int cardNum_;
    int deckNum_;
    int attributeCount_;
    std::vector<std::string> attributeNames_;
    std::size_t cardCount_ = 0;
    std::vector<CCard> cards_;   // indexed by card number
    std::vector<Place> places_;  // indexed by card number
    std::deque<std::uint16_t> drawPile_;
    // The discard pile as a list threaded through the card numbers, so a card
    // leaves it from anywhere in constant time and the order is kept. Index
    // cards_.size() is the list's head and tail.
    std::vector<std::uint32_t> discardNext_;
    std::vector<std::uint32_t> discardPrev_;
    std::size_t discardCount_ = 0;
};

}  // namespace yarrow
