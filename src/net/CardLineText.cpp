#include "net/CardLineText.h"

#include "net/SessionText.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

bool IsPublicPile(int pile) {
    return pile == 2 || pile == 4;
}

}  // namespace

CardEntry ParseCardEntry(const std::string& entry) {
    CardEntry card;
    for (std::size_t i = 0; i < entry.size() && i < 5; ++i) {
        const char c = entry[i];
        if (c < '0' || c > '9')
            break;
        card.number = card.number * 10 + (c - '0');
    }
    if (entry.size() > 5)
        card.text = entry.substr(5);
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
        cards += ParseCardEntry(entries[i]).text;
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
