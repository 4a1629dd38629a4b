#pragma once
// The chat window's TCP connection to its hub. Connecting runs a local event
// loop so the window keeps painting; a busy dialog shows that a connection is
// being made and lets the user cancel. Incoming bytes are decoded into whole
// records, and each record is handed to the session and fully handled before
// the next one is decoded, also when a handler opens a message box.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "net/CMsgDecoder.h"
#include "net/SessionTargets.h"

class QTcpSocket;
class QEventLoop;

namespace yarrow {

class CClientSession;

class CChatSocket final : public QObject, public IChatTransport {
    Q_OBJECT
  public:
    // Unsent bytes beyond this mean the hub has stopped reading; further
    // records are refused as send failures instead of piling up.
    static constexpr qint64 kMaxUnsentBytes = 8 * 1024 * 1024;
    static constexpr qint64 kReadBufferBytes = 1024 * 1024;
    // Records handled before the window gets a turn.
    static constexpr int kRecordsPerTurn = 256;

    explicit CChatSocket(QObject* parent = nullptr);
    ~CChatSocket() override;

    void SetSession(CClientSession* session) { session_ = session; }
    // The window the busy dialog belongs to; none: no dialog is shown.
    void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }
    void SetConnectTimeout(int milliseconds) { connectTimeoutMs_ = milliseconds; }

    ConnectResult Connect(const std::string& address, int port) override;
    bool IsOpen() const override { return open_; }
    bool Send(const CMsg& msg, std::string& errorText) override;
    void Close() override;

    bool IsConnecting() const { return connectLoop_ != nullptr; }

  public slots:
    // Gives up the connection attempt in progress (the busy dialog's button).
    void CancelConnect();

  private:
    void OnReadyRead();
    void ProcessPendingRead();
    void OnPeerClosed(QTcpSocket* socket);

    CClientSession* session_ = nullptr;
    QPointer<QWidget> dialogParent_;
    QPointer<QTcpSocket> socket_;
    std::unique_ptr<CMsgDecoder> decoder_;
    QEventLoop* connectLoop_ = nullptr;
    bool cancelled_ = false;
    bool open_ = false;
    bool reading_ = false;
    bool readAgain_ = false;
    int connectTimeoutMs_ = 30000;
};

}  // namespace yarrow
