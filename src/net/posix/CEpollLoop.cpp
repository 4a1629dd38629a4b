#include "net/posix/CEpollLoop.h"

#include <poll.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#if defined(YARROW_HAVE_IO_URING)
#include <liburing.h>
#endif

namespace yarrow {

namespace {
constexpr int kMaxEvents = 256;
// Epoll reports for streams carry this bit, the stream's generation and its
// descriptor; those for watched descriptors carry the handler's address.
constexpr std::uint64_t kStreamTag = std::uint64_t{1} << 63;
}  // namespace

#if defined(YARROW_HAVE_IO_URING)
struct CEpollLoop::Ring {
    // Requests handed over per system call; more in one turn go in batches.
    static constexpr unsigned kEntries = 256;
    // Room for every open request's completion: a read and a wait for room
    // per stream.
    static constexpr unsigned kCompletions = 8192;
    // Buffers the system fills for reads; a read finding none waits for the
    // next turn (the buffers of this turn's reads are back by then).
    static constexpr unsigned kBuffers = 32;
    static constexpr unsigned short kGroup = 0;
    // User data of requests whose completion means nothing, and of the poll
    // on the epoll set; requests of streams count up from kFirstOp.
    static constexpr std::uint64_t kIgnored = 0;
    static constexpr std::uint64_t kEpollReady = 1;
    static constexpr std::uint64_t kFirstOp = 2;

    enum class Kind { Receive, Writable };
    struct Op {
        int fd;
        Kind kind;
    };

    io_uring ring{};
    bool made = false;
    io_uring_buf_ring* bufferRing = nullptr;
    std::size_t bufferRingBytes = 0;
    char* memory = nullptr;
    std::size_t memoryBytes = 0;
    bool pollingEpoll = false;
    std::uint64_t nextOp = kFirstOp;
    std::unordered_map<std::uint64_t, Op> ops;
    std::vector<io_uring_cqe> reaped;
    std::uint64_t requestsLeft = UINT64_MAX;  // fewer only in tests

