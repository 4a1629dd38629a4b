#include "chat/CCountdown.h"

#include <cstdio>

#include "net/ISessionPort.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

std::string Printf(const std::string& format, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    return buffer;
}

}  // namespace

std::string FormatDuration(int s) {
    static const std::string hours = Sjis("%d時間");
    static const std::string minutes = Sjis("%d分");
    static const std::string seconds = Sjis("%d秒");
    if (s < 60)
        return Printf(seconds, s);
    if (s < 3600)
        return Printf(minutes, s / 60) + Printf(seconds, s % 60);
    return Printf(hours, s / 3600) + Printf(minutes, (s / 60) % 60) + Printf(seconds, s % 60);
}

bool CCountdown::BeginCountdown(int total, int interval) {
    // Checked before the running countdown is touched: a mistyped command must
    // not silently stop the timer everybody is watching.
    if (total <= 0 || interval <= 0 || interval > total || total > kMaxSeconds)
        return false;
    timers_.KillTimer(kTickTimer);
    timers_.KillTimer(kEndTimer);

    if (total <= 5) {
        interval = 1;
    } else if (interval > 5 && total - interval <= 5) {
        // Make an announcement fall at five seconds before the end.
        interval -= 5;
    }
    remaining_ = total * 1000;
    step_ = interval * 1000;

    std::string text = FormatDuration(total);
    if (step_ != 1000) {
        static const std::string every = Sjis("(%s間隔)");
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, every.c_str(), FormatDuration(interval).c_str());
        text += buffer;
    }
    session_.SendChat(session_.SpeakerName(), text, session_.MyColor(), StartTimer);
    return timers_.StartTimer(kTickTimer, step_);
}

void CCountdown::OnTickTimer() {
    if (remaining_ <= 0 || step_ <= 0) {
        // A tick left over after the end or before any start.
        timers_.KillTimer(kTickTimer);
        return;
    }
    if (step_ < remaining_ - step_) {
        remaining_ -= step_;
    } else {
        timers_.KillTimer(kTickTimer);
        remaining_ -= step_;
        if (remaining_ <= 0) {
            remaining_ = 0;
            OnEndTimer();
            return;
        }
        timers_.StartTimer(kEndTimer, remaining_);
    }

    // Re-pace so that the last five seconds are announced one by one.
    if (remaining_ > 1000 && remaining_ <= 5000) {
        step_ = 1000;
        timers_.StartTimer(kTickTimer, step_);
    } else if (remaining_ - step_ <= 5000 && remaining_ > 1000) {
        step_ = remaining_ - 5000;
        timers_.StartTimer(kTickTimer, step_);
    }

    static const std::string left = Sjis("<b>あと %s</b>");
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, left.c_str(), FormatDuration(remaining_ / 1000).c_str());
    SendCount(buffer);
}

void CCountdown::OnEndTimer() {
    timers_.KillTimer(kEndTimer);
    SendCount("<b>Time Up!</b>");
    remaining_ = 0;
    step_ = 0;
}

void CCountdown::CancelCountdown() {
    timers_.KillTimer(kTickTimer);
    timers_.KillTimer(kEndTimer);
    static const std::string cancelled = Sjis("<b>タイマをキャンセルしました</b>");
    SendCount(cancelled);
}

void CCountdown::SendCount(const std::string& text) {
    session_.SendText(text, CountTimer);
}

}  // namespace yarrow
