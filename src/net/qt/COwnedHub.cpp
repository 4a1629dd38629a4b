#include "net/qt/COwnedHub.h"

#include "net/CYarrowServ.h"
#include "net/IHubCardState.h"
#include "net/posix/CHubThread.h"

namespace yarrow {

void COwnedHub::CPostedOwner::AppendNoticeLine(const std::string& text) {
    QMetaObject::invokeMethod(
        &context_, [&owner = owner_, text] { owner.AppendNoticeLine(text); }, Qt::QueuedConnection);
}

void COwnedHub::CPostedOwner::RunMemberListCommand() {
    QMetaObject::invokeMethod(
        &context_, [&owner = owner_] { owner.RunMemberListCommand(); }, Qt::QueuedConnection);
}

void COwnedHub::CPostedSound::Tone(int hertz, int milliseconds) {
    QMetaObject::invokeMethod(
        &context_, [&sound = sound_, hertz, milliseconds] { sound.Tone(hertz, milliseconds); },
        Qt::QueuedConnection);
}

void COwnedHub::CPostedSound::ErrorBeep() {
    QMetaObject::invokeMethod(
        &context_, [&sound = sound_] { sound.ErrorBeep(); }, Qt::QueuedConnection);
}

COwnedHub::COwnedHub(IHubOwner& owner, IPrompter& prompter, ISound& sound,
                     std::unique_ptr<IHubCardState> cards, PastLogRule pastLog, const IClock* clock)
    : owner_(context_, owner),
      sound_(context_, sound),
      cards_(std::move(cards)),
      thread_(std::make_unique<CHubThread>(&prompter, &sound_, clock)) {
    CYarrowServ& hub = thread_->Network().Hub();
    hub.SetOwner(&owner_);
    hub.SetCardState(cards_.get());
    if (pastLog) {
        hub.SetRelayObserver([&hub, rule = std::move(pastLog)](const CMsg& relayed) {
            if (auto line = rule(relayed, hub.Members()))
                hub.AddPastLog(*line);
        });
    }
}

COwnedHub::~COwnedHub() {
    thread_->Stop();
    // The network's own teardown (the hub first) runs here, on this thread,
    // while the card state it refers to still exists.
    thread_.reset();
}

bool COwnedHub::ConnectSocket(int port) {
    // The hub's prompter is the window's: asked on this thread, before the
    // hub's thread exists. A hub listens once.
    if (thread_->Running())
        return false;
    if (!thread_->Network().Hub().ConnectSocket(port))
        return false;
    thread_->Start();
    return true;
}

void COwnedHub::Call(const std::function<void(CEpollHubNetwork&)>& task) const {
    thread_->Call(task);
}

bool COwnedHub::IsServing() const {
    bool serving = false;
    Call([&](CEpollHubNetwork& network) { serving = network.Hub().Serving(); });
    return serving;
}

int COwnedHub::ListeningPort() const {
    int port = 0;
    Call([&](CEpollHubNetwork& network) { port = network.Port(); });
    return port;
}

void COwnedHub::Disconnection() {
    Call([](CEpollHubNetwork& network) { network.Hub().Disconnection(); });
}

std::vector<std::string> COwnedHub::DeckSetNames() const {
    std::vector<std::string> names;
    if (cards_)
        Call([&](CEpollHubNetwork&) { names = cards_->DeckSetNames(); });
    return names;
}

void COwnedHub::PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) {
    Call([&](CEpollHubNetwork& network) { network.Hub().PurgeCardHolders(liveIDs); });
}

std::optional<CMsg> COwnedHub::SwitchDeck(int index) {
    std::optional<CMsg> init;
    if (cards_) {
        Call([&](CEpollHubNetwork& network) {
            init = cards_->SwitchDeck(index);
            if (init)
                network.Hub().RelayGenerated(*init);
        });
    }
    return init;
}

std::vector<CMember> COwnedHub::Members() const {
    std::vector<CMember> members;
    Call([&](CEpollHubNetwork& network) { members = network.Hub().Members(); });
    return members;
}

void COwnedHub::SetTableMemory(bool on) {
    Call([on](CEpollHubNetwork& network) { network.Hub().SetTableMemory(on); });
}

std::unique_ptr<IOwnedHub> COwnedHubFactory::CreateHub() {
    auto hub = std::make_unique<COwnedHub>(owner_, prompter_, sound_,
                                           makeCards_ ? makeCards_() : nullptr, pastLog_);
    hub->SetTableMemory(!tableMemory_ || tableMemory_());
    return hub;
}

}  // namespace yarrow
