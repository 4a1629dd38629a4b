#pragma once
// The hub on plain sockets and the epoll loop, without Qt: a listening socket
// on all local addresses, one CEpollHubConnection per participant, and the
// CYarrowServ they feed, all on one thread. It owns the hub and destroys it
// first, so the hub's shutdown still reaches every connection.
//
// Every connection's writes of one loop turn leave in one send at the end of
// the turn; the hub is told about send progress only while some connection
// is paused, which is the only time it waits for it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "net/CPeerLimits.h"
#include "net/CYarrowServ.h"
#include "net/IHubListener.h"
#include "net/posix/CEpollLoop.h"
#include "net/posix/CParallelSender.h"

namespace yarrow {

class CEpollHubConnection;

class CEpollHubNetwork final : public IHubListener, public CEpollLoop::IHandler {
  public:
    // `clock` (null: the system clock) is the hub's, for telling stalled
    // peers.
    explicit CEpollHubNetwork(CEpollLoop& loop, IPrompter* prompter = nullptr,
                              ISound* sound = nullptr, const IClock* clock = nullptr);
    ~CEpollHubNetwork() override;
    CEpollHubNetwork(const CEpollHubNetwork&) = delete;
    CEpollHubNetwork& operator=(const CEpollHubNetwork&) = delete;

    CYarrowServ& Hub() { return *hub_; }
    CEpollLoop& Loop() { return loop_; }

    bool Listen(int port, std::string& errorText, int& errorCode) override;
    void StopListening() override;
    int Port() const override { return port_; }

    // Accepted connections that have not finished yet, including those still
    // delivering their last bytes after the hub let go of them.
    int LiveConnections() const;
    // Every connection has handed the system what it owes its peer.
    bool AllDelivered() const;

    // Called with the member ID and the peer's address:port of each accepted
    // participant.
    void OnAccepted(std::function<void(int id, const std::string& peer)> handler) {
        onAccepted_ = std::move(handler);
    }
    // Called when the last live connection has finished.
    void OnDrained(std::function<void()> handler) { onDrained_ = std::move(handler); }
    // Connections beyond these limits (0: none) are closed as soon as they
    // are accepted, before the hub greets them, and reported to `refused`
    // with the peer's address:port and the limit; see CPeerLimits.
    void SetPeerLimits(
        int maxPeers, int maxPerAddress,
        std::function<void(const std::string& peer, const std::string& why)> refused) {
        limits_ = CPeerLimits(maxPeers, maxPerAddress);
        onRefused_ = std::move(refused);
    }

    void OnEvents(std::uint32_t events) override;

    // For the connections.
    void MarkDirty(CEpollHubConnection* connection) { dirty_.push_back(connection); }
    void PausedChanged(bool paused) { paused_ += paused ? 1 : -1; }
    bool AnyPaused() const { return paused_ > 0; }

  private:
    void Accept();
    void EndOfTurn();

    CEpollLoop& loop_;
    std::unique_ptr<CYarrowServ> hub_;
    int listener_ = -1;
    // Held open while listening and given up for a moment at the descriptor
    // limit, so a connection waiting there can be accepted and refused.
    int spare_ = -1;
    int port_ = 0;
    std::uint64_t stallTimer_ = 0;
    std::uint64_t backoffTimer_ = 0;
    int paused_ = 0;
    std::vector<std::unique_ptr<CEpollHubConnection>> connections_;
    std::vector<CEpollHubConnection*> dirty_;
    std::vector<CEpollHubConnection*> flushing_;
    std::vector<CParallelSender::Job> jobs_;
    CParallelSender sender_;
    std::function<void(int, const std::string&)> onAccepted_;
    std::function<void()> onDrained_;
    CPeerLimits limits_;
    std::unordered_map<const CEpollHubConnection*, std::string> limitAddress_;
    std::function<void(const std::string&, const std::string&)> onRefused_;
    std::shared_ptr<bool> alive_;
};

}  // namespace yarrow
