#include "net/qt/CQtHubNetwork.h"

#include <QTcpSocket>
#include <algorithm>

#include "net/qt/CQtHubConnection.h"
#include "platform/Cp932.h"

namespace yarrow {

CQtHubNetwork::CQtHubNetwork(IPrompter* prompter, ISound* sound, QObject* parent,
                             const IClock* clock)
    : QObject(parent), hub_(std::make_unique<CYarrowServ>(this, prompter, sound, clock)) {
    stallTimer_.setInterval(1000);
    connect(&stallTimer_, &QTimer::timeout, this, [this] {
        hub_->CheckStalledPeers();
        FlushWritten();
    });
}

CQtHubNetwork::~CQtHubNetwork() {
    // The hub's own shutdown writes to the connections, so it goes first;
    // then whatever they still hold is pushed out before they are destroyed.
    hub_.reset();
    written_.clear();
    for (CQtHubConnection* c : findChildren<CQtHubConnection*>(Qt::FindDirectChildrenOnly)) {
        c->FlushNow();
    }
}

bool CQtHubNetwork::Listen(int port, std::string& errorText, int& errorCode) {
    server_ = std::make_unique<QTcpServer>();
    connect(server_.get(), &QTcpServer::newConnection, this, &CQtHubNetwork::OnNewConnection);
    connect(server_.get(), &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError) {
        hub_->AcceptFailed(Utf8ToCp932(server_->errorString().toStdString()).text);
    });
    if (port < 0 || port > 65535 ||
        !server_->listen(QHostAddress::Any, static_cast<quint16>(port))) {
        errorText = Utf8ToCp932(port < 0 || port > 65535 ? "the port number is out of range"
                                                         : server_->errorString().toStdString())
                        .text;
        errorCode = static_cast<int>(server_->serverError());
        server_.reset();
        return false;
    }
    stallTimer_.start();
    return true;
}

void CQtHubNetwork::StopListening() {
    stallTimer_.stop();
    server_.reset();
}

void CQtHubNetwork::Forget(CQtHubConnection* connection) {
    // Cleared rather than erased: FlushWritten may be walking the list.
    std::replace(written_.begin(), written_.end(), connection,
                 static_cast<CQtHubConnection*>(nullptr));
}

void CQtHubNetwork::FlushWritten() {
    // A failed flush makes the hub drop that peer and perhaps relay to
    // others: the list may grow while it is walked.
    for (std::size_t i = 0; i < written_.size(); ++i) {
        if (CQtHubConnection* c = written_[i])
            c->FlushWritten();
    }
    written_.clear();
}

char* CQtHubNetwork::ReadBuffer(std::size_t size) {
    if (readBuffer_.size() < size)
        readBuffer_.resize(size);
    return readBuffer_.data();
}

int CQtHubNetwork::Port() const {
    return server_ ? server_->serverPort() : 0;
}

void CQtHubNetwork::OnNewConnection() {
    while (server_ && server_->hasPendingConnections()) {
        QTcpSocket* socket = server_->nextPendingConnection();
        auto* connection = new CQtHubConnection(socket, hub_.get(), this);
        ++live_;
        connect(connection, &CQtHubConnection::finished, this, [this] {
            if (--live_ == 0)
                emit drained();
        });
        const std::int32_t id = hub_->ProcessPendingAccept(connection);
        if (id > 0) {
            connection->Attach(id);
            emit accepted(
                id, socket->peerAddress().toString() + ":" + QString::number(socket->peerPort()));
        }
    }
    FlushWritten();
}

}  // namespace yarrow
