#include "net/posix/CParallelSender.h"

#include <sys/socket.h>

#include <cerrno>

namespace yarrow {

CParallelSender::CParallelSender() : helper_([this] { Helper(); }) {}

CParallelSender::~CParallelSender() {
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
