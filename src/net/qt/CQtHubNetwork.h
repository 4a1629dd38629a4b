#pragma once
// The hub on Qt sockets: a QTcpServer listening on all local addresses, one
// CQtHubConnection per participant, and the CYarrowServ they feed, all on the
// one event loop. It owns the hub and destroys it first, so the hub's
// shutdown still reaches every connection.

#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <memory>

#include "net/CYarrowServ.h"
#include "net/IHubListener.h"

namespace yarrow {

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
};

}  // namespace yarrow
