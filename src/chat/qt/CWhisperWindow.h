#pragma once
// The whisper window ("秘話"): the text on the left, the members with check
// boxes on the right. Enter in the text sends to the checked members, Ctrl+Enter
// breaks the line, Esc hides the window. Created once, then shown and hidden;
// every show refills the list from the member list pane, never offering
// oneself, and checks the member a double-click chose.

#include <QDialog>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "chat/CMemberList.h"

class QListWidget;
class QPlainTextEdit;

namespace yarrow {

class IChatLogTarget;
class ISessionPort;

class CWhisperWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CWhisperWindow(QWidget* parent = nullptr);

    // The connection that sends, the log that shows the own line and the
    // members shown; all outlive the window.
    void Attach(ISessionPort* session, IChatLogTarget* log, const CMemberList* members);

    // The member to check on the next show (-1: none).
    void SetPresetTarget(std::int32_t id) { presetTarget_ = id; }
    std::int32_t PresetTarget() const { return presetTarget_; }

    // Refills the list (the preset target checked, then forgotten).
    void RefillMembers();
    // While the window is open, its list follows the members as they join
    // and leave; each check stays with its member, also through a moment
    // away from the list (a member list reset empties it until everybody has
    // answered). A closed window waits for its next show.
    void UpdateMembers();
    // The menu command and the member list's double-click: refill, then show,
    // raise and activate, also when the window is already open.
    void Present();
    // Sends the text to the checked members, then empties the text in every
    // case. True when the whisper went out.
    bool SendWhisperNow();

    // The checked rows in list order.
    std::vector<WhisperRow> CheckedRows() const;

    QPlainTextEdit* TextEdit() const { return edit_; }
    QListWidget* MemberList() const { return list_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowRows(std::vector<WhisperRow> rows);

    ISessionPort* session_ = nullptr;
    IChatLogTarget* log_ = nullptr;
    const CMemberList* members_ = nullptr;
    std::int32_t presetTarget_ = -1;
    std::vector<WhisperRow> rows_;
    using CheckedMember = std::pair<std::int32_t, std::string>;  // id, name
    std::set<CheckedMember> checkedAway_;  // checked members not listed at the moment
    bool refilled_ = false;                // Present refilled already; the show must not redo it
    QPlainTextEdit* edit_ = nullptr;
    QListWidget* list_ = nullptr;
};

}  // namespace yarrow
