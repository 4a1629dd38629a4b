#pragma once
// The hub's card actions: each card record a member sends is applied to the
// deck box and rewritten before the hub relays it, so every window learns
// what the hub really did.
//
// The records act for the member that sent them (the hub sets their ID to
// the sender's connection). A record that names cards not in the source pile,
// a member without a holder or no pile at all changes nothing, and the relayed
// record then lists only the cards that really moved.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cards/CDeckBox.h"
#include "dice/CMersenneTwister.h"
#include "net/IHubCardState.h"

namespace yarrow {

class CHubCardState final : public IHubCardState {
  public:
    CHubCardState(IRandomSource& random, const IClock& clock);
    // With a generator of its own, for a hub that runs on a thread of its
    // own and so must not draw from one another thread uses.
    explicit CHubCardState(const IClock& clock);

    // Reads Deck.ini at `path` (see CDeckBox::Load); without a usable file
    // the hub runs without a deck and draws are answered with DeckEmpty.
    bool Load(const std::string& path);

    CDeckBox& Box() { return box_; }
    const CDeckBox& Box() const { return box_; }

    // IHubCardState.
    std::vector<std::string> DeckSetNames() const override { return box_.DeckSetNames(); }
    // Selects the set with shuffling.
    std::optional<CMsg> SwitchDeck(int index) override;
    std::string DeckSummary() const override;
    void AddHolder(std::int32_t memberId) override;
    void ReleaseHolder(std::int32_t memberId) override;
    void RemoveHolder(std::int32_t memberId) override;
    std::vector<std::string> TransferHolder(std::int32_t from, std::int32_t to) override;
    void ApplyCardOperation(const CMsg& record, CMsg& working) override;

  private:
    void OnDraw(const CMsg& record, CMsg& working);
    void OnMove(const CMsg& record, CMsg& working);
    void OnPass(const CMsg& record, CMsg& working);
    void OnCardStat(const CMsg& record, CMsg& working);
    std::vector<std::string> Entries(const std::vector<std::uint16_t>& numbers) const;

    std::unique_ptr<CMersenneTwister> ownRandom_;  // declared first: the box draws from it
    CDeckBox box_;
};

}  // namespace yarrow
