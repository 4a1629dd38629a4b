#include "net/CardLineText.h"

#include <cstdio>

#include "net/SessionText.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

bool IsPublicPile(int pile) {
    return pile == 2 || pile == 4;
}

}  // namespace

std::string FormatCardEntry(int number, std::string_view text) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", number);
    std::string entry(digits);
    entry.append(text);
    return entry;
}

std::optional<CardEntry> ParseCardEntry(std::string_view entry) {
    if (entry.size() < 5)
        return std::nullopt;
    CardEntry card;
    for (std::size_t i = 0; i < 5; ++i) {
        const char c = entry[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        card.number = card.number * 10 + (c - '0');
    }
    card.text = std::string(entry.substr(5));
    return card;
}

std::string PileName(int pile) {
    static const std::string names[] = {Sjis("手札"), Sjis("場札(公)"), Sjis("場札(伏)"),
                                        Sjis("捨札")};
    if (pile >= 1 && pile <= 4)
        return names[pile - 1];
    return "Err";
}

std::string MoveCardText(std::int32_t moveCode, const std::vector<std::string>& entries,
                         bool ownMove) {
    const int from = (moveCode >> 8) & 0xFF;
    const int to = moveCode & 0xFF;
    if (!ownMove && !IsPublicPile(from) && !IsPublicPile(to)) {
        // Private piles: the others learn only how many cards moved.
        static const std::string format = Sjis("カードを%d枚\t%s\t%s");
        return SjisFormat(format.c_str(), static_cast<int>(entries.size()), PileName(from).c_str(),
                          PileName(to).c_str());
    }
    std::string cards;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            cards += ',';
        if (auto card = ParseCardEntry(entries[i]))
            cards += card->text;
    }
    return cards + "\t" + PileName(from) + "\t" + PileName(to);
}

std::string PassCardText(const std::string& receiverName, std::size_t count) {
    static const std::string format = Sjis("カードを%sに%d枚渡しました");
    return SjisFormat(format.c_str(), receiverName.c_str(), static_cast<int>(count));
}

std::string RandomCardRequestText(const std::string& askedName) {
    static const std::string tail = Sjis("にカードの譲渡要求をしました");
    return askedName + tail;
}

}  // namespace yarrow
