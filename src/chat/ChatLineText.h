#pragma once
// The plain-text form of typed chat lines: what the text log gets and what the
// hub's past log keeps. Shared by the chat window and the windowless hub.
// All texts are code page 932 bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yarrow {

// The pieces of a MoveCard text: card, source pile and destination pile,
// separated by tabs. Missing tabs leave the leading pieces empty.
struct MoveCardPieces {
    std::string card;
    std::string from;
    std::string to;
};
MoveCardPieces SplitMoveCardText(std::string_view text);

// The text-log line of a typed chat line, ending in CR LF, with "<cr>" and
// "<CR>" turned into CR LF. No line for ScreenCard, for an empty text, or for a
// type that is not a typed chat line.
std::optional<std::string> PlainTextLine(std::int32_t type, std::string_view name,
                                         std::string_view text);

// The line the hub's past log keeps for a typed chat line: the plain-text line,
// except that whispers are never kept and hidden dice and hidden cards keep
// only their fixed lines.
std::optional<std::string> PastLogLine(std::int32_t type, std::string_view name,
                                       std::string_view text);

}  // namespace yarrow
