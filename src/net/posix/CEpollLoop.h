#pragma once
// A small single-threaded event loop for the hub: descriptors with handlers,
// streams read a slice at a time, one-shot and repeating timers, tasks posted
// for the next turn, and work that runs once at the end of every turn (before
// the loop sleeps again), where a network gathers what each peer is owed into
// one send.
//
// The loop waits in one of two ways, the same for its users:
// - Through io_uring where the system offers it: a stream's reads are
//   requests the system completes on its own, into buffers the loop lends it,
//   so a turn costs one system call (the wait) instead of a wait and a read
//   per readable peer. Watched descriptors sit in an epoll set that the ring
//   polls.
// - Otherwise on epoll alone, reading a stream when it reports input.
// A ring that fails later hands everything over to epoll for good.
//
// After a turn that brought input, the loop keeps looking for more for a few
// tens of microseconds before it sleeps. A table's records come in bursts
// and answers: the next one often arrives within that time and is handled at
// once, and its sender's system call is spared waking this thread, which is
// dear on virtual machines. A quiet loop sleeps as before.
//
// Everything but PostFromAnyThread belongs to the thread that runs the loop.
//
// Watched descriptors are level-triggered. A handler that goes away while the
// turn is still running must unwatch its descriptor (Unwatch) or release its
// stream (Release) first, and must stay alive until the end of the turn:
// events of the same turn may still name it, and the loop skips handlers
// that were let go.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace yarrow {

class CEpollLoop {
  public:
    using Clock = std::chrono::steady_clock;

    class IHandler {
      public:
        virtual ~IHandler() = default;
        // For Watch: `events` is a mask of EPOLLIN, EPOLLOUT, EPOLLERR,
        // EPOLLHUP.
        virtual void OnEvents(std::uint32_t) {}
        // For Receive: `result` bytes at `data` (> 0), the peer closed its
        // side (0) or the system's error (-errno; -EAGAIN, -EINTR and
        // -ENOBUFS mean nothing came and the stream may simply be read
        // again). `data` is lent for the call only.
        virtual void OnReceived(const char*, long) {}
        // For WaitWritable: the descriptor takes more, or has failed (a send
        // tells which).
        virtual void OnWritable() {}
    };

    enum class Method { Ring, Epoll };
    // The most one Receive hands over.
    static constexpr std::size_t kSlice = 64 * 1024;
    // How long the loop looks for more input before it sleeps, after a turn
    // that brought some.
    static constexpr std::chrono::microseconds kWatchBeforeSleep{50};

    // `method`: Ring falls back to Epoll where io_uring is not available.
    explicit CEpollLoop(Method method = Method::Ring);
    ~CEpollLoop();
    CEpollLoop(const CEpollLoop&) = delete;
    CEpollLoop& operator=(const CEpollLoop&) = delete;

    // False (with the system's reason in `errorText`) when the loop could not
    // be made or the descriptor not watched.
    bool Ok(std::string* errorText = nullptr) const;
    Method InUse() const { return ring_ != nullptr ? Method::Ring : Method::Epoll; }

    bool Watch(int fd, std::uint32_t events, IHandler* handler, std::string* errorText = nullptr);
    void Modify(int fd, std::uint32_t events, IHandler* handler);
    // Stops watching `fd`; `handler` is not called again, not even for
    // events of the turn under way.
    void Unwatch(int fd, IHandler* handler);

    // Streams: `fd` (a connected non-blocking socket) belongs to `handler`.
    // Receive asks for its next slice of input, once: OnReceived follows in
    // a later turn. WaitWritable asks, once, to be told when it takes more
    // (OnWritable). Asking again while a request is open changes nothing.
    void Receive(int fd, IHandler* handler);
    void WaitWritable(int fd, IHandler* handler);
    // Ends both requests for `fd` before it is closed: `handler` hears
    // nothing more about it, not even what the turn under way brought.
    void Release(int fd, IHandler* handler);

