// The main window: its commands, status bar, layout, closing and help, and
// the program started in a folder of its own with the file menu on its log.
#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <optional>

#include "app/CExitDialog.h"
#include "app/CMainFrame.h"
#include "app/CStatusPanes.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "chat/CChatLog.h"
#include "chat/CommandIds.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/QtCp932.h"
#include "support/FixedClock.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

namespace {

// The program's clock stands at kNow; a log snapshot is named after its local
// time.
constexpr std::time_t kNow = 1796000000;
const QString kStamp =
    QDateTime::fromSecsSinceEpoch(kNow).toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss"));

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString LastTold(const test::ScriptedPrompter& prompter) {
    return prompter.prompts.empty() ? QString() : FromCp932(prompter.prompts.back().text);
}

// The program as it starts in `folder`.
struct Started {
    explicit Started(const QString& folder) : clock(kNow), app(folder.toStdString(), &clock) {
        app.Start(false);
        app.Frame().SetPrompter(&prompter);
    }
    CMainFrame& Frame() const { return app.Frame(); }
    std::string Shown() const { return Frame().ChatView()->LogControl()->StreamOutText(); }
    test::FixedClock clock;
    CYarrowApp app;
    test::ScriptedPrompter prompter;
};

}  // namespace

class CMainFrameQtTest : public QObject {
    Q_OBJECT
  private slots:
    void commandsTogglesPanesAndHelpOfABareWindow();
    void exitDialogAnswersDecideTheClose();
    void startMakesTheLogFolderAndReadsTheSettings();
    void aLaterStartAndItsFileMenu();
};

