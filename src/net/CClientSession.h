#pragma once
// The chat window's connection to its hub: connecting as client or as server
// (own hub first, then connecting to it like everybody else), the handshake,
// the send operations every feature uses, receiving, and disconnecting.
//
// States: Idle (no connection, MyID -1), Connected (connection open, not yet
// joined), Joined (connection open, MyID >= 1) and Orphaned (the hub closed
// the connection; MyID, caption and menus stay as they were until the user
// disconnects). Every send behaves as offline unless the connection is open.

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

enum class SessionState { Idle, Connected, Joined, Orphaned };

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

    // Starts a session; true when this window's own connection was made.
    bool Connect(const std::string& handle, bool asClient, const std::string& address, int port);
    // Connect, and on success what the connect dialog's OK does next: menus to
    // the connected pattern, the connected caption, the own name colour.
    bool ConnectAndShow(const std::string& handle, bool asClient, const std::string& address,
                        int port, std::int32_t color);
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
    // The system's error text as the retry prompt lays it out: a line break
    // after every "。", no empty lines.
    static std::string LayOutErrorText(std::string text);

  private:
    bool ConnectSocket(int port, const std::string& address);
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
};

}  // namespace yarrow
