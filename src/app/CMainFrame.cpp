#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "app/CStatusPanes.h"
#include "app/CYarrowView.h"
#include "app/CommandHelp.h"
#include "app/DiceIcon.h"
#include "app/Version.h"
#include "chat/CommandIds.h"
#include "chat/qt/CChatCommands.h"
#include "net/CClientSession.h"
#include "platform/qt/CQtPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

namespace {

// A stand-in for a pane whose feature has not set its own widget yet: an empty
// white list, which is what that pane shows before anything is in it.
QWidget* MakePlaceholder(const QString& name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setFocusPolicy(Qt::NoFocus);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(DiceIcon());
    SetCaption(CClientSession::IdleCaption());
    resize(640, 540);

    prompter_ = std::make_unique<CQtPrompter>(this);
    openUrl_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    askExit_ = [this] { return CExitDialog::Ask(this); };

    panes_ = new CStatusPanes(statusBar());
    BuildMenus();
    BuildShortcuts();

    outer_ = new QSplitter(Qt::Horizontal, this);
    outer_->setObjectName(QStringLiteral("outerSplitter"));
    outer_->setChildrenCollapsible(false);
    view_ = new CYarrowView(outer_);
    // The width rule decides the chat pane's width, not its controls' hints.
    view_->setMinimumWidth(1);
    inner_ = new QSplitter(Qt::Vertical, outer_);
    inner_->setObjectName(QStringLiteral("innerSplitter"));
    inner_->setChildrenCollapsible(false);
    inner_->addWidget(MakePlaceholder(QStringLiteral("memberListPlaceholder"), inner_));
    inner_->addWidget(MakePlaceholder(QStringLiteral("templatePlaceholder"), inner_));
    inner_->setSizes({240, 100});
    inner_->setStretchFactor(0, 1);
    outer_->addWidget(view_);
    outer_->addWidget(inner_);
    outer_->setStretchFactor(0, 1);
    outer_->setStretchFactor(1, 0);
    setCentralWidget(outer_);

    RegisterOwnCommands();
    SetConnectedMenu(false);
    ApplyLayoutRule();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("menuFile"));
    AddCommand(file, cmd::kSaveLogRtf, QStringLiteral("ログをRTFで保存(&S)"));
    AddCommand(file, cmd::kSaveLogText, QStringLiteral("ログをテキストで保存(&P)"));
    AddCommand(file, cmd::kClearLog, QStringLiteral("ログのクリア(&C)"));
    AddCommand(file, cmd::kStartTextLog, QStringLiteral("ログ記録開始(&L)"));
    file->addSeparator();
    AddCommand(file, cmd::kAppExit, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));

    QMenu* connection = menuBar()->addMenu(QStringLiteral("接続(&C)"));
    connection->setObjectName(QStringLiteral("menuConnect"));
    AddCommand(connection, cmd::kConnect, QStringLiteral("サーバに接続(&C)"));
    AddCommand(connection, cmd::kDisconnect, QStringLiteral("サーバから切断(&D)"));
    connection->addSeparator();
    AddCommand(connection, cmd::kResetMemberList, QStringLiteral("接続情報をサーバに送信する"));

    QMenu* functions = menuBar()->addMenu(QStringLiteral("機能(&U)"));
    functions->setObjectName(QStringLiteral("menuFunctions"));
    AddCommand(functions, cmd::kChart, QStringLiteral("表を使用(&T)\tCtrl+T"),
               QKeySequence(Qt::CTRL | Qt::Key_T));
    AddCommand(functions, cmd::kUseMap, QStringLiteral("Mapを使用(&M)\tCtrl+M"),
               QKeySequence(Qt::CTRL | Qt::Key_M));
    AddCommand(functions, cmd::kUseCards, QStringLiteral("カードを使用(&U)\tCtrl+U"),
               QKeySequence(Qt::CTRL | Qt::Key_U));
    AddCommand(functions, cmd::kChangeDice, QStringLiteral("ダイスを交換する(&D)"));
    functions->addSeparator();
    AddCommand(functions, cmd::kWhisper, QStringLiteral("秘話(&S)"));
    AddCommand(functions, cmd::kScrollLock, QStringLiteral("スクロールのロック(&L)"), {}, true);
    AddCommand(functions, cmd::kTopMost, QStringLiteral("常に最前面に表示(&A)"), {}, true);
    AddCommand(functions, cmd::kFirstPersonFilter, QStringLiteral("一人称フィルタ(&F)\tCtrl+F"),
               QKeySequence(Qt::CTRL | Qt::Key_F), true);
    functions->addSeparator();
    AddCommand(functions, cmd::kOptions, QStringLiteral("オプション(&O)"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("menuHelp"));
    AddCommand(help, cmd::kHelp, QStringLiteral("Yarrowのヘルプ(&H)"));
    AddCommand(help, cmd::kAbout, QStringLiteral("Yarrow のﾊﾞｰｼﾞｮﾝ情報(&A)..."));

    // Availability is decided when a menu opens, as a user would see it.
    for (QMenu* menu : {file, connection, functions, help}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    }
}

