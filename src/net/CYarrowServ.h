#pragma once
// The hub: accepts participants, numbers them, keeps the member list, the
// past log and (through IHubCardState) the cards, and relays every record it
// receives to every connection, the sender included.
//
// This is the hub's whole logic without sockets. The network adapter
// (CEpollHubNetwork) calls ProcessPendingAccept, ProcessPendingRead,
// SendProgress, ConnectionLost, SendFailed and CheckStalledPeers from its
// socket events and a one-second timer, all on the one event loop.
//
// Writes never block the hub: each connection queues what the network does
// not take at once. Flow control keeps those queues short: while any
// connection has more than kSoftUnsentBytes waiting, the hub decodes nothing
// more from anybody and tells the connections to stop reading, so TCP slows
// the senders down; every record goes to every connection, so a fast sender
// is slowed to the pace of the slowest reader, its own echo included. Once
// the queues drain, reading resumes where it stopped. A queue therefore never
// holds much more than the soft mark plus one record.
//
// A peer is let go only when it has a queue above the soft mark and has taken
// nothing from it for kStallSeconds: it has stopped reading, and everybody
// else is waiting for it. That is reported as a failed send.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/CMsg.h"
#include "net/CMsgDecoder.h"
#include "net/CTableMemory.h"
#include "net/IHubCardState.h"
#include "net/IHubConnection.h"
#include "net/IHubListener.h"
#include "net/IHubOwner.h"
#include "platform/IClock.h"
#include "platform/IPrompter.h"
#include "platform/ISound.h"

namespace yarrow {

class CYarrowServ {
  public:
    static constexpr std::size_t kSoftUnsentBytes = 1024u * 1024u;
    static constexpr std::time_t kStallSeconds = 30;
    // A member whose connection vanished without a goodbye keeps its cards
    // this long, for a newcomer of the same handle name.
    static constexpr std::time_t kCardGraceSeconds = 5 * 60;
    static constexpr std::size_t kPastLogLines = 15;
    // The past-log block a newcomer receives stays well inside one record:
    // the oldest lines give way when the block would pass this size.
    static constexpr std::size_t kMaxPastLogBytes = 1024u * 1024u;
    // Member IDs are announced by the members themselves, so the list is
    // bounded against a peer that invents IDs; names are bounded the same way.
    static constexpr std::size_t kMaxMembers = 1000;
    static constexpr std::size_t kMaxMemberNameBytes = 255;

    // `clock` (null: the system clock) tells how long a peer has been stalled.
    explicit CYarrowServ(IHubListener* listener, IPrompter* prompter = nullptr,
                         ISound* sound = nullptr, const IClock* clock = nullptr);
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

    // The chart, lock and maps a newcomer receives once it has joined (on
    // unless turned off).
    void SetTableMemory(bool on) { table_.SetEnabled(on); }
    const CTableMemory& TableMemory() const { return table_; }

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
    // Bytes arrived from connection `id`: complete records among them are
    // stored and relayed, in order, one before the next is decoded, until
    // the queues are too long; the rest waits for SendProgress.
    void ProcessPendingRead(std::int32_t id, std::string_view bytes);
    // The network took bytes from connection `id`'s queue: reading resumes
    // when every queue is short again.
    void SendProgress(std::int32_t id);
    // The peer closed or the connection broke: what it sent before is still
    // relayed; unless that ended with its Close record, the loss is reported
    // as a failed read. The connection is dropped.
    void ConnectionLost(std::int32_t id, const std::string& errorText);
    // Writing to connection `id` failed: reported as a failed send of the
    // last record queued for it; the connection is dropped.
    void SendFailed(std::int32_t id, const std::string& errorText);
    // Called about once a second: drops every peer that has stopped reading
    // (see above), and lets the cards of vanished members whose grace time is
    // over go back to the deck.
    void CheckStalledPeers();

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
    // True while some queue is above the soft mark and reading waits.
    bool Backlogged() const;

  private:
    // What an error report says about a record: enough to name it without
    // keeping its payload alive.
    struct RecordLabel {
        std::int32_t type = 0;
        std::string name;
        std::int32_t id = 0;
    };
    struct Connection {
        std::int32_t id = 0;
        IHubConnection* socket = nullptr;
        CMsgDecoder decoder;
        bool paused = false;          // told to stop reading; resumed when queues drain
        bool leaving = false;         // the peer has gone: what it sent is relayed regardless
        bool joined = false;          // its first CnctReply has been relayed
        std::string name;             // the handle name it joined with
        std::uint64_t queued = 0;     // bytes ever written to the connection
        std::uint64_t lastTaken = 0;  // bytes the network had taken at the last look
        std::time_t lastProgress = 0;
        std::shared_ptr<const RecordLabel> lastRecord;  // the last record queued
        // Table notes after this one were relayed to it, joined or not.
        std::uint64_t tableAtAccept = 0;
    };
    struct Failure {
        std::int32_t id;
        std::shared_ptr<const RecordLabel> record;
        std::string text;
    };

