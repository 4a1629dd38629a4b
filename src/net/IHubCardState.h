#pragma once
// The hub's deck and the members' card piles, as the hub's relay needs them.
// Without a card state the hub has no deck: the handshake's deck summary is
// "-0001" (no cards left, no name) and card records are relayed unchanged.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

class IHubCardState {
  public:
    virtual ~IHubCardState() = default;
    // "%05d%s": cards left in the current deck, then the deck name.
    virtual std::string DeckSummary() const = 0;
    // A new connection gets a holder with three empty piles.
    virtual void AddHolder(std::int32_t memberId) = 0;
    // Every card the member holds goes back to the deck.
    virtual void ReleaseHolder(std::int32_t memberId) = 0;
    // The connection is gone: its cards go back to the deck and its holder
    // goes, so nothing can be passed to it any more.
    virtual void RemoveHolder(std::int32_t memberId) = 0;
    // A member came back under a new connection: every card `from` holds
    // goes into the hand of `to`, and `from`'s holder goes. Returns the card
    // entries ("%05d%s") of the cards that came.
    virtual std::vector<std::string> TransferHolder(std::int32_t from, std::int32_t to) = 0;
    // The deck sets offered, in file order (for the operator's deck switch).
    virtual std::vector<std::string> DeckSetNames() const = 0;
    // The operator switches to deck set `index`: every member's piles are
    // forgotten. Returns the InitDeck record that tells everybody the deck
    // now in use (no cards left and -1 when the set could not be read). None
    // when nothing changed (no such set, or a set never read and the file is
    // gone): the windows must then keep their lists, as the hub keeps the
    // cards in them.
    virtual std::optional<CMsg> SwitchDeck(int index) = 0;
    // Types 14, 15, 16, 18, 24, 25, 26: applies the operation of `record` to
    // the deck and piles and may rewrite Type, Text, Param1, Param2 and
    // Strings of the hub's working record before it is relayed.
    virtual void ApplyCardOperation(const CMsg& record, CMsg& working) = 0;
};

}  // namespace yarrow