void CMainFrame::BuildShortcuts() {
    const auto key = [this](int id, const QList<QKeySequence>& keys) {
        AddCommand(nullptr, id, QString(), QKeySequence());
        actions_[id]->setShortcuts(keys);
    };
    // The keyboard-only commands of the chat view, with the keys the chat
    // commands define for them; menu commands carry their keys in the menu.
    for (int id : CChatCommands::Commands()) {
        const QList<QKeySequence> keys = CChatCommands::Shortcuts(id);
        if (!keys.isEmpty() && actions_.count(id) == 0)
            key(id, keys);
    }
    key(cmd::kNextPane, {QKeySequence(Qt::Key_F6)});
    key(cmd::kPreviousPane, {QKeySequence(Qt::SHIFT | Qt::Key_F6)});
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& text,
                                const QKeySequence& shortcut, bool checkable) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    action->setCheckable(checkable);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    action->setStatusTip(CommandStatusText(id));
    action->setToolTip(CommandToolTip(id));
    if (menu != nullptr) {
        menu->addAction(action);
    } else {
        action->setShortcutContext(Qt::WindowShortcut);
    }
    // Menu-less actions live on the window so their shortcuts work.
    addAction(action);
    connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
    actions_[id] = action;
    return action;
}

void CMainFrame::RegisterOwnCommands() {
    router_.SetHandler(cmd::kAppExit, [this] { close(); });
    router_.SetHandler(cmd::kAbout, [this] { ShowAbout(); });
    router_.SetHandler(cmd::kHelp, [this] { ShowHelp(); });
    router_.SetHandler(cmd::kScrollLock,
                       [this] { emit ScrollLockChanged(Action(cmd::kScrollLock)->isChecked()); });
    router_.SetHandler(cmd::kFirstPersonFilter, [this] {
        const bool on = Action(cmd::kFirstPersonFilter)->isChecked();
        panes_->SetText(StatusPane::Filter,
                        on ? CStatusPanes::IndicatorText(StatusPane::Filter) : QString());
        emit FirstPersonFilterChanged(on);
    });
    router_.SetHandler(cmd::kTopMost, [this] {
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, Action(cmd::kTopMost)->isChecked());
        // Changing a window flag hides the window; bring it back as it was.
        if (visible) {
            show();
        }
    });
    router_.SetHandler(cmd::kNextPane, [this] { FocusPane(1); });
    router_.SetHandler(cmd::kPreviousPane, [this] { FocusPane(-1); });
    const auto showWindow = [this](int id, ModelessWindow which) {
        router_.SetHandler(
            id, [this, which] { view_->ShowModeless(which); },
            [this, which] { return view_->Modeless(which) != nullptr; });
    };
    showWindow(cmd::kChart, ModelessWindow::Chart);
    showWindow(cmd::kUseMap, ModelessWindow::Map);
    showWindow(cmd::kUseCards, ModelessWindow::Cards);
    showWindow(cmd::kWhisper, ModelessWindow::Whisper);
    connect(view_, &CYarrowView::DiceRequested, this, [this] { RunCommand(cmd::kRollDice); });
}

QAction* CMainFrame::Action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CMainFrame::RunCommand(int id) {
    UpdateCommandStates();
    if (!CommandAllowed(id)) {
        return false;
    }
    QAction* action = Action(id);
    if (action != nullptr && action->isCheckable()) {
        // Toggles the check mark, then comes back through Dispatch.
        action->trigger();
        return true;
    }
    const bool ran = Run(id);
    UpdateCommandStates();
    return ran;
}

bool CMainFrame::Run(int id) {
    if (commandObserver_)
        commandObserver_(id);
    return router_.Run(id);
}

void CMainFrame::Dispatch(int id) {
    if (!CommandAllowed(id) || !Run(id)) {
        // A toggle whose command could not run must not look toggled.
        QAction* action = Action(id);
        if (action != nullptr && action->isCheckable()) {
            const QSignalBlocker block(action);
            action->setChecked(!action->isChecked());
        }
    }
    UpdateCommandStates();
}

bool CMainFrame::CommandAllowed(int id) const {
    // The connection pattern wins over the handlers: a registered connect
    // command is still greyed while connected, and the reverse.
    if ((id == cmd::kConnect && connected_) || (id == cmd::kDisconnect && !connected_)) {
        return false;
    }
    return router_.IsEnabled(id);
}

void CMainFrame::UpdateCommandStates() {
    for (const auto& [id, action] : actions_) {
        action->setEnabled(CommandAllowed(id));
    }
    // The "Dice" button has a command behind it only once dice are wired.
    view_->DiceButton()->setEnabled(router_.HasHandler(cmd::kRollDice));
}

void CMainFrame::SetConnectedMenu(bool connected) {
    connected_ = connected;
    UpdateCommandStates();
}

void CMainFrame::SetCaption(const std::string& cp932) {
    SetCaption(FromCp932(cp932));
}

void CMainFrame::SetCaption(const QString& text) {
    setWindowTitle(text);
}