    enum class ReadResult { Record, NeedMore, Failed };
    // Decodes and relays what connection `id` has buffered, as far as flow
    // control allows, and writes what was relayed.
    void DrainConnection(std::int32_t id);
    void DrainRecords(std::int32_t id);
    // Writes the relayed records not written yet to every connection, in one
    // write each; a failed write drops that connection.
    void FlushRelayed();
    // Decodes the next record of connection `id` into the working record.
    ReadResult ReadMsg(std::int32_t id, Connection& connection);
    // The relay: apply a record to the hub's state, build the outgoing record
    // from it, and send that to every connection.
    void StoreMsgItem(const CMsg& record);
    // The same for a record ReadMsg has just decoded into the working record.
    void StoreReceived();
    // Applies the working record, which came from `record`, to the hub's
    // state; `record` may be the working record itself.
    void ApplyWorking(const CMsg& record);
    CMsg& AssembleMsg();
    void UpdateClients();
    // A newcomer's join was relayed: it alone receives what lies on the table.
    void WelcomeNewcomer(std::int32_t id);
    // The cards of a member that vanished: kept under its old ID for a
    // newcomer of the same name.
    struct HeldCards {
        std::int32_t holder = 0;
        std::time_t since = 0;
    };
    void HoldCards(std::int32_t id, const std::string& name);
    void ReturnHeldCards(std::int32_t id);
    void ReleaseExpiredCards(std::time_t now);
    // Queues one encoded record for one connection, after whatever was
    // relayed to everybody before it; false (with the reason) when the
    // connection refused it.
    bool SendMsg(Connection& connection, const std::string& bytes,
                 const std::shared_ptr<const RecordLabel>& record, std::string& errorText);
    // SendMsg without the trace and the flush, for the relay's loop over
    // every connection.
    bool Queue(Connection& connection, const std::string& bytes,
               const std::shared_ptr<const RecordLabel>& record, std::string& errorText);
    void NoteProgress(Connection& connection, std::time_t now);
    void NoteProgress(Connection& connection, std::size_t unsent, std::time_t now);
    // The connections in joining order, for the relay: rebuilt whenever one
    // joins or goes, so relaying walks a flat list instead of the table.
    void RebuildFanOut();
    void ResumeIfClear();
    void DropAndReport(const std::vector<Failure>& failures);
    void CloseSocket(std::int32_t id, bool gracefully);
    void ReportError(const std::string& operation, const RecordLabel& record,
                     const std::string& errorText);
    static RecordLabel LabelOf(const CMsg& record);
    std::shared_ptr<const RecordLabel> RelayLabel(const CMsg& record);
    std::string PastLogBlock() const;
    std::string DeckSummary() const;

    IHubListener* listener_;
    IPrompter* prompter_;
    ISound* sound_;
    CSystemClock systemClock_;
    const IClock& clock_;
    IHubOwner* owner_ = nullptr;
    IHubCardState* cards_ = nullptr;
    std::function<void(const CMsg&)> relayObserver_;

    bool serving_ = false;
    bool resuming_ = false;
    std::int32_t nextMemberID_ = 1;
    std::map<std::int32_t, Connection> connections_;  // iterated in joining order
    std::vector<Connection*> fanOut_;                 // the same, as a flat list
    // At least as large as the longest queue: a queue grows only by the
    // hub's own writes, which raise this, so the queues are looked at only
    // when this is above the soft mark.
    mutable std::size_t maxUnsent_ = 0;
    // The records relayed to everybody while one connection's bytes are
    // decoded, written to each connection in one go when they are done (or
    // before anything else is said to a single connection, or when the
    // queues would pass the soft mark), so a read of many records costs each
    // connection one write.
    std::string relayed_;
    std::shared_ptr<const RecordLabel> relayedLabel_;  // the last of them
    std::vector<CMember> members_;
    std::deque<std::string> pastLog_;
    CTableMemory table_;
    std::map<std::string, HeldCards> heldCards_;  // by handle name
    CMsg working_;
    CMsg sendMsg_;
    std::shared_ptr<const RecordLabel> relayLabel_;  // the last relay's, shared while it repeats
};

}  // namespace yarrow
