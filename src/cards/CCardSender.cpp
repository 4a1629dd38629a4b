#include "cards/CCardSender.h"

#include "net/CMsg.h"
#include "net/DispatchTargets.h"
#include "net/ISessionPort.h"
#include "platform/Cp932.h"

namespace yarrow {

namespace {

CMsg CardRecord(const ISessionPort& port, std::int32_t type) {
    CMsg msg;
    msg.Type = type;
    msg.Name = port.SpeakerName();
    msg.Color = port.MyColor();
    msg.ID = port.MyID();
    return msg;
}

}  // namespace

bool CCardSender::NeedConnection() {
    if (port_.IsConnected())
        return true;
    static const std::string notice = Sjis("◇ この機能はサーバに接続していないと使用できません");
    log_.AppendNoticeLine(notice);
    return false;
}

void CCardSender::RequestDraw(bool open) {
    if (!NeedConnection())
        return;
    // The hub decides what is drawn; the answer comes back as the record.
    CMsg msg = CardRecord(port_, open ? DrawCard : ScreenCard);
    port_.DoSerialize(msg);
}

void CCardSender::RequestRandomCard(std::int32_t member) {
    if (!NeedConnection() || member <= 0)
        return;
    CMsg msg = CardRecord(port_, RndmGet);
    msg.Param1 = member;
    port_.DoSerialize(msg);
}

bool CCardSender::SendMoveCards(std::int32_t moveCode, const std::vector<std::string>& entries) {
    if (!port_.IsConnected() || entries.empty())
        return false;
    CMsg msg = CardRecord(port_, MoveCard);
    msg.Param1 = moveCode;
    msg.Strings = entries;
    return port_.DoSerialize(msg);
}

void CCardSender::RequestCardStat(std::int32_t member) {
    if (!port_.IsConnected() || member <= 0)
        return;
    CMsg msg = CardRecord(port_, GetCardStat);
    msg.Param1 = member;
    port_.DoSerialize(msg);
}

bool CCardSender::PassCards(std::int32_t member, const std::vector<std::string>& entries) {
    if (!port_.IsConnected() || member <= 0 || entries.empty())
        return false;
    CMsg msg = CardRecord(port_, PassCard);
    msg.Param1 = member;
    msg.Strings = entries;
    return port_.DoSerialize(msg);
}

void CCardSender::ShuffleDeck() {
    if (!NeedConnection())
        return;
    CMsg msg;
    msg.Type = yarrow::ShuffleDeck;
    msg.ID = port_.MyID();
    port_.DoSerialize(msg);
}

void CCardSender::ResetGrave() {
    if (!NeedConnection())
        return;
    CMsg msg;
    msg.Type = yarrow::ResetGrave;
    msg.ID = port_.MyID();
    port_.DoSerialize(msg);
}

}  // namespace yarrow
