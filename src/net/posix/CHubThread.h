#pragma once
// The hub on the epoll network, turning on a thread of its own: what a
// hosting window runs, so that relaying never waits for the window's event
// loop (a long paint, a file being read) and the window never waits for the
// relay.
//
// The loop, the network and the hub belong to the hub's thread while it
// runs. Other threads reach them only through Call, which runs a task there
// and waits for it; before Start and after Stop they belong to whoever owns
// this object. Whatever the hub calls out to (its owner, sound, relay
// observer, card state) runs on the hub's thread and must be safe there.

#include <chrono>
#include <functional>
#include <thread>

#include "net/posix/CEpollHubNetwork.h"
#include "net/posix/CEpollLoop.h"

namespace yarrow {

class CHubThread {
  public:
    // How long Stop lets the hub deliver its last bytes.
    static constexpr std::chrono::milliseconds kDeliveryTime{2000};

    // `clock` (null: the system clock) is the hub's, for telling stalled
    // peers.
    explicit CHubThread(IPrompter* prompter = nullptr, ISound* sound = nullptr,
                        const IClock* clock = nullptr);
    // Stops the thread (see Stop).
    ~CHubThread();
    CHubThread(const CHubThread&) = delete;
    CHubThread& operator=(const CHubThread&) = delete;

    // Only before Start, after Stop, or on the hub's thread.
    CEpollHubNetwork& Network() { return network_; }

    // Runs the loop on a new thread (once).
    void Start();
    bool Running() const { return thread_.joinable(); }
    // Runs `task` on the hub's thread and returns once it has run; on the
    // calling thread when the hub's thread is not running, or is the caller.
    void Call(const std::function<void(CEpollHubNetwork&)>& task);
    // Shuts a serving hub down (every member is told), lets the loop turn
    // until every connection has handed the system all it owes or
    // `delivery` has passed, and ends the thread. Afterwards the object
    // belongs to the caller again.
    void Stop(std::chrono::milliseconds delivery = kDeliveryTime);

  private:
    CEpollLoop loop_;
    CEpollHubNetwork network_;
    std::thread thread_;
    std::thread::id id_;
};

}  // namespace yarrow
