#pragma once
// The hub a window runs when its user connects as server: the Qt hub network
// with the window as its operator (error notices, the member-list command,
// the past log the window feeds).

#include <memory>
#include <string>
#include <vector>

#include "net/SessionTargets.h"

namespace yarrow {

class CQtHubNetwork;
class IHubOwner;
class IPrompter;
class ISound;

class COwnedHub final : public IOwnedHub {
  public:
    COwnedHub(IHubOwner& owner, IPrompter& prompter, ISound& sound);
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
    std::unique_ptr<CQtHubNetwork> network_;
};

// Makes a window's hubs, each with that window as its operator.
class COwnedHubFactory final : public IHubFactory {
  public:
    COwnedHubFactory(IHubOwner& owner, IPrompter& prompter, ISound& sound)
        : owner_(owner), prompter_(prompter), sound_(sound) {}
    std::unique_ptr<IOwnedHub> CreateHub() override;

  private:
    IHubOwner& owner_;
    IPrompter& prompter_;
    ISound& sound_;
};

}  // namespace yarrow
