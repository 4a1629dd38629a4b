#pragma once
// The chat window's TCP connection to its hub.
//
// Connecting runs on the event loop: BeginConnect returns at once, a
// non-modal busy dialog with "キャンセル" appears when the attempt takes
// long enough to notice, and the outcome reaches the session from the event
// loop once the attempt is over.
//
// Incoming bytes are decoded into whole records, and each record is handed to
// the session and fully handled before the next one is decoded. Long bursts
// are handled in turns so the window keeps painting. When the hub closes the
// connection, every record that arrived before the close is still handled, in
// order, before the loss is reported (a hub that says goodbye with its Close
// record has already ended the connection by then).

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "net/CMsgDecoder.h"
#include "net/SessionTargets.h"

class QTcpSocket;
class QProgressDialog;

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
    // How long connecting may take before the busy dialog shows.
    static constexpr int kBusyDialogDelayMs = 300;

    explicit CChatSocket(QObject* parent = nullptr);
    ~CChatSocket() override;

    void SetSession(CClientSession* session) { session_ = session; }
    // The window the busy dialog belongs to; none: no dialog is shown.
    void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }
    void SetConnectTimeout(int milliseconds) { connectTimeoutMs_ = milliseconds; }

    void BeginConnect(const std::string& address, int port, bool background) override;
    void AbandonConnect() override;
    bool IsOpen() const override { return open_; }
    bool Send(const std::string& bytes, std::string& errorText) override;
    void Close() override;

    bool IsConnecting() const { return !connecting_.isNull(); }

  public slots:
    // Gives up the connection attempt in progress (the busy dialog's button);
    // the session hears that it was cancelled.
    void CancelConnect();

  private:
    void OnConnected();
    void OnConnectFailed(const std::string& errorText);
    void EndAttempt();
    void Report(const ConnectResult& result);
    void ReportLater(const ConnectResult& result);
    void OnReadyRead();
    void ProcessPendingRead();
    void OnPeerClosed(QTcpSocket* socket);

    CClientSession* session_ = nullptr;
    QPointer<QWidget> dialogParent_;
    // The attempt under way, and what belongs to it.
    QPointer<QTcpSocket> connecting_;
    std::unique_ptr<QProgressDialog> busy_;
    QTimer connectTimer_;
    // Bumped whenever an attempt ends, so a report still on its way for an
    // abandoned attempt is dropped.
    unsigned attempt_ = 0;
    // The open connection.
    QPointer<QTcpSocket> socket_;
    std::unique_ptr<CMsgDecoder> decoder_;
    bool open_ = false;
    // A record is being handled. A message box opened by its handler runs
    // its own event loop; what arrives meanwhile waits for the record to end.
    bool reading_ = false;
    // The hub closed its end; the loss is reported once all it sent is read.
    bool peerClosed_ = false;
    int connectTimeoutMs_ = 30000;
};

}  // namespace yarrow
