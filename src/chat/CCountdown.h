#pragma once
// The countdown a player starts with "$TIMER": the start line, announcements
// at the chosen interval, then every second during the last five seconds, and
// "Time Up!". Only the starter's program runs it and sends the announcements;
// receivers only show them. Driven by the view's window timers 1 and 2, whose
// ticks are forwarded here, so the bookkeeping needs no clock.

#include <cstdint>
#include <string>

#include "platform/IWindowTimers.h"

namespace yarrow {

class ISessionPort;

// "%d秒", "%d分%d秒" or "%d時間%d分%d秒"; zero parts are written.
std::string FormatDuration(int seconds);

class CCountdown {
  public:
    static constexpr int kTickTimer = 1;  // the repeating announcement tick
    static constexpr int kEndTimer = 2;   // the one-shot end
    // The remaining time is kept in milliseconds in 32 bits.
    static constexpr int kMaxSeconds = INT32_MAX / 1000;

    CCountdown(ISessionPort& session, IWindowTimers& timers) : session_(session), timers_(timers) {}

    // Starts (or replaces) the countdown of `totalSeconds`, announced every
    // `intervalSeconds`. False for a total or interval that is not positive, an
    // interval longer than the total, or a total too long to count; a running
    // countdown is left alone then.
    bool BeginCountdown(int totalSeconds, int intervalSeconds);
    // Stops the window timers and announces the cancel. The remaining time
    // keeps its value, so "$TIMER" alone cancels again.
    void CancelCountdown();

    void OnTickTimer();  // window timer 1
    void OnEndTimer();   // window timer 2

    // Milliseconds; 0 when no countdown has run or after "Time Up!". "$TIMER"
    // without times cancels only while this is not 0.
    std::int32_t Remaining() const { return remaining_; }
    std::int32_t Step() const { return step_; }

  private:
    void SendCount(const std::string& text);

    ISessionPort& session_;
    IWindowTimers& timers_;
    std::int32_t remaining_ = 0;
    std::int32_t step_ = 0;
};

}  // namespace yarrow
