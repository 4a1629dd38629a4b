#pragma once
// The speaking commands of the chat view: please-wait, the speaker choice
// (Ctrl+N, Ctrl+Left/Right/Up/Down), rolling a listed dice expression
// (Ctrl+1 ... Ctrl+9 on the main or keypad digits), the "Dice" button, tag
// insertion, the input buffers, the debug input, the first-person filter, the
// dice exchange and the member-list maintenance item. The main frame routes
// these command numbers here with Execute; SpeakerName reads the speaker
// controls the way every remark and roll needs it.

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QMenu;
class QTextEdit;
class QRadioButton;

namespace yarrow {

class CDebugCodes;
class CInputLine;
class CMemberList;
class IChatViewPort;
class IPrompter;

class CChatCommands : public QObject {
    Q_OBJECT
  public:
    enum Command : int {
        kResetMemberList = 32801,
        kChangeDice = 32780,
        kFirstPersonFilter = 32790,
        kPleaseWait = 32782,
        kToggleSpeaker = 32774,
        kChooseHandleName = 32777,
        kChooseSubHandleName = 32819,
        kPreviousSubHandle = 32808,
        kNextSubHandle = 32809,
        kRollListEntry1 = 32826,  // ... + 8 for Ctrl+9
        kRollDice = 1002,
        kInsertSizeTag = 32796,
        kInsertColorTag = 32797,
        kInsertHeart = 32815,
        kSwapInputBuffers = 32836,
        kDebugInput = 32778,
        kEditCopy = 57634,
        kEditCut = 57635,
        kEditPaste = 57637,
        kEditUndo = 57643,
    };
    // Status-bar panes this object writes.
    static constexpr int kBufferPane = 1;
    static constexpr int kFilterPane = 2;

    // The chat view's controls; any of them may be missing in a test.
    struct Controls {
        CInputLine* input = nullptr;
        QLineEdit* handleName = nullptr;      // 1003
        QRadioButton* handleRadio = nullptr;  // 1004
        QRadioButton* subRadio = nullptr;     // 1005
        QComboBox* subCombo = nullptr;        // 1006
        QComboBox* diceCombo = nullptr;       // 1013
    };

    CChatCommands(Controls controls, IChatViewPort* view, CDebugCodes* debug,
                  QObject* parent = nullptr);

    // Enter on the chat view outside the input line: in the dice combo's
    // edit field it rolls, anywhere else it is swallowed; either way the
    // debug input ends. Installs itself on the view and the dice combo.
    void InstallEnterHandling(QWidget* chatView);

    // The right-button menus. Over the log: copy and "URLへ移動"; over the
    // input line: copy, cut, paste. The copy command then goes to the control
    // whose menu was opened last (before any menu it does nothing).
    QMenu* BuildLogContextMenu(QTextEdit* log, QWidget* parent);
    QMenu* BuildInputContextMenu(QWidget* parent);
    // "URLへ移動" on the log's selection; false when it holds no address.
    bool OpenSelectedUrl(QTextEdit* log);
    // Opens addresses (QDesktopServices by default; tests record them).
    void SetUrlOpener(std::function<void(const QString&)> opener) { openUrl_ = std::move(opener); }

    // The command numbers Execute handles, and their keys.
    static const std::vector<int>& Commands();
    static QList<QKeySequence> Shortcuts(int commandId);

    // Runs a command; false when it is not one of these. With the debug
    // command trace on, "Cmd:%s Code:%d" is printed first.
    bool Execute(int commandId, int notifyCode = 0);

    // The name remarks and rolls go out under (see ResolveSpeakerName).
    std::string SpeakerName();

    // Ctrl+1 ... Ctrl+9 (n = 0 ... 8): selects dice expression n and asks for
    // the roll; false (nothing happens) when the list is shorter.
    bool RollListEntry(int n);

    void SetPrompter(IPrompter* prompter) { prompter_ = prompter; }
    // The PleaseWait text of the current settings file (read on each use).
    void SetPleaseWaitSource(std::function<std::string()> source) {
        pleaseWait_ = std::move(source);
    }
    // Reseeds the dice generator with the current time.
    void SetReseed(std::function<void()> reseed) { reseed_ = std::move(reseed); }
    void SetMemberList(const CMemberList* members) { members_ = members; }

    bool FilterOn() const;
    void SetFilterOn(bool on);

  signals:
    // The "Dice" button's action (the roller performs it).
    void RollDiceRequested();
    void StatusTextChanged(int pane, const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetSubRadio(bool sub);

    Controls c_;
    IChatViewPort* view_ = nullptr;
    CDebugCodes* debug_ = nullptr;
    IPrompter* prompter_ = nullptr;
    const CMemberList* members_ = nullptr;
    std::function<std::string()> pleaseWait_;
    std::function<void()> reseed_;
    std::function<void(const QString&)> openUrl_;
    QPointer<QTextEdit> copyTarget_;
    QPointer<QWidget> chatView_;
};

}  // namespace yarrow
