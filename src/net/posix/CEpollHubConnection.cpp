#include "net/posix/CEpollHubConnection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/CYarrowServ.h"
#include "net/posix/CEpollHubNetwork.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {
// How long a closing connection may take to deliver its last bytes.
constexpr std::chrono::milliseconds kLinger{5000};
// A buffer that grew this large for a burst is given back once it is empty.
constexpr std::size_t kKeptCapacity = 1024u * 1024u;

std::string SystemText(int error) {
    return Utf8ToCp932(std::strerror(error)).text;
}
}  // namespace

CEpollHubConnection::CEpollHubConnection(int fd, CEpollHubNetwork& network)
    : fd_(fd), network_(network), hub_(&network.Hub()) {}

CEpollHubConnection::~CEpollHubConnection() {
    if (fd_ >= 0) {
        network_.Loop().Release(fd_, this);
        // Closed with unread bytes, the socket would reset the connection,
        // and the peer's system could throw away what it has not read yet
        // (the goodbye above all). What the peer sent is of no use now.
        char buffer[4096];
        for (int i = 0; i < 64 && ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) > 0; ++i) {
        }
        ::close(fd_);
    }
    if (lingerTimer_ != 0)
        network_.Loop().CancelTimer(lingerTimer_);
}

void CEpollHubConnection::Attach(std::int32_t id) {
    id_ = id;
}

void CEpollHubConnection::Start() {
    UpdateInterest();
}

bool CEpollHubConnection::Write(std::string_view bytes, std::string&) {
    if (state_ != State::Open)
        return true;
    out_.append(bytes);
    if (!dirty_) {
        dirty_ = true;
        network_.MarkDirty(this);
    }
    return true;
}

void CEpollHubConnection::SetReadingPaused(bool paused) {
    if (paused_ == paused || state_ != State::Open)
        return;
    paused_ = paused;
    network_.PausedChanged(paused);
    UpdateInterest();
}

void CEpollHubConnection::CloseGracefully() {
    if (state_ != State::Open)
        return;
    id_ = -1;
    if (paused_) {
        paused_ = false;
        network_.PausedChanged(false);
    }
    state_ = State::Closing;
    lingerTimer_ = network_.Loop().AddTimer(kLinger, [this] {
        lingerTimer_ = 0;
        Finish();
    });
    // What is queued leaves at the end of the turn, then the sending side
    // is shut down; until the peer closes, what it sends is read and dropped.
    if (!dirty_) {
        dirty_ = true;
        network_.MarkDirty(this);
    }
    UpdateInterest();
}

void CEpollHubConnection::Abort() {
    id_ = -1;
    Finish();
}

void CEpollHubConnection::Finish() {
    if (state_ == State::Finished)
        return;
    if (paused_) {
        paused_ = false;
        network_.PausedChanged(false);
    }
    state_ = State::Finished;
    id_ = -1;
    if (lingerTimer_ != 0) {
        network_.Loop().CancelTimer(lingerTimer_);
        lingerTimer_ = 0;
    }
    network_.Loop().Release(fd_, this);
    ::close(fd_);
    fd_ = -1;
    out_ = std::string();
    sent_ = 0;
}

void CEpollHubConnection::OnReceived(const char* data, long result) {
    receiving_ = false;
    if (state_ == State::Finished)
        return;
    if (result > 0) {
        if (state_ == State::Open)
            hub_->ProcessPendingRead(id_, std::string_view(data, static_cast<std::size_t>(result)));
        // Closing, the peer's words are dropped until it closes too.
        UpdateInterest();
        return;
    }
    if (result == -EAGAIN || result == -EWOULDBLOCK || result == -EINTR || result == -ENOBUFS) {
        UpdateInterest();
        return;
    }
    if (state_ == State::Closing) {
        Finish();
        return;
    }
    if (result == 0) {
        Lost(Utf8ToCp932("the participant closed the connection").text);
    } else if (UnsentBytes() > 0) {
        // Bytes were still on their way to the peer: that send failed.
        Failed(SystemText(static_cast<int>(-result)));
    } else {
        Lost(SystemText(static_cast<int>(-result)));
    }
}

void CEpollHubConnection::OnWritable() {
    waiting_ = false;
    if (state_ != State::Finished)
        Flush();
}

void CEpollHubConnection::Lost(const std::string& errorText) {
    if (id_ > 0) {
        hub_->ConnectionLost(id_, errorText);
        return;
    }
    Finish();
}

void CEpollHubConnection::Failed(const std::string& errorText) {
    if (id_ > 0) {
        hub_->SendFailed(id_, errorText);
        return;
    }
    Finish();
}

void CEpollHubConnection::Flush() {
    // A connection still on the network's list stays marked as listed: were
    // it put on the list a second time, the end of the turn would prepare
    // two sends of the same bytes and the peer would get them twice.
    const bool listed = dirty_;
    CParallelSender::Job job;
    const bool prepared = PrepareFlush(job);
    dirty_ = listed;
    if (!prepared)
        return;
    CParallelSender::Send(job);
    Sent(job);
}

bool CEpollHubConnection::PrepareFlush(CParallelSender::Job& job) {
    dirty_ = false;
    if (state_ == State::Finished)
        return false;
    job = {};
    job.fd = fd_;
    job.data = out_.data() + sent_;
    job.size = out_.size() - sent_;
    return true;
}

void CEpollHubConnection::Sent(const CParallelSender::Job& job) {
    if (state_ == State::Finished)
        return;
    sent_ += job.sent;
    if (job.error != 0) {
        Failed(SystemText(job.error));
        return;
    }
    const bool progressed = job.sent != 0;
    if (sent_ == out_.size()) {
        if (out_.capacity() > kKeptCapacity)
            out_ = std::string();
        out_.clear();
        sent_ = 0;
        wantWrite_ = false;
        if (state_ == State::Closing && !shut_) {
            shut_ = true;
            ::shutdown(fd_, SHUT_WR);
        }
    } else {
        if (sent_ > out_.size() / 2) {
            out_.erase(0, sent_);
            sent_ = 0;
        }
        wantWrite_ = true;
    }
    UpdateInterest();
    // The hub waits for progress only while it has paused some reading.
    if (progressed && id_ > 0 && network_.AnyPaused())
        hub_->SendProgress(id_);
}

void CEpollHubConnection::UpdateInterest() {
    if (state_ == State::Finished)
        return;
    if (!receiving_ && (!paused_ || state_ == State::Closing)) {
        receiving_ = true;
        network_.Loop().Receive(fd_, this);
    }
    if (wantWrite_ && !waiting_) {
        waiting_ = true;
        network_.Loop().WaitWritable(fd_, this);
    }
}

}  // namespace yarrow
