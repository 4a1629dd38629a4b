// Two whole chat windows in one process, as two players would use them: one
// hosts (its own hub, joined over TCP like everybody else), the other joins;
// they talk, roll, whisper, share the chart and leave.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CStatusPanes.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "cards/qt/CCardDialog.h"
#include "chart/qt/CChartWindow.h"
#include "chat/CChatLog.h"
#include "chat/CCountdown.h"
#include "chat/CDebugCodes.h"
#include "chat/CMemberList.h"
#include "chat/CommandIds.h"
#include "chat/qt/CConnectDialog.h"
#include "chat/qt/COptionPropSheet.h"
#include "chat/qt/CPlayerListView.h"
#include "chat/qt/CWhisperWindow.h"
#include "net/CClientSession.h"
#include "net/CDispatcher.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/QtCp932.h"
#include "support/ChatPlayer.h"
#include "support/FixedClock.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

// One player's program: its own folder, frame, chat view and controller.
struct Player : test::ChatPlayer<test::ScriptedPrompter> {
    void Say(const QString& text) {
        View().InputLine()->setPlainText(text);
        QTest::keyClick(View().InputLine(), Qt::Key_Return);
    }
};

// Runs `act` on the modal dialog of type D as soon as it is open (its exec()
// is running), then closes it with `accept`.
template <class D>
void WhenModal(std::function<void(D&)> act, bool accept = true) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act, accept] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
    poll->start(10);
}

// Running window timers wait an hour, so only Tick makes them fire.
void Freeze(CChatController& chat) {
    for (int id : {1, 2, 3}) {
        if (QTimer* timer = chat.Timer(id); timer != nullptr && timer->isActive())
            timer->setInterval(3600 * 1000);
    }
}

// A window timer's tick, as the event loop would deliver it.
void Tick(CChatController& chat, int timerId) {
    QTimer* timer = chat.Timer(timerId);
    QVERIFY(timer != nullptr && timer->isActive());
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    Freeze(chat);
}

QPoint Centre(const QWidget* widget) {
    return widget->mapToGlobal(widget->rect().center());
}

}  // namespace

class ChatControllerQtTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void linesRollsAndWhispersReachTheOtherWindow();
    void leavingIsSeenByTheOthersAndTheOrphanedGuestTalksOnlyToItself();
    void joinLinksFillTheDialogOrExplainWhyNot();
    void frameCommandsOpenTheOptionsAndExchangeDice();
    void countdownTicksAnnounceToEveryone();
    void memberResetReannouncesAndTheCheckTimerStops();
    void callAlertsTheTargetWithoutUnmaximisingUnderTheOneHandleName();
    void questionWaitsForItsRecordAndRecordsArriveWhileItIsOpen();
    void autoShownChartLeavesTheFocusWithTheInputLine();
    void modelessWindowsOpenCentredOnTheView();
    void debugTracesEveryCommandAndTheLogsScrolling();

  private:
    void JoinBoth() { test::JoinBoth(*host_, *guest_); }
    std::unique_ptr<Player> host_;
    std::unique_ptr<Player> guest_;
};

void ChatControllerQtTest::init() {
    host_ = std::make_unique<Player>();
    guest_ = std::make_unique<Player>();
}

void ChatControllerQtTest::cleanup() {
    guest_.reset();
    host_.reset();
}

void ChatControllerQtTest::linesRollsAndWhispersReachTheOtherWindow() {
    JoinBoth();
    QVERIFY(guest_->LogHas("サーバとの接続が確立しました"));
    QTRY_VERIFY(host_->LogHas("PL が接続しました"));

    guest_->Say(QStringLiteral("こんにちは"));
    QTRY_VERIFY(host_->LogHas("PL：こんにちは"));
    QTRY_VERIFY(guest_->LogHas("PL：こんにちは"));  // the sender sees the echo
    QVERIFY(guest_->View().InputLine()->toPlainText().isEmpty());

    host_->View().DiceCombo()->setEditText(QStringLiteral("2D6"));
    host_->View().DiceButton()->click();
    QTRY_VERIFY(guest_->LogHas("GM(ダイス)："));
    // One click, one roll: the button and its command must not both roll.
    // Records arrive in order, so a second roll would be in before this line.
    host_->Say(QStringLiteral("marker"));
    QTRY_VERIFY(guest_->LogHas("GM：marker"));
    const std::string log = guest_->LogText();
    const std::string line = Sjis("GM(ダイス)：");
    QCOMPARE(log.find(line), log.rfind(line));

    // A whisper from the guest to the host, as its window sends one.
    std::vector<WhisperRow> rows = guest_->chat->PlayerList()->Members().WhisperRows(2, 1);
    std::erase_if(rows, [](const WhisperRow& row) { return !row.checked; });
    QCOMPARE(rows.size(), size_t(1));
    QVERIFY(SendWhisper(*guest_->chat, guest_->app->ChatLog(), Sjis("内緒"), rows));
    QTRY_VERIFY(host_->LogHas("PL->GM(秘話)：内緒"));
    QVERIFY(guest_->LogHas("PL->GM(秘話)：内緒"));
}