    bool Make() {
        io_uring_params params{};
        // SUBMIT_ALL: a request that fails at once does not hold back the
        // rest of its batch.
        // COOP_TASKRUN: a read completing while the loop is busy does not
        // interrupt it; it is finished when the loop next enters the system.
        // TASKRUN_FLAG: the ring shows that such work waits, so the loop can
        // look for it without a system call before it sleeps.
        params.flags = IORING_SETUP_SUBMIT_ALL | IORING_SETUP_CQSIZE | IORING_SETUP_COOP_TASKRUN |
                       IORING_SETUP_TASKRUN_FLAG;
        params.cq_entries = kCompletions;
        // Refused where the system has io_uring switched off or filtered.
        if (::io_uring_queue_init_params(kEntries, &ring, &params) != 0)
            return false;
        made = true;
        // A timed wait in the same call as the submission.
        if ((params.features & IORING_FEAT_EXT_ARG) == 0)
            return false;
        bufferRingBytes = kBuffers * sizeof(io_uring_buf);
        void* ringMemory = ::mmap(nullptr, bufferRingBytes, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        memoryBytes = std::size_t{kBuffers} * kSlice;
        void* bufferMemory = ::mmap(nullptr, memoryBytes, PROT_READ | PROT_WRITE,
                                    MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (ringMemory != MAP_FAILED)
            bufferRing = static_cast<io_uring_buf_ring*>(ringMemory);
        if (bufferMemory != MAP_FAILED)
            memory = static_cast<char*>(bufferMemory);
        if (bufferRing == nullptr || memory == nullptr)
            return false;
        io_uring_buf_reg reg{};
        reg.ring_addr = reinterpret_cast<std::uint64_t>(bufferRing);
        reg.ring_entries = kBuffers;
        reg.bgid = kGroup;
        // Provided buffer rings came with Linux 5.19.
        if (::io_uring_register_buf_ring(&ring, &reg, 0) != 0)
            return false;
        ::io_uring_buf_ring_init(bufferRing);
        for (unsigned i = 0; i < kBuffers; ++i) {
            ::io_uring_buf_ring_add(bufferRing, memory + std::size_t{i} * kSlice, kSlice,
                                    static_cast<unsigned short>(i),
                                    ::io_uring_buf_ring_mask(kBuffers), static_cast<int>(i));
        }
        ::io_uring_buf_ring_advance(bufferRing, kBuffers);
        return true;
    }

    ~Ring() {
        if (made)
            ::io_uring_queue_exit(&ring);
        if (bufferRing != nullptr)
            ::munmap(bufferRing, bufferRingBytes);
        if (memory != nullptr)
            ::munmap(memory, memoryBytes);
    }

    // A free request; null when the system takes no more (the ring has
    // failed).
    io_uring_sqe* Sqe() {
        if (requestsLeft == 0)
            return nullptr;
        --requestsLeft;
        io_uring_sqe* sqe = ::io_uring_get_sqe(&ring);
        if (sqe == nullptr && ::io_uring_submit(&ring) >= 0)
            sqe = ::io_uring_get_sqe(&ring);
        return sqe;
    }

    void GiveBack(const io_uring_cqe& cqe) {
        if ((cqe.flags & IORING_CQE_F_BUFFER) == 0)
            return;
        const auto id = static_cast<unsigned short>(cqe.flags >> IORING_CQE_BUFFER_SHIFT);
        ::io_uring_buf_ring_add(bufferRing, memory + std::size_t{id} * kSlice, kSlice, id,
                                ::io_uring_buf_ring_mask(kBuffers), 0);
        ::io_uring_buf_ring_advance(bufferRing, 1);
    }
};
#else
struct CEpollLoop::Ring {};
#endif

CEpollLoop::CEpollLoop(Method method) {
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (epoll_ < 0) {
        error_ = errno;
        return;
    }
    wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_ < 0 || !Watch(wake_, EPOLLIN, &wakeHandler_)) {
        error_ = errno;
        ::close(epoll_);
        epoll_ = -1;
        return;
    }
#if defined(YARROW_HAVE_IO_URING)
    if (method == Method::Ring) {
        auto ring = std::make_unique<Ring>();
        if (ring->Make())
            ring_ = std::move(ring);
    }
#else
    (void)method;
#endif
    if (ring_ == nullptr)
        readBuffer_.resize(kSlice);
}

CEpollLoop::~CEpollLoop() {
    // The ring goes first: its requests still refer to the descriptors.
    ring_.reset();
    if (epoll_ >= 0)
        ::close(epoll_);
    if (wake_ >= 0)
        ::close(wake_);
}

void CEpollLoop::LimitRequestsForTest(unsigned requests) {
#if defined(YARROW_HAVE_IO_URING)
    if (ring_ != nullptr)
        ring_->requestsLeft = requests;
#else
    (void)requests;
#endif
}

bool CEpollLoop::Ok(std::string* errorText) const {
    if (epoll_ >= 0)
        return true;
    if (errorText != nullptr)
        *errorText = std::strerror(error_);
    return false;
}

bool CEpollLoop::Watch(int fd, std::uint32_t events, IHandler* handler, std::string* errorText) {
    epoll_event ev{};
    ev.events = events;
    ev.data.ptr = handler;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev) == 0) {
        // A handler at a recycled address is a new one.
        std::erase(unwatched_, handler);
        return true;
    }
    if (errorText != nullptr)
        *errorText = std::strerror(errno);
    return false;
}

void CEpollLoop::Modify(int fd, std::uint32_t events, IHandler* handler) {
    epoll_event ev{};
    ev.events = events;
    ev.data.ptr = handler;
    ::epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &ev);
}

void CEpollLoop::Unwatch(int fd, IHandler* handler) {
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
    unwatched_.push_back(handler);
}

void CEpollLoop::Receive(int fd, IHandler* handler) {
    Ask(fd, handler, true);
}

void CEpollLoop::WaitWritable(int fd, IHandler* handler) {
    Ask(fd, handler, false);
}

