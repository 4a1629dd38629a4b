#pragma once
// Sends to many sockets at once. A hub owes its peers one send each per loop
// turn, and sending to a peer on the same machine spends most of its time in
// the system, so the sends of a turn are handed over together:
//
// - Through io_uring where the system offers it: every send of the turn is
//   one request in a single system call, instead of one call per peer (on a
//   virtual machine each call costs more than the copying it does).
// - Otherwise from two threads, the caller's and one helper. The caller
//   never waits for the helper to wake up: both take the next unsent job in
//   turn, and the caller, once none is left, waits only for the jobs the
//   helper has already taken (one send each). A helper that is slow to be
//   scheduled simply gets nothing to do.
//
// Only raw sends happen here; everything else about a job (what it means for
// the connection) is for the caller once Run has returned.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace yarrow {

class CParallelSender {
  public:
    struct Job {
        int fd = -1;
        const char* data = nullptr;
        std::size_t size = 0;
        // Filled in: bytes the network took, and the error that stopped the
        // sending (0 when all was taken or the socket was full). EIO when
        // the system took the send but never told what became of it: some
        // or all of the bytes may have gone out, so the connection's stream
        // can no longer be continued (sending them again could give the peer
        // the same bytes twice).
        std::size_t sent = 0;
        int error = 0;
    };

    // Fewer jobs or bytes than this are sent on the caller's thread alone:
    // waking the helper would cost more than it saves (a single record to
    // everybody goes out at once).
    static constexpr std::size_t kMinSharedJobs = 4;
    static constexpr std::size_t kMinSharedBytes = 16 * 1024;

    // Requests handed to the ring per system call; a longer list goes in
    // batches.
    static constexpr unsigned kRingBatch = 256;

    enum class Method { Ring, Threads };

    // `method`: Ring falls back to Threads where io_uring is not available.
    explicit CParallelSender(Method method = Method::Ring);
    ~CParallelSender();
    CParallelSender(const CParallelSender&) = delete;
    CParallelSender& operator=(const CParallelSender&) = delete;

    // Sends every job as far as its socket takes it now (non-blocking
    // sockets); returns once all are done.
    void Run(std::vector<Job>& jobs);
    // One job on the calling thread.
    static void Send(Job& job);
    Method InUse() const { return ring_ != nullptr ? Method::Ring : Method::Threads; }

    // For tests: the system takes only the first `requests` of each batch
    // handed to the ring, as when it runs short of memory.
    void TakeOnlyForTest(unsigned requests) { takeOnlyForTest_ = requests; }
    // For tests: the ring stops reporting once it has reported `reports`
    // sends of a batch, as when waiting for it fails.
    void StopReportingForTest(unsigned reports) { stopReportingForTest_ = reports; }

  private:
    struct Ring;
    void RunOnRing(std::vector<Job>& jobs);
    void RunOnThreads(std::vector<Job>& jobs);
    // After a failure of the ring: the sends go out from threads from now on.
    void AbandonRing();
    void Helper();
    // Takes and sends jobs of generation `generation` until none is left.
    void TakeJobs(std::uint32_t generation, Job* jobs, std::uint32_t count, bool helper);

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool posted_ = false;
    Job* jobs_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t generation_ = 0;
    // The generation in the upper half, the next job to take in the lower:
    // a helper still holding an older generation's jobs cannot take one.
    std::atomic<std::uint64_t> next_{0};
    std::atomic<std::uint32_t> done_{0};
    std::thread helper_;  // only without a ring
    std::unique_ptr<Ring> ring_;
    unsigned takeOnlyForTest_ = 0;         // 0: all
    unsigned stopReportingForTest_ = ~0u;  // ~0u: never
};

}  // namespace yarrow
