// The hub on real sockets on 127.0.0.1, as a hosting window runs it (the epoll
// network on a thread of its own, its notices posted to this thread; the
// windowless hub runs the same network on its main thread): handshake, relay
// order, peers that send garbage, vanish or stop reading, a sender faster
// than its readers, and the table a latecomer receives (the shutdown notice is
// seen by a window whose host leaves, and by the windowless hub's clients).

#include <QTcpSocket>
#include <QtTest>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "net/NetTestUtil.h"
#include "net/posix/CEpollHubNetwork.h"
#include "net/qt/COwnedHub.h"
#include "platform/Cp932.h"
#include "support/FixedClock.h"
#include "support/HubFakes.h"
#include "support/RawHubClient.h"

using namespace yarrow;

// Records name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using RawClient = test::RawHubClient;

CMsg Make(std::int32_t type, std::int32_t id, const std::string& text) {
    return CMsg{.Text = text, .Type = type, .ID = id};
}

CMsg MapRecord(std::int32_t id, std::int32_t number, const std::string& label) {
    return CMsg{.Type = UpdateMap,
                .ID = id,
                .Param1 = 1,
                .Param2 = number,
                .Tiles = {{0x0102, {.TileLabel = label}}}};
}

CMsg ChartRecord(std::int32_t id, const std::string& cell) {
    return CMsg{.Type = Chart,
                .ID = id,
                .Strings = {Sjis("名前"), cell},
                .ChartRows = 1,
                .ChartColumns = 2,
                .ChartSpin = 7};
}

// The hub a hosting window runs: whatever a case asks of it runs on the hub's
// thread while the case waits.
class HubUnderTest {
  public:
    HubUnderTest(IHubOwner& owner, const IClock* clock)
        : hub_(owner, prompter_, sound_, nullptr, {}, clock) {}
    bool Start() { return hub_.ConnectSocket(0); }
    void OnHub(const std::function<void(CEpollHubNetwork&)>& task) { hub_.Call(task); }
    template <typename F>
    auto Ask(F question) {
        decltype(question(std::declval<CEpollHubNetwork&>())) answer{};
        OnHub([&](CEpollHubNetwork& network) { answer = question(network); });
        return answer;
    }
    int Port() {
        return Ask([](CEpollHubNetwork& n) { return n.Port(); });
    }
    std::size_t Connections() {
        return Ask([](CEpollHubNetwork& n) { return n.Hub().ConnectionIds().size(); });
    }

  private:
    test::ScriptedPrompter prompter_;
    test::FakeSound sound_;
    COwnedHub hub_;
};

}  // namespace

class HubSocketsQtTest : public QObject {
    Q_OBJECT

    test::FakeOwner owner;
    test::FixedClock clock{1000};
    std::unique_ptr<HubUnderTest> network;

    int StartHub() {
        owner.notices.clear();
        network.reset();
        network = std::make_unique<HubUnderTest>(owner, &clock);
        return network->Start() ? network->Port() : 0;
    }

  private slots:
    void cleanup() { network.reset(); }

