// Processes that go away under a window. A hub (yarrow-hub, a process of its
// own) killed comes back on the same port and the window joins it again by
// itself under the same name and colour; a hub that says goodbye, or a user
// who turned reconnecting off, leaves the window alone. The window's
// reconnect timer is fired by hand, so nothing waits for real time.
// A hosting window killed outright (SIGKILL: no handler runs, nothing is
// flushed on the way out) still has every line it had shown in its text log.

#include <signal.h>

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>

#include "app/CStatusPanes.h"
#include "app/Version.h"
#include "net/MsgType.h"
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
    // Waits for the next try to be scheduled, which then waits an hour, so
    // only Fire makes it go off.
    void AwaitTry() const {
        QTRY_VERIFY(TimerRunning());
        chat->Timer(kTimer)->setInterval(3600 * 1000);
    }
    void Fire() const {
        QVERIFY(TimerRunning());
        QMetaObject::invokeMethod(chat->Timer(kTimer), "timeout", Qt::DirectConnection);
    }
};

// The one text log in `folder`'s log folder.
QByteArray TextLog(const QString& folder) {
    const QStringList logs = QDir(folder + "/Log").entryList({"*.txt"}, QDir::Files);
    QFile file(folder + "/Log/" + logs.value(0));
    return logs.size() == 1 && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class LostProcessQtTest : public QObject {
    Q_OBJECT

  private slots:
    void windowComesBackToAHubThatVanishedAndReturned() {
        QTemporaryDir home;
        QProcess first;
        const int port = test::StartHubProcess(first, home.path());
        QVERIFY(port > 0);
        Player player;
        QVERIFY(player.Join(port));
        QTRY_COMPARE_WITH_TIMEOUT(player.Session().MyID(), 1, 10000);
        player.Session().SetMyColor(0x123456);
        const QString connected = player.Caption();

        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QTRY_COMPARE(player.Session().State(), SessionState::Reconnecting);
        player.AwaitTry();
        QVERIFY(player.Caption().contains(QStringLiteral("再接続中")));
        QVERIFY(player.Status().contains(QStringLiteral("再接続")));

        // Nobody listens yet: the first try fails and the next is scheduled.
        player.Fire();
        QVERIFY(player.LogHas("◇ 再接続しています (1回目)"));
        QTRY_VERIFY(!player.Session().IsConnecting());
        player.AwaitTry();
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

        // The others see the same member back, speaking in the same colour
        // (typing marks may come first).
        QTRY_COMPARE(other.records.size(), size_t(3));
        QVERIFY(other.records[2].Text.find(Sjis("PL が接続しました")) != std::string::npos);
        player.View().InputLine()->setPlainText(QStringLiteral("戻りました"));
        QTest::keyClick(player.View().InputLine(), Qt::Key_Return);
        QTRY_COMPARE(other.records.back().Type, std::int32_t(LogBox));
        QCOMPARE(other.records.back().Name, Sjis("PL"));
        QCOMPARE(other.records.back().Color, 0x123456);

        // A hub that says goodbye is not tried again.
        second.terminate();
        QVERIFY(second.waitForFinished(10000));
        QTRY_VERIFY(player.LogHas("サーバとの接続が切断されました"));
        QTRY_COMPARE(player.Session().State(), SessionState::Orphaned);
        QVERIFY(!player.TimerRunning());
        QVERIFY(!player.Caption().contains(QStringLiteral("再接続")));
    }

    void reconnectingTurnedOffLeavesTheWindowAlone() {
        QTemporaryDir home;
        QProcess hub;
        const int port = test::StartHubProcess(hub, home.path());
        QVERIFY(port > 0);
        Player player;
        QVERIFY(
            CSettings(player.app->SettingsPath()).WriteInt(kInitialSetting, "IsAutoReconnect", 0));
        QVERIFY(player.Join(port));
        QTRY_COMPARE_WITH_TIMEOUT(player.Session().MyID(), 1, 10000);
        hub.kill();
        QVERIFY(hub.waitForFinished(10000));
        QTRY_COMPARE(player.Session().State(), SessionState::Orphaned);
        QVERIFY(!player.TimerRunning());
        QVERIFY(!player.LogHas("再接続しています"));
        QVERIFY(!player.Caption().contains(QStringLiteral("再接続")));
    }

    void killedHostKeepsEveryShownLine() {
        QTemporaryDir home;
        QTcpServer probe;  // a port nobody listens on right now
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const int port = probe.serverPort();
        probe.close();
        QProcess host;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("YARROW_HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        host.setProcessEnvironment(env);
        host.start(YARROW_BIN_DIR "/yarrow", {"--serve", QString::number(port), "--name", "GM"});
        QVERIFY(host.waitForStarted(10000));

        // The window hosts once it is up; until then connections are refused.
        std::unique_ptr<test::RawHubClient> player;
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (!player || player->socket.state() == QAbstractSocket::UnconnectedState)
                    player = std::make_unique<test::RawHubClient>(port);
                return !player->records.empty();
            },
            20000));
        const std::int32_t id = player->records[0].ID;
        player->Send(CnctReply, id, "", "PL");

        // Lines, a marker, and more lines still arriving when the kill comes.
        constexpr int kLines = 200;
        for (int i = 0; i < kLines; ++i)
            player->Send(LogBox, id, "PL", "line " + std::to_string(i) + " of the game");
        player->Send(LogBox, id, "PL", "marker");
        for (int i = 0; i < kLines; ++i)
            player->Send(LogBox, id, "PL", "late " + std::to_string(i));
        QVERIFY(QTest::qWaitFor([&] { return TextLog(home.path()).contains("marker"); }, 20000));
        ::kill(static_cast<pid_t>(host.processId()), SIGKILL);
        QVERIFY(host.waitForFinished(10000));
        QCOMPARE(host.exitStatus(), QProcess::CrashExit);

        // Everything shown before the marker is there, in order, and the file
        // ends with a whole line.
        const QByteArray log = TextLog(home.path());
        qsizetype at = 0;
        for (int i = 0; i < kLines; ++i) {
            at = log.indexOf(QByteArray("line ") + QByteArray::number(i) + " of the game\r\n", at);
            QVERIFY2(at >= 0, qPrintable(QString("line %1 missing").arg(i)));
        }
        QVERIFY(log.indexOf("marker", at) > at);
        QVERIFY(log.endsWith("\r\n"));
    }
};

}  // namespace yarrow

QTEST_MAIN(yarrow::LostProcessQtTest)
#include "LostProcessQtTest.moc"
