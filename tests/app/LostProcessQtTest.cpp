// Processes that go away under a window. A hosting window killed outright
// (SIGKILL: no handler runs, nothing is flushed on the way out) still has
// every line it had shown in its text log, and the window that had joined it
// joins a hub started on the same port by itself, under the same name and
// colour; a hub that says goodbye, or a user who turned reconnecting off,
// leaves the window alone. The window's reconnect timer is fired by hand, so
// nothing waits for real time.

#include <signal.h>

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
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
    void windowComesBackAfterItsHostWasKilled() {
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
        QVERIFY(QTest::qWaitFor(
            [port] {
                QTcpSocket knock;
                knock.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
                return knock.waitForConnected(200);
            },
            20000));
        Player player;
        QVERIFY(player.Join(port));
        QTRY_COMPARE_WITH_TIMEOUT(player.Session().State(), SessionState::Joined, 10000);
        Player quiet;  // a user who turned reconnecting off
        QVERIFY(
            CSettings(quiet.app->SettingsPath()).WriteInt(kInitialSetting, "IsAutoReconnect", 0));
        QVERIFY(quiet.Join(port));
        QTRY_COMPARE(quiet.Session().State(), SessionState::Joined);
        player.Session().SetMyColor(0x123456);
        const QString connected = player.Caption();

        // Lines, a marker, and more lines still arriving when the kill comes.
        constexpr int kLines = 200;
        const auto say = [&player](const std::string& text) {
            player.Session().SendChat("PL", text, 0x123456, LogBox);
        };
        for (int i = 0; i < kLines; ++i)
            say("line " + std::to_string(i) + " of the game");
        say("marker");
        for (int i = 0; i < kLines; ++i)
            say("late " + std::to_string(i));
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

        QTRY_COMPARE(quiet.Session().State(), SessionState::Orphaned);
        QVERIFY(!quiet.TimerRunning(kTimer) && !quiet.Caption().contains(QStringLiteral("再接続")));
        QTRY_COMPARE(player.Session().State(), SessionState::Reconnecting);
        player.HoldTimer(kTimer);
        QVERIFY(player.Caption().contains(QStringLiteral("再接続中")));
        QVERIFY(player.Status().contains(QStringLiteral("再接続")));
        // Nobody listens yet: the first try fails and the next is scheduled.
        player.FireTimer(kTimer);
        QVERIFY(player.LogHas("◇ 再接続しています (1回目)"));
        QTRY_VERIFY(!player.Session().IsConnecting());
        player.HoldTimer(kTimer);
        QCOMPARE(player.Session().State(), SessionState::Reconnecting);

        QProcess hub;
        QCOMPARE(test::StartHubProcess(hub, home.path(), {}, port), port);
        test::RawHubClient other(port);
        QTRY_COMPARE_WITH_TIMEOUT(other.records.size(), size_t(1), 10000);
        other.Send(CnctReply, 0, "", "OB");
        QTRY_COMPARE(other.records.size(), size_t(2));

        player.FireTimer(kTimer);
        QVERIFY(player.LogHas("◇ 再接続しています (2回目)"));
        QTRY_COMPARE_WITH_TIMEOUT(player.Session().State(), SessionState::Joined, 10000);
        QCOMPARE(player.Session().MyID(), 2);
        QVERIFY(player.LogHas("◇ 再接続しました"));
        QCOMPARE(player.Caption(), connected);
        QCOMPARE(player.Status(), QString::fromUtf8(kStatusIdleText));
        QVERIFY(!player.TimerRunning(kTimer));

        // The others see the same member back, speaking in the same colour
        // (typing marks may come first).
        QTRY_COMPARE(other.records.size(), size_t(3));
        QVERIFY(other.records[2].Text.find(Sjis("PL が接続しました")) != std::string::npos);
        player.Say(QStringLiteral("戻りました"));
        QTRY_COMPARE(other.records.back().Type, std::int32_t(LogBox));
        QCOMPARE(other.records.back().Name, Sjis("PL"));
        QCOMPARE(other.records.back().Color, 0x123456);

        // A hub that says goodbye is not tried again.
        hub.terminate();
        QVERIFY(hub.waitForFinished(10000));
        QTRY_VERIFY(player.LogHas("サーバとの接続が切断されました"));
        QTRY_COMPARE(player.Session().State(), SessionState::Orphaned);
        QVERIFY(!player.TimerRunning(kTimer));
        QVERIFY(!player.Caption().contains(QStringLiteral("再接続")));
    }
};

}  // namespace yarrow

QTEST_MAIN(yarrow::LostProcessQtTest)
#include "LostProcessQtTest.moc"
