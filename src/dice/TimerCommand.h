#pragma once
// The "$TIMER" command of the expression box: "$TIMER,<total>[,<interval>]",
// each a number with an optional unit letter (h/H hours, m/M minutes, else
// seconds); "$TIMER" alone cancels a running countdown.

#include <cstdint>
#include <string_view>

namespace yarrow {

enum class TimerCommand { Invalid = 0, Start = 1, Cancel = 2 };

// The longest countdown: its remaining time is kept in milliseconds in 32 bits,
// so longer totals are refused instead of wrapping round.
inline constexpr std::int32_t kMaxTimerSeconds = 2147483;

// `remainingMs` is the countdown's remaining time (0 when idle). "$TIMER" alone
// gives Cancel while it is not 0, otherwise Start with a duration of 0, which
// the countdown refuses.
TimerCommand ParseTimerCommand(std::string_view text, std::int32_t remainingMs,
                               std::int32_t& durationSeconds, std::int32_t& intervalSeconds);

}  // namespace yarrow
