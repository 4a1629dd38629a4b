#pragma once
// Runs a hub (CQtHubNetwork) on its own thread and event loop, listening on
// 127.0.0.1 port 0, so that benchmark clients can block on their sockets in
// the main thread while the hub relays.

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>
#include <atomic>
#include <string>
#include <vector>

#include "net/CMsgDecoder.h"
#include "net/qt/CQtHubNetwork.h"

namespace yarrow::bench {

class HubThread : public QThread {
  public:
    ~HubThread() override {
        quit();
        wait();
    }
    // Starts the thread and waits until the hub listens; returns its port.
    int StartHub() {
        start();
        while (port_.load() == 0)
            QThread::msleep(1);
        return port_.load();
    }

  protected:
    void run() override {
        CQtHubNetwork network;
        network.Hub().ConnectSocket(0);
        port_.store(network.Port());
        exec();
        network.Hub().Disconnection();
    }

  private:
    std::atomic<int> port_{0};
};

// A participant on a blocking socket.
class Client {
  public:
    bool Connect(int port) {
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (!socket.waitForConnected(5000))
            return false;
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return WaitFor(1);
    }
    // Reads until `count` records have arrived in all.
    bool WaitFor(std::size_t count) {
        while (received < count) {
            if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(5000))
                return false;
            const QByteArray data = socket.readAll();
            decoder.Feed(std::string_view(data.constData(), data.size()));
            while (decoder.Next(last) == CMsgDecoder::Status::Record)
                ++received;
        }
        return true;
    }
    void Send(const std::string& bytes) {
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket.flush();
    }

    QTcpSocket socket;
    CMsgDecoder decoder;
    CMsg last;
    std::size_t received = 0;
};

}  // namespace yarrow::bench
