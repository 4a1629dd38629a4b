#pragma once
// The chat view's numbered window timers: a started timer fires every period
// until it is killed, and starting a running one restarts it with the new
// period. Timers 1 and 2 run the countdown, timer 3 the member check.

namespace yarrow {

class IWindowTimers {
  public:
    virtual ~IWindowTimers() = default;
    virtual bool StartTimer(int timerId, int periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;
};

}  // namespace yarrow
