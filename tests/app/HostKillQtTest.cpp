// A hosting window killed outright (SIGKILL: no handler runs, nothing is
// flushed on the way out) still has every line it had shown in its text log.

#include <signal.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>

#include "net/MsgType.h"
#include "support/RawHubClient.h"

using namespace yarrow;

namespace {

const QString kYarrow = QStringLiteral(YARROW_BIN_DIR "/yarrow");

// A port nobody listens on right now.
int FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// The one text log under the program folder (its log folder is a setting).
QByteArray TextLog(const QString& folder) {
    QStringList logs;
    for (QDirIterator it(folder, {"*.txt"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();)
        logs << it.next();
    if (logs.size() != 1)
        return {};
    QFile file(logs.first());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class HostKillQtTest : public QObject {
    Q_OBJECT
  private slots:
    void killedHostKeepsEveryShownLine();
};

void HostKillQtTest::killedHostKeepsEveryShownLine() {
    QTemporaryDir home;
    const int port = FreePort();
    QVERIFY(port > 0);
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("YARROW_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    host.setProcessEnvironment(env);
    host.start(kYarrow, {"--serve", QString::number(port), "--name", "GM"});
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

QTEST_MAIN(HostKillQtTest)
#include "HostKillQtTest.moc"
