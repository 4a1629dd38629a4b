#pragma once
// The chat window's connection to its hub: connecting as client or as server
// (own hub first, then connecting to it like everybody else), the handshake,
// the send operations every feature uses, receiving, and disconnecting.
//
// States: Idle (no connection, MyID -1), Connecting (an attempt under way;
// the window stays usable and sends behave as offline), Connected
// (connection open, not yet joined), Joined (connection open, MyID >= 1) and
// Orphaned (the hub closed the connection; MyID, caption and menus stay as
// they were until the user disconnects). Every send behaves as offline unless
// the connection is open.
//
// Reconnecting: when the connection ends without the hub's goodbye (the hub
// vanished, the stream broke), the window tries again by itself, after 1, 2,
// 4, 8 and 16 seconds and then every 30 seconds, for 10 minutes from the
// loss, and joins with the same handle name and colour. A goodbye from the
// hub, a version refusal and the user's own disconnect never start it; the
// disconnect command stops it.
//
// Connecting never waits inside a call: Connect starts an attempt and
// returns; the transport reports the outcome from the event loop, and a
// refused attempt asks "再接続しますか？" from there, with no socket open.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "net/CMsg.h"
#include "net/DispatchTargets.h"
#include "net/SessionTargets.h"

namespace yarrow {

class IPrompter;
class IClock;
class IWindowTimers;

// Reconnecting: lost without a goodbye, trying again until joined.
enum class SessionState { Idle, Connecting, Connected, Joined, Orphaned, Reconnecting };

// Handles each received record (the dispatcher). It may set `Close` on the
// record to have the connection dropped afterwards.
class IRecordHandler {
  public:
    virtual ~IRecordHandler() = default;
    virtual void Dispatch(CMsg& msg) = 0;
};

class CClientSession {
  public:
    struct Deps {
        IChatTransport& transport;
        IHubFactory& hubFactory;
        IPrompter& prompter;
        IChatLogTarget& log;
        IMemberListTarget& members;
        ICardTarget& cards;
        IFrameTarget& frame;
        const IClock& clock;
        // Seeds the shared random generator (done on every connect).
        std::function<void(std::uint32_t)> seedRandom;
    };

    explicit CClientSession(Deps deps);
    // Leaves quietly (sends Disconnect, shuts an owned hub down).
    ~CClientSession();
    CClientSession(const CClientSession&) = delete;
    CClientSession& operator=(const CClientSession&) = delete;

    void SetRecordHandler(IRecordHandler* handler) { handler_ = handler; }

    // The window timer the tries wait on, and how long they go on.
    static constexpr int kReconnectTimer = 4;
    static constexpr std::time_t kReconnectSeconds = 10 * 60;
    // Reconnecting needs the window's timers; `enabled` is asked at each loss
    // (none: always on).
    void SetReconnecting(IWindowTimers* timers, std::function<bool()> enabled = {});
    // Window timer kReconnectTimer fired: the next try.
    void OnReconnectTimer();
    bool IsReconnecting() const { return reconnecting_; }
    // The tries made since the loss.
    int ReconnectTries() const { return tries_; }
    // Seconds to wait before the next try when `triesMade` have been made.
    static std::time_t ReconnectDelay(int triesMade);

    // Called once when a connect attempt ends: true when this window's own
    // connection was made.
    using ConnectDone = std::function<void(bool connected)>;

    // Starts a session. As server the hub is started here and now (its port
    // is known on return) and the window joins it at 127.0.0.1. Returns
    // false when nothing was started (already connecting, or the hub could
    // not listen); `done` is then not called.
    bool Connect(const std::string& handle, bool asClient, const std::string& address, int port,
                 ConnectDone done = {});
    // Connect, and on success what the connect dialog's OK does next: menus to
    // the connected pattern, the connected caption, the own name colour.
    bool ConnectAndShow(const std::string& handle, bool asClient, const std::string& address,
                        int port, std::int32_t color, ConnectDone done = {});
    // From the transport: the outcome of the attempt under way.
    void ConnectFinished(const IChatTransport::ConnectResult& result);
    bool IsConnecting() const { return connecting_; }
    // The disconnect command: asks first, then disconnects (not quiet).
    void DisconnectCommand();
    bool Disconnect(bool quiet);

    bool DoSerialize(const CMsg& msg);
    bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                  std::int32_t type);
    bool SendText(const std::string& text, std::int32_t type);

    // From the transport: one decoded record, then dropping the connection
    // when the record carries Close (read from the wire or set by dispatch).
    void ReceiveMsg(CMsg& msg);
    // From the transport: the stream broke (unreadable record, or the hub
    // vanished without a Close record). Reported, and the connection dropped.
    void ReceiveFailed(const std::string& errorText);

    // The handshake, run by the dispatcher for CnctStart.
    void OnCnctStart(CMsg& msg);

    SessionState State() const;
    bool IsConnected() const { return deps_.transport.IsOpen(); }
    std::int32_t MyID() const { return myID_; }
    const std::string& MyName() const { return myName_; }
    std::int32_t MyColor() const { return myColor_; }
    void SetMyColor(std::int32_t color) { myColor_ = color; }
    // The handle name follows the chat view's field as the user edits it.
    void SetMyName(std::string name) { myName_ = std::move(name); }
    const std::string& ServerIP() const { return serverIP_; }
    int PortNum() const { return portNum_; }
    // The hub this window owns, when it connected as server.
    IOwnedHub* OwnedHub() const { return hub_.get(); }

    // "Yarrow - 接続中(IP:%s/Port:%d)" for these values.
    static std::string ConnectedCaption(const std::string& address, int port);
    static std::string IdleCaption();
    // "Yarrow - 再接続中(IP:%s/Port:%d)".
    static std::string ReconnectingCaption(const std::string& address, int port);
    // The system's error text as the retry prompt lays it out: a line break
    // after every "。", no empty lines.
    static std::string LayOutErrorText(std::string text);

  private:
    void ConnectSocket(bool background = false);
    // The connection ended without the hub's goodbye.
    void ConnectionLost();
    void ScheduleTry();
    void StopReconnecting();
    void EndConnect(bool connected);
    void DropConnection();

    Deps deps_;
    IRecordHandler* handler_ = nullptr;
    std::unique_ptr<IOwnedHub> hub_;
    std::int32_t myID_ = -1;
    std::string myName_;
    std::int32_t myColor_ = 0;
    std::string serverIP_;
    int portNum_ = 0;
    bool orphaned_ = false;
    bool connecting_ = false;
    ConnectDone connectDone_;
    IWindowTimers* timers_ = nullptr;
    std::function<bool()> reconnectEnabled_;
    bool reconnecting_ = false;
    int tries_ = 0;
    std::time_t lostAt_ = 0;
};

}  // namespace yarrow