void CEpollLoop::Ask(int fd, IHandler* handler, bool input) {
    Stream& s = streams_[fd];
    if (s.handler == nullptr)
        s.generation = nextGeneration_++;
    s.handler = handler;
    (input ? s.wantIn : s.wantOut) = true;
#if defined(YARROW_HAVE_IO_URING)
    if (ring_ != nullptr) {
        std::uint64_t& open = input ? s.recvOp : s.pollOp;
        if (open != 0)
            return;
        io_uring_sqe* sqe = ring_->Sqe();
        if (sqe == nullptr) {
            failRing_ = true;  // epoll takes the wish over
            return;
        }
        const std::uint64_t op = ring_->nextOp++;
        ring_->ops.emplace(op, Ring::Op{fd, input ? Ring::Kind::Receive : Ring::Kind::Writable});
        open = op;
        if (input) {
            ::io_uring_prep_recv(sqe, fd, nullptr, kSlice, 0);
            // The socket was just read empty: wait for input before trying.
            sqe->ioprio |= IORING_RECVSEND_POLL_FIRST;
            sqe->flags |= IOSQE_BUFFER_SELECT;
            sqe->buf_group = Ring::kGroup;
        } else {
            ::io_uring_prep_poll_add(sqe, fd, POLLOUT);
        }
        ::io_uring_sqe_set_data64(sqe, op);
        return;
    }
#endif
    unsynced_.push_back(fd);
}

void CEpollLoop::Release(int fd, IHandler* handler) {
    auto it = streams_.find(fd);
    if (it == streams_.end() || it->second.handler != handler)
        return;
    const Stream& s = it->second;
#if defined(YARROW_HAVE_IO_URING)
    if (ring_ != nullptr) {
        bool cancelled = false;
        for (const std::uint64_t op : {s.recvOp, s.pollOp}) {
            if (op == 0)
                continue;
            ring_->ops.erase(op);
            if (io_uring_sqe* sqe = ring_->Sqe()) {
                ::io_uring_prep_cancel64(sqe, op, 0);
                ::io_uring_sqe_set_data64(sqe, Ring::kIgnored);
                cancelled = true;
            } else {
                // Without a cancellation the request would keep the closed
                // socket open; giving up the ring ends every request.
                failRing_ = true;
            }
        }
        // At once: an open request holds the socket, which the caller is
        // about to close, and the peer should see it closed now.
        if (cancelled)
            ::io_uring_submit(&ring_->ring);
    }
#endif
    if (s.registered)
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
    streams_.erase(it);
}

void CEpollLoop::Post(std::function<void()> task) {
    posted_.push_back(std::move(task));
}

void CEpollLoop::PostFromAnyThread(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(foreignMutex_);
        foreign_.push_back(std::move(task));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
}

void CEpollLoop::RunForeign() {
    std::uint64_t count = 0;
    [[maybe_unused]] auto n = ::read(wake_, &count, sizeof count);
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(foreignMutex_);
        tasks.swap(foreign_);
    }
    for (auto& task : tasks)
        task();
}

std::uint64_t CEpollLoop::AddTimer(std::chrono::milliseconds delay, std::function<void()> task,
                                   bool repeat) {
    const std::uint64_t id = nextTimerId_++;
    timers_.push_back({id, Clock::now() + delay, delay, repeat, std::move(task)});
    return id;
}

void CEpollLoop::CancelTimer(std::uint64_t id) {
    std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

void CEpollLoop::AtEndOfTurn(std::function<void()> work) {
    endOfTurn_.push_back(std::move(work));
}

void CEpollLoop::Run() {
    quit_ = false;
    while (!quit_)
        RunOnce(std::chrono::hours(1));
}

std::chrono::milliseconds CEpollLoop::TimeLeft(std::chrono::milliseconds timeout) const {
    if (!posted_.empty())
        return std::chrono::milliseconds(0);
    const Clock::time_point now = Clock::now();
    for (const Timer& t : timers_) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(t.due - now);
        timeout = std::max(std::chrono::milliseconds(0), std::min(timeout, left));
    }
    return std::min<std::chrono::milliseconds>(timeout, std::chrono::milliseconds(INT_MAX));
}

