#pragma once
// One accepted participant on a QTcpSocket, as the hub's IHubConnection.
// Reads are handed to the hub as they arrive, unless the hub has paused the
// connection; writes go into the socket's own buffer, and once the hub has
// handled a read the network flushes every buffer written meanwhile, so each
// peer gets what it is owed in one send without waiting for another turn of
// the event loop. What the network does not take leaves when it can; the hub
// never waits.
// The object frees itself (deleteLater) once the hub lets go of it.

#include <QObject>
#include <QTcpSocket>
#include <cstdint>

#include "net/IHubConnection.h"

namespace yarrow {

class CQtHubNetwork;
class CYarrowServ;

class CQtHubConnection : public QObject, public IHubConnection {
    Q_OBJECT
  public:
    // Takes ownership of `socket`; `network` is the parent.
    CQtHubConnection(QTcpSocket* socket, CYarrowServ* hub, CQtHubNetwork* network);
    ~CQtHubConnection() override;

    // Called once the hub has registered the connection under `id`.
    void Attach(std::int32_t id);

    bool Write(std::string_view bytes, std::string& errorText) override;
    std::size_t UnsentBytes() const override;
    void SetReadingPaused(bool paused) override;
    void CloseGracefully() override;
    void Abort() override;

    // Flushes what the kernel takes now, without waiting; used before the
    // process or the network object goes away.
    void FlushNow();
    // Sends what was written since the last flush, as far as the network
    // takes it now.
    void FlushWritten();

  signals:
    // Emitted once when the object is about to go away.
    void finished();

  private slots:
    void OnReadyRead();
    void OnBytesWritten();
    void OnDisconnected();
    void OnError(QAbstractSocket::SocketError error);

  private:
    void HandOver();
    void Lost(const std::string& errorText);
    void Detach();
    void Finish();

    void SetPaused(bool paused);

    QTcpSocket* socket_;
    CYarrowServ* hub_;
    CQtHubNetwork* network_;
    std::int32_t id_ = -1;
    bool finishing_ = false;
    bool paused_ = false;
    bool written_ = false;  // on the network's list of sockets to flush
};

}  // namespace yarrow
