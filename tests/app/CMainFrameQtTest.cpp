// The main window: menus, status bar, layout, closing and help.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/CExitDialog.h"
#include "app/CMainFrame.h"
#include "app/CStatusPanes.h"
#include "app/CYarrowView.h"
#include "chat/CommandIds.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/QtCp932.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

class CMainFrameQtTest : public QObject {
    Q_OBJECT
  private slots:
    void commandsWithoutAFeatureAreGreyed();
    void togglesShowTheirState();
    void statusBarHasSevenPanes();
    void chatPaneKeepsItsWidthRule();
    void typingASubHandleNameSpeaksUnderIt();
    void exitDialogOutcomesDecideTheClose();
    void exitDialogButtonsGiveTheirOutcome();
    void helpOpensTheHelpFileOrExplains();
};

void CMainFrameQtTest::commandsWithoutAFeatureAreGreyed() {
    CMainFrame frame;
    for (int id : {cmd::kSaveLogRtf, cmd::kSaveLogText, cmd::kClearLog, cmd::kStartTextLog,
                   cmd::kConnect, cmd::kDisconnect, cmd::kResetMemberList, cmd::kChart,
                   cmd::kUseMap, cmd::kUseCards, cmd::kChangeDice, cmd::kWhisper, cmd::kOptions}) {
        QVERIFY2(!frame.Action(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(!frame.RunCommand(id));
    }
    for (int id : {cmd::kAppExit, cmd::kScrollLock, cmd::kTopMost, cmd::kFirstPersonFilter,
                   cmd::kHelp, cmd::kAbout}) {
        QVERIFY2(frame.Action(id)->isEnabled(), qPrintable(QString::number(id)));
    }
    QVERIFY(!frame.ChatView()->DiceButton()->isEnabled());

    int ran = 0;
    frame.Router().SetHandler(cmd::kOptions, [&ran] { ++ran; });
    frame.Router().SetHandler(cmd::kRollDice, [&ran] { ran += 10; });
    frame.UpdateCommandStates();
    QVERIFY(frame.Action(cmd::kOptions)->isEnabled());
    frame.Action(cmd::kOptions)->trigger();
    QVERIFY(frame.ChatView()->DiceButton()->isEnabled());
    frame.ChatView()->DiceButton()->click();
    QCOMPARE(ran, 11);

    // A window given later enables its command, which shows it.
    QWidget chart;
    frame.ChatView()->SetModelessWindow(ModelessWindow::Chart, &chart);
    frame.UpdateCommandStates();
    QVERIFY(frame.RunCommand(cmd::kChart));
    QVERIFY(chart.isVisible());

    // Connected, a shortcut or a stale menu cannot connect twice.
    int connects = 0;
    frame.Router().SetHandler(cmd::kConnect, [&connects] { ++connects; });
    frame.Router().SetHandler(cmd::kDisconnect, [] {});
    frame.SetConnectedMenu(false);
    QVERIFY(frame.Action(cmd::kConnect)->isEnabled());
    QVERIFY(!frame.Action(cmd::kDisconnect)->isEnabled());
    frame.SetConnectedMenu(true);
    QVERIFY(!frame.Action(cmd::kConnect)->isEnabled());
    QVERIFY(frame.Action(cmd::kDisconnect)->isEnabled());
    QVERIFY(!frame.RunCommand(cmd::kConnect));
    QCOMPARE(connects, 0);
}

void CMainFrameQtTest::togglesShowTheirState() {
    CMainFrame frame;
    QSignalSpy filter(&frame, &CMainFrame::FirstPersonFilterChanged);
    QVERIFY(frame.RunCommand(cmd::kFirstPersonFilter));
    QVERIFY(frame.Action(cmd::kFirstPersonFilter)->isChecked());
    QCOMPARE(frame.StatusPanes().Text(StatusPane::Filter), QStringLiteral("ﾌｨﾙﾀON"));
    QVERIFY(frame.RunCommand(cmd::kFirstPersonFilter));
    QCOMPARE(frame.StatusPanes().Text(StatusPane::Filter), QString());
    QCOMPARE(filter.size(), 2);

    // Staying on top must not hide the window.
    frame.show();
    QVERIFY(frame.RunCommand(cmd::kTopMost));
    QVERIFY(frame.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(frame.isVisible());
    QVERIFY(frame.RunCommand(cmd::kTopMost));
    QVERIFY(!(frame.windowFlags() & Qt::WindowStaysOnTopHint));
}

void CMainFrameQtTest::statusBarHasSevenPanes() {
    CMainFrame frame;
    // A source of lock states is read at once and then polled.
    LockKeyState keys{true, false, false, true};
    frame.StatusPanes().SetLockKeySource([&keys] { return keys; });
    QCOMPARE(frame.StatusPanes().Text(StatusPane::Kana), QStringLiteral("ｶﾅ"));
    QCOMPARE(frame.StatusPanes().Text(StatusPane::Scroll), QStringLiteral("SCRL"));
    keys = {};
    QTRY_COMPARE(frame.StatusPanes().Text(StatusPane::Kana), QString());
    // Indicator panes are wide enough for their text even while it is hidden.
    QLabel* kana = frame.StatusPanes().Label(StatusPane::Kana);
    QVERIFY(kana->minimumWidth() >= kana->fontMetrics().horizontalAdvance(QStringLiteral("ｶﾅ")));
}

void CMainFrameQtTest::chatPaneKeepsItsWidthRule() {
    // All but the right column's 120 pixels when wider than 220, else 220.
    const std::pair<int, int> widths[] = {{341, 221}, {221, 101}, {220, 220}, {200, 220}};
    for (const auto& [client, chat] : widths)
        QCOMPARE(CMainFrame::ChatPaneWidth(client), chat);

    CMainFrame frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    auto* outer = frame.findChild<QSplitter*>(QStringLiteral("outerSplitter"));
    QCOMPARE(frame.ChatView()->width(), CMainFrame::ChatPaneWidth(outer->width()));
    frame.resize(900, 540);
    QTRY_COMPARE(frame.ChatView()->width(), outer->width() - 120);
    frame.resize(300, 540);
    QTRY_COMPARE(frame.ChatView()->width(), CMainFrame::ChatPaneWidth(outer->width()));
    QVERIFY(frame.ChatView()->width() < 220);
}

void CMainFrameQtTest::typingASubHandleNameSpeaksUnderIt() {
    CMainFrame frame;
    CYarrowView* view = frame.ChatView();
    auto* sub = qobject_cast<QComboBox*>(view->findChild<QWidget*>("1006"));
    QVERIFY(sub != nullptr && sub->isEditable());
    QCOMPARE(view->RadioIndex(), 0);
    // Typing a sub-handle name means speaking under it.
    QTest::keyClicks(sub->lineEdit(), QStringLiteral("Elf"));
    QCOMPARE(view->RadioIndex(), 1);
}

void CMainFrameQtTest::exitDialogOutcomesDecideTheClose() {
    struct Case {
        ExitOutcome outcome;
        bool saveWorks;
        bool closes;
        int rtfSaves;
        int textSaves;
    };
    const Case cases[] = {
        {ExitOutcome::Quit, true, true, 0, 0},
        {ExitOutcome::Stay, true, false, 0, 0},
        {ExitOutcome::SaveRtfAndQuit, true, true, 1, 0},
        {ExitOutcome::SaveTextAndQuit, true, true, 0, 1},
        // A snapshot that could not be written keeps the program (and its log).
        {ExitOutcome::SaveRtfAndQuit, false, false, 1, 0},
        {ExitOutcome::SaveTextAndQuit, false, false, 0, 1},
    };
    for (const Case& c : cases) {
        CMainFrame frame;
        QWidget chart;
        frame.ChatView()->SetModelessWindow(ModelessWindow::Chart, &chart);
        chart.show();
        int rtf = 0;
        int text = 0;
        int shutdowns = 0;
        frame.SetExitAsker([&] { return c.outcome; });
        frame.SetExitSavers([&] { return ++rtf, c.saveWorks; },
                            [&] { return ++text, c.saveWorks; });
        frame.SetShutdownHook([&] { ++shutdowns; });
        frame.show();
        QCOMPARE(frame.close(), c.closes);
        QCOMPARE(frame.isVisible(), !c.closes);
        QCOMPARE(rtf, c.rtfSaves);
        QCOMPARE(text, c.textSaves);
        QCOMPARE(shutdowns, c.closes ? 1 : 0);
        QCOMPARE(chart.isVisible(), !c.closes);  // an open window goes with the program
    }
    // The menu's exit goes through the same question.
    CMainFrame frame;
    int asked = 0;
    frame.SetExitAsker([&] { return ++asked, ExitOutcome::Stay; });
    frame.show();
    QVERIFY(frame.RunCommand(cmd::kAppExit));
    QCOMPARE(asked, 1);
    QVERIFY(frame.isVisible());
}

void CMainFrameQtTest::exitDialogButtonsGiveTheirOutcome() {
    const std::pair<const char*, ExitOutcome> buttons[] = {
        {"exitYes", ExitOutcome::Quit},
        {"exitNo", ExitOutcome::Stay},
        {"exitSaveRtf", ExitOutcome::SaveRtfAndQuit},
        {"exitSaveText", ExitOutcome::SaveTextAndQuit},
    };
    for (const auto& [name, outcome] : buttons) {
        QTimer::singleShot(0, [name = name] {
            auto* dialog = qobject_cast<CExitDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->findChild<QPushButton*>(name)->click();
        });
        QCOMPARE(CExitDialog::Ask(nullptr), outcome);
    }
    // Enter takes the default "はい"; Esc stays.
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    QCOMPARE(CExitDialog::Ask(nullptr), ExitOutcome::Quit);
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    QCOMPARE(CExitDialog::Ask(nullptr), ExitOutcome::Stay);
}

void CMainFrameQtTest::helpOpensTheHelpFileOrExplains() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    CMainFrame frame;
    test::ScriptedPrompter prompter;
    QList<QUrl> opened;
    frame.SetPrompter(&prompter);
    frame.SetProgramFolder(folder);
    frame.SetUrlOpener([&opened](const QUrl& url) { return opened << url, true; });

    QVERIFY(frame.RunCommand(cmd::kHelp));
    QVERIFY(opened.isEmpty());
    QCOMPARE(prompter.prompts.size(), std::size_t{1});
    QVERIFY(FromCp932(prompter.prompts[0].text)
                .startsWith(QStringLiteral("ヘルプファイルが見つかりません")));
    QCOMPARE(FromCp932(prompter.prompts[0].caption), QStringLiteral("エラー"));

    QDir(dir.path()).mkdir("help");
    QFile page(dir.filePath("help/index.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    QVERIFY(frame.RunCommand(cmd::kHelp));
    QCOMPARE(opened.value(0), QUrl::fromLocalFile(dir.filePath("help/index.html")));

    QFile chm(dir.filePath("Yarrow.chm"));
    QVERIFY(chm.open(QIODevice::WriteOnly));
    chm.close();
    QCOMPARE(frame.HelpFile(), dir.filePath("Yarrow.chm"));

    // A desktop that cannot open it is told to the user, not swallowed.
    frame.SetUrlOpener([](const QUrl&) { return false; });
    QVERIFY(frame.RunCommand(cmd::kHelp));
    QCOMPARE(prompter.prompts.size(), std::size_t{2});
    QVERIFY(FromCp932(prompter.prompts[1].text).startsWith(QStringLiteral("ヘルプを開けません")));
}

QTEST_MAIN(CMainFrameQtTest)
#include "CMainFrameQtTest.moc"