void CEpollLoop::RunOnce(std::chrono::milliseconds timeout) {
    timeout = TimeLeft(timeout);
    const bool watchFirst = gotInput_ && timeout.count() > 0;
    gotInput_ = false;
    if (ring_ != nullptr) {
        WaitOnRing(timeout, watchFirst);
    } else {
        WaitOnEpoll(timeout, watchFirst);
    }
    RunTimers();
    RunPosted();
    for (const auto& work : endOfTurn_)
        work();
    unwatched_.clear();
}

void CEpollLoop::WaitOnEpoll(std::chrono::milliseconds timeout, bool watchFirst) {
    SyncStreams();
    if (watchFirst) {
        const Clock::time_point until =
            Clock::now() + std::min<Clock::duration>(kWatchBeforeSleep, timeout);
        do {
            if (Dispatch(0) > 0)
                return;
            ::sched_yield();
        } while (Clock::now() < until);
    }
    Dispatch(static_cast<int>(timeout.count()));
}

int CEpollLoop::Dispatch(int timeoutMs) {
    epoll_event events[kMaxEvents];
    const int n = ::epoll_wait(epoll_, events, kMaxEvents, timeoutMs);
    for (int i = 0; i < n; ++i) {
        const std::uint64_t data = events[i].data.u64;
        if ((data & kStreamTag) != 0) {
            StreamEvents(static_cast<int>(static_cast<std::uint32_t>(data)),
                         static_cast<std::uint32_t>((data & ~kStreamTag) >> 32), events[i].events);
            continue;
        }
        auto* handler = static_cast<IHandler*>(events[i].data.ptr);
        if (!unwatched_.empty() &&
            std::find(unwatched_.begin(), unwatched_.end(), handler) != unwatched_.end())
            continue;
        handler->OnEvents(events[i].events);
    }
    return n;
}

void CEpollLoop::StreamEvents(int fd, std::uint32_t generation, std::uint32_t events) {
    auto it = streams_.find(fd);
    if (it == streams_.end() || it->second.generation != generation)
        return;  // released this turn
    Stream& s = it->second;
    const bool failed = (events & (EPOLLERR | EPOLLHUP)) != 0;
    if (!s.wantIn && !s.wantOut) {
        // A broken connection is reported whatever was asked; it is left
        // alone until its handler asks for something again.
        if (failed) {
            ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
            s.registered = false;
            s.events = 0;
        }
        return;
    }
    IHandler* handler = s.handler;
    const bool writable = s.wantOut && (failed || (events & EPOLLOUT) != 0);
    if (s.wantIn && (failed || (events & EPOLLIN) != 0)) {
        const ssize_t n = ::recv(fd, readBuffer_.data(), readBuffer_.size(), 0);
        const int error = errno;
        if (n >= 0 || (error != EAGAIN && error != EWOULDBLOCK && error != EINTR)) {
            s.wantIn = false;
            unsynced_.push_back(fd);
            gotInput_ = true;
            handler->OnReceived(readBuffer_.data(), n >= 0 ? static_cast<long>(n) : -error);
        }
    }
    if (!writable)
        return;
    it = streams_.find(fd);
    if (it == streams_.end() || it->second.generation != generation)
        return;
    it->second.wantOut = false;
    unsynced_.push_back(fd);
    handler->OnWritable();
}

