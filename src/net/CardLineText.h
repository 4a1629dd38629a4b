#pragma once
// The texts of the card lines in the chat log, as every receiving window and
// the windowless hub's past log write them. Texts are code page 932 bytes.

#include <cstddef>
#include <cstdint>
#include <string>
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

// The number and text of a card entry "%05d%s".
struct CardEntry {
    std::int32_t number = 0;
    std::string text;
};
CardEntry ParseCardEntry(const std::string& entry);

}  // namespace yarrow