    // Runs `task` in a later turn, before the loop sleeps. Returns at once.
    void Post(std::function<void()> task);
    // The same from any thread: the loop wakes up and runs `task` in its
    // turn, in the order such tasks were posted.
    void PostFromAnyThread(std::function<void()> task);
    // Runs `task` once after `delay`; with `repeat`, every `delay` until
    // cancelled. Returns an id for CancelTimer.
    std::uint64_t AddTimer(std::chrono::milliseconds delay, std::function<void()> task,
                           bool repeat = false);
    void CancelTimer(std::uint64_t id);
    // Runs `work` at the end of every turn, after the events, timers and
    // posted tasks, until the loop is destroyed.
    void AtEndOfTurn(std::function<void()> work);

    // Turns until Quit().
    void Run();
    // One turn: waits at most `timeout` for something to happen (never longer
    // than the next timer), handles it and returns.
    void RunOnce(std::chrono::milliseconds timeout);
    void Quit() { quit_ = true; }

    // For tests: the ring fails at the next wait, as if the system had
    // refused it; the loop carries on over epoll.
    void FailRingForTest() { failRing_ = true; }
    // For tests: the ring takes only `requests` more requests, as when the
    // system keeps it full.
    void LimitRequestsForTest(unsigned requests);

  private:
    struct Timer {
        std::uint64_t id;
        Clock::time_point due;
        std::chrono::milliseconds interval;
        bool repeat;
        std::function<void()> task;
    };
    struct Stream {
        IHandler* handler = nullptr;
        std::uint32_t generation = 0;
        bool wantIn = false;
        bool wantOut = false;
        // Epoll: the events asked of the epoll set (registered: it is in it).
        bool registered = false;
        std::uint32_t events = 0;
        // Ring: the open requests (0: none).
        std::uint64_t recvOp = 0;
        std::uint64_t pollOp = 0;
    };
    struct Ring;
    // Runs what other threads posted when the wake-up descriptor fires.
    class CWakeHandler : public IHandler {
      public:
        explicit CWakeHandler(CEpollLoop& loop) : loop_(loop) {}
        void OnEvents(std::uint32_t) override { loop_.RunForeign(); }

      private:
        CEpollLoop& loop_;
    };
    // Receive (`input`) or WaitWritable: records the wish and, on the ring,
    // opens its request unless one is open already.
    void Ask(int fd, IHandler* handler, bool input);
    std::chrono::milliseconds TimeLeft(std::chrono::milliseconds timeout) const;
    void WaitOnEpoll(std::chrono::milliseconds timeout, bool watchFirst);
    void WaitOnRing(std::chrono::milliseconds timeout, bool watchFirst);
    // Handles what one epoll_wait reported; returns how many reports.
    int Dispatch(int timeoutMs);
    void StreamEvents(int fd, std::uint32_t generation, std::uint32_t events);
    // Epoll: brings the epoll set in line with what the streams ask for.
    void SyncStreams();
    // Ring: hands the open requests of the streams to epoll, for good.
    void AbandonRing();
    void RunTimers();
    void RunPosted();
    void RunForeign();

    int epoll_ = -1;
    int error_ = 0;
    bool quit_ = false;
    bool failRing_ = false;
    bool gotInput_ = false;  // this turn handed a stream input
    std::uint64_t nextTimerId_ = 1;
    std::vector<Timer> timers_;
    std::vector<std::function<void()>> posted_;
    std::vector<std::function<void()>> endOfTurn_;
    std::vector<IHandler*> unwatched_;  // this turn's unwatched handlers
    std::unordered_map<int, Stream> streams_;
    std::vector<int> unsynced_;  // epoll: streams whose wishes changed
    std::uint32_t nextGeneration_ = 1;
    std::vector<char> readBuffer_;  // epoll: one slice, shared by all streams
    std::unique_ptr<Ring> ring_;
    int wake_ = -1;  // eventfd written by PostFromAnyThread
    CWakeHandler wakeHandler_{*this};
    std::mutex foreignMutex_;
    std::vector<std::function<void()>> foreign_;  // guarded by foreignMutex_
};

}  // namespace yarrow