void CEpollLoop::SyncStreams() {
    std::vector<int> fds;
    fds.swap(unsynced_);
    for (int fd : fds) {
        auto it = streams_.find(fd);
        if (it == streams_.end())
            continue;
        Stream& s = it->second;
        const std::uint32_t want = (s.wantIn ? EPOLLIN : 0u) | (s.wantOut ? EPOLLOUT : 0u);
        if (s.registered && want == s.events)
            continue;
        if (!s.registered && want == 0)
            continue;
        epoll_event ev{};
        ev.events = want;
        ev.data.u64 =
            kStreamTag | (std::uint64_t{s.generation} << 32) | static_cast<std::uint32_t>(fd);
        if (::epoll_ctl(epoll_, s.registered ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &ev) == 0) {
            s.registered = true;
            s.events = want;
            continue;
        }
        // The system will not watch it: its handler learns why.
        const int error = errno;
        IHandler* handler = s.handler;
        const bool wantedIn = s.wantIn;
        s.wantIn = s.wantOut = false;
        if (wantedIn) {
            handler->OnReceived(nullptr, -error);
        } else {
            handler->OnWritable();
        }
    }
}

#if defined(YARROW_HAVE_IO_URING)
void CEpollLoop::WaitOnRing(std::chrono::milliseconds timeout, bool watchFirst) {
    io_uring* ring = &ring_->ring;
    if (!ring_->pollingEpoll) {
        // The watched descriptors: the set is read once it reports anything.
        if (io_uring_sqe* sqe = ring_->Sqe()) {
            ::io_uring_prep_poll_add(sqe, epoll_, POLLIN);
            ::io_uring_sqe_set_data64(sqe, Ring::kEpollReady);
            ring_->pollingEpoll = true;
        } else {
            failRing_ = true;
        }
    }
    if (watchFirst && !failRing_) {
        // The requests go in first: input they find is reported while the
        // loop looks.
        ::io_uring_submit(ring);
        const Clock::time_point until =
            Clock::now() + std::min<Clock::duration>(kWatchBeforeSleep, timeout);
        while (::io_uring_cq_ready(ring) == 0 &&
               (IO_URING_READ_ONCE(*ring->sq.kflags) & IORING_SQ_TASKRUN) == 0 &&
               Clock::now() < until) {
            // Whatever else wants this processor runs first: looking must
            // not hold up a busy machine, the table's own clients among it.
            ::sched_yield();
        }
    }
    __kernel_timespec wait{};
    wait.tv_sec = timeout.count() / 1000;
    wait.tv_nsec = (timeout.count() % 1000) * 1000000;
    io_uring_cqe* first = nullptr;
    const int result =
        failRing_ ? -EIO : ::io_uring_submit_and_wait_timeout(ring, &first, 1, &wait, nullptr);
    auto& reaped = ring_->reaped;
    reaped.clear();
    unsigned head;
    io_uring_cqe* cqe;
    io_uring_for_each_cqe(ring, head, cqe) {
        reaped.push_back(*cqe);
    }
    ::io_uring_cq_advance(ring, static_cast<unsigned>(reaped.size()));
    // Reads that found no free buffer go first: their streams ask again
    // before those just served, so they are the first to get buffers next
    // time. Otherwise streams that always have input would take every buffer
    // turn after turn, and the streams behind them would never be read.
    std::stable_partition(reaped.begin(), reaped.end(),
                          [](const io_uring_cqe& c) { return c.res == -ENOBUFS; });
    // What came is handled even when the ring has failed.
    for (const io_uring_cqe& c : reaped) {
        const std::uint64_t data = c.user_data;
        if (data == Ring::kEpollReady) {
            ring_->pollingEpoll = false;
            Dispatch(0);
            continue;
        }
        auto op = ring_->ops.find(data);
        if (op == ring_->ops.end()) {
            ring_->GiveBack(c);  // released, or its cancellation
            continue;
        }
        const Ring::Op what = op->second;
        ring_->ops.erase(op);
        Stream& s = streams_.at(what.fd);
        IHandler* handler = s.handler;
        if (what.kind == Ring::Kind::Receive) {
            s.recvOp = 0;
            s.wantIn = false;
            const char* bytes = nullptr;
            if ((c.flags & IORING_CQE_F_BUFFER) != 0)
                bytes = ring_->memory + std::size_t{c.flags >> IORING_CQE_BUFFER_SHIFT} * kSlice;
            gotInput_ = true;
            handler->OnReceived(bytes, c.res);
            ring_->GiveBack(c);
        } else {
            s.pollOp = 0;
            s.wantOut = false;
            handler->OnWritable();
        }
    }
    const bool broken = failRing_ || (result < 0 && result != -ETIME && result != -EINTR &&
                                      result != -EAGAIN && result != -EBUSY);
    if (broken)
        AbandonRing();
}

