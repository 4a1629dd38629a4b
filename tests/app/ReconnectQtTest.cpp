// A whole chat window whose hub (yarrow-hub, a process of its own) goes away:
// killed, it comes back on the same port and the window joins it again by
// itself under the same name and colour; a hub that says goodbye, a user who
// turned reconnecting off or who disconnects leaves the window alone. The
// window's reconnect timer is fired by hand, so nothing waits for real time.

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>

#include "app/CChatController.h"
#include "app/CMainFrame.h"
#include "app/CStatusPanes.h"
#include "app/CYarrowApp.h"
#include "app/CYarrowView.h"
#include "app/CommandLine.h"
#include "app/Version.h"
#include "net/CClientSession.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/qt/CLogWidget.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"
#include "support/ChatPlayer.h"
#include "support/HubProcess.h"
#include "support/RawHubClient.h"
#include "support/ScriptedPrompter.h"

namespace yarrow {
namespace {

constexpr int kTimer = CClientSession::kReconnectTimer;

struct Player : test::ChatPlayer<test::ScriptedPrompter> {
    CClientSession& Session() const { return chat->Session(); }
    QString Caption() const { return app->Frame().windowTitle(); }
    QString Status() const { return app->Frame().StatusPanes().Text(StatusPane::Message); }
    bool Join(int port) { return Connect(CommandLineRequest::Mode::Join, port, "PL"); }
    bool TimerRunning() const {
        QTimer* timer = chat->Timer(kTimer);
        return timer != nullptr && timer->isActive();
    }
    // The running reconnect timer waits an hour from now on, so only Fire
    // makes it go off.
    void Freeze() const {
        if (TimerRunning())
            chat->Timer(kTimer)->setInterval(3600 * 1000);
    }
    void Fire() const {
        QVERIFY(TimerRunning());
        QMetaObject::invokeMethod(chat->Timer(kTimer), "timeout", Qt::DirectConnection);
    }
};

}  // namespace

class ReconnectQtTest : public QObject {
    Q_OBJECT

  private slots:
    void windowComesBackToAHubThatVanishedAndReturned() {
        QTemporaryDir home;
        QProcess first;
        const int port = test::StartHubProcess(first, home.path(), {}, 0);
        QVERIFY(port > 0);
        Player player;
        QVERIFY(player.Join(port));
        QTRY_COMPARE_WITH_TIMEOUT(player.Session().MyID(), 1, 10000);
        player.Session().SetMyColor(0x123456);
        const QString connected = player.Caption();

        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QTRY_COMPARE(player.Session().State(), SessionState::Reconnecting);
        QTRY_VERIFY(player.TimerRunning());
        player.Freeze();
        QVERIFY(player.Caption().contains(QStringLiteral("再接続中")));
        QVERIFY(player.Status().contains(QStringLiteral("再接続")));

        // Nobody listens yet: the first try fails and the next is scheduled.
        player.Fire();
        QVERIFY(player.LogHas("◇ 再接続しています (1回目)"));
        QTRY_VERIFY(!player.Session().IsConnecting());
        QTRY_VERIFY(player.TimerRunning());
        player.Freeze();
        QCOMPARE(player.Session().State(), SessionState::Reconnecting);

        QProcess second;
        QCOMPARE(test::StartHubProcess(second, home.path(), {}, port), port);
        test::RawHubClient other(port);
        QTRY_COMPARE_WITH_TIMEOUT(other.records.size(), size_t(1), 10000);
        other.Send(CnctReply, 0, "", "OB");
        QTRY_COMPARE(other.records.size(), size_t(2));

        player.Fire();
        QVERIFY(player.LogHas("◇ 再接続しています (2回目)"));
        QTRY_COMPARE_WITH_TIMEOUT(player.Session().State(), SessionState::Joined, 10000);
        QCOMPARE(player.Session().MyID(), 2);
        QVERIFY(player.LogHas("◇ 再接続しました"));
        QCOMPARE(player.Caption(), connected);
        QCOMPARE(player.Status(), QString::fromUtf8(kStatusIdleText));
        QVERIFY(!player.TimerRunning());

        // The others see the same member back, speaking in the same colour.
        QTRY_COMPARE(other.records.size(), size_t(3));
        QVERIFY(other.records[2].Text.find(Sjis("PL が接続しました")) != std::string::npos);
        player.app->Frame().ChatView()->InputLine()->setPlainText(QStringLiteral("戻りました"));
        QTest::keyClick(player.app->Frame().ChatView()->InputLine(), Qt::Key_Return);
        // (Typing marks may come first.)
        QTRY_COMPARE(other.records.back().Type, std::int32_t(LogBox));
        QCOMPARE(other.records.back().Name, Sjis("PL"));
        QCOMPARE(other.records.back().Color, 0x123456);
        second.terminate();
        second.waitForFinished(10000);
    }

    void lossesThatAreNotTriedAgain() {
        struct Case {
            const char* name;
            bool goodbye;     // the hub shuts down properly
            bool turnedOff;   // IsAutoReconnect=0
            bool disconnect;  // the user disconnects while it tries
            SessionState after;
        };
        const Case cases[] = {
            {"the hub's goodbye", true, false, false, SessionState::Orphaned},
            {"reconnecting turned off", false, true, false, SessionState::Orphaned},
            {"the disconnect command stops the tries", false, false, true, SessionState::Idle},
        };
        for (const Case& c : cases) {
            qInfo("%s", c.name);
            QTemporaryDir home;
            QProcess hub;
            const int port = test::StartHubProcess(hub, home.path(), {}, 0);
            QVERIFY(port > 0);
            Player player;
            if (c.turnedOff) {
                QVERIFY(CSettings(player.app->SettingsPath())
                            .WriteInt(kInitialSetting, "IsAutoReconnect", 0));
            }
            QVERIFY(player.Join(port));
            QTRY_COMPARE_WITH_TIMEOUT(player.Session().MyID(), 1, 10000);

            if (c.goodbye)
                hub.terminate();
            else
                hub.kill();
            QVERIFY(hub.waitForFinished(10000));
            if (c.disconnect) {
                QTRY_COMPARE(player.Session().State(), SessionState::Reconnecting);
                player.prompter.answers.push_back(PromptAnswer::Yes);
                player.Session().DisconnectCommand();
            }
            QTRY_COMPARE(player.Session().State(), c.after);
            QVERIFY(!player.TimerRunning());
            QVERIFY(!player.LogHas("再接続しています"));
            QVERIFY(!player.Caption().contains(QStringLiteral("再接続")));
            if (c.goodbye)
                QVERIFY(player.LogHas("サーバとの接続が切断されました"));
        }
    }
};

}  // namespace yarrow

QTEST_MAIN(yarrow::ReconnectQtTest)
#include "ReconnectQtTest.moc"
