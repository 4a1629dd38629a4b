#pragma once
// One participant's connection as the hub sees it. The epoll adapter
// implements it over a non-blocking socket; tests use a fake that records what
// was written.

#include <cstddef>
#include <string>
#include <string_view>

namespace yarrow {

class IHubConnection {
  public:
    virtual ~IHubConnection() = default;
    // Queues bytes for the peer. Never blocks and never calls back into the
    // hub: what the network does not take at once waits in the connection's
    // own buffer. False, with the system's reason, when the connection can
    // take nothing any more.
    virtual bool Write(std::string_view bytes, std::string& errorText) = 0;
    // Bytes queued by Write that the network has not taken yet. Only Write
    // makes it grow (the hub counts on that to look at the queues only after
    // a write that may have taken one above its mark).
    virtual std::size_t UnsentBytes() const = 0;
    // Paused, the connection hands the hub no more bytes and leaves what
    // arrives to the network's buffers, so the peer's sending slows down;
    // resumed, it hands over what has been waiting.
    virtual void SetReadingPaused(bool paused) = 0;
    // The hub is done with the connection: what is queued is still sent, then
    // the sending direction is shut down and the connection frees itself.
    // The hub does not touch the object afterwards.
    virtual void CloseGracefully() = 0;
    // Drops the connection at once, discarding unsent bytes. The hub does not
    // touch the object afterwards.
    virtual void Abort() = 0;
};

}  // namespace yarrow
