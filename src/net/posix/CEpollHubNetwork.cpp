#include "net/posix/CEpollHubNetwork.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "net/posix/CEpollHubConnection.h"
#include "net/posix/KeepAlive.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

// Accepting pauses this long when the process is out of descriptors, instead
// of being told the same again on every turn.
constexpr std::chrono::milliseconds kAcceptBackoff{1000};
// Connections the system queues until they are accepted: room for a crowd
// arriving at once, which would otherwise wait for its peers' connection
// retries, seconds apart.
constexpr int kListenQueue = 1024;

std::string SystemText(int error) {
    return Utf8ToCp932(std::strerror(error)).text;
}

std::string PeerText(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = "?";
    unsigned port = 0;
    if (address.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
        port = ntohs(a.sin6_port);
        if (IN6_IS_ADDR_V4MAPPED(&a.sin6_addr)) {
            ::inet_ntop(AF_INET, &a.sin6_addr.s6_addr[12], host, sizeof host);
        } else {
            ::inet_ntop(AF_INET6, &a.sin6_addr, host, sizeof host);
        }
    } else if (address.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(address);
        port = ntohs(a.sin_port);
        ::inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
    }
    return std::string(host) + ":" + std::to_string(port);
}

// A listening socket on every local address, IPv6 and IPv4 alike where the
// system has IPv6; -1 with errno set on failure.
int OpenListener(int port) {
    int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    const int zero = 0;
    if (fd >= 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_any;
        a.sin6_port = htons(static_cast<std::uint16_t>(port));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::listen(fd, kListenQueue) == 0)
            return fd;
        const int error = errno;
        ::close(fd);
        // Without IPv6 the IPv4 socket below serves; any other reason holds
        // for it too.
        if (error != EAFNOSUPPORT && error != EADDRNOTAVAIL) {
            errno = error;
            return -1;
        }
    }
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::listen(fd, kListenQueue) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

int OpenSpare() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

// Out of descriptors, the spare one makes room for the connection waiting
// longest: it is accepted and closed at once, so that its peer is refused
// rather than left waiting for an answer that cannot come. Returns the peer's
// address:port, or nothing with errno set when no connection was taken.
std::optional<std::string> AcceptAndClose(int listener, int& spare, int limitError) {
    if (spare < 0) {
        errno = limitError;
        return std::nullopt;
    }
    ::close(spare);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int fd =
        ::accept4(listener, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    spare = OpenSpare();
    if (fd < 0) {
        errno = error;
        return std::nullopt;
    }
    return PeerText(address);
}

}  // namespace

CEpollHubNetwork::CEpollHubNetwork(CEpollLoop& loop, IPrompter* prompter, ISound* sound,
                                   const IClock* clock)
    : loop_(loop),
      hub_(std::make_unique<CYarrowServ>(this, prompter, sound, clock)),
      alive_(std::make_shared<bool>(true)) {
    std::weak_ptr<bool> alive = alive_;
    loop_.AtEndOfTurn([this, alive] {
        if (!alive.expired())
            EndOfTurn();
    });
}

CEpollHubNetwork::~CEpollHubNetwork() {
    // The hub's own shutdown writes to the connections, so it goes first;
    // then whatever the network takes now is pushed out before they close.
    hub_.reset();
    for (const auto& c : connections_)
        c->Flush();
    dirty_.clear();
    connections_.clear();
    StopListening();
}

bool CEpollHubNetwork::Listen(int port, std::string& errorText, int& errorCode) {
    StopListening();
    std::string loopError;
    if (!loop_.Ok(&loopError)) {
        errorText = Utf8ToCp932(loopError).text;
        errorCode = -1;
        return false;
    }
    if (port < 0 || port > 65535) {
        errorText = Utf8ToCp932("the port number is out of range").text;
        errorCode = EINVAL;
        return false;
    }
    listener_ = OpenListener(port);
    if (listener_ < 0 || !loop_.Watch(listener_, EPOLLIN, this, &loopError)) {
        errorCode = errno;
        errorText = listener_ < 0 ? SystemText(errno) : Utf8ToCp932(loopError).text;
        if (listener_ >= 0)
            ::close(listener_);
        listener_ = -1;
        return false;
    }
    spare_ = OpenSpare();
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                              : reinterpret_cast<sockaddr_in&>(bound).sin_port);
    stallTimer_ = loop_.AddTimer(
        std::chrono::milliseconds(1000), [this] { hub_->CheckStalledPeers(); }, true);
    return true;
}

