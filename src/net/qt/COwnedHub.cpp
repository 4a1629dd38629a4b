#include "net/qt/COwnedHub.h"

#include "net/CYarrowServ.h"
#include "net/IHubCardState.h"
#include "net/qt/CQtHubNetwork.h"

namespace yarrow {

COwnedHub::COwnedHub(IHubOwner& owner, IPrompter& prompter, ISound& sound,
                     std::unique_ptr<IHubCardState> cards)
    : cards_(std::move(cards)), network_(std::make_unique<CQtHubNetwork>(&prompter, &sound)) {
    network_->Hub().SetOwner(&owner);
    network_->Hub().SetCardState(cards_.get());
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

void COwnedHub::AddPastLog(const std::string& line) {
    network_->Hub().AddPastLog(line);
}

std::vector<CMember> COwnedHub::Members() const {
    return network_->Hub().Members();
}

std::unique_ptr<IOwnedHub> COwnedHubFactory::CreateHub() {
    return std::make_unique<COwnedHub>(owner_, prompter_, sound_,
                                       makeCards_ ? makeCards_() : nullptr);
}

}  // namespace yarrow