bool CMainFrame::ScrollLock() const {
    return Action(cmd::kScrollLock)->isChecked();
}

bool CMainFrame::FirstPersonFilter() const {
    return Action(cmd::kFirstPersonFilter)->isChecked();
}

bool CMainFrame::TopMost() const {
    return Action(cmd::kTopMost)->isChecked();
}

void CMainFrame::SetMemberListPane(QWidget* pane) {
    ReplacePane(0, pane, memberList_);
}

void CMainFrame::SetTemplatePane(QWidget* pane) {
    ReplacePane(1, pane, templates_);
}

void CMainFrame::ReplacePane(int index, QWidget* pane, QWidget*& slot) {
    if (pane == nullptr) {
        return;
    }
    const QList<int> sizes = inner_->sizes();
    QWidget* old = inner_->replaceWidget(index, pane);
    if (old != nullptr && old != pane) {
        old->deleteLater();
    }
    inner_->setSizes(sizes);
    slot = pane;
}

int CMainFrame::ChatPaneWidth(int clientWidth) {
    return clientWidth > 220 ? clientWidth - 120 : 220;
}

void CMainFrame::ApplyLayoutRule() {
    const int width = outer_->width();
    const int chat = ChatPaneWidth(width);
    outer_->setSizes({chat, std::max(0, width - chat - outer_->handleWidth())});
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyLayoutRule();
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyLayoutRule();
}

void CMainFrame::FocusPane(int step) {
    QWidget* panes[] = {view_, memberList_ != nullptr ? memberList_ : inner_->widget(0),
                        templates_ != nullptr ? templates_ : inner_->widget(1)};
    int current = 0;
    for (int i = 0; i < 3; ++i) {
        if (panes[i]->isAncestorOf(QApplication::focusWidget()) ||
            panes[i] == QApplication::focusWidget()) {
            current = i;
        }
    }
    for (int n = 1; n <= 3; ++n) {
        QWidget* next = panes[(current + step * n + 3 * n) % 3];
        if (next->isEnabled() && next->focusPolicy() != Qt::NoFocus) {
            next->setFocus(Qt::OtherFocusReason);
            return;
        }
        if (next == view_) {
            view_->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

IPrompter& CMainFrame::Prompter() {
    return prompterOverride_ != nullptr ? *prompterOverride_ : *prompter_;
}

QString CMainFrame::HelpFile() const {
    const QString folder = QFile::decodeName(QByteArray::fromStdString(programFolder_));
    for (const QString& name : {QStringLiteral("Yarrow.chm"), QStringLiteral("help/index.html")}) {
        const QString path = folder + name;
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}

void CMainFrame::ShowHelp() {
    const QString file = HelpFile();
    if (file.isEmpty()) {
        const QString folder = QFile::decodeName(QByteArray::fromStdString(programFolder_));
        Prompter().Tell(ToCp932(QStringLiteral("ヘルプファイルが見つかりません\r\n%1")
                                    .arg(folder + "help/index.html"))
                            .text,
                        Sjis("エラー"), PromptIcon::Stop);
        return;
    }
    if (!openUrl_(QUrl::fromLocalFile(file))) {
        Prompter().Tell(ToCp932(QStringLiteral("ヘルプを開けません\r\n%1").arg(file)).text,
                        Sjis("エラー"), PromptIcon::Stop);
    }
}

std::unique_ptr<QMessageBox> CMainFrame::BuildAboutBox() {
    auto box = std::make_unique<QMessageBox>(this);
    box->setObjectName(QStringLiteral("aboutBox"));
    box->setWindowTitle(QStringLiteral("Yarrowのバージョン情報"));
    box->setIconPixmap(DiceIcon().pixmap(48));
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromUtf8(kStatusIdleText));
    box->setInformativeText(QStringLiteral("TRPG用チャットプログラム\nプロトコル バージョン 6"));
    box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    return box;
}

void CMainFrame::ShowAbout() {
    BuildAboutBox()->exec();
}

void CMainFrame::SetExitSavers(std::function<bool()> saveRtf, std::function<bool()> saveText) {
    saveRtf_ = std::move(saveRtf);
    saveText_ = std::move(saveText);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    bool quit = false;
    switch (askExit_()) {
        case ExitOutcome::Quit:
            quit = true;
            break;
        case ExitOutcome::Stay:
            break;
        case ExitOutcome::SaveRtfAndQuit:
            quit = saveRtf_ && saveRtf_();
            break;
        case ExitOutcome::SaveTextAndQuit:
            quit = saveText_ && saveText_();
            break;
    }
    if (!quit) {
        event->ignore();
        return;
    }
    closing_ = true;
    if (shutdown_) {
        shutdown_();
    }
    // The modeless windows go with the main window; one left open must not
    // keep a program running that the user has quit.
    for (ModelessWindow which : {ModelessWindow::Chart, ModelessWindow::Map, ModelessWindow::Cards,
                                 ModelessWindow::Whisper}) {
        if (QWidget* window = view_->Modeless(which)) {
            window->close();
        }
    }
    event->accept();
}

}  // namespace yarrow
