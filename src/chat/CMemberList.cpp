#include "chat/CMemberList.h"

#include <algorithm>
#include <cstdio>

#include "chat/InputRules.h"
#include "net/DispatchTargets.h"
#include "net/ISessionPort.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"

namespace yarrow {

namespace {

std::string Fill(const std::string& format, const std::string& value) {
    std::string out;
    const auto at = format.find("%s");
    if (at == std::string::npos)
        return format;
    out.reserve(format.size() + value.size());
    out.append(format, 0, at);
    out += value;
    out.append(format, at + 2, std::string::npos);
    return out;
}

}  // namespace

void CMemberList::RebuildMembers(const std::vector<CMember>& members) {
    entries_.clear();
    entries_.reserve(members.size());
    for (const CMember& member : members) {
        entries_.push_back({member.MemberName, member.MemberID, false});
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const MemberEntry& a, const MemberEntry& b) { return a.id < b.id; });
}

void CMemberList::RemoveMember(std::int32_t id) {
    // Removes only the first: an id is given once per hub.
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [id](const MemberEntry& e) { return e.id == id; });
    if (it != entries_.end())
        entries_.erase(it);
}

void CMemberList::ClearMembers() {
    entries_.clear();
}

bool CMemberList::SetTyping(std::int32_t id, bool on) {
    bool found = false;
    for (MemberEntry& entry : entries_) {
        if (entry.id == id) {
            entry.typing = on;
            found = true;
        }
    }
    return found;
}

bool CMemberList::Contains(std::int32_t id) const {
    return NameOf(id).has_value();
}

std::optional<std::string> CMemberList::NameOf(std::int32_t id) const {
    for (const MemberEntry& entry : entries_) {
        if (entry.id == id)
            return entry.name;
    }
    return std::nullopt;
}

std::vector<std::int32_t> CMemberList::Ids() const {
    std::vector<std::int32_t> ids;
    ids.reserve(entries_.size());
    for (const MemberEntry& entry : entries_)
        ids.push_back(entry.id);
    return ids;
}

std::vector<WhisperRow> CMemberList::WhisperRows(std::int32_t myId,
                                                 std::int32_t presetTarget) const {
    std::vector<WhisperRow> rows;
    for (const MemberEntry& entry : entries_) {
        if (entry.id == myId)
            continue;
        rows.push_back({entry.name, entry.id, presetTarget != -1 && entry.id == presetTarget});
        Trace("InitMbrList[%d] ID:%d/%d\r\n", static_cast<int>(rows.size() - 1), presetTarget,
              entry.id);
    }
    return rows;
}

MaintenanceItem CMemberList::MaintenanceMenuItem(bool connected, std::int32_t myId) const {
    static const std::string reset = Sjis("メンバリストをリセットする");
    static const std::string announce = Sjis("接続情報をサーバに送信する");
    MaintenanceItem item;
    item.enabled = connected;
    item.ownIdListed = Contains(myId);
    if (item.ownIdListed) {
        item.text = reset;
    } else {
        item.text = announce;
        Trace("List none\r\n");
    }
    return item;
}

std::string CallConfirmText(const std::string& memberName) {
    static const std::string format = Sjis("%s さんをコールします。\r\nよろしいですか？");
    return Fill(format, memberName);
}

CMsg MakeCallMsg(const std::string& callerName, std::int32_t targetId) {
    static const std::string format = Sjis("%s さんからのコールです");
    CMsg msg;
    msg.Type = CallMember;
    msg.ID = targetId;
    msg.Text = Fill(format, callerName);
    return msg;
}

bool SendCall(ISessionPort& session, std::int32_t targetId) {
    if (!session.IsConnected())
        return false;
    return session.DoSerialize(MakeCallMsg(session.MyName(), targetId));
}

CMsg MakeWhisperMsg(const std::string& text, const std::string& senderName, std::int32_t color,
                    const std::vector<std::int32_t>& recipients) {
    CMsg msg;
    msg.Type = Secret;
    msg.ID = 0;
    msg.Name = senderName;
    msg.Text = text;
    msg.Color = color;
    // The wire keys recipients by their position in 16 bits.
    const std::size_t count = std::min<std::size_t>(recipients.size(), 0x10000);
    for (std::size_t i = 0; i < count; ++i) {
        msg.Recipients[static_cast<std::uint16_t>(i)] = recipients[i];
    }
    return msg;
}

bool SendWhisper(ISessionPort& session, IChatLogTarget& log, std::string text,
                 const std::vector<WhisperRow>& checked) {
    if (checked.empty() || text.empty() || !session.IsConnected())
        return false;
    text = IndentContinuation(std::move(text), session.SpeakerName().size());
    std::vector<std::int32_t> ids;
    ids.reserve(checked.size());
    for (const WhisperRow& row : checked)
        ids.push_back(row.id);
    const std::string myName = session.MyName();
    log.AppendChatLine(myName + "->" + checked.front().name, text, session.MyColor(), Secret);
    return session.DoSerialize(MakeWhisperMsg(text, myName, session.MyColor(), ids));
}

void RunMaintenanceCommand(ISessionPort& session, const CMemberList& list) {
    if (list.Contains(session.MyID())) {
        session.SendText(std::string(), ResetMembers);
    } else {
        session.SendText(session.MyName(), UpdateMbr);
    }
}

}  // namespace yarrow
