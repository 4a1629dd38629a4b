#pragma once
// Runs a hub on its own thread and event loop, listening on port 0, so that
// benchmark clients can block on their sockets in the main thread while the
// hub relays.

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>
#include <string>
#include <vector>

#include "net/CMsgDecoder.h"
#include "net/posix/CHubThread.h"

namespace yarrow::bench {

// The hub on its own thread, as a hosting window runs it.
class HubThread {
  public:
    // Starts the thread once the hub listens; returns its port.
    int StartHub() {
        hub_.Network().Hub().ConnectSocket(0);
        const int port = hub_.Network().Port();
        hub_.Start();
        return port;
    }

  private:
    CHubThread hub_;
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
