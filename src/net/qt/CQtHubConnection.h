#pragma once
// One accepted participant on a QTcpSocket, as the hub's IHubConnection.
// Reads are handed to the hub as they arrive, unless the hub has paused the
// connection; writes go into the socket's own buffer and leave when the
// network takes them, so the hub never waits.
// The object frees itself (deleteLater) once the hub lets go of it.

#include <QObject>
#include <QTcpSocket>
#include <cstdint>

#include "net/IHubConnection.h"

namespace yarrow {

class CYarrowServ;

class CQtHubConnection : public QObject, public IHubConnection {
    Q_OBJECT
  public:
    // Takes ownership of `socket`.
    CQtHubConnection(QTcpSocket* socket, CYarrowServ* hub, QObject* parent);
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

    QTcpSocket* socket_;
    CYarrowServ* hub_;
    std::int32_t id_ = -1;
    bool finishing_ = false;
    bool paused_ = false;
};

}  // namespace yarrow
