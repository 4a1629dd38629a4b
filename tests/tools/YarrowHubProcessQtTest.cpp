// yarrow-hub as a process: its arguments, its listening line, a raw client
// joining and chatting, the past log a later joiner receives, and the
// shutdown on SIGTERM.

#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "net/CMsgDecoder.h"
#include "platform/Cp932.h"
#include "support/HubProcess.h"
#include "support/RawHubClient.h"

using namespace yarrow;

namespace {

using RawClient = test::RawHubClient;
using test::StartHubProcess;

}  // namespace

class YarrowHubProcessQtTest : public QObject {
    Q_OBJECT
  private slots:
    void badArgumentsPrintUsage();
    void servesAndShutsDownOnSigterm();
    void latecomersGetTheChartUnlessTableMemoryIsOff();
    void limitsCloseConnectionsBeyondThem();
};

void YarrowHubProcessQtTest::latecomersGetTheChartUnlessTableMemoryIsOff() {
    for (const bool memory : {true, false}) {
        QTemporaryDir home;
        QProcess hub;
        const int port = StartHubProcess(hub, home.path(),
                                         memory ? QStringList{} : QStringList{"--no-table-memory"});
        QVERIFY(port > 0);
        RawClient gm(port);
        QTRY_COMPARE_WITH_TIMEOUT(gm.records.size(), size_t(1), 10000);
        gm.Send(CnctReply, 0, "", "GM");
        CMsg chart;
        chart.Type = Chart;
        chart.ChartRows = 1;
        chart.ChartColumns = 1;
        chart.Strings = {"HP"};
        gm.Send(chart);
        QTRY_COMPARE(gm.records.size(), size_t(3));

        RawClient late(port);
        QTRY_COMPARE_WITH_TIMEOUT(late.records.size(), size_t(1), 10000);
        late.Send(CnctReply, 0, "", "PL");
        QTRY_COMPARE(gm.records.size(), size_t(4));
        gm.Send(LogBox, 1, "GM", "after");
        QTRY_COMPARE(gm.records.size(), size_t(5));
        QTRY_VERIFY(late.records.back().Type == LogBox);
        const bool gotChart = std::any_of(late.records.begin(), late.records.end(),
                                          [](const CMsg& m) { return m.Type == Chart; });
        QCOMPARE(gotChart, memory);
        hub.terminate();
        QVERIFY(hub.waitForFinished(10000));
    }
}

void YarrowHubProcessQtTest::badArgumentsPrintUsage() {
    // Each names what is wrong before the usage.
    const std::pair<QStringList, QByteArray> cases[] = {
        {{"--port"}, "--port wants a value"},
        {{"--port", "70000"}, "--port wants a whole number from 0 to 65535, not '70000'"},
        {{"--port=12x"}, "not '12x'"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"--max-peers"}, "--max-peers wants a value"},
        {{"--max-peers", "-1"}, "not '-1'"},
        {{"--max-per-address", "2x"}, "--max-per-address wants a whole number"},
        {{"--no-table-memory=1"}, "unknown option --no-table-memory=1"},
    };
    for (const auto& [args, reason] : cases) {
        QProcess hub;
        hub.start(test::kHubProgram, args);
        if (hub.state() != QProcess::NotRunning)
            QVERIFY(hub.waitForFinished(10000));
        QVERIFY2(hub.exitCode() == 2, qPrintable(args.join(' ')));
        const QByteArray error = hub.readAllStandardError();
        QVERIFY2(error.contains(reason) && error.contains("usage: yarrow-hub"), error.constData());
    }
}

