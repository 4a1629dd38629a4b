#pragma once
// Ending a TCP connection without losing what the peer has not read yet.
//
// Closing a socket outright makes the system answer any bytes the peer still
// sends with a reset, and a reset throws away whatever the peer had received
// but not yet read: a burst of records and the goodbye at its end. So the
// sending direction is shut down only once everything queued has left; what
// the peer still sends is read and discarded until it closes its end too, or
// until `lingerMs` have passed.

#include <functional>

class QTcpSocket;

namespace yarrow {

// `done` runs once, when the socket is closed (it is not deleted here).
void CloseAfterSending(QTcpSocket& socket, int lingerMs, std::function<void()> done);

}  // namespace yarrow
