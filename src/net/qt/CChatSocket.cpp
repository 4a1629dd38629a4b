#include "net/qt/CChatSocket.h"

#include <QProgressDialog>
#include <QTcpSocket>
#include <QTimer>

#include "net/CClientSession.h"
#include "net/posix/KeepAlive.h"
#include "net/qt/GracefulClose.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"

namespace yarrow {

namespace {

std::string TimeoutText() {
    return Sjis(
        "接続済みの呼び出し先が一定の時間を過ぎても正しく応答しなかったため、"
        "接続できませんでした。");
}

// The common failures in the words a Japanese desktop uses for them.
std::string SocketErrorText(const QTcpSocket& socket) {
    switch (socket.error()) {
        case QAbstractSocket::ConnectionRefusedError:
            return Sjis("対象のコンピューターによって拒否されたため、接続できませんでした。");
        case QAbstractSocket::HostNotFoundError:
            return Sjis("そのようなホストは不明です。");
        case QAbstractSocket::NetworkError:
            return Sjis("到達できないネットワークに対してソケット操作を実行しようとしました。");
        case QAbstractSocket::SocketTimeoutError:
            return TimeoutText();
        default:
            return Utf8ToCp932(socket.errorString().toStdString()).text;
    }
}

}  // namespace

CChatSocket::CChatSocket(QObject* parent) : QObject(parent) {
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] { OnConnectFailed(TimeoutText()); });
}

CChatSocket::~CChatSocket() {
    AbandonConnect();
    Close();
}

void CChatSocket::BeginConnect(const std::string& address, int port, bool background) {
    if (open_)
        Close();
    AbandonConnect();
    if (port < 1 || port > 65535) {
        ConnectResult result;
        result.errorText = Sjis("ポート番号が正しくありません。");
        ReportLater(result);
        return;
    }
    auto* socket = new QTcpSocket(this);
    connecting_ = socket;
    connect(socket, &QTcpSocket::connected, this, &CChatSocket::OnConnected);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket] { OnConnectFailed(SocketErrorText(*socket)); });

    const QString host = QString::fromStdString(Cp932ToUtf8(address).text);
    // Tries of their own (reconnecting) show their state in the window
    // instead of a dialog that would take the focus every time.
    if (dialogParent_ && !background) {
        busy_ = std::make_unique<QProgressDialog>(
            QStringLiteral("%1:%2 に接続しています…").arg(host).arg(port),
            QStringLiteral("キャンセル"), 0, 0, dialogParent_);
        busy_->setWindowTitle(QStringLiteral("接続"));
        // The window stays usable while the attempt runs.
        busy_->setWindowModality(Qt::NonModal);
        busy_->setAutoClose(false);
        busy_->setAutoReset(false);
        // QProgressDialog shows itself after its own delay; ours is shorter.
        busy_->setMinimumDuration(24 * 60 * 60 * 1000);
        QTimer::singleShot(kBusyDialogDelayMs, busy_.get(), &QWidget::show);
        connect(busy_.get(), &QProgressDialog::canceled, this, &CChatSocket::CancelConnect);
    }
    connectTimer_.start(connectTimeoutMs_);
    socket->connectToHost(host, static_cast<quint16>(port));
}

void CChatSocket::EndAttempt() {
    ++attempt_;
    connectTimer_.stop();
    if (busy_) {
        // Its canceled signal must not come back while it goes.
        busy_->disconnect(this);
        busy_.release()->deleteLater();
    }
    if (QTcpSocket* socket = connecting_.data()) {
        connecting_.clear();
        socket->disconnect(this);
        if (!open_ || socket_.data() != socket) {
            socket->abort();
            socket->deleteLater();
        }
    }
}

void CChatSocket::AbandonConnect() {
    EndAttempt();
}

void CChatSocket::Report(const ConnectResult& result) {
    if (session_)
        session_->ConnectFinished(result);
}

void CChatSocket::ReportLater(const ConnectResult& result) {
    // Reported from a fresh turn of the event loop, so the session may start
    // another attempt from inside the report; a report for an attempt that has
    // ended meanwhile is dropped.
    const unsigned attempt = attempt_;
    QMetaObject::invokeMethod(
        this,
        [this, attempt, result] {
            if (attempt == attempt_)
                Report(result);
        },
        Qt::QueuedConnection);
}

