#pragma once
// Card entries as records carry them: "%05d%s", the card number in five
// decimal digits followed by the card's display text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yarrow {

std::string FormatCardEntry(int number, std::string_view text);

// The number of an entry: its first five characters, all decimal digits.
// None for anything else, so a damaged entry never names a card by accident.
std::optional<int> CardEntryNumber(std::string_view entry);

// The text after the five digits ("" when there is none).
std::string CardEntryText(std::string_view entry);

}  // namespace yarrow
