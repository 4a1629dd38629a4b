#include "net/posix/CParallelSender.h"

#include <sys/socket.h>

#include <algorithm>
#include <bitset>
#include <cerrno>

#if defined(YARROW_HAVE_IO_URING)
#include <liburing.h>
#endif

namespace yarrow {

#if defined(YARROW_HAVE_IO_URING)
struct CParallelSender::Ring {
    static constexpr unsigned kEntries = kRingBatch;
    io_uring ring{};
};
#else
struct CParallelSender::Ring {};
#endif

CParallelSender::CParallelSender(Method method) {
#if defined(YARROW_HAVE_IO_URING)
    if (method == Method::Ring) {
        auto ring = std::make_unique<Ring>();
        // Refused where the system has io_uring switched off or filtered.
        // SUBMIT_ALL: a send that fails at once does not hold back the rest
        // of its batch.
        if (::io_uring_queue_init(Ring::kEntries, &ring->ring, IORING_SETUP_SUBMIT_ALL) == 0)
            ring_ = std::move(ring);
    }
#else
    (void)method;
#endif
    if (ring_ == nullptr)
        helper_ = std::thread([this] { Helper(); });
}

CParallelSender::~CParallelSender() {
#if defined(YARROW_HAVE_IO_URING)
    if (ring_ != nullptr)
        ::io_uring_queue_exit(&ring_->ring);
#endif
    if (!helper_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    helper_.join();
}

void CParallelSender::Send(Job& job) {
    while (job.sent < job.size) {
        const ssize_t n =
            ::send(job.fd, job.data + job.sent, job.size - job.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            job.sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        job.error = n < 0 ? errno : EPIPE;
        return;
    }
}

void CParallelSender::Run(std::vector<Job>& jobs) {
    if (jobs.size() == 1) {
        Send(jobs.front());
        return;
    }
    if (ring_ != nullptr) {
        RunOnRing(jobs);
        return;
    }
    RunOnThreads(jobs);
}

#if defined(YARROW_HAVE_IO_URING)
void CParallelSender::RunOnRing(std::vector<Job>& jobs) {
    io_uring* ring = &ring_->ring;
    for (std::size_t first = 0; first < jobs.size();) {
        const auto batch =
            static_cast<unsigned>(std::min<std::size_t>(jobs.size() - first, Ring::kEntries));
        for (unsigned i = 0; i < batch; ++i) {
            Job& job = jobs[first + i];
            io_uring_sqe* sqe = ::io_uring_get_sqe(ring);
            // MSG_DONTWAIT: a full socket answers at once instead of the
            // request waiting in the system for room.
            ::io_uring_prep_send(sqe, job.fd, job.data, job.size, MSG_NOSIGNAL | MSG_DONTWAIT);
            ::io_uring_sqe_set_data64(sqe, first + i);
        }
        unsigned handOver = batch;
        if (takeOnlyForTest_ != 0 && takeOnlyForTest_ < batch) {
            // The requests past the limit are withdrawn before the system
            // sees them: to the code below it is as if it had refused them.
            ring->sq.sqe_tail -= batch - takeOnlyForTest_;
            handOver = takeOnlyForTest_;
        }
        int submitted = ::io_uring_submit_and_wait(ring, handOver);
        while (submitted == -EINTR)
            submitted = ::io_uring_submit_and_wait(ring, handOver);
        // The system takes the requests in order; what it took is reaped
        // below, whatever it did not take is sent from threads afterwards.
        const unsigned taken = submitted > 0 ? static_cast<unsigned>(submitted) : 0;
        std::bitset<Ring::kEntries> reported;
        bool stopped = false;
        for (unsigned seen = 0; seen < taken;) {
            io_uring_cqe* cqe = nullptr;
            const int waited =
                seen == stopReportingForTest_ ? -EBADF : ::io_uring_wait_cqe(ring, &cqe);
            if (waited == -EINTR || waited == -EAGAIN)
                continue;  // the requests are still under way
            if (waited != 0 || cqe == nullptr) {
                // The ring no longer reports. A send it took but did not
                // report may have gone out, in whole or in part: sending it
                // again could give the peer the same bytes twice, in the
                // middle of its stream. Those connections are failed
                // instead; every other peer's stream stays whole.
                for (unsigned i = 0; i < taken; ++i) {
                    if (!reported[i])
                        jobs[first + i].error = EIO;
                }
                stopped = true;
                break;
            }
            const std::uint64_t index = ::io_uring_cqe_get_data64(cqe);
            Job& job = jobs[index];
            reported.set(index - first);
            const int result = cqe->res;
            ::io_uring_cqe_seen(ring, cqe);
            ++seen;
            if (result > 0) {
                // A short send means the socket is full: the rest waits for
                // it to become writable, as after a plain send.
                job.sent = static_cast<std::size_t>(result);
            } else if (result == -EINTR) {
                Send(job);
            } else if (result == 0) {
                job.error = job.size > 0 ? EPIPE : 0;
            } else if (result != -EAGAIN && result != -EWOULDBLOCK) {
                job.error = -result;
            }
        }
        if (stopped || taken < batch) {
            // The ring refused part of the batch or stopped reporting: it is
            // given up (which discards the requests it did not take), and
            // the sends it was never handed go out from threads, as all
            // sends do from now on.
            AbandonRing();
            const auto from = jobs.begin() + static_cast<std::ptrdiff_t>(first + taken);
            std::vector<Job> rest(from, jobs.end());
            RunOnThreads(rest);
            std::copy(rest.begin(), rest.end(), from);
            return;
        }
        first += batch;
    }
}

void CParallelSender::AbandonRing() {
    ::io_uring_queue_exit(&ring_->ring);
    ring_.reset();
    helper_ = std::thread([this] { Helper(); });
}
#else
void CParallelSender::AbandonRing() {}

void CParallelSender::RunOnRing(std::vector<Job>& jobs) {
    RunOnThreads(jobs);
}
#endif

void CParallelSender::RunOnThreads(std::vector<Job>& jobs) {
    std::size_t bytes = 0;
    for (const Job& job : jobs)
        bytes += job.size;
    if (jobs.size() < kMinSharedJobs || bytes < kMinSharedBytes) {
        for (Job& job : jobs)
            Send(job);
        return;
    }
    const auto count = static_cast<std::uint32_t>(jobs.size());
    std::uint32_t generation;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation = ++generation_;
        jobs_ = jobs.data();
        count_ = count;
        done_.store(0, std::memory_order_relaxed);
        next_.store(static_cast<std::uint64_t>(generation) << 32, std::memory_order_release);
        posted_ = true;
    }
    wake_.notify_one();
    TakeJobs(generation, jobs.data(), count, false);
    // What is left are jobs the helper took and is sending right now.
    for (std::uint32_t d = done_.load(std::memory_order_acquire); d < count;
         d = done_.load(std::memory_order_acquire))
        done_.wait(d, std::memory_order_acquire);
}

void CParallelSender::TakeJobs(std::uint32_t generation, Job* jobs, std::uint32_t count,
                               bool helper) {
    std::uint64_t current = next_.load(std::memory_order_acquire);
    for (;;) {
        if (static_cast<std::uint32_t>(current >> 32) != generation ||
            static_cast<std::uint32_t>(current) >= count)
            return;
        if (!next_.compare_exchange_weak(current, current + 1, std::memory_order_acq_rel,
                                         std::memory_order_acquire))
            continue;
        Send(jobs[static_cast<std::uint32_t>(current)]);
        done_.fetch_add(1, std::memory_order_release);
        // Only the caller ever waits, and only for the helper's jobs.
        if (helper)
            done_.notify_one();
        current = next_.load(std::memory_order_acquire);
    }
}

void CParallelSender::Helper() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || posted_; });
        if (stop_)
            return;
        posted_ = false;
        const std::uint32_t generation = generation_;
        Job* jobs = jobs_;
        const std::uint32_t count = count_;
        lock.unlock();
        TakeJobs(generation, jobs, count, true);
        lock.lock();
    }
}

}  // namespace yarrow