void CEpollLoop::AbandonRing() {
    for (auto& [fd, s] : streams_) {
        s.recvOp = 0;
        s.pollOp = 0;
        s.registered = false;
        s.events = 0;
        unsynced_.push_back(fd);
    }
    // From here on the streams ask epoll, also from the handlers below.
    const std::unique_ptr<Ring> ring = std::move(ring_);
    readBuffer_.resize(kSlice);
    failRing_ = false;
    // Reads can finish after the turn took its completions (the handlers'
    // system calls let them), and what they read is gone from the socket:
    // every open request is ended, and what the reads brought reaches their
    // streams before epoll reads on.
    io_uring_sync_cancel_reg cancel{};
    cancel.fd = -1;
    cancel.flags = IORING_ASYNC_CANCEL_ANY;
    // Bounded: a ring past help is closed below, which ends them anyway.
    cancel.timeout.tv_sec = 1;
    ::io_uring_register_sync_cancel(&ring->ring, &cancel);
    ::io_uring_get_events(&ring->ring);
    struct Late {
        int fd;
        std::uint32_t generation;
        io_uring_cqe cqe;
    };
    std::vector<Late> late;
    unsigned head;
    unsigned count = 0;
    io_uring_cqe* cqe;
    io_uring_for_each_cqe(&ring->ring, head, cqe) {
        ++count;
        auto op = ring->ops.find(cqe->user_data);
        // Cancelled reads took nothing: epoll reads the socket instead.
        if (op == ring->ops.end() || op->second.kind != Ring::Kind::Receive ||
            cqe->res == -ECANCELED)
            continue;
        const auto it = streams_.find(op->second.fd);
        if (it != streams_.end())
            late.push_back({op->second.fd, it->second.generation, *cqe});
    }
    ::io_uring_cq_advance(&ring->ring, count);
    for (const Late& l : late) {
        auto it = streams_.find(l.fd);
        if (it == streams_.end() || it->second.generation != l.generation)
            continue;  // released by an earlier handler
        it->second.wantIn = false;
        const char* bytes = nullptr;
        if ((l.cqe.flags & IORING_CQE_F_BUFFER) != 0)
            bytes = ring->memory + std::size_t{l.cqe.flags >> IORING_CQE_BUFFER_SHIFT} * kSlice;
        it->second.handler->OnReceived(bytes, l.cqe.res);
    }
    // Whatever the epoll set holds now is seen in the next turn.
    Post([] {});
}
#else
void CEpollLoop::WaitOnRing(std::chrono::milliseconds timeout, bool watchFirst) {
    WaitOnEpoll(timeout, watchFirst);
}

void CEpollLoop::AbandonRing() {}
#endif

void CEpollLoop::RunTimers() {
    if (timers_.empty())
        return;
    const Clock::time_point now = Clock::now();
    std::vector<std::uint64_t> due;
    for (const Timer& t : timers_) {
        if (t.due <= now)
            due.push_back(t.id);
    }
    // Looked up one by one: a timer's task may add or cancel timers.
    for (std::uint64_t id : due) {
        auto it = std::find_if(timers_.begin(), timers_.end(),
                               [id](const Timer& t) { return t.id == id; });
        if (it == timers_.end())
            continue;
        std::function<void()> task = it->task;
        if (it->repeat) {
            it->due = now + it->interval;
        } else {
            timers_.erase(it);
        }
        task();
    }
}

void CEpollLoop::RunPosted() {
    // Tasks posted by these tasks wait for the next turn.
    std::vector<std::function<void()>> tasks;
    tasks.swap(posted_);
    for (auto& task : tasks)
        task();
}

}  // namespace yarrow