    void relaysInOrderAndSurvivesBadPeers() {
        const int port = StartHub();
        QVERIFY(port > 0);
        RawClient a(port), b(port);
        QTRY_COMPARE(a.records.size(), size_t(1));
        QTRY_COMPARE(b.records.size(), size_t(1));
        QCOMPARE(a.records[0].Type, std::int32_t(CnctStart));
        QCOMPARE(a.records[0].ID + b.records[0].ID, 3);  // 1 and 2, in accept order
        const std::int32_t idA = a.records[0].ID;

        // A reply and two chat lines in one write come back in order, to both.
        a.Send(Make(CnctReply, idA, "Ann").Encode() + Make(LogBox, idA, "one").Encode() +
               Make(LogBox, idA, "two").Encode());
        QTRY_COMPARE(b.records.size(), size_t(4));
        QTRY_COMPARE(a.records.size(), size_t(4));
        for (RawClient* c : {&a, &b}) {
            QCOMPARE(c->records[1].Members.size(), size_t(1));
            QCOMPARE(c->records[2].Text, std::string("one"));
            QCOMPARE(c->records[3].Text, std::string("two"));
        }

        // A peer that sends what is no record is dropped and reported once,
        // under its member; one that vanishes too; the others carry on.
        RawClient bad(port);
        QTRY_COMPARE(bad.records.size(), size_t(1));
        const std::int32_t idBad = bad.records[0].ID;
        bad.Send(Make(CnctReply, idBad, "Bad").Encode() + test::LE32(idBad) + test::LE32(0) +
                 test::LE32(31) + Make(LogBox, idBad, "never").Encode());
        QTRY_COMPARE(bad.socket.state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(owner.notices.size(), size_t(1));
        const std::string mark = "<b>" + Sjis("※ ");
        QCOMPARE(owner.notices[0], mark + "ReadMsg(Unknown(0x1F)/[" + std::to_string(idBad) +
                                       ":Bad]) : record type 31 is out of range</b>");
        b.socket.abort();
        QTRY_COMPARE(owner.notices.size(), size_t(2));
        const std::string lost = "ReadMsg(Undefined/[" + std::to_string(b.records[0].ID) + ":";
        QVERIFY(owner.notices[1].starts_with(mark + lost));
        QTRY_COMPARE(network->Connections(), size_t(1));
        a.Send(Make(LogBox, idA, "still"));
        QTRY_VERIFY(a.records.back().Text == "still");
        QCOMPARE(owner.notices.size(), size_t(2));
    }

    void fastSenderIsSlowedDownNotDropped() {
        // 20 MB of ordinary remarks written as fast as the socket takes them,
        // while the sender reads its own echoes and another member reads too.
        const int port = StartHub();
        RawClient writer(port), reader(port);
        QTRY_COMPARE(writer.records.size(), size_t(1));
        QTRY_COMPARE(reader.records.size(), size_t(1));
        const std::int32_t id = writer.records[0].ID;
        const std::string text =
            Sjis("ゴブリンの群れが橋の向こうから近づいてくる。") + std::string(150, '.');
        std::string bytes;
        std::size_t count = 0;
        while (bytes.size() < 20'000'000) {
            CMsg remark = Make(LogBox, id, text + std::to_string(count++));
            remark.Name = "Writer";
            remark.Encode(bytes);
        }
        writer.Send(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(reader.records.size(), count + 1, 120000);
        QTRY_COMPARE_WITH_TIMEOUT(writer.records.size(), count + 1, 120000);
        QVERIFY(owner.notices.empty());
        QCOMPARE(writer.records.back().Text, text + std::to_string(count - 1));
        QCOMPARE(reader.records[count / 2 + 1].Text, text + std::to_string(count / 2));
        QCOMPARE(network->Connections(), size_t(2));
    }

    // A peer that stops reading backlogs the hub, which then waits for it
    // (letting it go only after a while, which the flow and soak tests show);
    // once it vanishes owing bytes it is reported as a failed send of the
    // record it was owed, and the sender still gets every echo.
    void peerThatStopsReadingAndVanishesIsReportedAsAFailedSend() {
        const int port = StartHub();
        RawClient a(port), stalled(port);
        QTRY_COMPARE(a.records.size(), size_t(1));
        QTRY_COMPARE(stalled.records.size(), size_t(1));
        stalled.StopReading();
        const CMsg big = Make(DiceRoll, a.records[0].ID, std::string(200'000, 'x'));
        std::string burst;
        for (int i = 0; i < 60; ++i)
            big.Encode(burst);
        a.Send(burst);
        QTRY_VERIFY(network->Ask([](CEpollHubNetwork& n) { return n.Hub().Backlogged(); }));
        QVERIFY(a.records.size() < 61);
        network->OnHub([](CEpollHubNetwork& n) { n.Hub().CheckStalledPeers(); });
        QCoreApplication::processEvents();  // a notice posted meanwhile arrives now
        QVERIFY(owner.notices.empty());
        stalled.socket.abort();
        QTRY_COMPARE(owner.notices.size(), size_t(1));
        QVERIFY(owner.notices[0].find("SendMsg(DiceRoll") != std::string::npos);
        QTRY_COMPARE_WITH_TIMEOUT(a.records.size(), size_t(61), 20000);
        QCOMPARE(network->Connections(), size_t(1));
    }

    // What a newcomer receives right after its join, for what the table saw
    // before: each row lists what one member sent and which of those records
    // (by position) the newcomer receives, in order.
    void latecomerReceivesTheTableAloneAndAsEverybodyGotIt() {
        struct Case {
            const char* name;
            bool memory;
            std::vector<CMsg> sent;
            std::vector<std::size_t> replayed;
        };
        const std::vector<Case> cases = {
            {"chart, lock, maps by number, newest of each",
             true,
             {MapRecord(1, 2, "old"), ChartRecord(1, "first"), MapRecord(1, 0, "main"),
              Make(ChartLock, 2, "Bob"), ChartRecord(1, "second"), Make(ChartLock, 1, "Ann"),
              MapRecord(1, 2, "new"), MapRecord(1, -1, "refused"), Make(LogBox, 1, "chat")},
             {4, 5, 2, 6}},
            {"a lock without a chart", true, {Make(ChartLock, 2, "Bob")}, {0}},
            {"its own lock is not given back to the editor",
             true,
             {ChartRecord(1, "x"), Make(ChartLock, 2, "Cat")},
             {0}},
            {"a chart lifts the lock", true, {Make(ChartLock, 2, "Bob"), ChartRecord(1, "x")}, {1}},
            {"memory off", false, {ChartRecord(1, "x"), MapRecord(1, 0, "m")}, {}},
        };
        for (const Case& c : cases) {
            qInfo("%s", c.name);
            const int port = StartHub();
            network->OnHub([&](CEpollHubNetwork& n) { n.Hub().SetTableMemory(c.memory); });
            RawClient a(port), b(port);
            QTRY_COMPARE(a.records.size(), size_t(1));
            QTRY_COMPARE(b.records.size(), size_t(1));
            a.Send(Make(CnctReply, 0, "Ann"));
            QTRY_COMPARE(b.records.size(), size_t(2));
            b.Send(Make(CnctReply, 0, "Bob"));
            QTRY_COMPARE(a.records.size(), size_t(3));
            for (const CMsg& record : c.sent)
                a.Send(record);
            const std::size_t before = 3 + c.sent.size();
            QTRY_COMPARE(b.records.size(), before);
            QTRY_COMPARE(a.records.size(), before);

            RawClient late(port);
            QTRY_COMPARE(late.records.size(), size_t(1));
            late.Send(Make(CnctReply, 0, "Cat"));
            // A second reply of the same connection is no second join.
            late.Send(Make(CnctReply, 0, "Cat"));
            const std::size_t expected = 2 + c.replayed.size() + 2;
            QTRY_COMPARE(late.records.size(), expected - 1);
            a.Send(Make(LogBox, 1, "after"));
            QTRY_COMPARE(late.records.size(), expected);
            QCOMPARE(late.records[1].Type, std::int32_t(CnctReply));
            for (std::size_t i = 0; i < c.replayed.size(); ++i)
                QCOMPARE(late.RawRecord(2 + i), b.RawRecord(3 + c.replayed[i]));
            QCOMPARE(late.records[expected - 2].Type, std::int32_t(CnctReply));
            QCOMPARE(late.records.back().Text, std::string("after"));
            // The others received the join, the second reply and the remark.
            for (RawClient* member : {&a, &b}) {
                QTRY_COMPARE(member->records.size(), before + 3);
                QCOMPARE(member->records[before].Type, std::int32_t(CnctReply));
                QCOMPARE(member->records[before + 1].Type, std::int32_t(CnctReply));
            }
        }
    }

    // Maps of 13 MiB each: the fifth passes the 64 MiB the hub keeps, and the
    // map updated longest ago goes, not the lowest number.
    void mapMemoryIsBoundedAndForgetsTheLeastRecentlyUpdated() {
        const int port = StartHub();
        RawClient a(port);
        QTRY_COMPARE(a.records.size(), size_t(1));
        a.Send(Make(CnctReply, 0, "Ann"));
        QTRY_COMPARE(a.records.size(), size_t(2));
        const std::string big(13u * 1024u * 1024u, 'm');
        for (std::int32_t number : {0, 1, 2, 3, 0, 4})
            a.Send(MapRecord(1, number, big + std::to_string(number)));
        QTRY_COMPARE_WITH_TIMEOUT(a.records.size(), size_t(8), 30000);
        const auto [bytes, count, hasOne] = network->Ask([](CEpollHubNetwork& n) {
            const CTableMemory& memory = n.Hub().TableMemory();
            return std::tuple(memory.MapBytes(), memory.MapCount(), memory.HasMap(1));
        });
        QVERIFY(bytes <= CTableMemory::kMaxMapBytes);
        QCOMPARE(count, size_t(4));
        QVERIFY(!hasOne);

        RawClient late(port);
        QTRY_COMPARE(late.records.size(), size_t(1));
        late.Send(Make(CnctReply, 0, "Cat"));
        QTRY_COMPARE_WITH_TIMEOUT(late.records.size(), size_t(6), 30000);
        const std::vector<std::int32_t> numbers = {late.records[2].Param2, late.records[3].Param2,
                                                   late.records[4].Param2, late.records[5].Param2};
        QCOMPARE(numbers, (std::vector<std::int32_t>{0, 2, 3, 4}));
        QCOMPARE(late.records[2].Tiles.at(0x0102).TileLabel, big + "0");
    }
};

QTEST_MAIN(HubSocketsQtTest)
#include "HubSocketsQtTest.moc"