void ChatControllerQtTest::leavingIsSeenByTheOthersAndTheOrphanedGuestTalksOnlyToItself() {
    JoinBoth();
    Player third;
    QVERIFY(third.Connect(CommandLineRequest::Mode::Join, host_->chat->Session().PortNum(), "NPC"));
    QTRY_COMPARE(host_->chat->PlayerList()->count(), 3);

    QVERIFY(third.chat->Session().Disconnect(false));
    QTRY_VERIFY(host_->LogHas("NPC の接続が切断されました"));
    QTRY_COMPARE(host_->chat->PlayerList()->count(), 2);

    QVERIFY(host_->chat->Session().Disconnect(false));
    QTRY_VERIFY(guest_->LogHas("サーバとの接続が切断されました"));
    QTRY_COMPARE(guest_->chat->Session().State(), SessionState::Orphaned);
    // Offline, a remark is only shown locally; a call or a whisper does
    // nothing at all.
    guest_->Say(QStringLiteral("誰かいる？"));
    QVERIFY(guest_->LogHas("PL：誰かいる？"));
    const std::string before = guest_->LogText();
    emit guest_->chat->PlayerList()->CallRequested(1);
    CWhisperWindow* whisper = guest_->chat->WhisperWindow();
    whisper->TextEdit()->setPlainText(QStringLiteral("内緒"));
    QVERIFY(!whisper->SendWhisperNow());
    QCoreApplication::processEvents();
    QCOMPARE(guest_->LogText(), before);
}

void ChatControllerQtTest::joinLinksFillTheDialogOrExplainWhyNot() {
    QVERIFY(host_->Connect(CommandLineRequest::Mode::Host, 0, "GM"));
    const int port = host_->chat->Session().PortNum();

    // An unusable link: its message, and no attempt.
    CommandLineRequest bad =
        ParseCommandLine({"yarrow://user@127.0.0.1:" + std::to_string(port) + "/"});
    QCOMPARE(bad.mode, CommandLineRequest::Mode::BadLink);
    QVERIFY(!guest_->chat->ConnectFromCommandLine(bad));
    QCOMPARE(guest_->prompter.prompts.size(), std::size_t(1));
    QVERIFY(guest_->prompter.prompts[0].text.find(Sjis("参加リンク")) != std::string::npos);
    QVERIFY(!guest_->chat->Session().IsConnecting() && !guest_->chat->Session().IsConnected());

    // A link without a name: the dialog opens as a client of the link's hub.
    QString role, address, portText;
    WhenModal<CConnectDialog>([&](CConnectDialog& dialog) {
        role = dialog.findChild<QRadioButton*>(QStringLiteral("1008"))->isChecked()
                   ? QStringLiteral("client")
                   : QStringLiteral("server");
        address = dialog.findChild<QLineEdit*>(QStringLiteral("1009"))->text();
        portText = dialog.findChild<QLineEdit*>(QStringLiteral("1010"))->text();
        dialog.findChild<QLineEdit*>(QStringLiteral("1011"))->setText(QStringLiteral("旅人"));
    });
    const CommandLineRequest link =
        ParseCommandLine({"yarrow://127.0.0.1:" + std::to_string(port) + "/"});
    QCOMPARE(link.mode, CommandLineRequest::Mode::JoinDialog);
    QVERIFY(guest_->chat->ConnectFromCommandLine(link));
    QCOMPARE(role, QStringLiteral("client"));
    QCOMPARE(address, QStringLiteral("127.0.0.1"));
    QCOMPARE(portText, QString::number(port));
    QTRY_COMPARE(guest_->chat->Session().MyID(), 2);
    QCOMPARE(guest_->View().HandleNameField()->text(), QStringLiteral("旅人"));
    QTRY_VERIFY(host_->LogHas("旅人 が接続しました"));
    QVERIFY(!guest_->app->Frame().Action(cmd::kConnect)->isEnabled());
}

