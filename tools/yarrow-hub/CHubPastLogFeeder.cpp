#include "CHubPastLogFeeder.h"

#include <cstdio>

#include "chat/ChatLineText.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

struct Pile {
    const char* name;  // UTF-8
    bool isPublic;
};

Pile PileOf(int code) {
    switch (code) {
        case 1:
            return {"手札", false};
        case 2:
            return {"場札(公)", true};
        case 3:
            return {"場札(伏)", false};
        case 4:
            return {"捨札", true};
        default:
            return {"Err", false};
    }
}

std::string MemberName(const std::vector<CMember>& members, std::int32_t id) {
    for (const CMember& m : members) {
        if (m.MemberID == id)
            return m.MemberName;
    }
    return {};
}

// "%d" with the count and the text around it, all code page 932.
std::string WithCount(const std::string& before, std::size_t count, const std::string& after) {
    return before + std::to_string(count) + after;
}

}  // namespace

std::string CHubPastLogFeeder::MoveCardText(const CMsg& move) {
    const int code = move.Param1 & 0xFFFF;
    const Pile from = PileOf(code >> 8);
    const Pile to = PileOf(code & 0xFF);
    std::string cards;
    if (!from.isPublic && !to.isPublic) {
        // Private piles: the others learn only how many cards moved.
        static const std::string head = Sjis("カードを");
        static const std::string tail = Sjis("枚");
        cards = WithCount(head, move.Strings.size(), tail);
    } else {
        for (std::size_t i = 0; i < move.Strings.size(); ++i) {
            if (i > 0)
                cards += ",";
            const std::string& entry = move.Strings[i];
            cards += entry.size() > 5 ? entry.substr(5) : std::string();
        }
    }
    return cards + "\t" + Sjis(from.name) + "\t" + Sjis(to.name);
}

std::optional<std::string> CHubPastLogFeeder::LineFor(const CMsg& relayed,
                                                      const std::vector<CMember>& members) {
    switch (relayed.Type) {
        case LogBox:
        case DiceRoll:
        case ScreenDice:
        case DrawCard:
        case StartTimer:
            return PastLogLine(relayed.Type, relayed.Name, relayed.Text);
        case ScreenCard:
            // The card itself is the drawer's secret; others see a fixed line.
            return PastLogLine(ScreenCard, relayed.Name, "ScreenCard");
        case MoveCard:
            return PastLogLine(MoveCard, relayed.Name, MoveCardText(relayed));
        case PassCard: {
            static const std::string head = Sjis("カードを");
            static const std::string mid = Sjis("に");
            static const std::string tail = Sjis("枚渡しました");
            const std::string text = WithCount(head + MemberName(members, relayed.Param1) + mid,
                                               relayed.Strings.size(), tail);
            return PastLogLine(PassCard, relayed.Name, text);
        }
        case RndmGet: {
            static const std::string tail = Sjis("にカードの譲渡要求をしました");
            return PastLogLine(PassCard, relayed.Name, MemberName(members, relayed.Param1) + tail);
        }
        case DenyPass:
            return PastLogLine(PassCard, relayed.Name, relayed.Text);
        default:
            return std::nullopt;  // whispers and everything that is not a typed line
    }
}

}  // namespace yarrow
