#pragma once
// What the chat window's connection (CClientSession) needs from outside the
// core: the byte stream to the hub, the hub it may own, and the frame's
// caption and menus.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

// The connection to the hub. The Qt adapter (CChatSocket) decodes what
// arrives; records come back through CClientSession::ReceiveMsg.
class IChatTransport {
  public:
    enum class ConnectStatus { Connected, CreateFailed, Failed, Cancelled };
    struct ConnectResult {
        ConnectStatus status = ConnectStatus::Failed;
        // The system's text for the failure (code page 932), when there is one.
        std::string errorText;
    };

    virtual ~IChatTransport() = default;
    // Starts connecting to address:port and returns at once. The outcome
    // comes later, from the event loop, through
    // CClientSession::ConnectFinished; no record arrives before it. The
    // user may cancel meanwhile (ConnectStatus::Cancelled). A `background`
    // attempt (reconnecting) shows no busy dialog.
    virtual void BeginConnect(const std::string& address, int port, bool background) = 0;
    // Gives up the attempt in progress without reporting an outcome.
    virtual void AbandonConnect() = 0;
    virtual bool IsOpen() const = 0;
    // Writes one encoded record; false with the error text when it cannot.
    virtual bool Send(const std::string& bytes, std::string& errorText) = 0;
    // Shuts the sending direction down after what was written, then drops the
    // connection. Must be safe to call from inside a record's dispatch.
    virtual void Close() = 0;
};

// The hub a window runs when it connects as server.
class IOwnedHub {
  public:
    virtual ~IOwnedHub() = default;
    // Starts listening; reports its own failure to the user.
    virtual bool ConnectSocket(int port) = 0;
    virtual bool IsServing() const = 0;
    // The port it listens on (the one the system chose when asked for 0).
    virtual int ListeningPort() const = 0;
    // Shuts the hub down, telling every connection.
    virtual void Disconnection() = 0;
    virtual std::vector<std::string> DeckSetNames() const = 0;
    // Releases the cards of every connection whose ID is not among these.
    virtual void PurgeCardHolders(const std::vector<std::int32_t>& liveIDs) = 0;
};

class IHubFactory {
  public:
    virtual ~IHubFactory() = default;
    // A new hub; it loads the deck sets.
    virtual std::unique_ptr<IOwnedHub> CreateHub() = 0;
};

// The main frame's caption and connection menu items.
class IFrameTarget {
  public:
    virtual ~IFrameTarget() = default;
    virtual void SetCaption(const std::string& text) = 0;
    // Connected: "サーバに接続(&C)" greyed, "サーバから切断(&D)" enabled; else reversed.
    virtual void SetConnectedMenu(bool connected) = 0;
    // The connection's state in the status bar's message pane (code page
    // 932); empty gives the pane back its usual text.
    virtual void SetConnectionStatus(const std::string& text) = 0;
};

}  // namespace yarrow
