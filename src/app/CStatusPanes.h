#pragma once
// The seven panes of the main window's status bar: the message pane, the input
// buffer, the first-person filter, and the kana, caps, num and scroll lock
// indicators. Lock indicators show their text while the lock is on.

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QLabel;
class QStatusBar;
class QTimer;

namespace yarrow {

enum class StatusPane { Message = 0, Buffer, Filter, Kana, Caps, Num, Scroll };

// Which lock keys are on; read from the windowing system where it can tell.
struct LockKeyState {
    bool kana = false;
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

class CStatusPanes : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPaneCount = 7;

    explicit CStatusPanes(QStatusBar* bar);

    // The text of a pane (the message pane's idle text for pane 0).
    QString Text(StatusPane pane) const;
    void SetText(StatusPane pane, const QString& text);
    // The indicator text a pane is sized for ("ﾊﾞｯﾌｧ1", "ﾌｨﾙﾀON", "ｶﾅ", ...).
    static QString IndicatorText(StatusPane pane);
    QLabel* Label(StatusPane pane) const { return labels_[static_cast<int>(pane)]; }

    // Where the lock indicators come from; polled a few times a second. Without
    // a source (no windowing system that tells) the indicators stay empty.
    void SetLockKeySource(std::function<LockKeyState()> source);
    void ShowLockKeys(const LockKeyState& state);

  private:
    std::array<QLabel*, kPaneCount> labels_{};
    std::function<LockKeyState()> lockSource_;
    QTimer* poll_ = nullptr;
};

}  // namespace yarrow
