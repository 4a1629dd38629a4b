#include "cards/CCardSender.h"

#include "cards/ICardHost.h"
#include "net/CMsg.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

CMsg CardRecord(ICardHost& host, std::int32_t type) {
    CMsg msg;
    msg.Type = type;
    msg.Name = host.SpeakerName();
    msg.Color = host.MyColor();
    msg.ID = host.MyID();
    return msg;
}

}  // namespace

bool CCardSender::IsConnected() const {
    return host_.IsConnected();
}

bool CCardSender::NeedConnection() {
    if (host_.IsConnected())
        return true;
    static const std::string notice = Sjis("◇ この機能はサーバに接続していないと使用できません");
    host_.AppendNoticeLine(notice);
    return false;
}

void CCardSender::RequestDraw(bool open) {
    if (!NeedConnection())
        return;
    // The hub decides what is drawn; the answer comes back as the record.
    CMsg msg = CardRecord(host_, open ? DrawCard : ScreenCard);
    host_.DoSerialize(msg);
}

void CCardSender::RequestRandomCard(std::int32_t member) {
    if (!NeedConnection() || member <= 0)
        return;
    CMsg msg = CardRecord(host_, RndmGet);
    msg.Param1 = member;
    host_.DoSerialize(msg);
}

bool CCardSender::SendMoveCards(std::int32_t moveCode, const std::vector<std::string>& entries) {
    if (!host_.IsConnected() || entries.empty())
        return false;
    CMsg msg = CardRecord(host_, MoveCard);
    msg.Param1 = moveCode;
    msg.Strings = entries;
    return host_.DoSerialize(msg);
}

void CCardSender::RequestCardStat(std::int32_t member) {
    if (!host_.IsConnected() || member <= 0)
        return;
    CMsg msg = CardRecord(host_, GetCardStat);
    msg.Param1 = member;
    host_.DoSerialize(msg);
}

bool CCardSender::PassCards(std::int32_t member, const std::vector<std::string>& entries) {
    if (!host_.IsConnected() || member <= 0 || entries.empty())
        return false;
    CMsg msg = CardRecord(host_, PassCard);
    msg.Param1 = member;
    msg.Strings = entries;
    return host_.DoSerialize(msg);
}

void CCardSender::DenyRandomCard(const std::string& requesterName) {
    if (!host_.IsConnected())
        return;
    static const std::string format = Sjis(" からのカード譲渡要求を拒否しました");
    CMsg msg = CardRecord(host_, DenyPass);
    msg.Text = requesterName + format;
    host_.DoSerialize(msg);
}

void CCardSender::ShuffleDeck() {
    if (!NeedConnection())
        return;
    CMsg msg;
    msg.Type = yarrow::ShuffleDeck;
    msg.ID = host_.MyID();
    host_.DoSerialize(msg);
}

void CCardSender::ResetGrave() {
    if (!NeedConnection())
        return;
    CMsg msg;
    msg.Type = yarrow::ResetGrave;
    msg.ID = host_.MyID();
    host_.DoSerialize(msg);
}

}  // namespace yarrow
