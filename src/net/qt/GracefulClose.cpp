#include "net/qt/GracefulClose.h"

#include <sys/socket.h>

#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace yarrow {

void CloseAfterSending(QTcpSocket& socket, int lingerMs, std::function<void()> done) {
    QTcpSocket* s = &socket;
    struct State {
        bool shut = false;
        bool finished = false;
    };
    auto state = std::make_shared<State>();
    auto finish = [s, state, done = std::move(done)] {
        if (state->finished)
            return;
        state->finished = true;
        s->disconnect();
        s->abort();
        if (done)
            done();
    };
    if (s->state() != QAbstractSocket::ConnectedState) {
        finish();
        return;
    }
    QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
    QObject::connect(s, &QTcpSocket::disconnected, s, finish);
    QObject::connect(s, &QTcpSocket::errorOccurred, s, finish);
    auto* timer = new QTimer(s);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, s, finish);
    timer->start(lingerMs);
    auto shutWhenSent = [s, state] {
        if (state->shut || s->bytesToWrite() > 0)
            return;
        state->shut = true;
        ::shutdown(static_cast<int>(s->socketDescriptor()), SHUT_WR);
    };
    QObject::connect(s, &QTcpSocket::bytesWritten, s, shutWhenSent);
    s->flush();
    shutWhenSent();
}

}  // namespace yarrow
