#pragma once
// The speaking commands of the chat view: please-wait, the speaker choice
// (Ctrl+N, Ctrl+Left/Right/Up/Down), rolling a listed dice expression
// (Ctrl+1 ... Ctrl+9 on the main or keypad digits), the "Dice" button, tag
// insertion, the input buffers, the debug input, the first-person filter, the
// dice exchange, the edit keys and the member-list maintenance item. The main
// frame routes these command numbers (chat/CommandIds.h) here with Execute;
// SpeakerName reads the speaker controls the way every remark and roll needs
// it.

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
class IPrompter;
class ISessionPort;

class CChatCommands : public QObject {
    Q_OBJECT
  public:
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

    CChatCommands(Controls controls, ISessionPort* session, CDebugCodes* debug,
                  QObject* parent = nullptr);

    // Enter on the chat view outside the input line: in the dice combo's
    // edit field it rolls, anywhere else it is swallowed; either way the
    // debug input ends. Installs itself on the view and the dice combo.
    void InstallEnterHandling(QWidget* chatView);

    // The right-button menus. Over the log: copy and "URLへ移動"; over the
    // input line: copy, cut, paste. The copy command then goes to the control
    // whose menu was opened last (before any menu: the input line).
    QMenu* BuildLogContextMenu(QTextEdit* log, QWidget* parent);
    QMenu* BuildInputContextMenu(QWidget* parent);
    // "URLへ移動" on the log's selection; false when it holds no address.
    bool OpenSelectedUrl(QTextEdit* log);
    // Opens addresses (QDesktopServices by default; tests record them).
    void SetUrlOpener(std::function<void(const QString&)> opener) { openUrl_ = std::move(opener); }

    // The command numbers Execute handles, and their keys.
    static const std::vector<int>& Commands();
    static QList<QKeySequence> Shortcuts(int commandId);

    // Runs a command; false when it is not one of these.
    bool Execute(int commandId);

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
    ISessionPort* session_ = nullptr;
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
