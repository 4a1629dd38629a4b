#pragma once
// A small single-threaded event loop over Linux epoll, for the hub: descriptors
// with handlers, one-shot and repeating timers, tasks posted for the next
// turn, and work that runs once at the end of every turn (before the loop
// sleeps again), where a network gathers what each peer is owed into one
// send.
//
// Everything but PostFromAnyThread belongs to the thread that runs the loop.
//
// Descriptors are level-triggered. A handler that goes away while the turn is
// still running must unwatch its descriptor first (Unwatch), and must stay
// alive until the end of the turn: events of the same turn may still name it,
// and the loop skips handlers that were unwatched.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace yarrow {

class CEpollLoop {
  public:
    using Clock = std::chrono::steady_clock;

    class IHandler {
      public:
        virtual ~IHandler() = default;
        // `events` is a mask of EPOLLIN, EPOLLOUT, EPOLLERR, EPOLLHUP.
        virtual void OnEvents(std::uint32_t events) = 0;
    };

    CEpollLoop();
    ~CEpollLoop();
    CEpollLoop(const CEpollLoop&) = delete;
    CEpollLoop& operator=(const CEpollLoop&) = delete;

    // False (with the system's reason in `errorText`) when the loop could not
    // be made or the descriptor not watched.
    bool Ok(std::string* errorText = nullptr) const;
    bool Watch(int fd, std::uint32_t events, IHandler* handler, std::string* errorText = nullptr);
    void Modify(int fd, std::uint32_t events, IHandler* handler);
    // Stops watching `fd`; `handler` is not called again, not even for
    // events of the turn under way.
    void Unwatch(int fd, IHandler* handler);

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
    // The epoll descriptor: readable whenever a watched descriptor has
    // something to report, so another event loop can drive this one.
    int Descriptor() const { return epoll_; }

  private:
    struct Timer {
        std::uint64_t id;
        Clock::time_point due;
        std::chrono::milliseconds interval;
        bool repeat;
        std::function<void()> task;
    };
    // Runs what other threads posted when the wake-up descriptor fires.
    class CWakeHandler : public IHandler {
      public:
        explicit CWakeHandler(CEpollLoop& loop) : loop_(loop) {}
        void OnEvents(std::uint32_t) override { loop_.RunForeign(); }

      private:
        CEpollLoop& loop_;
    };
    void RunTimers();
    void RunPosted();
    void RunForeign();

    int epoll_ = -1;
    int error_ = 0;
    bool quit_ = false;
    std::uint64_t nextTimerId_ = 1;
    std::vector<Timer> timers_;
    std::vector<std::function<void()>> posted_;
    std::vector<std::function<void()>> endOfTurn_;
    std::vector<IHandler*> unwatched_;  // this turn's unwatched handlers
    int wake_ = -1;                     // eventfd written by PostFromAnyThread
    CWakeHandler wakeHandler_{*this};
    std::mutex foreignMutex_;
    std::vector<std::function<void()>> foreign_;  // guarded by foreignMutex_
};

}  // namespace yarrow
