#pragma once
// The hub a window runs when its user connects as server: the Qt hub network
// with the window as its operator (error notices, the member-list command,
// the past log the window feeds) and its card state.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/SessionTargets.h"

namespace yarrow {

class CQtHubNetwork;
class IHubCardState;
class IHubOwner;
class IPrompter;
class ISound;

class COwnedHub final : public IOwnedHub {
  public:
    // `cards` is the hub's deck and piles, already loaded (null: no deck).
    COwnedHub(IHubOwner& owner, IPrompter& prompter, ISound& sound,
              std::unique_ptr<IHubCardState> cards);
    ~COwnedHub() override;

    bool ConnectSocket(int port) override;
    bool IsServing() const override;
    int ListeningPort() const override;
    void Disconnection() override;
    std::vector<std::string> DeckSetNames() const override;
    void PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) override;

    // A plain-text line of the operator's log for newcomers' past log.
    void AddPastLog(const std::string& line);
    std::vector<CMember> Members() const;

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
                     CardStateMaker makeCards = {})
        : owner_(owner), prompter_(prompter), sound_(sound), makeCards_(std::move(makeCards)) {}
    std::unique_ptr<IOwnedHub> CreateHub() override;

  private:
    IHubOwner& owner_;
    IPrompter& prompter_;
    ISound& sound_;
    CardStateMaker makeCards_;
};

}  // namespace yarrow
