#include "cards/CardEntry.h"

#include <cstdio>

namespace yarrow {

std::string FormatCardEntry(int number, std::string_view text) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", number);
    std::string entry(digits);
    entry.append(text);
    return entry;
}

std::optional<int> CardEntryNumber(std::string_view entry) {
    if (entry.size() < 5)
        return std::nullopt;
    int number = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        const char c = entry[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string CardEntryText(std::string_view entry) {
    return entry.size() > 5 ? std::string(entry.substr(5)) : std::string();
}

}  // namespace yarrow