void YarrowHubProcessQtTest::servesAndShutsDownOnSigterm() {
    QTemporaryDir home;
    {
        QFile deck(home.filePath("Deck.ini"));
        QVERIFY(deck.open(QIODevice::WriteOnly));
        deck.write(
            QByteArray::fromStdString(Sjis("[DeckSet]\r\n0=剣\r\n[剣]\r\nCardNum=1\r\n"
                                           "DeckNum=8\r\n0=剣の3\r\n")));
    }
    QProcess hub;
    const int port = StartHubProcess(hub, home.path());
    QVERIFY(port > 0);

    RawClient gm(port);
    QTRY_COMPARE_WITH_TIMEOUT(gm.records.size(), size_t(1), 10000);
    QCOMPARE(gm.records[0].Type, std::int32_t(CnctStart));
    QCOMPARE(gm.records[0].ID, 1);
    QCOMPARE(gm.records[0].Name, "00008" + Sjis("剣"));
    QCOMPARE(gm.records[0].Param1, 6);
    QCOMPARE(gm.records[0].Text, std::string());

    gm.Send(CnctReply, 1, "", "GM");
    gm.Send(LogBox, 1, "GM", "hello<CR>world");
    gm.Send(Secret, 0, "GM", "whisper");
    gm.Send(ScreenDice, 1, "GM", Sjis("(ころころ……)"));
    QTRY_COMPARE_WITH_TIMEOUT(gm.records.size(), size_t(5), 10000);

    // Cards from the home folder's Deck.ini, described in the past log as a
    // window that did not act shows them: open piles show the cards, private
    // ones only the count, a hidden draw only the fixed line.
    std::vector<std::string> drawn;
    for (std::int32_t type : {DrawCard, ScreenCard, DrawCard, DrawCard, DrawCard, DrawCard}) {
        const std::size_t before = gm.records.size();
        gm.Send(type, 1, "GM", "");
        QTRY_COMPARE_WITH_TIMEOUT(gm.records.size(), before + 1, 10000);
        QCOMPARE(gm.records.back().Type, type);
        QCOMPARE(gm.records.back().Text, Sjis("剣の3"));
        drawn.push_back("0000" + std::to_string(gm.records.back().Param1) + Sjis("剣の3"));
    }
    QCOMPARE(gm.records.back().Param2, 2);
    CMsg move;
    move.Type = MoveCard;
    move.ID = 1;
    move.Name = "GM";
    move.Param1 = 0x0104;  // hand to discard pile
    move.Strings = {drawn[0], drawn[1]};
    gm.Send(move);
    move.Param1 = 0x0103;  // hand to face-down table pile
    move.Strings = {drawn[2], drawn[3]};
    gm.Send(move);
    CMsg pass = move;
    pass.Type = PassCard;
    pass.Param1 = 1;
    pass.Strings = {drawn[4], drawn[5]};
    gm.Send(pass);
    QTRY_COMPARE_WITH_TIMEOUT(gm.records.size(), size_t(14), 10000);
    QCOMPARE(gm.records.back().Strings.size(), size_t(2));

    // A later joiner's past log holds the typed lines with the hub's rules.
    RawClient late(port);
    QTRY_COMPARE_WITH_TIMEOUT(late.records.size(), size_t(1), 10000);
    QCOMPARE(late.records[0].ID, 2);
    QCOMPARE(late.records[0].Name, "00002" + Sjis("剣"));
    const std::string drew = Sjis("GM(カード)：剣の3を引きました") + "\r\n";
    QCOMPARE(late.records[0].Text,
             "\r\n" + Sjis("====== 過去ログ ======") + "\r\n" + Sjis("GM：hello") +
                 "\r\nworld\r\n" + Sjis("GM(隠しダイス)：(ころころ……)") + "\r\n" + drew +
                 Sjis("GM(隠しカード)：カードを1枚引きました") + "\r\n" + drew + drew + drew +
                 drew + Sjis("GM(カード)：剣の3,剣の3を手札から捨札に移動しました") + "\r\n" +
                 Sjis("GM(カード)：カードを2枚を手札から場札(伏)に移動しました") + "\r\n" +
                 Sjis("GM(カード)：カードをGMに2枚渡しました") + "\r\n" + "======================");

    ::kill(static_cast<pid_t>(hub.processId()), SIGTERM);
    for (RawClient* c : {&gm, &late}) {
        QTRY_VERIFY_WITH_TIMEOUT(!c->records.empty() && c->records.back().Type == Disconnect,
                                 10000);
        QCOMPARE(c->records.back().Close, 1);
        QCOMPARE(c->records.back().Text,
                 "<CR><b>" + Sjis("◎ サーバとの接続が切断されました") + "</b><CR>");
    }
    // QTRY's event loop may already have seen it finish.
    if (hub.state() != QProcess::NotRunning)
        QVERIFY(hub.waitForFinished(10000));
    QCOMPARE(hub.exitStatus(), QProcess::NormalExit);
    QCOMPARE(hub.exitCode(), 0);
    const QByteArray events = hub.readAllStandardError();
    QVERIFY(events.contains("as member 1"));
    QVERIFY(events.contains("with 8 cards"));
    QVERIFY(events.contains("shutting down"));
}

// A connection beyond --max-peers, or beyond --max-per-address from one
// address, is closed at once without a greeting and named on standard error;
// a connection from another address, or once a place is free, is served.
void YarrowHubProcessQtTest::limitsCloseConnectionsBeyondThem() {
    struct Case {
        QStringList args;
        int served;  // from 127.0.0.1 before the next is refused
        bool otherAddressServed;
        const char* reason;
    };
    for (const Case& c :
         {Case{{"--max-peers", "3"}, 3, false, "--max-peers 3"},
          Case{{"--max-per-address", "2"}, 2, true, "--max-per-address 2"},
          Case{{"--max-peers", "4", "--max-per-address", "2"}, 2, true, "--max-per-address 2"}}) {
        QTemporaryDir home;
        QProcess hub;
        const int port = StartHubProcess(hub, home.path(), c.args);
        QVERIFY(port > 0);
        std::vector<std::unique_ptr<RawClient>> served;
        for (int i = 0; i < c.served; ++i) {
            served.push_back(std::make_unique<RawClient>(port));
            QTRY_COMPARE_WITH_TIMEOUT(served.back()->records.size(), size_t(1), 10000);
        }
        RawClient refused(port);
        QTRY_COMPARE_WITH_TIMEOUT(refused.socket.state(), QAbstractSocket::UnconnectedState, 10000);
        QVERIFY(refused.records.empty());
        QByteArray events;
        QTRY_VERIFY_WITH_TIMEOUT(
            (events += hub.readAllStandardError()).contains("refused 127.0.0.1:"), 10000);
        QVERIFY2(events.contains(c.reason), events.constData());

        // From another loopback address.
        RawClient other(port, QHostAddress("127.0.0.2"));
        if (c.otherAddressServed) {
            QTRY_COMPARE_WITH_TIMEOUT(other.records.size(), size_t(1), 10000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(other.socket.state(), QAbstractSocket::UnconnectedState,
                                      10000);
            QVERIFY(other.records.empty());
        }

        // A place freed is taken again, once the hub has seen it freed.
        served.front()->socket.abort();
        served.erase(served.begin());
        bool again = false;
        for (int attempt = 0; attempt < 50 && !again; ++attempt) {
            RawClient next(port);
            QVERIFY(QTest::qWaitFor(
                [&] {
                    return !next.records.empty() ||
                           next.socket.state() == QAbstractSocket::UnconnectedState;
                },
                10000));
            again = !next.records.empty();
            if (!again)
                QTest::qWait(100);
        }
        QVERIFY(again);
        hub.kill();
        hub.waitForFinished();
    }
}

QTEST_MAIN(YarrowHubProcessQtTest)
#include "YarrowHubProcessQtTest.moc"
