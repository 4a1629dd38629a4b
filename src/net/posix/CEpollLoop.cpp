#include "net/posix/CEpollLoop.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace yarrow {

namespace {
constexpr int kMaxEvents = 256;
}

CEpollLoop::CEpollLoop() {
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
    }
}

CEpollLoop::~CEpollLoop() {
    if (epoll_ >= 0)
        ::close(epoll_);
    if (wake_ >= 0)
        ::close(wake_);
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

void CEpollLoop::RunOnce(std::chrono::milliseconds timeout) {
    if (!posted_.empty())
        timeout = std::chrono::milliseconds(0);
    const Clock::time_point now = Clock::now();
    for (const Timer& t : timers_) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(t.due - now);
        timeout = std::max(std::chrono::milliseconds(0), std::min(timeout, left));
    }
    epoll_event events[kMaxEvents];
    const int n = ::epoll_wait(epoll_, events, kMaxEvents, static_cast<int>(timeout.count()));
    for (int i = 0; i < n; ++i) {
        auto* handler = static_cast<IHandler*>(events[i].data.ptr);
        if (!unwatched_.empty() &&
            std::find(unwatched_.begin(), unwatched_.end(), handler) != unwatched_.end())
            continue;
        handler->OnEvents(events[i].events);
    }
    RunTimers();
    RunPosted();
    for (const auto& work : endOfTurn_)
        work();
    unwatched_.clear();
}

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
