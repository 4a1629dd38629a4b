// The hub on real sockets on 127.0.0.1: handshake, relay order, a peer that
// vanishes, a peer that never reads, and the shutdown notice.

#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>
#include <memory>
#include <vector>

#include "net/CMsgDecoder.h"
#include "net/qt/CQtHubNetwork.h"
#include "platform/Cp932.h"
#include "support/RawHubClient.h"

using namespace yarrow;

namespace {

using RawClient = test::RawHubClient;

class RecordingOwner : public IHubOwner {
  public:
    void AppendNoticeLine(const std::string& text) override { notices.push_back(text); }
    void RunMemberListCommand() override {}
    std::vector<std::string> notices;
};

CMsg Make(std::int32_t type, std::int32_t id, const std::string& text) {
    CMsg m;
    m.Type = type;
    m.ID = id;
    m.Text = text;
    return m;
}

}  // namespace

class HubSocketsQtTest : public QObject {
    Q_OBJECT
  private slots:
    void relaysInOrderAndSurvivesBadPeers();
    void shutdownReachesEveryParticipant();
};

void HubSocketsQtTest::relaysInOrderAndSurvivesBadPeers() {
    RecordingOwner owner;
    CQtHubNetwork network;
    network.Hub().SetOwner(&owner);
    QVERIFY(network.Hub().ConnectSocket(0));
    const int port = network.Port();
    QVERIFY(port > 0);

    RawClient a(port), b(port);
    QTRY_COMPARE_WITH_TIMEOUT(a.records.size(), size_t(1), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(b.records.size(), size_t(1), 10000);
    QCOMPARE(a.records[0].Type, std::int32_t(CnctStart));
    QCOMPARE(a.records[0].ID + b.records[0].ID, 3);  // 1 and 2, in accept order
    const std::int32_t idA = a.records[0].ID;

    // A reply and two chat lines in one write come back in order, to both.
    a.Send(Make(CnctReply, idA, "Ann").Encode() + Make(LogBox, idA, "one").Encode() +
           Make(LogBox, idA, "two").Encode());
    QTRY_COMPARE_WITH_TIMEOUT(b.records.size(), size_t(4), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(a.records.size(), size_t(4), 10000);
    for (RawClient* c : {&a, &b}) {
        QCOMPARE(c->records[1].Members.size(), size_t(1));
        QCOMPARE(c->records[2].Text, std::string("one"));
        QCOMPARE(c->records[3].Text, std::string("two"));
    }

    // A peer that sends garbage is dropped; the others carry on.
    RawClient bad(port);
    QTRY_COMPARE_WITH_TIMEOUT(bad.records.size(), size_t(1), 10000);
    bad.Send(std::string(12, '\x7F'));
    QTRY_COMPARE_WITH_TIMEOUT(bad.socket.state(), QAbstractSocket::UnconnectedState, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(owner.notices.size(), size_t(1), 10000);
    QVERIFY(owner.notices[0].find("ReadMsg(") != std::string::npos);

    // A peer that never reads is dropped once its backlog passes the cap,
    // while a reading peer receives everything.
    RawClient stalled(port);
    QTRY_COMPARE_WITH_TIMEOUT(stalled.records.size(), size_t(1), 10000);
    QObject::disconnect(&stalled.socket, &QTcpSocket::readyRead, nullptr, nullptr);
    stalled.socket.setReadBufferSize(1);
    const std::string big(60000, 'x');
    int sent = 0;
    const std::size_t before = b.records.size();
    while (owner.notices.size() < 2 && sent < 2000) {
        a.Send(Make(LogBox, idA, big));
        ++sent;
        // Let the hub relay this one and the reading peers drain.
        QTRY_COMPARE_WITH_TIMEOUT(b.records.size(), before + sent, 10000);
    }
    QCOMPARE(owner.notices.size(), size_t(2));
    QVERIFY(owner.notices[1].find("SendMsg(LogBox") != std::string::npos);
    QCOMPARE(network.Hub().ConnectionIds().size(), size_t(2));

    // A peer that simply vanishes is reported and dropped too.
    b.socket.abort();
    QTRY_COMPARE_WITH_TIMEOUT(owner.notices.size(), size_t(3), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(network.Hub().ConnectionIds().size(), size_t(1), 10000);
    a.Send(Make(LogBox, idA, "still"));
    QTRY_VERIFY_WITH_TIMEOUT(a.records.back().Text == "still", 10000);
}

void HubSocketsQtTest::shutdownReachesEveryParticipant() {
    auto network = std::make_unique<CQtHubNetwork>();
    QVERIFY(network->Hub().ConnectSocket(0));
    const int port = network->Port();
    RawClient a(port), b(port);
    QTRY_COMPARE_WITH_TIMEOUT(a.records.size(), size_t(1), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(b.records.size(), size_t(1), 10000);

    network->Hub().Disconnection();
    QVERIFY(network->Port() == 0);
    for (RawClient* c : {&a, &b}) {
        QTRY_COMPARE_WITH_TIMEOUT(c->records.size(), size_t(2), 10000);
        QCOMPARE(c->records[1].Type, std::int32_t(Disconnect));
        QCOMPARE(c->records[1].Close, 1);
        QCOMPARE(c->records[1].Text,
                 "<CR><b>" + Sjis("◎ サーバとの接続が切断されました") + "</b><CR>");
        QTRY_COMPARE_WITH_TIMEOUT(c->socket.state(), QAbstractSocket::UnconnectedState, 10000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(network->LiveConnections(), 0, 10000);
    // A new hub starts numbering again at 1.
    network.reset();
    network = std::make_unique<CQtHubNetwork>();
    QVERIFY(network->Hub().ConnectSocket(0));
    RawClient c(network->Port());
    QTRY_COMPARE_WITH_TIMEOUT(c.records.size(), size_t(1), 10000);
    QCOMPARE(c.records[0].ID, 1);
}

QTEST_MAIN(HubSocketsQtTest)
#include "HubSocketsQtTest.moc"
