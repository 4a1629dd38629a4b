#pragma once
// The member list pane: members by name in the order of their connection id,
// each with an idle or a typing picture. Double-click whispers to a member,
// right double-click calls one (after asking).

#include <QImage>
#include <QListWidget>

#include "chat/CMemberList.h"
#include "net/DispatchTargets.h"

namespace yarrow {

class IPrompter;

class CPlayerListView : public QListWidget, public IMemberListTarget {
    Q_OBJECT
  public:
    static constexpr int kIdleImage = 0;
    static constexpr int kTypingImage = 1;
    // Item data roles: the member id and the image index.
    static constexpr int kIdRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1;

    explicit CPlayerListView(QWidget* parent = nullptr);

    // Asks before a call; without one, right double-click does nothing.
    void SetPrompter(IPrompter* prompter) { prompter_ = prompter; }

    // IMemberListTarget.
    void RebuildMembers(const std::vector<CMember>& members) override;
    void RemoveMember(std::int32_t id) override;
    void ClearMembers() override;
    void SetTyping(std::int32_t id, bool typing) override;
    std::string MemberName(std::int32_t id) const override;
    std::vector<std::int32_t> MemberIDs() const override;

    const CMemberList& Members() const { return members_; }

    // The two pictures (16 x 16): a head, and a head with a speech balloon.
    static QImage IdleImage();
    static QImage TypingImage();

  signals:
    // Double-click: whisper to this member.
    void WhisperRequested(std::int32_t id);
    // Right double-click, confirmed: call this member.
    void CallRequested(std::int32_t id);
    // Members joined, left or were listed anew (not a typing mark).
    void MembersChanged();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void Refill();
    QListWidgetItem* ItemFor(std::int32_t id) const;

    CMemberList members_;
    IPrompter* prompter_ = nullptr;
};

}  // namespace yarrow
