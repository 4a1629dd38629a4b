#include "net/qt/CChatSocket.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTcpSocket>
#include <QTimer>

#include "net/CClientSession.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"

namespace yarrow {

namespace {

std::string TimeoutText() {
    return Sjis(
        "接続済みの呼び出し先が一定の時間を過ぎても正しく応答しなかったため、"
        "接続できませんでした。");
}

// The texts users of the original program know for these failures.
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

CChatSocket::CChatSocket(QObject* parent) : QObject(parent) {}

CChatSocket::~CChatSocket() {
    if (connectLoop_)
        connectLoop_->quit();
}

IChatTransport::ConnectResult CChatSocket::Connect(const std::string& address, int port) {
    if (open_)
        Close();
    ConnectResult result;
    if (port < 1 || port > 65535) {
        result.errorText = Sjis("ポート番号が正しくありません。");
        return result;
    }
    auto* socket = new QTcpSocket(this);
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);

    std::unique_ptr<QProgressDialog> busy;
    if (dialogParent_) {
        const QString host = QString::fromStdString(Cp932ToUtf8(address).text);
        busy = std::make_unique<QProgressDialog>(
            QStringLiteral("%1:%2 に接続しています…").arg(host).arg(port),
            QStringLiteral("キャンセル"), 0, 0, dialogParent_);
        busy->setWindowTitle(QStringLiteral("接続"));
        busy->setWindowModality(Qt::WindowModal);
        // Shown only when connecting takes long enough to notice.
        QTimer::singleShot(300, busy.get(), &QWidget::show);
        connect(busy.get(), &QProgressDialog::canceled, this, &CChatSocket::CancelConnect);
    }

    cancelled_ = false;
    connectLoop_ = &loop;
    socket->connectToHost(QString::fromStdString(Cp932ToUtf8(address).text),
                          static_cast<quint16>(port));
    if (socket->state() != QAbstractSocket::ConnectedState &&
        socket->error() == QAbstractSocket::UnknownSocketError) {
        timeout.start(connectTimeoutMs_);
        loop.exec();
    }
    connectLoop_ = nullptr;
    busy.reset();

    if (socket->state() == QAbstractSocket::ConnectedState && !cancelled_) {
        socket->disconnect(&loop);
        socket_ = socket;
        decoder_ = std::make_unique<CMsgDecoder>();
        open_ = true;
        // Past this the system's own buffers hold the rest, and a hub that
        // sends faster than the window can show is slowed down by TCP.
        socket->setReadBufferSize(kReadBufferBytes);
        connect(socket, &QTcpSocket::readyRead, this, &CChatSocket::OnReadyRead);
        // Queued: a peer that closes is noticed after the bytes it sent last.
        connect(
            socket, &QTcpSocket::disconnected, this, [this, socket] { OnPeerClosed(socket); },
            Qt::QueuedConnection);
        // The hub greets at once; that greeting is handled once the caller has
        // finished with the connect, as the next event.
        if (socket->bytesAvailable() > 0)
            QMetaObject::invokeMethod(this, &CChatSocket::OnReadyRead, Qt::QueuedConnection);
        result.status = ConnectStatus::Connected;
        return result;
    }
    if (cancelled_) {
        result.status = ConnectStatus::Cancelled;
    } else if (socket->error() == QAbstractSocket::UnknownSocketError) {
        result.errorText = TimeoutText();
    } else {
        result.errorText = SocketErrorText(*socket);
    }
    socket->abort();
    socket->deleteLater();
    return result;
}

void CChatSocket::CancelConnect() {
    if (!connectLoop_)
        return;
    cancelled_ = true;
    connectLoop_->quit();
}

bool CChatSocket::Send(const CMsg& msg, std::string& errorText) {
    if (!open_ || !socket_) {
        errorText = Sjis("サーバに接続していません。");
        return false;
    }
    if (socket_->bytesToWrite() > kMaxUnsentBytes) {
        errorText = Sjis("サーバが受信していないため、送信できません。");
        return false;
    }
    const std::string bytes = msg.Encode();
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
    decoder_.reset();
    QTcpSocket* socket = socket_.data();
    socket_.clear();
    if (!socket)
        return;
    socket->disconnect(this);
    // What was written still goes out; then the sending direction closes.
    socket->flush();
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
    } else {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // A hub that never answers the shutdown is not waited for forever.
        QTimer::singleShot(5000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    }
}

void CChatSocket::OnReadyRead() {
    if (connectLoop_)
        return;  // handled once Connect has returned
    if (reading_) {
        // A message box of the record being handled runs its own event loop;
        // the next records wait until that record is done.
        readAgain_ = true;
        return;
    }
    ProcessPendingRead();
}

void CChatSocket::ProcessPendingRead() {
    reading_ = true;
    int handled = 0;
    bool yielded = false;
    do {
        readAgain_ = false;
        Trace("CYarrowView::ProcessPendingRead\r\n");
        while (open_ && socket_ && decoder_) {
            if (socket_->bytesAvailable() > 0)
                decoder_->Feed(socket_->readAll().toStdString());
            CMsg msg;
            const auto status = decoder_->Next(msg);
            if (status == CMsgDecoder::Status::NeedMore) {
                if (socket_->bytesAvailable() > 0)
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
                // A long burst is handled in turns so the window keeps
                // painting and taking input in between.
                QMetaObject::invokeMethod(this, &CChatSocket::OnReadyRead, Qt::QueuedConnection);
                yielded = true;
                break;
            }
        }
    } while (readAgain_ && open_ && !yielded);
    reading_ = false;
}

void CChatSocket::OnPeerClosed(QTcpSocket* socket) {
    if (!open_ || socket_.data() != socket)
        return;
    if (reading_) {
        // Finish the record being handled first, then look again.
        QMetaObject::invokeMethod(
            this, [this, socket] { OnPeerClosed(socket); }, Qt::QueuedConnection);
        return;
    }
    ProcessPendingRead();  // the hub's last records, its Close among them
    if (!open_ || socket_.data() != socket)
        return;
    if (session_)
        session_->ReceiveFailed(Sjis("サーバとの接続が切れました。"));
    if (open_)
        Close();
}

}  // namespace yarrow
