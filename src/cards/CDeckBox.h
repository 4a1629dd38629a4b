#pragma once
// The hub's card state: the deck sets of Deck.ini, the deck in use, and every
// member's three piles (hand, face-up and face-down table).
//
// A card of the current deck is always in exactly one place: the draw pile,
// the discard pile, or one pile of one member. Moves take a card only from
// the pile it is really in and put it into exactly one other, so whatever a
// peer asks for, no card is duplicated or lost.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "cards/CDeck.h"

namespace yarrow {

class IClock;
class IRandomSource;

// Pile codes, on the wire and in the hub.
enum CardPile : int {
    kNoPile = 0,
    kHandPile = 1,
    kFaceUpPile = 2,
    kFaceDownPile = 3,
    kDiscardPile = 4,
};

// A member's own piles: hand (1), face-up (2) and face-down (3) table, each
// the card numbers it holds in ascending order.
struct CCardHolder {
    std::array<std::set<std::uint16_t>, 3> piles;
    std::set<std::uint16_t>& Pile(int code) { return piles[static_cast<std::size_t>(code - 1)]; }
    const std::set<std::uint16_t>& Pile(int code) const {
        return piles[static_cast<std::size_t>(code - 1)];
    }
};

class CDeckBox {
  public:
    static constexpr std::size_t kMaxDeckSets = 256;
    static constexpr std::size_t kMaxTextBytes = 255;

    // `random` shuffles (the process generator in the program); `clock`
    // reseeds it when a set is read.
    CDeckBox(IRandomSource& random, const IClock& clock);

    // Forgets every deck and holder, reads the deck-set list of the file at
    // `path` and selects set 0 with shuffling. False when the file lists no
    // set or that set cannot be selected; the box then has no deck.
    bool Load(const std::string& path);
    // The sets offered, in file order.
    const std::vector<std::string>& DeckSetNames() const { return deckSetNames_; }
    // The name of the set in use (possibly one that could not be read).
    const std::string& CurrentDeckName() const { return currentDeck_; }

    // Makes `name` the deck in use and shuffles it. Every holder's piles are
    // emptied first; a set read before is reused with all its cards back in
    // the draw pile (ascending, before the shuffle); a new one is read from
    // the file (reseeding the generator). A set without a positive CardNum,
    // with more than 32768 cards, or with more than 32767 attributes cannot
    // be selected: false, and the box then has no deck. A new set when the
    // file is gone (or an empty name): false, and nothing changes.
    bool SelectDeck(const std::string& name);

    // The deck in use, or null when there is none.
    CDeck* Current() { return current_; }
    const CDeck* Current() const { return current_; }

    // The deck operations on the deck in use; with none they do nothing,
    // Remaining and DiscardCount give -1 and the booleans false.
    bool Shuffle();
    int Remaining() const;
    int DiscardCount() const;
    bool ResetGrave();
    // The card's display text in the deck in use ("" when unknown).
    std::string DisplayText(int number) const;

    // Holders. Adding replaces any holder of that ID with an empty one (its
    // cards go back to the deck first, so none is lost).
    void AddHolder(std::int32_t member);
    void RemoveHolder(std::int32_t member);
    const CCardHolder* Holder(std::int32_t member) const;
    // Every card of `from` goes into the hand of `to` (which gets a holder
    // when it has none), and `from`'s holder goes. Returns the cards that
    // came, hand first, then face-up, then face-down, each ascending; none
    // when `from` has no holder.
    std::vector<std::uint16_t> TransferHolder(std::int32_t from, std::int32_t to);
    // Every card of the member goes to the bottom of the draw pile: hand,
    // then face-up, then face-down, each in ascending number order.
    void ReleaseHolder(std::int32_t member);

    // Draws the top card into the member's hand. None when the member has no
    // holder, there is no deck or the draw pile is empty.
    std::optional<std::uint16_t> DrawToHand(std::int32_t member);
    // Moves the cards from pile `from` to pile `to` (codes 1 to 4; the discard
    // pile is the shared one) for the member. Only cards really in `from` move;
    // a card named several times moves once. Returns the cards moved, in the given order.
    std::vector<std::uint16_t> MoveCards(std::int32_t member, int from, int to,
                                         const std::vector<int>& numbers);
    // Hands cards from the giver's hand to the receiver's hand. Only cards in
    // the giver's hand move, and none when either has no holder.
    std::vector<std::uint16_t> PassCards(std::int32_t giver, std::int32_t receiver,
                                         const std::vector<int>& numbers);

  private:
    void EmptyHolders();
    // Takes the card out of `from` for the member; false when it is not there.
    bool TakeFrom(CCardHolder& holder, int from, int number);
    void PutInto(CCardHolder& holder, int to, int number);
    std::unique_ptr<CDeck> ReadDeck(const std::string& name) const;

    IRandomSource& random_;
    const IClock& clock_;
    std::string deckFile_;
    std::string currentDeck_;
    std::vector<std::string> deckSetNames_;
    std::map<std::string, std::unique_ptr<CDeck>> decks_;
    CDeck* current_ = nullptr;  // decks_[currentDeck_] when that was read
    std::unordered_map<std::int32_t, CCardHolder> holders_;
};

}  // namespace yarrow
