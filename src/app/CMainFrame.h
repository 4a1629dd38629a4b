#pragma once
// The main window: the menu, the status bar with its seven panes, and the
// three panes in splitters (chat view on the left; member list above the dice
// templates on the right). Menu commands go through a command router, so each
// feature registers what its commands do; commands nobody registered are
// greyed. Closing the window asks first (quit, stay, or save the log and quit).

#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/CCommandRouter.h"
#include "app/CExitDialog.h"

class QAction;
class QMenu;
class QMessageBox;
class QSplitter;

namespace yarrow {

class CQtPrompter;
class CStatusPanes;
class CYarrowView;
class IPrompter;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The three panes; the member list and the template pane are nothing
    // until their features set them.
    CYarrowView* ChatView() const { return view_; }
    QWidget* MemberListView() const { return memberList_; }
    QWidget* TemplateView() const { return templates_; }
    void SetMemberListPane(QWidget* pane);
    void SetTemplatePane(QWidget* pane);

    CCommandRouter& Router() { return router_; }
    // The menu or shortcut action of a command number; nullptr when unknown.
    QAction* Action(int id) const;
    // Runs a command as the menu would; false when it is greyed.
    bool RunCommand(int id);
    // Re-reads which commands are available (after a state change).
    void UpdateCommandStates();

    CStatusPanes& StatusPanes() const { return *panes_; }

    // Connection menu pattern: connected greys "サーバに接続" and enables
    // "サーバから切断"; disconnected the reverse.
    void SetConnectedMenu(bool connected);
    bool IsConnectedMenu() const { return connected_; }
    // The caption, e.g. "Yarrow - 待機中 "; code page 932 bytes or a QString.
    void SetCaption(const std::string& cp932);
    void SetCaption(const QString& text);

    // Toggles of the functions menu.
    bool ScrollLock() const;
    bool FirstPersonFilter() const;
    bool TopMost() const;

    // The chat pane's width for a client area this wide: all but the right
    // column's 120 pixels when the area is wider than 220, else 220.
    static int ChatPaneWidth(int clientWidth);

    // Called with each command's number just before it runs.
    void SetCommandObserver(std::function<void(int)> observer) {
        commandObserver_ = std::move(observer);
    }

    // Message boxes (the Qt prompter unless a test puts in its own).
    IPrompter& Prompter();
    void SetPrompter(IPrompter* prompter) { prompterOverride_ = prompter; }

    // Where help is looked for: ProgramFolder ("/"-terminated, code page 932).
    void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }
    // The file the help command opens: "Yarrow.chm" when it is there, else the
    // help page "help/index.html"; empty when neither exists.
    QString HelpFile() const;
    // Opening a file or address with the desktop (tests record instead).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }

    // What closing asks the user; the exit dialog by default.
    void SetExitAsker(std::function<ExitOutcome()> asker) { askExit_ = std::move(asker); }
    // The snapshot saves the exit dialog offers; true when the log was saved.
    // A failed save keeps the program open so the log is not lost.
    void SetExitSavers(std::function<bool()> saveRtf, std::function<bool()> saveText);
    // Runs once when the window really closes (disconnect, shut the hub down).
    void SetShutdownHook(std::function<void()> hook) { shutdown_ = std::move(hook); }

    // The about box, built but not shown.
    std::unique_ptr<QMessageBox> BuildAboutBox();

  signals:
    void ScrollLockChanged(bool on);
    void FirstPersonFilterChanged(bool on);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildMenus();
    void BuildShortcuts();
    QAction* AddCommand(QMenu* menu, int id, const QString& text,
                        const QKeySequence& shortcut = QKeySequence(), bool checkable = false);
    void RegisterOwnCommands();
    void Dispatch(int id);
    bool Run(int id);
    bool CommandAllowed(int id) const;
    void ApplyLayoutRule();
    void ShowHelp();
    void ShowAbout();
    void FocusPane(int step);
    void ReplacePane(int index, QWidget* pane, QWidget*& slot);

    CYarrowView* view_ = nullptr;
    QWidget* memberList_ = nullptr;
    QWidget* templates_ = nullptr;
    QSplitter* outer_ = nullptr;
    QSplitter* inner_ = nullptr;
    CStatusPanes* panes_ = nullptr;
    CCommandRouter router_;
    std::map<int, QAction*> actions_;
    bool connected_ = false;
    std::unique_ptr<CQtPrompter> prompter_;
    IPrompter* prompterOverride_ = nullptr;
    std::string programFolder_;
    std::function<bool(const QUrl&)> openUrl_;
    std::function<ExitOutcome()> askExit_;
    std::function<bool()> saveRtf_;
    std::function<bool()> saveText_;
    std::function<void()> shutdown_;
    std::function<void(int)> commandObserver_;
    bool closing_ = false;
};

}  // namespace yarrow
