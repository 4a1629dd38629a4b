#include "chat/CHubPastLogFeeder.h"

#include <cstdio>

#include "chat/ChatLineText.h"
#include "net/CardLineText.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

std::string MemberName(const std::vector<CMember>& members, std::int32_t id) {
    for (const CMember& m : members) {
        if (m.MemberID == id)
            return m.MemberName;
    }
    return {};
}

}  // namespace

std::string CHubPastLogFeeder::MoveCardText(const CMsg& move) {
    return yarrow::MoveCardText(move.Param1 & 0xFFFF, move.Strings, false);
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
        case PassCard:
            return PastLogLine(
                PassCard, relayed.Name,
                PassCardText(MemberName(members, relayed.Param1), relayed.Strings.size()));
        case RndmGet:
            return PastLogLine(PassCard, relayed.Name,
                               RandomCardRequestText(MemberName(members, relayed.Param1)));
        case DenyPass:
            return PastLogLine(PassCard, relayed.Name, relayed.Text);
        default:
            return std::nullopt;  // whispers and everything that is not a typed line
    }
}

}  // namespace yarrow
