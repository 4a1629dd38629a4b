#include "dice/TimerCommand.h"

#include "platform/SjisText.h"

namespace yarrow {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Leading digits (after blanks) with the unit letter that ends them. Values
// beyond the longest countdown come back as kMaxTimerSeconds + 1.
std::int64_t ReadTime(std::string_view s) {
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    std::int64_t value = 0;
    std::size_t pos = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        if (value <= kMaxTimerSeconds)
            value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    if (pos < s.size()) {
        if (s[pos] == 'H' || s[pos] == 'h')
            value *= 3600;
        else if (s[pos] == 'M' || s[pos] == 'm')
            value *= 60;
    }
    return value > kMaxTimerSeconds ? kMaxTimerSeconds + 1 : value;
}

}  // namespace

TimerCommand ParseTimerCommand(std::string_view text, std::int32_t remainingMs,
                               std::int32_t& durationSeconds, std::int32_t& intervalSeconds) {
    static constexpr std::string_view kWord = "$TIMER";
    if (text.substr(0, kWord.size()) != kWord)
        return TimerCommand::Invalid;
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        if (remainingMs != 0)
            return TimerCommand::Cancel;
        durationSeconds = 0;
        intervalSeconds = 1;
        return TimerCommand::Start;
    }
    std::string_view rest = TrimBlanks(text.substr(comma + 1));
    const std::int64_t duration = ReadTime(rest);
    std::int64_t interval = 1;
    const std::size_t second = rest.find(',');
    if (second != std::string_view::npos)
        interval = ReadTime(rest.substr(second + 1));
    if (duration < 1 || interval < 1 || duration > kMaxTimerSeconds || interval > kMaxTimerSeconds)
        return TimerCommand::Invalid;
    durationSeconds = static_cast<std::int32_t>(duration);
    intervalSeconds = static_cast<std::int32_t>(interval);
    return TimerCommand::Start;
}

}  // namespace yarrow
