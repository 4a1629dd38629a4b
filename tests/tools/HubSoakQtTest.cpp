// yarrow-hub as a process under load and under misbehaving peers: many joins
// and leaves, a peer that stops reading, a peer that sends a byte at a time,
// and a thousand connections at once at the descriptor limit. Its resident
// memory and open descriptors are read from /proc. Labelled soak: each case
// takes seconds, the stalled reader about the hub's half-minute patience.

#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "net/CMsg.h"
#include "net/MsgType.h"
#include "support/HubProcess.h"
#include "support/RawHubClient.h"

using namespace yarrow;
using test::RawHubClient;

namespace {

// Starts the hub on a free port with `args`, its descriptors limited to
// `fdLimit` when that is above 0. Returns the port (0 on failure).
int StartHub(QProcess& hub, const QString& home, const QStringList& args = {}, rlim_t fdLimit = 0) {
    if (fdLimit > 0) {
        hub.setChildProcessModifier([fdLimit] {
            const rlimit limit{fdLimit, fdLimit};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        });
    }
    return test::StartHubProcess(hub, home, args);
}

// Resident memory of a process in kB, from /proc.
long RssKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const auto match = QRegularExpression("VmRSS:\\s*(\\d+) kB").match(status.readAll());
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

int OpenFds(qint64 pid) {
    return static_cast<int>(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                                .entryList(QDir::NoDotAndDotDot | QDir::System)
                                .size());
}

bool Greeted(const RawHubClient& c) {
    return !c.records.empty() && c.records[0].Type == CnctStart;
}

// Joined: greeted, then announced under `name`.
std::unique_ptr<RawHubClient> Join(int port, const std::string& name) {
    auto c = std::make_unique<RawHubClient>(port);
    if (!QTest::qWaitFor([&] { return Greeted(*c); }, 10000))
        return nullptr;
    c->Send(CnctReply, c->records[0].ID, "", name);
    return c;
}

std::size_t CountOf(const RawHubClient& c, std::int32_t type, const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(c.records.begin(), c.records.end(),
                      [&](const CMsg& m) { return m.Type == type && m.Text == text; }));
}

}  // namespace

class HubSoakQtTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void joinAndLeaveCyclesKeepMemoryAndDescriptorsFlat();
    void stalledReaderIsLetGoAndOthersGetEverything();
    void byteAtATimeSenderDelaysNobody();
    void thousandConnectionsAtTheDescriptorLimit();

  private:
    QTemporaryDir home_;
    rlim_t ownFds_ = 0;
};

void HubSoakQtTest::initTestCase() {
    // A thousand clients of our own need more than the usual 1024 descriptors.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 8192);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ownFds_ = limit.rlim_cur;
}

