#pragma once
// A participant without a window, for tests against a hub on real sockets: a
// socket on 127.0.0.1 and a decoder that keeps every record it receives, in
// arrival order, for QTRY_ checks to wait on.

#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/CMsg.h"
#include "net/CMsgDecoder.h"

namespace yarrow::test {

class RawHubClient {
  public:
    explicit RawHubClient(int port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            const QByteArray data = socket.readAll();
            decoder.Feed(std::string_view(data.constData(), data.size()));
            CMsg msg;
            while (decoder.Next(msg) == CMsgDecoder::Status::Record)
                records.push_back(msg);
        });
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    }
    void Send(const CMsg& msg) { socket.write(QByteArray::fromStdString(msg.Encode())); }
    // Raw bytes, well formed or not.
    void Send(const std::string& bytes) { socket.write(QByteArray::fromStdString(bytes)); }
    void Send(std::int32_t type, std::int32_t id, const std::string& name,
              const std::string& text) {
        CMsg msg;
        msg.Type = type;
        msg.ID = id;
        msg.Name = name;
        msg.Text = text;
        Send(msg);
    }

    QTcpSocket socket;
    CMsgDecoder decoder;
    std::vector<CMsg> records;
};

}  // namespace yarrow::test
