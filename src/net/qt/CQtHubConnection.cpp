#include "net/qt/CQtHubConnection.h"

#include "net/CYarrowServ.h"
#include "net/qt/CQtHubNetwork.h"
#include "net/qt/GracefulClose.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {
// How much one read hands to the hub, and how much Qt may buffer ahead of it:
// a fast sender is read in slices instead of piling up in memory.
constexpr qint64 kReadSlice = 256 * 1024;
// How long a closing connection may take to deliver its last bytes.
constexpr int kLingerMs = 5000;
}  // namespace

CQtHubConnection::CQtHubConnection(QTcpSocket* socket, CYarrowServ* hub, CQtHubNetwork* network)
    : QObject(network), socket_(socket), hub_(hub), network_(network) {
    socket_->setParent(this);
    socket_->setReadBufferSize(kReadSlice);
}

CQtHubConnection::~CQtHubConnection() {
    // The socket, our child, outlives this destructor, and one still closing
    // says "disconnected" from its own: what it would call of ours is gone.
    socket_->disconnect();
}

void CQtHubConnection::Attach(std::int32_t id) {
    id_ = id;
    connect(socket_, &QTcpSocket::readyRead, this, &CQtHubConnection::OnReadyRead);
    // Queued: the hub may resume reading and relay from there, which must
    // never happen inside one of its own writes.
    connect(socket_, &QTcpSocket::bytesWritten, this, &CQtHubConnection::OnBytesWritten,
            Qt::QueuedConnection);
    connect(socket_, &QTcpSocket::disconnected, this, &CQtHubConnection::OnDisconnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &CQtHubConnection::OnError);
    // Bytes that came in before the signals were connected.
    if (socket_->bytesAvailable() > 0) {
        QMetaObject::invokeMethod(this, &CQtHubConnection::OnReadyRead, Qt::QueuedConnection);
    }
}

bool CQtHubConnection::Write(std::string_view bytes, std::string& errorText) {
    if (finishing_)
        return true;
    if (socket_->write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
        errorText = Utf8ToCp932(socket_->errorString().toStdString()).text;
        return false;
    }
    if (!written_) {
        written_ = true;
        network_->Written(this);
    }
    return true;
}

void CQtHubConnection::SetPaused(bool paused) {
    if (paused_ == paused)
        return;
    paused_ = paused;
    network_->PausedChanged(paused);
}

void CQtHubConnection::SetReadingPaused(bool paused) {
    if (paused_ == paused)
        return;
    SetPaused(paused);
    // What arrived meanwhile waits in the socket's buffer; readyRead will not
    // say so again.
    if (!paused_ && socket_->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &CQtHubConnection::OnReadyRead, Qt::QueuedConnection);
}

std::size_t CQtHubConnection::UnsentBytes() const {
    return static_cast<std::size_t>(socket_->bytesToWrite());
}

void CQtHubConnection::FlushNow() {
    if (socket_->state() == QAbstractSocket::ConnectedState)
        socket_->flush();
}

void CQtHubConnection::FlushWritten() {
    written_ = false;
    if (!finishing_)
        FlushNow();
}

void CQtHubConnection::CloseGracefully() {
    Detach();
    CloseAfterSending(*socket_, kLingerMs, [this] { Finish(); });
}

void CQtHubConnection::Abort() {
    Detach();
    socket_->abort();
    Finish();
}

void CQtHubConnection::Detach() {
    id_ = -1;
    SetPaused(false);
    disconnect(socket_, &QTcpSocket::readyRead, this, nullptr);
    disconnect(socket_, &QTcpSocket::bytesWritten, this, nullptr);
    disconnect(socket_, &QTcpSocket::errorOccurred, this, nullptr);
    disconnect(socket_, &QTcpSocket::disconnected, this, &CQtHubConnection::OnDisconnected);
}

void CQtHubConnection::Finish() {
    if (finishing_)
        return;
    finishing_ = true;
    if (written_)
        network_->Forget(this);
    written_ = false;
    emit finished();
    // Deferred: the hub may let go of us from inside one of our own slots.
    deleteLater();
}

void CQtHubConnection::OnReadyRead() {
    if (!paused_)
        HandOver();
}

void CQtHubConnection::HandOver() {
    // Slice by slice, so the hub can pause us between two of them.
    char* buffer = network_->ReadBuffer(kReadSlice);
    while (id_ > 0 && socket_->bytesAvailable() > 0) {
        const qint64 n = socket_->read(buffer, kReadSlice);
        if (n <= 0)
            break;
        hub_->ProcessPendingRead(id_, std::string_view(buffer, static_cast<std::size_t>(n)));
        if (paused_)
            break;
    }
    network_->FlushWritten();
}

void CQtHubConnection::OnBytesWritten() {
    // The hub waits for send progress only while it has paused some reading.
    if (id_ > 0 && network_->AnyPaused()) {
        hub_->SendProgress(id_);
        network_->FlushWritten();
    }
}

void CQtHubConnection::OnDisconnected() {
    Lost(Utf8ToCp932("the participant closed the connection").text);
}

void CQtHubConnection::OnError(QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::RemoteHostClosedError && socket_->bytesToWrite() == 0)
        return;  // a plain close: OnDisconnected follows
    const std::string text = Utf8ToCp932(socket_->errorString().toStdString()).text;
    if (socket_->bytesToWrite() > 0 && id_ > 0) {
        // Bytes were still on their way to the peer: that send failed.
        hub_->SendFailed(id_, text);
        return;
    }
    Lost(text);
}

void CQtHubConnection::Lost(const std::string& errorText) {
    if (id_ <= 0)
        return;
    // What the peer said before it went is relayed, paused or not: the
    // socket's buffer holds at most one read slice of it.
    const bool paused = paused_;
    paused_ = false;
    HandOver();
    if (id_ > 0) {
        paused_ = paused;
    } else if (paused) {
        network_->PausedChanged(false);  // let go while its pause was lifted
    }
    if (id_ > 0)
        hub_->ConnectionLost(id_, errorText);
}

}  // namespace yarrow
