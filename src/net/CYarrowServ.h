#pragma once
// The hub: accepts participants, numbers them, keeps the member list, the
// past log and (through IHubCardState) the cards, and relays every record it
// receives to every connection, the sender included.
//
// This is the hub's whole logic without sockets. The Qt side (CQtHubNetwork)
// calls ProcessPendingAccept, ProcessPendingRead, ConnectionLost and
// SendFailed from its socket notifications, all on the one event loop.
//
// Writes never block the hub: each connection queues what the network does
// not take at once. When a connection's unsent bytes would pass
// kMaxUnsentBytes (8 MiB, a few hundred full map pages) the peer has stopped
// reading; the hub reports a send failure and drops that connection, and the
// others go on unaffected.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "net/CMsg.h"
#include "net/CMsgDecoder.h"
#include "net/IHubCardState.h"
#include "net/IHubConnection.h"
#include "net/IHubListener.h"
#include "net/IHubOwner.h"
#include "platform/IPrompter.h"
#include "platform/ISound.h"

namespace yarrow {

class CYarrowServ {
  public:
    static constexpr std::size_t kMaxUnsentBytes = 8u * 1024u * 1024u;
    static constexpr std::size_t kPastLogLines = 15;
    // The past-log block a newcomer receives stays well inside one record:
    // the oldest lines give way when the block would pass this size.
    static constexpr std::size_t kMaxPastLogBytes = 1024u * 1024u;
    // Member IDs are announced by the members themselves, so the list is
    // bounded against a peer that invents IDs; names are bounded the same way.
    static constexpr std::size_t kMaxMembers = 1000;
    static constexpr std::size_t kMaxMemberNameBytes = 255;

    explicit CYarrowServ(IHubListener* listener, IPrompter* prompter = nullptr,
                         ISound* sound = nullptr);
    ~CYarrowServ();
    CYarrowServ(const CYarrowServ&) = delete;
    CYarrowServ& operator=(const CYarrowServ&) = delete;

    // The operator's window, when there is one (null: none).
    void SetOwner(IHubOwner* owner) { owner_ = owner; }
    // The deck and piles, when the cards are loaded (null: no deck).
    void SetCardState(IHubCardState* cards) { cards_ = cards; }
    // Called with every record after it was relayed; the windowless hub feeds
    // its past log from here.
    void SetRelayObserver(std::function<void(const CMsg&)> observer) {
        relayObserver_ = std::move(observer);
    }

    // Starts listening on every local address. On failure tells the user
    // "接続許可エラーです" with the system's reason and returns false.
    bool ConnectSocket(int port);
    // Shuts down: every connection receives Disconnect with Close 1 and the
    // notice that the server closed, then is closed.
    void Disconnection();

    // A connection was accepted: registers it under the next member ID and
    // greets it with CnctStart. Returns the ID, or -1 when it was refused
    // (the hub is not serving, or the IDs are used up).
    std::int32_t ProcessPendingAccept(IHubConnection* connection);
    // Accepting failed in the listener; `errorText` is the system's reason.
    void AcceptFailed(const std::string& errorText);
    // Bytes arrived from connection `id`: every complete record among them is
    // stored and relayed, in order, before the next one is decoded.
    void ProcessPendingRead(std::int32_t id, std::string_view bytes);
    // The peer closed or the connection broke: reported as a failed read;
    // the connection is dropped.
    void ConnectionLost(std::int32_t id, const std::string& errorText);
    // Writing to connection `id` failed: reported as a failed send; the
    // connection is dropped.
    void SendFailed(std::int32_t id, const std::string& errorText);

    // One plain-text line (ending in CR LF) for the past log; the newest 15
    // are kept while serving.
    void AddPastLog(const std::string& line);
    // Card-holder purge after a member list reset: the cards of every
    // registered connection whose ID is not among `listedIds` go back.
    void PurgeCardHolders(const std::vector<std::int32_t>& listedIds);
    // A record the hub itself makes (a deck switch's InitDeck): stored and
    // relayed to everybody like a received one.
    void RelayGenerated(const CMsg& record);

    bool Serving() const { return serving_; }
    std::int32_t NextMemberID() const { return nextMemberID_; }
    const std::vector<CMember>& Members() const { return members_; }
    const std::deque<std::string>& PastLog() const { return pastLog_; }
    std::vector<std::int32_t> ConnectionIds() const;

  private:
    struct Connection {
        IHubConnection* socket = nullptr;
        CMsgDecoder decoder;
    };
    struct Failure {
        std::int32_t id;
        std::string text;
    };

    enum class ReadResult { Record, NeedMore, Failed };
    ReadResult ReadMsg(std::int32_t id, Connection& connection);
    // The relay: apply a record to the hub's state, build the outgoing record
    // from it, and send that to every connection.
    void StoreMsgItem(const CMsg& record);
    CMsg& AssembleMsg();
    void UpdateClients();
    // Queues one encoded record; false when the connection is over its cap.
    bool SendMsg(std::int32_t id, Connection& connection, const std::string& bytes,
                 std::string& errorText);
    void CloseSocket(std::int32_t id, bool gracefully);
    void ReportError(const std::string& operation, const CMsg& record,
                     const std::string& errorText);
    std::string PastLogBlock() const;
    std::string DeckSummary() const;

    IHubListener* listener_;
    IPrompter* prompter_;
    ISound* sound_;
    IHubOwner* owner_ = nullptr;
    IHubCardState* cards_ = nullptr;
    std::function<void(const CMsg&)> relayObserver_;

    bool serving_ = false;
    std::int32_t nextMemberID_ = 1;
    std::map<std::int32_t, Connection> connections_;  // iterated in joining order
    std::vector<CMember> members_;
    std::deque<std::string> pastLog_;
    CMsg working_;
    CMsg readMsg_;
    CMsg sendMsg_;
};

}  // namespace yarrow
