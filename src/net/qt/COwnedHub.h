#pragma once
// The hub a window runs when its user connects as server: the Qt hub network
// with the window as its operator (error notices, the member-list command),
// its card state, and the past log it writes from what it relays.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/CMsg.h"

#include "net/SessionTargets.h"

namespace yarrow {

class CQtHubNetwork;
class IHubCardState;
class IHubOwner;
class IPrompter;
class ISound;

// The past-log line of a relayed record, given the hub's member list; none
// for records that leave no line.
using PastLogRule =
    std::function<std::optional<std::string>(const CMsg& relayed, const std::vector<CMember>&)>;

class COwnedHub final : public IOwnedHub {
  public:
    // `cards` is the hub's deck and piles, already loaded (null: no deck).
    // `pastLog` turns relayed records into past-log lines (empty: none).
    COwnedHub(IHubOwner& owner, IPrompter& prompter, ISound& sound,
              std::unique_ptr<IHubCardState> cards, PastLogRule pastLog = {});
    ~COwnedHub() override;

    bool ConnectSocket(int port) override;
    bool IsServing() const override;
    int ListeningPort() const override;
    void Disconnection() override;
    std::vector<std::string> DeckSetNames() const override;
    void PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) override;

    std::vector<CMember> Members() const;
    // The operator's deck switch to set `index`: every member's piles are
    // forgotten and everybody is told the deck now in use, whether the
    // switch worked or not. Nothing without a card state.
    void SwitchDeck(int index);
    void SetTableMemory(bool on);

  private:
    // Declared first: the hub refers to it until the hub is gone.
    std::unique_ptr<IHubCardState> cards_;
    std::unique_ptr<CQtHubNetwork> network_;
};

// Makes a window's hubs, each with that window as its operator and with the
// card state `makeCards` gives it (the deck sets it has read; none: no deck).
class COwnedHubFactory final : public IHubFactory {
  public:
    using CardStateMaker = std::function<std::unique_ptr<IHubCardState>()>;
    COwnedHubFactory(IHubOwner& owner, IPrompter& prompter, ISound& sound,
                     CardStateMaker makeCards = {}, PastLogRule pastLog = {})
        : owner_(owner),
          prompter_(prompter),
          sound_(sound),
          makeCards_(std::move(makeCards)),
          pastLog_(std::move(pastLog)) {}
    std::unique_ptr<IOwnedHub> CreateHub() override;
    // Asked as each hub is made: whether it keeps the table for newcomers
    // (unset: it does).
    void SetTableMemoryQuery(std::function<bool()> query) { tableMemory_ = std::move(query); }

  private:
    IHubOwner& owner_;
    IPrompter& prompter_;
    ISound& sound_;
    CardStateMaker makeCards_;
    PastLogRule pastLog_;
    std::function<bool()> tableMemory_;
};

}  // namespace yarrow
