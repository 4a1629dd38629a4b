// A member's cards across a lost connection, on real sockets: the hub keeps
// the piles of a member that vanished, gives them to a newcomer of the same
// handle name within the grace time, and lets them go back to the deck after
// it, or at once after a goodbye. The hub turns on a thread of its own, as
// a hosting window runs it; time passes on its injected clock and its
// once-a-second check runs by hand, both on the hub's thread.

#include <QtTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cards/CHubCardState.h"
#include "dice/CMersenneTwister.h"
#include "net/posix/CHubThread.h"
#include "platform/TempDir.h"
#include "support/FixedClock.h"
#include "support/RawHubClient.h"

using namespace yarrow;

namespace {

using RawClient = test::RawHubClient;

CMsg Record(std::int32_t type, std::int32_t param1 = 0, const std::string& text = {}) {
    CMsg m;
    m.Type = type;
    m.Param1 = param1;
    m.Text = text;
    return m;
}

// Connects, joins under `name` and waits for the join's relay.
void Join(RawClient& client, const std::string& name) {
    QTRY_COMPARE(client.records.size(), size_t(1));
    client.Send(Record(CnctReply, 0, name));
    QTRY_VERIFY(client.records.size() >= 2);
}

}  // namespace

class HubCardsRejoinQtTest : public QObject {
    Q_OBJECT

  private slots:
    void piledCardsWaitForTheSameNameWithinTheGraceTime() {
        struct Case {
            const char* name;
            bool goodbye;       // Bob leaves with Disconnect and Close
            std::time_t later;  // seconds before the newcomer joins
            const char* newcomer;
            int newcomerHand;   // cards the newcomer holds once joined
            int deckAfterJoin;  // cards left in the deck then
        };
        const std::time_t grace = CYarrowServ::kCardGraceSeconds;
        const std::vector<Case> cases = {
            {"same name just within the time", false, grace - 1, "Bob", 2, 8},
            {"same name too late", false, grace, "Bob", 0, 10},
            {"another name: still kept", false, 10, "Cat", 0, 8},
            {"after a goodbye", true, 10, "Bob", 0, 10},
        };
        for (const Case& c : cases) {
            qInfo("%s", c.name);
            test::TempDir dir;
            std::string deck = "[DeckSet]\r\n0=Ten\r\n[Ten]\r\nCardNum=10\r\n";
            for (int i = 0; i < 10; ++i)
                deck += std::to_string(i) + "=C" + std::to_string(i) + "\r\n";
            test::TempDir::Write(dir.File("Deck.ini"), deck);
            test::FixedClock clock{1000};
            CMersenneTwister random;
            CHubCardState cards(random, clock);
            QVERIFY(cards.Load(dir.File("Deck.ini")));
            CHubThread thread(nullptr, nullptr, &clock);
            CEpollHubNetwork& network = thread.Network();
            network.Hub().SetCardState(&cards);
            QVERIFY(network.Hub().ConnectSocket(0));
            const int port = network.Port();
            thread.Start();
            // What the hub's thread owns is read and changed there.
            auto remaining = [&] {
                int n = 0;
                thread.Call([&](CEpollHubNetwork&) { n = cards.Box().Remaining(); });
                return n;
            };
            auto members = [&] {
                std::size_t n = 0;
                thread.Call([&](CEpollHubNetwork& net) { n = net.Hub().ConnectionIds().size(); });
                return n;
            };
            auto passTime = [&](std::time_t seconds) {
                thread.Call([&](CEpollHubNetwork& net) {
                    clock.now += seconds;
                    net.Hub().CheckStalledPeers();
                });
            };
            auto holds = [&](std::int32_t id) {
                bool held = false;
                thread.Call([&](CEpollHubNetwork&) { held = cards.Box().Holder(id) != nullptr; });
                return held;
            };

            RawClient ann(port);
            Join(ann, "Ann");
            auto bob = std::make_unique<RawClient>(port);
            Join(*bob, "Bob");
            const std::int32_t bobId = bob->records[0].ID;
            bob->Send(Record(DrawCard));
            bob->Send(Record(DrawCard));
            QTRY_COMPARE(ann.records.size(), size_t(5));
            QCOMPARE(remaining(), 8);

            if (c.goodbye) {
                CMsg leave = Record(Disconnect, 0, "bye");
                leave.Close = 1;
                bob->Send(leave);
            } else {
                bob->socket.abort();
            }
            QTRY_COMPARE(members(), size_t(1));
            bob.reset();
            QCOMPARE(remaining(), c.goodbye ? 10 : 8);

            passTime(c.later);
            RawClient next(port);
            Join(next, c.newcomer);
            const std::int32_t nextId = next.records[0].ID;

            // Ann looks at the newcomer's cards as she would at anybody's.
            const std::size_t seen = ann.records.size();
            ann.Send(Record(GetCardStat, nextId));
            QTRY_COMPARE(ann.records.size(), seen + 1);
            QCOMPARE(ann.records.back().Param1, c.newcomerHand);
            QCOMPARE(remaining(), c.deckAfterJoin);
            // The newcomer alone hears of its cards, as a pass into its hand
            // from its old self, which its window shows like any pass.
            auto passes = [](const RawClient& client) {
                return std::count_if(client.records.begin(), client.records.end(),
                                     [](const CMsg& m) { return m.Type == PassCard; });
            };
            QTRY_COMPARE(next.records.size(), size_t(2 + (c.newcomerHand > 0 ? 1 : 0) + 1));
            QCOMPARE(passes(ann), 0);
            QCOMPARE(passes(next), c.newcomerHand > 0 ? 1 : 0);
            if (c.newcomerHand > 0) {
                const CMsg& pass = next.records[2];
                QCOMPARE(pass.Type, std::int32_t(PassCard));
                QCOMPARE(pass.ID, bobId);
                QCOMPARE(pass.Param1, nextId);
                QCOMPARE(pass.Strings.size(), size_t(2));
                QVERIFY(!holds(bobId));
            }

            // Whatever is still kept goes back once the time is over.
            passTime(grace);
            QCOMPARE(remaining(), 10 - c.newcomerHand);
            QVERIFY(!holds(bobId));
        }
    }
};

QTEST_MAIN(HubCardsRejoinQtTest)
#include "HubCardsRejoinQtTest.moc"
