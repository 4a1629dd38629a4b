#pragma once
// The members of the chat as the member list pane shows them: sorted by their
// connection id, each with a typing mark. Also the rules around the list: who
// may be whispered to, how a whisper goes out and is received, the call
// request, and the member-list maintenance command with its timer.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

class IChatViewPort;
class IWindowTimers;

struct MemberEntry {
    std::string name;
    std::int32_t id = -1;
    bool typing = false;
};

// A row of the whisper window's list.
struct WhisperRow {
    std::string name;
    std::int32_t id = -1;
    bool checked = false;
};

// The maintenance menu item as it is shown.
struct MaintenanceItem {
    bool enabled = false;
    std::string text;
    bool ownIdListed = false;
};

class CMemberList {
  public:
    // The window timer of the five-second member check after a reset.
    static constexpr int kMemberCheckTimer = 3;
    static constexpr int kMemberCheckMs = 5000;

    // Replaces the list by the record's members, sorted by id (stable for equal
    // ids); every typing mark is cleared.
    void RebuildMembers(const std::vector<CMember>& members);
    void RemoveMember(std::int32_t id);
    void ClearMembers();
    // False when no member has that id.
    bool SetTyping(std::int32_t id, bool on);

    const std::vector<MemberEntry>& Entries() const { return entries_; }
    bool Contains(std::int32_t id) const;
    std::optional<std::string> NameOf(std::int32_t id) const;
    std::vector<std::int32_t> Ids() const;

    // Every member but oneself, in list order; the preset target is checked.
    std::vector<WhisperRow> WhisperRows(std::int32_t myId, std::int32_t presetTarget) const;

    MaintenanceItem MaintenanceMenuItem(bool connected, std::int32_t myId) const;

  private:
    std::vector<MemberEntry> entries_;
};

// "%s さんをコールします。\r\nよろしいですか？"
std::string CallConfirmText(const std::string& memberName);
// The call record: type 12, "%s さんからのコールです" with the caller's handle
// name, the target's id in the id field.
CMsg MakeCallMsg(const std::string& callerName, std::int32_t targetId);
// Sends a call while connected; otherwise tells the user that calls need a
// connection. True when the record went out.
bool SendCall(IChatViewPort& view, std::int32_t targetId);

// Sends a whisper from the whisper window: the checked rows (in order) and the
// text. Nothing goes out without a checked row or a text. While connected, the
// sender's own log gets the line under handle name + "->" + the first checked
// name, then the Secret record goes to the hub. True when it went out.
bool SendWhisper(IChatViewPort& view, std::string text, const std::vector<WhisperRow>& checked);
// The Secret record for the text and recipients.
CMsg MakeWhisperMsg(const std::string& text, const std::string& senderName, std::int32_t color,
                    std::int32_t senderId, const std::vector<std::int32_t>& recipients);
// The name a received whisper is shown under: sender + "->" + own speaker
// name, when the own id is among the recipients; nothing otherwise.
std::optional<std::string> ReceivedWhisperName(const CMsg& msg, std::int32_t myId,
                                               const std::string& speakerName);

// Choosing the maintenance item: a reset request (type 21) when the own id is
// listed, otherwise announcing oneself (UpdateMbr with the handle name).
void RunMaintenanceCommand(IChatViewPort& view, const CMemberList& list);
// Receiving a reset request: announce oneself, empty the list, and while
// connected start the five-second member check.
void OnMemberResetRequest(IChatViewPort& view, IWindowTimers& timers, CMemberList& list);
// The member check timer: stop it; while connected and hosting, hand the ids
// still listed to the hub's card-holder purge.
void OnMemberCheckTimer(IChatViewPort& view, IWindowTimers& timers, const CMemberList& list,
                        bool hosting, const std::function<void(std::vector<std::int32_t>)>& purge);

}  // namespace yarrow
