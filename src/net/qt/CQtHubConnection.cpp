#include "net/qt/CQtHubConnection.h"

#include "net/CYarrowServ.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {
// How much one read hands to the hub, and how much Qt may buffer ahead of it:
// a fast sender is read in slices instead of piling up in memory.
constexpr qint64 kReadSlice = 256 * 1024;
// How long a closing connection may take to deliver its last bytes.
constexpr int kLingerMs = 5000;
}  // namespace

CQtHubConnection::CQtHubConnection(QTcpSocket* socket, CYarrowServ* hub, QObject* parent)
    : QObject(parent), socket_(socket), hub_(hub) {
    socket_->setParent(this);
    socket_->setReadBufferSize(kReadSlice);
    lingerTimer_.setSingleShot(true);
    connect(&lingerTimer_, &QTimer::timeout, this, [this] {
        socket_->abort();
        Finish();
    });
}

CQtHubConnection::~CQtHubConnection() = default;

void CQtHubConnection::Attach(std::int32_t id) {
    id_ = id;
    connect(socket_, &QTcpSocket::readyRead, this, &CQtHubConnection::OnReadyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &CQtHubConnection::OnDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &CQtHubConnection::OnError);
    // Bytes that came in before the signals were connected.
    if (socket_->bytesAvailable() > 0) {
        QMetaObject::invokeMethod(this, &CQtHubConnection::OnReadyRead, Qt::QueuedConnection);
    }
}

void CQtHubConnection::Write(std::string_view bytes) {
    if (finishing_)
        return;
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::size_t CQtHubConnection::UnsentBytes() const {
    return static_cast<std::size_t>(socket_->bytesToWrite());
}

void CQtHubConnection::FlushNow() {
    if (socket_->state() == QAbstractSocket::ConnectedState)
        socket_->flush();
}

void CQtHubConnection::CloseGracefully() {
    Detach();
    FlushNow();
    if (socket_->state() == QAbstractSocket::UnconnectedState) {
        Finish();
        return;
    }
    // disconnectFromHost sends what is queued, then shuts the sending
    // direction; the peer's close (or the linger timeout) ends it.
    connect(socket_, &QTcpSocket::disconnected, this, &CQtHubConnection::Finish,
            Qt::UniqueConnection);
    lingerTimer_.start(kLingerMs);
    socket_->disconnectFromHost();
}

void CQtHubConnection::Abort() {
    Detach();
    socket_->abort();
    Finish();
}

void CQtHubConnection::Detach() {
    id_ = -1;
    disconnect(socket_, &QTcpSocket::readyRead, this, nullptr);
    disconnect(socket_, &QTcpSocket::errorOccurred, this, nullptr);
    disconnect(socket_, &QTcpSocket::disconnected, this, &CQtHubConnection::OnDisconnected);
}

void CQtHubConnection::Finish() {
    if (finishing_)
        return;
    finishing_ = true;
    lingerTimer_.stop();
    emit finished();
    // Deferred: the hub may let go of us from inside one of our own slots.
    deleteLater();
}

void CQtHubConnection::OnReadyRead() {
    while (id_ > 0 && socket_->bytesAvailable() > 0) {
        const QByteArray data = socket_->read(kReadSlice);
        if (data.isEmpty())
            break;
        hub_->ProcessPendingRead(id_, std::string_view(data.constData(), data.size()));
    }
}

void CQtHubConnection::OnDisconnected() {
    OnReadyRead();  // what the peer said before it went is still relayed
    if (id_ > 0) {
        const std::int32_t id = id_;
        hub_->ConnectionLost(id, Utf8ToCp932("the participant closed the connection").text);
    }
}

void CQtHubConnection::OnError(QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;  // OnDisconnected follows
    OnReadyRead();
    if (id_ > 0) {
        const std::int32_t id = id_;
        hub_->ConnectionLost(id, Utf8ToCp932(socket_->errorString().toStdString()).text);
    }
}

}  // namespace yarrow