void CChatSocket::OnConnected() {
    QTcpSocket* socket = connecting_.data();
    if (!socket)
        return;
    socket_ = socket;
    decoder_ = std::make_unique<CMsgDecoder>();
    open_ = true;
    peerClosed_ = false;
    EndAttempt();
    // Past this the system's own buffers hold the rest, and a hub that sends
    // faster than the window can show is slowed down by TCP.
    socket->setReadBufferSize(kReadBufferBytes);
    EnableKeepAlive(static_cast<int>(socket->socketDescriptor()));
    // The session hears of the connection before any record is read: the
    // greeting waits for the next turn of the event loop.
    const unsigned attempt = attempt_;
    QMetaObject::invokeMethod(
        this,
        [this, attempt, socket] {
            if (attempt != attempt_ || socket_.data() != socket)
                return;
            connect(socket, &QTcpSocket::readyRead, this, &CChatSocket::OnReadyRead);
            // Queued: a peer that closes is noticed after the bytes it sent last.
            connect(
                socket, &QTcpSocket::disconnected, this, [this, socket] { OnPeerClosed(socket); },
                Qt::QueuedConnection);
            ConnectResult result;
            result.status = ConnectStatus::Connected;
            Report(result);
            if (socket_.data() == socket && (socket->bytesAvailable() > 0 ||
                                             socket->state() != QAbstractSocket::ConnectedState)) {
                QMetaObject::invokeMethod(
                    this,
                    [this, socket] {
                        OnReadyRead();
                        if (socket_.data() == socket &&
                            socket->state() != QAbstractSocket::ConnectedState)
                            OnPeerClosed(socket);
                    },
                    Qt::QueuedConnection);
            }
        },
        Qt::QueuedConnection);
}

void CChatSocket::OnConnectFailed(const std::string& errorText) {
    if (!connecting_)
        return;
    EndAttempt();
    // Reported from a fresh turn of the event loop, with the socket gone: the
    // session may ask whether to try again.
    ConnectResult result;
    result.errorText = errorText;
    ReportLater(result);
}

void CChatSocket::CancelConnect() {
    if (!connecting_)
        return;
    EndAttempt();
    ConnectResult result;
    result.status = ConnectStatus::Cancelled;
    ReportLater(result);
}

bool CChatSocket::Send(const std::string& bytes, std::string& errorText) {
    if (!open_ || !socket_) {
        errorText = Sjis("サーバに接続していません。");
        return false;
    }
    if (socket_->bytesToWrite() > kMaxUnsentBytes) {
        errorText = Sjis("サーバが受信していないため、送信できません。");
        return false;
    }
    if (socket_->write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
        errorText = Utf8ToCp932(socket_->errorString().toStdString()).text;
        return false;
    }
    socket_->flush();
    return true;
}

void CChatSocket::Close() {
    open_ = false;
    peerClosed_ = false;
    decoder_.reset();
    QTcpSocket* socket = socket_.data();
    socket_.clear();
    if (!socket)
        return;
    socket->disconnect(this);
    // What was written still goes out, the Disconnect record among them; a
    // hub that never answers the shutdown is not waited for long.
    CloseAfterSending(*socket, 5000, [socket] { socket->deleteLater(); });
}

void CChatSocket::OnReadyRead() {
    // Inside a record's handler the bytes wait: the loop below reads them
    // once that record is done.
    if (!reading_)
        ProcessPendingRead();
}

void CChatSocket::ProcessPendingRead() {
    reading_ = true;
    Trace("CYarrowView::ProcessPendingRead\r\n");
    int handled = 0;
    bool yielded = false;
    while (open_ && socket_ && decoder_) {
        if (socket_->bytesAvailable() > 0)
            decoder_->Feed(socket_->readAll().toStdString());
        CMsg msg;
        const auto status = decoder_->Next(msg);
        if (status == CMsgDecoder::Status::NeedMore) {
            if (socket_ && socket_->bytesAvailable() > 0)
                continue;
            break;
        }
        if (status == CMsgDecoder::Status::Bad) {
            const std::string error = decoder_->ErrorText();
            if (session_)
                session_->ReceiveFailed(error);
            if (open_)
                Close();
            break;
        }
        if (session_)
            session_->ReceiveMsg(msg);
        if (++handled >= kRecordsPerTurn && open_) {
            // A long burst is handled in turns so the window keeps painting
            // and taking input in between.
            QMetaObject::invokeMethod(this, &CChatSocket::OnReadyRead, Qt::QueuedConnection);
            yielded = true;
            break;
        }
    }
    reading_ = false;
    if (!yielded && open_ && peerClosed_) {
        // Everything the hub sent has been handled and no Close record came:
        // the connection was lost.
        if (session_)
            session_->ReceiveFailed(Sjis("サーバとの接続が切れました。"));
        if (open_)
            Close();
    }
}

void CChatSocket::OnPeerClosed(QTcpSocket* socket) {
    if (!open_ || socket_.data() != socket)
        return;
    peerClosed_ = true;
    // Inside a record's handler, the loop that runs it finishes the job.
    if (!reading_)
        ProcessPendingRead();
}

}  // namespace yarrow
