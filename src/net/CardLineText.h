#pragma once
// Card entries as records carry them, and the texts of the card lines in the
// chat log as every receiving window and the hubs' past log write them. The
// one reading of an entry for the hub, the dispatcher and the card window.
// Texts are code page 932 bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yarrow {

// "手札", "場札(公)", "場札(伏)", "捨札" for piles 1-4; "Err" for any other code.
std::string PileName(int pile);

// A card move (code: source pile << 8 | destination pile): the cards' texts
// separated by commas, or "カードを%d枚" when both piles are private and the
// reader is not the mover, then the two pile names, all separated by tabs.
std::string MoveCardText(std::int32_t moveCode, const std::vector<std::string>& entries,
                         bool ownMove);

// "カードを%sに%d枚渡しました" with the receiver's name.
std::string PassCardText(const std::string& receiverName, std::size_t count);

// "%sにカードの譲渡要求をしました" with the asked member's name.
std::string RandomCardRequestText(const std::string& askedName);

// A card as records carry it: the entry "%05d%s", the card number in five
// decimal digits followed by the card's display text.
struct CardEntry {
    std::int32_t number = 0;
    std::string text;
};
std::string FormatCardEntry(int number, std::string_view text);
// The number (its first five characters, all decimal digits) and the text
// after them. None for anything else, so a damaged entry never names a card
// by accident.
std::optional<CardEntry> ParseCardEntry(std::string_view entry);

}  // namespace yarrow
