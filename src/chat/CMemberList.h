#pragma once
// The members of the chat as the member list pane shows them: sorted by their
// connection id, each with a typing mark. Also the rules around the list: who
// may be whispered to, how a whisper and a call go out, and the member-list
// maintenance command. Receiving them is the dispatcher's.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

class IChatLogTarget;
class ISessionPort;

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
// Sends a call. Calls only mean something to somebody connected: offline
// nothing happens and nothing is shown. True when the record went out.
bool SendCall(ISessionPort& session, std::int32_t targetId);

// Sends a whisper from the whisper window: the checked rows (in order) and the
// text. Nothing goes out without a checked row or a text, and nothing happens
// offline. The sender's own log gets the line under handle name + "->" + the
// first checked name, then the Secret record goes to the hub. True when it
// went out.
bool SendWhisper(ISessionPort& session, IChatLogTarget& log, std::string text,
                 const std::vector<WhisperRow>& checked);
// The Secret record for the text and recipients. Its ID field is 0: a whisper
// is addressed by its recipient list alone.
CMsg MakeWhisperMsg(const std::string& text, const std::string& senderName, std::int32_t color,
                    const std::vector<std::int32_t>& recipients);

// Choosing the maintenance item: a reset request (type 21) when the own id is
// listed, otherwise announcing oneself (UpdateMbr with the handle name).
void RunMaintenanceCommand(ISessionPort& session, const CMemberList& list);

}  // namespace yarrow