void ChatControllerQtTest::frameCommandsOpenTheOptionsAndExchangeDice() {
    host_->View().HandleNameField()->setText(QStringLiteral("語り手"));
    QString shown;
    WhenModal<COptionPropSheet>(
        [&shown](COptionPropSheet& sheet) {
            shown = sheet.findChild<QLineEdit*>(QStringLiteral("1016"))->text();
        },
        false);
    QVERIFY(host_->app->Frame().RunCommand(cmd::kOptions));
    QCOMPARE(shown, QStringLiteral("語り手"));
    // The dice exchange tells the user it happened.
    QVERIFY(host_->app->Frame().RunCommand(cmd::kChangeDice));
    QCOMPARE(host_->prompter.prompts.back().text, Sjis("ダイスを交換しました"));
}

void ChatControllerQtTest::countdownTicksAnnounceToEveryone() {
    JoinBoth();
    host_->View().DiceCombo()->setEditText(QStringLiteral("$TIMER,3"));
    host_->View().DiceButton()->click();
    Freeze(*host_->chat);
    QTRY_VERIFY(guest_->LogHas("GM(タイマ)：3秒"));
    for (int i = 0; i < 2; ++i)
        Tick(*host_->chat, CCountdown::kTickTimer);
    QTRY_VERIFY(guest_->LogHas("あと 1秒"));
    QVERIFY(guest_->LogHas("あと 2秒"));
    Tick(*host_->chat, CCountdown::kEndTimer);
    QTRY_VERIFY(guest_->LogHas("Time Up!"));
    QVERIFY(!host_->chat->Timer(CCountdown::kTickTimer)->isActive());
    QVERIFY(!host_->chat->Timer(CCountdown::kEndTimer)->isActive());
}

void ChatControllerQtTest::memberResetReannouncesAndTheCheckTimerStops() {
    JoinBoth();
    // The host is listed, so the item resets the list for everybody.
    QVERIFY(host_->app->Frame().RunCommand(cmd::kResetMemberList));
    for (Player* p : {host_.get(), guest_.get()}) {
        QTRY_VERIFY(p->chat->Timer(CDispatcher::kMemberCheckTimer) != nullptr);
        Freeze(*p->chat);
        QVERIFY(p->chat->Timer(CDispatcher::kMemberCheckTimer)->isActive());
    }
    for (Player* p : {host_.get(), guest_.get()})
        QTRY_COMPARE(p->chat->PlayerList()->count(), 2);  // everybody answered
    Tick(*host_->chat, CDispatcher::kMemberCheckTimer);
    QVERIFY(!host_->chat->Timer(CDispatcher::kMemberCheckTimer)->isActive());
    QCOMPARE(host_->chat->PlayerList()->count(), 2);
}

void ChatControllerQtTest::callAlertsTheTargetWithoutUnmaximisingUnderTheOneHandleName() {
    JoinBoth();
    CMainFrame& frame = host_->app->Frame();
    frame.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    // Renaming in the field renames the member in everything it sends.
    guest_->View().HandleNameField()->setText(QStringLiteral("PL2"));
    emit guest_->chat->PlayerList()->CallRequested(1);
    QTRY_VERIFY(host_->LogHas("PL2 さんからのコールです(呼出時間 "));
    QVERIFY(frame.isMaximized());
    QVERIFY(!guest_->LogHas("コールです"));

    frame.showMinimized();
    emit guest_->chat->PlayerList()->CallRequested(1);
    QTRY_VERIFY(!frame.isMinimized());
    QVERIFY(frame.isMaximized());  // restored to what it was

    guest_->chat->ChartWindow()->AnnounceChartLock();
    QTRY_VERIFY(host_->chat->ChartWindow()->windowTitle().contains(QStringLiteral("PL2")));
    QVERIFY(guest_->chat->Session().Disconnect(false));
    QTRY_VERIFY(host_->LogHas("PL2 の接続が切断されました"));
}