void CMainFrameQtTest::commandsTogglesPanesAndHelpOfABareWindow() {
    // Commands without a feature are greyed and do nothing.
    CMainFrame frame;
    for (int id : {cmd::kSaveLogRtf, cmd::kSaveLogText, cmd::kClearLog, cmd::kStartTextLog,
                   cmd::kConnect, cmd::kDisconnect, cmd::kResetMemberList, cmd::kChart,
                   cmd::kUseMap, cmd::kUseCards, cmd::kChangeDice, cmd::kWhisper, cmd::kOptions}) {
        QVERIFY2(!frame.Action(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(!frame.RunCommand(id));
    }
    QVERIFY(!frame.ChatView()->DiceButton()->isEnabled());

    int ran = 0;
    frame.Router().SetHandler(cmd::kOptions, [&ran] { ++ran; });
    frame.Router().SetHandler(cmd::kRollDice, [&ran] { ran += 10; });
    frame.UpdateCommandStates();
    frame.Action(cmd::kOptions)->trigger();
    frame.ChatView()->DiceButton()->click();
    QCOMPARE(ran, 11);

    // Toggles show their state.
    CStatusPanes& panes = frame.StatusPanes();
    QSignalSpy filter(&frame, &CMainFrame::FirstPersonFilterChanged);
    QVERIFY(frame.RunCommand(cmd::kFirstPersonFilter));
    QVERIFY(frame.Action(cmd::kFirstPersonFilter)->isChecked());
    QCOMPARE(panes.Text(StatusPane::Filter), QStringLiteral("ﾌｨﾙﾀON"));
    QVERIFY(frame.RunCommand(cmd::kFirstPersonFilter));
    QCOMPARE(panes.Text(StatusPane::Filter), QString());
    QCOMPARE(filter.size(), 2);

    // Staying on top must not hide the window.
    frame.show();
    QVERIFY(frame.RunCommand(cmd::kTopMost));
    QVERIFY(frame.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(frame.isVisible());
    QVERIFY(frame.RunCommand(cmd::kTopMost));
    QVERIFY(!(frame.windowFlags() & Qt::WindowStaysOnTopHint));

    // A source of lock states is read at once and then polled.
    LockKeyState keys{true, false, false, true};
    panes.SetLockKeySource([&keys] { return keys; });
    QCOMPARE(panes.Text(StatusPane::Kana), QStringLiteral("ｶﾅ"));
    QCOMPARE(panes.Text(StatusPane::Scroll), QStringLiteral("SCRL"));
    keys = {};
    QTRY_COMPARE(panes.Text(StatusPane::Kana), QString());

    // The chat pane takes all but the right column's 120 pixels, even below
    // what its controls would like.
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto* outer = frame.findChild<QSplitter*>(QStringLiteral("outerSplitter"));
    frame.resize(900, 540);
    QTRY_COMPARE(frame.ChatView()->width(), outer->width() - 120);
    frame.resize(300, 540);
    QTRY_COMPARE(frame.ChatView()->width(), outer->width() - 120);
    QVERIFY(frame.ChatView()->width() < 220);

    // Help opens the program folder's help file, or says why not.
    QTemporaryDir dir;
    test::ScriptedPrompter prompter;
    QList<QUrl> opened;
    frame.SetPrompter(&prompter);
    frame.SetProgramFolder(dir.path().toStdString() + "/");
    frame.SetUrlOpener([&opened](const QUrl& url) { return opened << url, true; });
    QVERIFY(frame.RunCommand(cmd::kHelp));
    QVERIFY(opened.isEmpty());
    QVERIFY(LastTold(prompter).startsWith(QStringLiteral("ヘルプファイルが見つかりません")));
    QVERIFY(QDir(dir.path()).mkdir("help"));
    WriteFile(dir.filePath("help/index.html"), "");
    QVERIFY(frame.RunCommand(cmd::kHelp));
    QCOMPARE(opened.value(0), QUrl::fromLocalFile(dir.filePath("help/index.html")));
    // A desktop that cannot open it is told to the user, not swallowed.
    frame.SetUrlOpener([](const QUrl&) { return false; });
    QVERIFY(frame.RunCommand(cmd::kHelp));
    QVERIFY(LastTold(prompter).startsWith(QStringLiteral("ヘルプを開けません")));
}

// Closing asks with the exit dialog; its answers that save write the log's
// snapshot with the program's own savers first.
void CMainFrameQtTest::exitDialogAnswersDecideTheClose() {
    const struct {
        const char* button;  // none: the key is pressed, in the menu's exit
        Qt::Key key;
        bool logFolderBroken;
        bool closes;
        const char* saved;  // the snapshot's extension, if one is written
    } cases[] = {
        {"exitYes", {}, false, true, nullptr},
        {"exitNo", {}, false, false, nullptr},
        {"exitSaveRtf", {}, false, true, "rtf"},
        {"exitSaveText", {}, false, true, "txt"},
        {nullptr, Qt::Key_Return, false, true, nullptr},  // the default "はい"
        {nullptr, Qt::Key_Escape, false, false, nullptr},
        // A snapshot that cannot be written keeps the program (and its log),
        // and says why.
        {"exitSaveRtf", {}, true, false, nullptr},
        {"exitSaveText", {}, true, false, nullptr},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        Started s(dir.path());
        s.app.ChatLog().AppendNoticeLine(Sjis("bye"));
        if (c.logFolderBroken) {
            QVERIFY(QDir(dir.path()).rmdir("Log"));
            WriteFile(dir.filePath("Log"), "not a folder");
        }
        CMainFrame& frame = s.Frame();
        QWidget chart;
        frame.ChatView()->SetModelessWindow(ModelessWindow::Chart, &chart);
        chart.show();
        int shutdowns = 0;
        frame.SetShutdownHook([&] { ++shutdowns; });
        frame.show();
        QTimer::singleShot(0, [c] {
            auto* dialog = qobject_cast<CExitDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            if (c.button != nullptr)
                dialog->findChild<QPushButton*>(c.button)->click();
            else
                QTest::keyClick(dialog, c.key);
        });
        if (c.button != nullptr)
            QCOMPARE(frame.close(), c.closes);
        else
            QVERIFY(frame.RunCommand(cmd::kAppExit));
        QCOMPARE(frame.isVisible(), !c.closes);
        QCOMPARE(shutdowns, c.closes ? 1 : 0);
        QCOMPARE(chart.isVisible(), !c.closes);  // an open window goes with the program
        const QStringList written = QDir(dir.filePath("Log")).entryList(QDir::Files);
        QCOMPARE(written, c.saved ? QStringList{kStamp + "." + c.saved} : QStringList{});
        if (c.saved != nullptr) {
            const QByteArray bytes = ReadAll(dir.filePath("Log/" + written.value(0)));
            QVERIFY(bytes.startsWith(c.saved == std::string("rtf") ? "{\\rtf1" : "bye\r\n"));
        }
        if (c.logFolderBroken) {
            QVERIFY(LastTold(s.prompter).startsWith(QStringLiteral("ファイルが開けません")));
            QCOMPARE(FromCp932(s.prompter.prompts.back().caption),
                     QStringLiteral("ファイルエラー"));
        }
    }
}

// A start makes the log folder: "Log" in the program folder unless the
// settings name another. A folder two levels deep is not built; the user
// reads why in the log, with the path as named, Japanese included.
void CMainFrameQtTest::startMakesTheLogFolderAndReadsTheSettings() {
    QTemporaryDir elsewhere;
    const QString absolute = elsewhere.filePath("logs");
    const QString deep = elsewhere.filePath(QStringLiteral("記録/日誌"));
    const struct {
        std::optional<QString> setting;  // none: no settings file yet
        QString made;                    // empty: none could be made
    } cases[] = {{std::nullopt, "Log"}, {QString(), "Log"}, {absolute, absolute}, {deep, {}}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        if (c.setting) {
            WriteFile(dir.filePath("Yarrow.ini"),
                      "[InitialSetting]\r\nLogFolder=" +
                          QByteArray::fromStdString(ToCp932(*c.setting).text) + "\r\n");
        }
        Started s(dir.path());
        const QString made = c.made == "Log" ? dir.filePath("Log") : c.made;
        QCOMPARE(s.app.LogFolder().ok, !made.isEmpty());
        QCOMPARE(s.app.LogFolder().created, !made.isEmpty());
        QCOMPARE(QFileInfo(dir.filePath("Log")).exists(), made == dir.filePath("Log"));
        if (!c.setting) {  // written with the defaults, and nothing to tell
            const QByteArray ini = ReadAll(dir.filePath("Yarrow.ini"));
            QVERIFY(ini.startsWith("[InitialSetting]") && ini.contains("LogFolder=Log"));
            QCOMPARE(s.Shown(), std::string());
        }
        if (!made.isEmpty()) {
            QVERIFY(QFileInfo(made).isDir());
            continue;
        }
        QVERIFY(!QFileInfo(deep).exists());
        const QString shown = s.Frame().ChatView()->LogControl()->toPlainText();
        QVERIFY2(
            shown.contains(QStringLiteral("ログフォルダを作成できません")) && shown.contains(deep),
            qPrintable(shown));
    }
}

// A later start shows what an edited file holds, and leaves the file and the
// folder as they are; its file menu saves, clears and logs.
void CMainFrameQtTest::aLaterStartAndItsFileMenu() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Log"));
    const QByteArray edited =
        "[InitialSetting]\r\nHandleName=PL\r\nBackGroundColor=0x000000\r\nLogFolder=Log\r\n";
    WriteFile(dir.filePath("Yarrow.ini"), edited);
    Started s(dir.path());
    CMainFrame& frame = s.Frame();
    QVERIFY(!s.app.LogFolder().created);
    QCOMPARE(frame.ChatView()->HandleNameField()->text(), QStringLiteral("PL"));
    QCOMPARE(frame.ChatView()->LogControl()->palette().color(QPalette::Base), QColor(Qt::black));
    QVERIFY(ReadAll(dir.filePath("Yarrow.ini")).startsWith(edited));
    s.app.ChatLog().AppendNoticeLine(Sjis("◇ テスト"));

    QVERIFY(frame.RunCommand(cmd::kSaveLogText));
    QCOMPARE(ReadAll(dir.filePath("Log/" + kStamp + ".txt")),
             QByteArray::fromStdString(Sjis("◇ テスト\r\n")));
    QCOMPARE(LastTold(s.prompter), QStringLiteral("ログをLog/%1.txtに保存しました").arg(kStamp));

    // Clearing asks first; "いいえ" keeps the log.
    s.prompter.answers = {PromptAnswer::No, PromptAnswer::Yes};
    QVERIFY(frame.RunCommand(cmd::kClearLog));
    QVERIFY(!s.Shown().empty());
    QVERIFY(frame.RunCommand(cmd::kClearLog));
    QCOMPARE(s.Shown(), std::string());

    // The text log needs a connection and runs one at a time.
    frame.UpdateCommandStates();
    QVERIFY(!frame.Action(cmd::kStartTextLog)->isEnabled());
    frame.SetConnectedMenu(true);
    const std::size_t told = s.prompter.prompts.size();
    QVERIFY(frame.RunCommand(cmd::kStartTextLog));
    QVERIFY(s.app.ChatLog().TextLogRunning());
    QCOMPARE(s.prompter.prompts.size(), told);  // starting shows nothing
    QVERIFY(!frame.Action(cmd::kStartTextLog)->isEnabled());

    // Scroll lock in the menu is the chat log's scroll lock.
    QVERIFY(frame.RunCommand(cmd::kScrollLock));
    QVERIFY(s.app.ChatLog().ScrollLock());
}

QTEST_MAIN(CMainFrameQtTest)
#include "CMainFrameQtTest.moc"
