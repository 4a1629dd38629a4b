#include "net/CDispatcher.h"

#include <ctime>

#include "net/CardLineText.h"
#include "net/ISessionPort.h"
#include "net/SessionText.h"
#include "platform/Cp932.h"
#include "platform/IClock.h"
#include "platform/IPrompter.h"
#include "platform/IWindowTimers.h"

namespace yarrow {

CDispatcher::CDispatcher(Deps deps) : deps_(std::move(deps)) {}

bool CDispatcher::IsOwn(const CMsg& msg) const {
    return msg.ID == deps_.port.MyID();
}

void CDispatcher::Line(const CMsg& msg, std::int32_t kind, const std::string& text) {
    deps_.log.AppendChatLine(msg.Name, text, msg.Color, kind);
}

void CDispatcher::Dispatch(CMsg& msg) {
    switch (msg.Type) {
        case CnctStart:
            if (deps_.session)
                deps_.session->OnCnctStart(msg);
            break;
        case CnctReply:
            MembersChanged(msg, true);
            break;
        case UpdateMbr:
            MembersChanged(msg, false);
            break;
        case LogBox:
            Line(msg, LogBox, msg.Text);
            deps_.members.SetTyping(msg.ID, false);
            break;
        case Chart:
            OnChart(msg);
            break;
        case ChartLock:
            if (!IsOwn(msg))
                deps_.chart.SetChartLock(true, msg.Text);
            break;
        case Secret:
            OnSecret(msg);
            break;
        case DiceRoll:
            Line(msg, DiceRoll, msg.Text);
            break;
        case ScreenDice:
            // The roller saw its real result when rolling.
            if (!IsOwn(msg))
                Line(msg, ScreenDice, msg.Text);
            break;
        case NowSaying:
            deps_.members.SetTyping(msg.ID, true);
            break;
        case EndSaying:
            deps_.members.SetTyping(msg.ID, false);
            break;
        case UpdateMap:
            deps_.map.ReceiveMap(msg);
            break;
        case CallMember:
            OnCall(msg);
            break;
        case DrawCard:
            OnDrawCard(msg);
            break;
        case ScreenCard:
            OnScreenCard(msg);
            break;
        case MoveCard:
            OnMoveCard(msg);
            break;
        case DeckEmpty: {
            static const std::string text = Sjis("◇ 山札が空です");
            deps_.log.AppendNoticeLine(text);
            break;
        }
        case ShuffleDeck: {
            static const std::string text = Sjis("◇ 山札をシャッフルしました");
            deps_.log.AppendNoticeLine(text);
            break;
        }
        case DeckEmptyReshuffle:
            OnReshuffleOffer(msg);
            break;
        case MsgType::Disconnect:
            deps_.members.RemoveMember(msg.ID);
            deps_.cards.RemovePlayer(msg.ID);
            deps_.log.AppendNoticeLine(msg.Text);
            break;
        case ResetMembers:
            OnResetMembers();
            break;
        case StartTimer:
            Line(msg, StartTimer, msg.Text);
            break;
        case CountTimer:
            deps_.log.AppendNoticeLine(msg.Text);
            break;
        case PassCard:
            OnPassCard(msg);
            break;
        case GetCardStat:
            if (IsOwn(msg))
                deps_.cards.ShowCardStat(msg.Param1, msg.Param2, msg.Strings);
            break;
        case ResetGrave: {
            static const std::string text = Sjis("◇ 捨札を山札に戻してシャッフルしました");
            deps_.cards.ClearDiscard();
            deps_.log.AppendNoticeLine(text);
            break;
        }
        case InitDeck:
            deps_.cards.ResetDeck(msg.Text, msg.Param1);
            break;
        case RndmGet:
            OnRandomCardRequest(msg);
            break;
        case DenyPass:
            Line(msg, PassCard, msg.Text);
            break;
        default:
            // 28 and unknown types carry nothing for a participant.
            break;
    }
}

void CDispatcher::MembersChanged(const CMsg& msg, bool showNotice) {
    deps_.members.RebuildMembers(msg.Members);
    // Empty when the member was listed already: no second join notice.
    if (showNotice && !msg.Text.empty())
        deps_.log.AppendNoticeLine(msg.Text);
    std::vector<CMember> others;
    for (const auto& member : msg.Members)
        if (member.MemberID != deps_.port.MyID())
            others.push_back(member);
    deps_.cards.SetPlayers(others);
}

void CDispatcher::OnChart(const CMsg& msg) {
    if (!deps_.chart.IsChartShown()) {
        if (deps_.autoChartShow && deps_.autoChartShow()) {
            deps_.chart.ShowChart();
        } else {
            static const std::string text = Sjis("◇ 表に更新がありました");
            deps_.log.AppendNoticeLine(text);
        }
    }
    deps_.chart.ApplyChart(msg);
}

void CDispatcher::OnSecret(const CMsg& msg) {
    const std::size_t count = msg.Recipients.size();
    for (std::size_t position = 0; position < count; ++position) {
        const auto entry = msg.Recipients.find(static_cast<std::uint16_t>(position));
        if (entry == msg.Recipients.end() || entry->second != deps_.port.MyID())
            continue;
        // The line's name is the sender's, "->", then our own speaker name.
        deps_.log.AppendChatLine(msg.Name + "->" + deps_.port.SpeakerName(), msg.Text, msg.Color,
                                 Secret);
        return;
    }
}

void CDispatcher::OnCall(const CMsg& msg) {
    if (!IsOwn(msg))
        return;
    if (deps_.alertCall)
        deps_.alertCall();
    const std::time_t now = deps_.clock.Now();
    std::tm local{};
    localtime_r(&now, &local);
    static const std::string label = Sjis("呼出時間 ");
    const std::string when =
        label + SjisFormat("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    deps_.log.AppendNoticeLine(SjisFormat("%s(%s)", msg.Text.c_str(), when.c_str()));
}

void CDispatcher::OnDrawCard(const CMsg& msg) {
    if (IsOwn(msg))
        deps_.cards.AddToHand(msg.Param1, msg.Text);
    deps_.cards.SetCardsLeft(msg.Param2);
    Line(msg, DrawCard, msg.Text);
}

void CDispatcher::OnScreenCard(const CMsg& msg) {
    deps_.cards.SetCardsLeft(msg.Param2);
    if (IsOwn(msg)) {
        // The drawer sees its card as an open draw.
        deps_.cards.AddToHand(msg.Param1, msg.Text);
        Line(msg, DrawCard, msg.Text);
    } else {
        Line(msg, ScreenCard, "ScreenCard");
    }
}

void CDispatcher::OnMoveCard(const CMsg& msg) {
    const bool own = IsOwn(msg);
    const std::int32_t moveCode = msg.Param1 & 0xFFFF;
    Line(msg, MoveCard, MoveCardText(moveCode, msg.Strings, own));
    // The mover's window moved the cards when they were dropped; the echo
    // lists what the hub really moved.
    if (own)
        deps_.cards.SettleOwnMove(msg.Strings);
    else
        deps_.cards.FollowDiscardMove(moveCode, msg.Strings);
}

void CDispatcher::OnReshuffleOffer(const CMsg& msg) {
    if (!IsOwn(msg))
        return;
    deps_.later([this] {
        static const std::string question =
            Sjis("山札が空です。捨札を山札に戻してシャッフルしますか？");
        static const std::string caption = Sjis("確認");
        if (deps_.prompter.Ask(question, caption, PromptIcon::Question, PromptButtons::YesNo) ==
            PromptAnswer::Yes)
            deps_.port.SendText(std::string(), ResetGrave);
    });
}

void CDispatcher::OnResetMembers() {
    deps_.port.SendText(deps_.port.MyName(), UpdateMbr);
    deps_.members.ClearMembers();
    if (deps_.port.IsConnected())
        deps_.timers.StartTimer(kMemberCheckTimer, kMemberCheckMs);
}

void CDispatcher::OnMemberCheckTimer() {
    deps_.timers.KillTimer(kMemberCheckTimer);
    IOwnedHub* hub = deps_.session ? deps_.session->OwnedHub() : nullptr;
    if (deps_.port.IsConnected() && hub)
        hub->PurgeCardHolders(deps_.members.MemberIDs());
}

void CDispatcher::OnPassCard(const CMsg& msg) {
    // The giver's window took the cards out of its hand when it sent them;
    // the echo lists what the hub really passed.
    if (IsOwn(msg))
        deps_.cards.SettleOwnPass(msg.Strings);
    if (msg.Param1 == deps_.port.MyID()) {
        for (const auto& entry : msg.Strings) {
            if (auto card = ParseCardEntry(entry))
                deps_.cards.AddToHand(card->number, card->text);
        }
    }
    Line(msg, PassCard, PassCardText(deps_.members.MemberName(msg.Param1), msg.Strings.size()));
}

void CDispatcher::OnRandomCardRequest(const CMsg& msg) {
    Line(msg, PassCard, RandomCardRequestText(deps_.members.MemberName(msg.Param1)));
    if (msg.Param1 != deps_.port.MyID())
        return;
    deps_.later([this, requesterID = msg.ID, requester = msg.Name] {
        static const std::string questionFormat =
            Sjis("%s からカードの譲渡要求があります。\r\n譲渡しますか？");
        static const std::string caption = Sjis("確認");
        const auto answer =
            deps_.prompter.Ask(SjisFormat(questionFormat.c_str(), requester.c_str()), caption,
                               PromptIcon::Question, PromptButtons::YesNo);
        if (answer == PromptAnswer::Yes && deps_.cards.GiveRandomCard(requesterID))
            return;
        static const std::string denyFormat = Sjis("%s からのカード譲渡要求を拒否しました");
        deps_.port.SendChat(deps_.port.SpeakerName(),
                            SjisFormat(denyFormat.c_str(), requester.c_str()), deps_.port.MyColor(),
                            DenyPass);
    });
}

}  // namespace yarrow
