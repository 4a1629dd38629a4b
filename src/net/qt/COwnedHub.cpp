#include "net/qt/COwnedHub.h"

#include "net/CYarrowServ.h"
#include "net/IHubCardState.h"
#include "net/qt/CQtHubNetwork.h"

namespace yarrow {

COwnedHub::COwnedHub(IHubOwner& owner, IPrompter& prompter, ISound& sound,
                     std::unique_ptr<IHubCardState> cards, PastLogRule pastLog)
    : cards_(std::move(cards)), network_(std::make_unique<CQtHubNetwork>(&prompter, &sound)) {
    CYarrowServ& hub = network_->Hub();
    hub.SetOwner(&owner);
    hub.SetCardState(cards_.get());
    if (pastLog) {
        hub.SetRelayObserver([&hub, rule = std::move(pastLog)](const CMsg& relayed) {
            if (auto line = rule(relayed, hub.Members()))
                hub.AddPastLog(*line);
        });
    }
}

COwnedHub::~COwnedHub() = default;

bool COwnedHub::ConnectSocket(int port) {
    return network_->Hub().ConnectSocket(port);
}

bool COwnedHub::IsServing() const {
    return network_->Hub().Serving();
}

int COwnedHub::ListeningPort() const {
    return network_->Port();
}

void COwnedHub::Disconnection() {
    network_->Hub().Disconnection();
}

std::vector<std::string> COwnedHub::DeckSetNames() const {
    return cards_ ? cards_->DeckSetNames() : std::vector<std::string>{};
}

void COwnedHub::PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) {
    network_->Hub().PurgeCardHolders(liveIDs);
}

void COwnedHub::SwitchDeck(int index) {
    if (cards_)
        network_->Hub().RelayGenerated(cards_->SwitchDeck(index));
}

std::vector<CMember> COwnedHub::Members() const {
    return network_->Hub().Members();
}

void COwnedHub::SetTableMemory(bool on) {
    network_->Hub().SetTableMemory(on);
}

std::unique_ptr<IOwnedHub> COwnedHubFactory::CreateHub() {
    auto hub = std::make_unique<COwnedHub>(owner_, prompter_, sound_,
                                           makeCards_ ? makeCards_() : nullptr, pastLog_);
    hub->SetTableMemory(!tableMemory_ || tableMemory_());
    return hub;
}

}  // namespace yarrow
