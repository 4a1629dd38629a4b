#pragma once
// TCP keepalive on a connected socket, for both ends of a session: a peer
// whose machine vanished (power cut, network gone) sends no FIN, and a quiet
// table would otherwise keep it in the member list, or keep a window believing
// it is connected, for as long as nobody speaks. With these settings the
// system finds out after about two minutes of silence, and the connection
// ends as if the peer had dropped it (the hub lets the member go; the window
// starts reconnecting).

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace yarrow {

inline constexpr int kKeepAliveIdleSeconds = 60;
inline constexpr int kKeepAliveIntervalSeconds = 10;
inline constexpr int kKeepAliveProbes = 6;

// Best effort: a socket that refuses an option works as before.
inline void EnableKeepAlive(int fd) {
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleSeconds,
                 sizeof kKeepAliveIdleSeconds);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalSeconds,
                 sizeof kKeepAliveIntervalSeconds);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof kKeepAliveProbes);
}

}  // namespace yarrow
