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
    // Connects from `from` when given (any loopback address), else from
    // wherever the system picks.
    explicit RawHubClient(int port, const QHostAddress& from = QHostAddress()) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            const QByteArray data = socket.readAll();
            received.append(data.constData(), static_cast<std::size_t>(data.size()));
            decoder.Feed(std::string_view(data.constData(), data.size()));
            CMsg msg;
            while (decoder.Next(msg) == CMsgDecoder::Status::Record)
                records.push_back(std::move(msg));
        });
        if (!from.isNull())
            socket.bind(from);
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    }
    // Whole records or raw bytes, well formed or not.
    void Send(const CMsg& msg) { Send(msg.Encode()); }
    void Send(const std::string& bytes) {
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void Send(std::int32_t type, std::int32_t id, const std::string& name,
              const std::string& text) {
        CMsg msg;
        msg.Type = type;
        msg.ID = id;
        msg.Name = name;
        msg.Text = text;
        Send(msg);
    }
    // From now on nothing is read: the hub's bytes pile up in the network.
    void StopReading() {
        QObject::disconnect(&socket, &QTcpSocket::readyRead, nullptr, nullptr);
        socket.setReadBufferSize(1);
    }

    // The bytes of record `index` as they arrived (the codec writes back
    // exactly what it read, so the lengths of the records before it place it).
    std::string RawRecord(std::size_t index) const {
        std::size_t offset = 0;
        for (std::size_t i = 0; i < index; ++i)
            offset += records[i].Encode().size();
        return received.substr(offset, records[index].Encode().size());
    }

    QTcpSocket socket;
    CMsgDecoder decoder;
    std::vector<CMsg> records;
    std::string received;
};

}  // namespace yarrow::test