void HubSoakQtTest::joinAndLeaveCyclesKeepMemoryAndDescriptorsFlat() {
    QProcess hub;
    const int port = StartHub(hub, home_.path());
    QVERIFY(port > 0);
    RawHubClient watcher(port);
    QTRY_VERIFY_WITH_TIMEOUT(Greeted(watcher), 10000);
    const int idleFds = OpenFds(hub.processId());

    constexpr int kCycles = 2000;
    constexpr int kBatch = 20;
    long warmRss = 0;
    for (int cycle = 0; cycle < kCycles; cycle += kBatch) {
        std::vector<std::unique_ptr<RawHubClient>> batch;
        for (int i = 0; i < kBatch; ++i)
            batch.push_back(std::make_unique<RawHubClient>(port));
        for (auto& c : batch) {
            QVERIFY(QTest::qWaitFor([&] { return Greeted(*c); }, 10000));
            c->Send(CnctReply, c->records[0].ID, "", "p" + std::to_string(cycle));
            c->Send(LogBox, c->records[0].ID, "p", "hello");
        }
        // Half leave as the program does, half just vanish.
        for (std::size_t i = 0; i < batch.size(); ++i) {
            if (i % 2 == 0) {
                CMsg bye;
                bye.Type = Disconnect;
                bye.ID = batch[i]->records[0].ID;
                bye.Close = 1;
                batch[i]->Send(bye);
                batch[i]->socket.disconnectFromHost();
            } else {
                batch[i]->socket.abort();
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(OpenFds(hub.processId()) == idleFds, 10000);
        if (cycle + kBatch == 200)
            warmRss = RssKb(hub.processId());
    }
    const long endRss = RssKb(hub.processId());
    qInfo("join/leave: %d cycles, RSS %ld kB after 200, %ld kB after %d; %d descriptors idle",
          kCycles, warmRss, endRss, kCycles, idleFds);
    QVERIFY(warmRss > 0);
    // A connection's state is a few kB: a leak of one per cycle would grow
    // 1,800 cycles by several MB.
    QVERIFY2(endRss - warmRss < 1024, qPrintable(QString::number(endRss - warmRss)));
    QCOMPARE(OpenFds(hub.processId()), idleFds);
    // The watcher saw the traffic and is still served.
    watcher.Send(LogBox, watcher.records[0].ID, "w", "still here");
    QTRY_COMPARE_WITH_TIMEOUT(CountOf(watcher, LogBox, "still here"), std::size_t(1), 10000);
    hub.kill();
    hub.waitForFinished();
}

void HubSoakQtTest::stalledReaderIsLetGoAndOthersGetEverything() {
    QProcess hub;
    const int port = StartHub(hub, home_.path());
    QVERIFY(port > 0);
    std::vector<std::unique_ptr<RawHubClient>> active;
    for (const char* name : {"A", "B", "C"}) {
        active.push_back(Join(port, name));
        QVERIFY(active.back());
    }
    auto stalled = Join(port, "S");
    QVERIFY(stalled);
    // Joined: its own join came back.
    const std::int32_t stalledId = stalled->records[0].ID;
    QTRY_VERIFY_WITH_TIMEOUT(
        std::any_of(stalled->records.begin(), stalled->records.end(),
                    [&](const CMsg& m) { return m.Type == CnctReply && m.ID == stalledId; }),
        10000);
    stalled->StopReading();
    const long startRss = RssKb(hub.processId());

    // Far more than the network's buffers and the hub's queue hold: 32 MB
    // through every connection.
    constexpr int kRecords = 512;
    const std::string text(64 * 1024, 'x');
    long peakRss = startRss;
    for (int i = 0; i < kRecords; ++i)
        active[static_cast<std::size_t>(i % 3)]->Send(LogBox, 0, "A", text + std::to_string(i));
    const bool allArrived = QTest::qWaitFor(
        [&] {
            peakRss = std::max(peakRss, RssKb(hub.processId()));
            for (auto& c : active)
                if (std::count_if(c->records.begin(), c->records.end(),
                                  [](const CMsg& m) { return m.Type == LogBox; }) < kRecords)
                    return false;
            return true;
        },
        50000);
    QVERIFY(allArrived);
    for (auto& c : active)
        for (int i = 0; i < kRecords; ++i)
            QCOMPARE(CountOf(*c, LogBox, text + std::to_string(i)), std::size_t(1));
    QByteArray events;
    QTRY_VERIFY_WITH_TIMEOUT((events += hub.readAllStandardError()).contains("SendMsg"), 10000);
    qInfo("stalled reader: RSS %ld kB at start, %ld kB at most while 32 MB went through", startRss,
          peakRss);
    // Each queue stays near the hub's soft mark: a few MB in all, not the
    // 32 MB the stalled peer did not take.
    QVERIFY2(peakRss - startRss < 20 * 1024, qPrintable(QString::number(peakRss - startRss)));
    hub.kill();
    hub.waitForFinished();
}

void HubSoakQtTest::byteAtATimeSenderDelaysNobody() {
    QProcess hub;
    const int port = StartHub(hub, home_.path());
    QVERIFY(port > 0);
    auto fast = Join(port, "F");
    auto other = Join(port, "O");
    auto slow = Join(port, "S");
    QVERIFY(fast && other && slow);

    CMsg line;
    line.Type = LogBox;
    line.ID = slow->records[0].ID;
    line.Name = "S";
    line.Text = "dribbled";
    const std::string bytes = line.Encode();
    // Between any two bytes of the slow record, a whole round trip of
    // another peer completes and reaches everybody.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        slow->Send(bytes.substr(i, 1));
        slow->socket.flush();
        const std::string text = "quick " + std::to_string(i);
        fast->Send(LogBox, 0, "F", text);
        QTRY_COMPARE_WITH_TIMEOUT(CountOf(*fast, LogBox, text), std::size_t(1), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(CountOf(*other, LogBox, text), std::size_t(1), 10000);
        if (i + 1 < bytes.size())
            QCOMPARE(CountOf(*other, LogBox, "dribbled"), std::size_t(0));
    }
    QTRY_COMPARE_WITH_TIMEOUT(CountOf(*other, LogBox, "dribbled"), std::size_t(1), 10000);
    hub.kill();
    hub.waitForFinished();
}

void HubSoakQtTest::thousandConnectionsAtTheDescriptorLimit() {
    if (ownFds_ < 2048)
        QSKIP("this process may not open the descriptors for a thousand clients");
    QProcess hub;
    constexpr rlim_t kHubFds = 256;
    const int port = StartHub(hub, home_.path(), {}, kHubFds);
    QVERIFY(port > 0);
    const int idleFds = OpenFds(hub.processId());

    constexpr int kClients = 1000;
    std::vector<std::unique_ptr<RawHubClient>> clients;
    for (int i = 0; i < kClients; ++i)
        clients.push_back(std::make_unique<RawHubClient>(port));
    // Every connection is either greeted or closed by the hub: none is left
    // hanging.
    auto settled = [&] {
        int greeted = 0, closed = 0;
        for (auto& c : clients) {
            if (Greeted(*c))
                ++greeted;
            else if (c->socket.state() == QAbstractSocket::UnconnectedState)
                ++closed;
        }
        return std::pair{greeted, closed};
    };
    const bool allSettled =
        QTest::qWaitFor([&] { return settled().first + settled().second == kClients; }, 60000);
    const auto [greeted, closed] = settled();
    QVERIFY2(
        allSettled,
        qPrintable(QString("%1 greeted, %2 closed, the rest waiting").arg(greeted).arg(closed)));
    qInfo("1000 connections at a limit of %d descriptors: %d greeted, %d closed",
          static_cast<int>(kHubFds), greeted, closed);
    // Every descriptor the hub had left serves a participant (its spare one
    // is among those counted idle), and each connection beyond them is
    // named in a "refused" line. A descriptor or two may be busy at the
    // moment the flood arrives (a greeting's send handed to the helper
    // thread, a socket still being torn down), so the count may fall short
    // by that much, never more; leaks show in the count after the clients
    // have gone.
    constexpr int kBusyAtMost = 2;
    const int room = static_cast<int>(kHubFds) - idleFds;
    QVERIFY2(greeted <= room && greeted >= room - kBusyAtMost,
             qPrintable(QString("%1 greeted with room for %2").arg(greeted).arg(room)));
    QByteArray events;
    const auto refused = [&] {
        events += hub.readAllStandardError();
        return static_cast<int>(events.count("\nrefused "));
    };
    QTRY_VERIFY_WITH_TIMEOUT(refused() >= closed - kBusyAtMost, 10000);
    QVERIFY(refused() <= closed);
    QCOMPARE(hub.state(), QProcess::Running);

    clients.clear();
    QTRY_VERIFY_WITH_TIMEOUT(OpenFds(hub.processId()) == idleFds, 20000);
    // Descriptors are free again, and the hub serves the next one.
    RawHubClient late(port);
    QTRY_VERIFY_WITH_TIMEOUT(Greeted(late), 10000);
    hub.kill();
    hub.waitForFinished();
}

QTEST_MAIN(HubSoakQtTest)
#include "HubSoakQtTest.moc"
