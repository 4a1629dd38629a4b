#include "net/posix/CHubThread.h"

#include <future>

namespace yarrow {

namespace {
// How often a stopping hub looks whether its last bytes have left.
constexpr std::chrono::milliseconds kDeliveryPoll{5};
}  // namespace

CHubThread::CHubThread(IPrompter* prompter, ISound* sound, const IClock* clock)
    : network_(loop_, prompter, sound, clock) {}

CHubThread::~CHubThread() {
    Stop();
}

void CHubThread::Start() {
    if (Running())
        return;
    thread_ = std::thread([this] { loop_.Run(); });
    id_ = thread_.get_id();
}

void CHubThread::Call(const std::function<void(CEpollHubNetwork&)>& task) {
    if (!Running() || std::this_thread::get_id() == id_) {
        task(network_);
        return;
    }
    std::promise<void> done;
    loop_.PostFromAnyThread([&] {
        task(network_);
        done.set_value();
    });
    done.get_future().wait();
}

void CHubThread::Stop(std::chrono::milliseconds delivery) {
    if (!Running())
        return;
    loop_.PostFromAnyThread([this, delivery] {
        if (network_.Hub().Serving())
            network_.Hub().Disconnection();
        const auto deadline = CEpollLoop::Clock::now() + delivery;
        auto check = [this, deadline] {
            if (network_.AllDelivered() || CEpollLoop::Clock::now() >= deadline)
                loop_.Quit();
        };
        check();
        loop_.AddTimer(kDeliveryPoll, check, true);
    });
    thread_.join();
    thread_ = std::thread();
    id_ = {};
}

}  // namespace yarrow