void ChatControllerQtTest::questionWaitsForItsRecordAndRecordsArriveWhileItIsOpen() {
    JoinBoth();
    // The guest's message box runs its own event loop, as a real one does:
    // the host keeps talking and finally leaves while it is open.
    test::ScriptedPrompter& prompter = guest_->prompter;
    bool recordHandledFirst = false;
    prompter.whileOpen = [&] {
        // The request's own line is in before the question is asked.
        recordHandledFirst = guest_->LogHas("GMにカードの譲渡要求をしました") ||
                             guest_->LogHas("PLにカードの譲渡要求をしました");
        host_->Say(QStringLiteral("まだ？"));
        QTRY_VERIFY(guest_->LogHas("GM：まだ？"));
    };
    CMsg request;
    request.Type = RndmGet;
    request.ID = 1;
    request.Name = "GM";
    request.Param1 = 2;
    QVERIFY(host_->chat->Session().DoSerialize(request));
    QTRY_COMPARE(prompter.prompts.size(), std::size_t{1});
    QVERIFY(recordHandledFirst);
    // Refused: everybody is told, under the guest's name.
    QTRY_VERIFY(host_->LogHas("GM からのカード譲渡要求を拒否しました"));
    prompter.whileOpen = nullptr;
}

void ChatControllerQtTest::autoShownChartLeavesTheFocusWithTheInputLine() {
    JoinBoth();
    CMainFrame& frame = guest_->app->Frame();
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    guest_->View().InputLine()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), guest_->View().InputLine());

    // The chart sent by the host shows itself in the guest's window.
    QVERIFY(!guest_->chat->ChartWindow()->isVisible());
    host_->chat->ChartWindow()->SendChart();
    QTRY_VERIFY(guest_->chat->ChartWindow()->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), &frame);
    QCOMPARE(QApplication::focusWidget(), guest_->View().InputLine());
}

void ChatControllerQtTest::modelessWindowsOpenCentredOnTheView() {
    CMainFrame& frame = host_->app->Frame();
    frame.resize(900, 600);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const std::map<int, QWidget*> windows{{cmd::kWhisper, host_->chat->WhisperWindow()},
                                          {cmd::kChart, host_->chat->ChartWindow()},
                                          {cmd::kUseCards, host_->chat->CardWindow()}};
    for (const auto& [id, window] : windows) {
        QVERIFY(frame.RunCommand(id));
        QTRY_VERIFY(window->isVisible());
        const QPoint offset = Centre(window) - Centre(&host_->View());
        QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QString::number(id)));
    }
    // Over a view narrower than itself, in the screen's corner, a window
    // still opens wholly on the screen.
    frame.move(frame.screen()->availableGeometry().topLeft());
    frame.resize(320, 240);
    QWidget* cards = host_->chat->CardWindow();
    host_->View().CentreOnView(cards);
    const QRect free = frame.screen()->availableGeometry();
    QCOMPARE(cards->frameGeometry().left(), free.left());
    QVERIFY(free.contains(cards->frameGeometry().topLeft()));
}

void ChatControllerQtTest::debugTracesEveryCommandAndTheLogsScrolling() {
    CDebugCodes& debug = host_->chat->DebugCodes();
    debug.Run("cmd_on");
    CMainFrame& frame = host_->app->Frame();
    QVERIFY(frame.RunCommand(cmd::kChart));  // not one of the chat commands
    QVERIFY(host_->LogHas("Cmd:Chart Code:0"));
    QVERIFY(frame.RunCommand(cmd::kToggleSpeaker));
    QVERIFY(host_->LogHas("Cmd:ChangeHN Code:0"));
    debug.Run("cmd_off");

    debug.Run("scrl_on");
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    for (int i = 0; i < 60; ++i)
        host_->Say(QStringLiteral("line %1").arg(i));
    QScrollBar* bar = host_->View().LogControl()->verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(frame.windowTitle(), QStringLiteral("Yarrow - (%1,1)").arg(bar->sliderPosition()));
    QVERIFY(frame.StatusPanes()
                .Text(StatusPane::Message)
                .startsWith(QStringLiteral("Pos:%1 Caret(").arg(bar->value())));
}

}  // namespace yarrow

QTEST_MAIN(yarrow::ChatControllerQtTest)
#include "ChatControllerQtTest.moc"
