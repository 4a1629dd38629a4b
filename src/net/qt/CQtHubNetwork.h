#pragma once
// The hub on Qt sockets: a QTcpServer listening on all local addresses, one
// CQtHubConnection per participant, and the CYarrowServ they feed, all on the
// one event loop. It owns the hub and destroys it first, so the hub's
// shutdown still reaches every connection.
//
// After each read the hub handles, every socket written to meanwhile is
// flushed once: a record reaches the peers in the same turn of the event loop,
// and records relayed together leave together.

#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <memory>
#include <vector>

#include "net/CYarrowServ.h"
#include "net/IHubListener.h"

namespace yarrow {

class CQtHubConnection;

class CQtHubNetwork : public QObject, public IHubListener {
    Q_OBJECT
  public:
    // `clock` (null: the system clock) is the hub's, for telling stalled
    // peers.
    explicit CQtHubNetwork(IPrompter* prompter = nullptr, ISound* sound = nullptr,
                           QObject* parent = nullptr, const IClock* clock = nullptr);
    ~CQtHubNetwork() override;

    CYarrowServ& Hub() { return *hub_; }

    bool Listen(int port, std::string& errorText, int& errorCode) override;
    void StopListening() override;
    int Port() const override;

    // Accepted connections that have not finished yet, including those still
    // delivering their last bytes after the hub let go of them.
    int LiveConnections() const { return live_; }

    // For the connections: `connection` was written to and waits for
    // FlushWritten, or has gone and must not be flushed.
    void Written(CQtHubConnection* connection) { written_.push_back(connection); }
    void Forget(CQtHubConnection* connection);
    void FlushWritten();
    void PausedChanged(bool paused) { paused_ += paused ? 1 : -1; }
    bool AnyPaused() const { return paused_ > 0; }
    // One read's worth of space, shared by all connections.
    char* ReadBuffer(std::size_t size);

  signals:
    // A participant was accepted under `id` from `peer` (address:port).
    void accepted(int id, const QString& peer);
    // The last live connection has finished.
    void drained();

  private slots:
    void OnNewConnection();

  private:
    std::unique_ptr<QTcpServer> server_;
    std::unique_ptr<CYarrowServ> hub_;
    QTimer stallTimer_;
    int live_ = 0;
    int paused_ = 0;
    std::vector<CQtHubConnection*> written_;
    std::vector<char> readBuffer_;
};

}  // namespace yarrow
