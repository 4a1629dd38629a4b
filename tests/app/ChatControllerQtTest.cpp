// Two whole chat windows in one process, as two players would use them: one
// hosts (its own hub, joined over TCP like everybody else), the other joins;
// they talk, roll, whisper, share the chart and leave.

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>
#include <memory>

#include "AppTestFakes.h"
#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "chart/qt/CChartWindow.h"
#include "chat/CMemberList.h"
#include "chat/qt/CPlayerListView.h"
#include "net/CClientSession.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"

namespace yarrow {
namespace {

// One player's program: its own folder, frame, chat view and controller.
struct Player {
    QTemporaryDir folder;
    std::unique_ptr<CYarrowApp> app;
    std::unique_ptr<CChatController> chat;
    CRecordingPrompter prompter;

    Player() {
        app = std::make_unique<CYarrowApp>(folder.path().toStdString() + "/");
        chat = std::make_unique<CChatController>(*app);
        app->Start(false);
        app->Frame().SetPrompter(&prompter);
    }
    ~Player() {
        chat.reset();
        app.reset();
    }

    CYarrowView& View() const { return *app->Frame().ChatView(); }
    std::string LogText() const { return View().LogControl()->StreamOutText(); }
    bool LogHas(const std::string& utf8) const {
        return LogText().find(Sjis(utf8)) != std::string::npos;
    }
    bool Connect(CommandLineRequest::Mode mode, int port, const char* name) {
        CommandLineRequest request;
        request.mode = mode;
        request.host = "127.0.0.1";
        request.port = port;
        request.name = Sjis(name);
        return chat->ConnectFromCommandLine(request);
    }
    void Say(const QString& text) {
        View().InputLine()->setPlainText(text);
        QTest::keyClick(View().InputLine(), Qt::Key_Return);
    }
};

}  // namespace

class ChatControllerQtTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void hostAndGuestSeeEachOthersLines();
    void rollsWhispersAndTheChartReachTheOtherWindow();
    void leavingIsSeenByTheOthersAndTheHostsShutdownOrphansTheGuest();

  private:
    void JoinBoth();
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

void ChatControllerQtTest::JoinBoth() {
    QVERIFY(host_->Connect(CommandLineRequest::Mode::Host, 0, "GM"));
    const int port = host_->chat->Session().PortNum();
    QVERIFY(port > 0);
    QVERIFY(guest_->Connect(CommandLineRequest::Mode::Join, port, "PL"));
    QTRY_COMPARE(host_->chat->Session().MyID(), 1);
    QTRY_COMPARE(guest_->chat->Session().MyID(), 2);
    QTRY_COMPARE(host_->chat->PlayerList()->count(), 2);
    QTRY_COMPARE(guest_->chat->PlayerList()->count(), 2);
}

void ChatControllerQtTest::hostAndGuestSeeEachOthersLines() {
    JoinBoth();
    QVERIFY(guest_->LogHas("サーバとの接続が確立しました"));
    QTRY_VERIFY(host_->LogHas("PL が接続しました"));

    guest_->Say(QStringLiteral("こんにちは"));
    QTRY_VERIFY(host_->LogHas("PL：こんにちは"));
    QTRY_VERIFY(guest_->LogHas("PL：こんにちは"));  // the sender sees the echo
    QVERIFY(guest_->View().InputLine()->toPlainText().isEmpty());

    // A newcomer gets the host's past log with what was said before.
    Player late;
    QVERIFY(late.Connect(CommandLineRequest::Mode::Join, host_->chat->Session().PortNum(), "NPC"));
    QTRY_COMPARE(late.chat->Session().MyID(), 3);
    QVERIFY(late.LogHas("過去ログ"));
    QVERIFY(late.LogHas("PL：こんにちは"));
}

void ChatControllerQtTest::rollsWhispersAndTheChartReachTheOtherWindow() {
    JoinBoth();

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

    // A whisper from the guest to the host only: the host shows it under
    // "PL->GM", a third member never sees it.
    Player third;
    QVERIFY(third.Connect(CommandLineRequest::Mode::Join, host_->chat->Session().PortNum(), "NPC"));
    QTRY_COMPARE(third.chat->Session().MyID(), 3);
    QTRY_COMPARE(guest_->chat->PlayerList()->count(), 3);
    std::vector<WhisperRow> rows = guest_->chat->PlayerList()->Members().WhisperRows(2, 1);
    std::vector<WhisperRow> checked;
    for (const WhisperRow& row : rows) {
        if (row.checked)
            checked.push_back(row);
    }
    QCOMPARE(checked.size(), size_t(1));
    QVERIFY(SendWhisper(*guest_->chat, Sjis("内緒"), checked));
    QTRY_VERIFY(host_->LogHas("PL->GM(秘話)：内緒"));
    QVERIFY(guest_->LogHas("PL->GM(秘話)：内緒"));
    guest_->Say(QStringLiteral("done"));
    QTRY_VERIFY(third.LogHas("PL：done"));
    QVERIFY(!third.LogHas("内緒"));

    // The chart sent by the host shows itself in the guest's window.
    QVERIFY(!guest_->chat->ChartWindow()->isVisible());
    host_->chat->ChartWindow()->SendChart();
    QTRY_VERIFY(guest_->chat->ChartWindow()->isVisible());
}

void ChatControllerQtTest::leavingIsSeenByTheOthersAndTheHostsShutdownOrphansTheGuest() {
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
    // Offline, a remark is only shown locally.
    guest_->Say(QStringLiteral("誰かいる？"));
    QVERIFY(guest_->LogHas("PL：誰かいる？"));
}

}  // namespace yarrow

QTEST_MAIN(yarrow::ChatControllerQtTest)
#include "ChatControllerQtTest.moc"