void CEpollHubNetwork::StopListening() {
    if (stallTimer_ != 0)
        loop_.CancelTimer(stallTimer_);
    stallTimer_ = 0;
    if (backoffTimer_ != 0)
        loop_.CancelTimer(backoffTimer_);
    backoffTimer_ = 0;
    if (listener_ >= 0) {
        loop_.Unwatch(listener_, this);
        ::close(listener_);
    }
    listener_ = -1;
    if (spare_ >= 0)
        ::close(spare_);
    spare_ = -1;
    port_ = 0;
}

int CEpollHubNetwork::LiveConnections() const {
    return static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                          [](const auto& c) { return !c->Finished(); }));
}

bool CEpollHubNetwork::AllDelivered() const {
    return std::all_of(connections_.begin(), connections_.end(),
                       [](const auto& c) { return c->Delivered(); });
}

void CEpollHubNetwork::OnEvents(std::uint32_t) {
    Accept();
}

void CEpollHubNetwork::Accept() {
    // A bounded batch per turn, so a flood of connections cannot starve the
    // participants already there.
    for (int i = 0; i < 64 && listener_ >= 0; ++i) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = ::accept4(listener_, reinterpret_cast<sockaddr*>(&address), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            int error = errno;
            if (error == EMFILE || error == ENFILE) {
                if (auto peer = AcceptAndClose(listener_, spare_, error)) {
                    if (onRefused_)
                        onRefused_(*peer, SystemText(error));
                    continue;
                }
                if (errno != EMFILE && errno != ENFILE)
                    error = errno;
            }
            if (error == EAGAIN || error == EWOULDBLOCK)
                return;
            if (error == EINTR || error == ECONNABORTED || error == EPROTO)
                continue;
            hub_->AcceptFailed(SystemText(error));
            if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM) {
                // Tried again later, when connections may have closed.
                loop_.Unwatch(listener_, this);
                backoffTimer_ = loop_.AddTimer(kAcceptBackoff, [this] {
                    backoffTimer_ = 0;
                    if (listener_ >= 0)
                        loop_.Watch(listener_, EPOLLIN, this);
                });
            }
            return;
        }
        const std::string peer = PeerText(address);
        const std::string host = peer.substr(0, peer.rfind(':'));
        if (auto why = limits_.Admit(host)) {
            ::close(fd);
            if (onRefused_)
                onRefused_(peer, *why);
            continue;
        }
        // Writes are gathered per turn already; Nagle would only add delay.
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        EnableKeepAlive(fd);
        auto owned = std::make_unique<CEpollHubConnection>(fd, *this);
        CEpollHubConnection* connection = owned.get();
        limitAddress_[connection] = host;
        connections_.push_back(std::move(owned));
        const std::int32_t id = hub_->ProcessPendingAccept(connection);
        if (id > 0) {
            connection->Attach(id);
            if (onAccepted_)
                onAccepted_(id, peer);
        }
        connection->Start();
    }
}

void CEpollHubNetwork::EndOfTurn() {
    // The sends of a turn run side by side; what they mean for each
    // connection is taken in afterwards, one by one. That may fail a
    // connection and make the hub relay to others, who are then sent to in
    // another round.
    while (!dirty_.empty()) {
        flushing_.swap(dirty_);
        dirty_.clear();
        jobs_.clear();
        std::size_t kept = 0;
        for (CEpollHubConnection* connection : flushing_) {
            CParallelSender::Job job;
            if (connection->PrepareFlush(job)) {
                flushing_[kept++] = connection;
                jobs_.push_back(job);
            }
        }
        flushing_.resize(kept);
        sender_.Run(jobs_);
        for (std::size_t i = 0; i < flushing_.size(); ++i)
            flushing_[i]->Sent(jobs_[i]);
    }
    const auto finished = std::erase_if(connections_, [this](const auto& c) {
        if (!c->Finished())
            return false;
        if (auto it = limitAddress_.find(c.get()); it != limitAddress_.end()) {
            limits_.Release(it->second);
            limitAddress_.erase(it);
        }
        return true;
    });
    if (finished > 0 && connections_.empty() && onDrained_)
        onDrained_();
}

}  // namespace yarrow
