#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NetTestUtil.h"
#include "net/CYarrowServ.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"
#include "support/FixedClock.h"
#include "support/HubFakes.h"

// Records name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace yarrow {
namespace {

using test::FakeConnection;
using test::LE32;

// A hub on fake connections.
struct HubFixture {
    HubFixture() : hub(&listener, &prompter, &sound, &clock) {
        hub.SetOwner(&owner);
        EXPECT_TRUE(hub.ConnectSocket(15000));
    }

    // Accepts a connection and returns its ID.
    std::int32_t Join(FakeConnection& c) { return hub.ProcessPendingAccept(&c); }

    // A participant's reply to the handshake.
    static std::string Reply(std::int32_t id, const std::string& handle) {
        return CMsg{.Text = handle, .Type = CnctReply, .ID = id}.Encode();
    }
    static std::string Chat(std::int32_t id, const std::string& text, std::int32_t type = LogBox) {
        return CMsg{.Text = text, .Name = "N" + std::to_string(id), .Type = type, .ID = id}
            .Encode();
    }

    // A fresh connection that outlives the hub (the hub's shutdown still
    // writes to every connection it holds).
    FakeConnection& NewConn() { return conns.emplace_back(); }
    // A fresh connection the hub has accepted.
    FakeConnection& Joined() {
        FakeConnection& c = NewConn();
        Join(c);
        return c;
    }

    test::FakeListener listener;
    test::ScriptedPrompter prompter;
    test::FakeSound sound;
    test::FakeOwner owner;
    test::FixedClock clock{1000};
    std::deque<FakeConnection> conns;
    CYarrowServ hub;
};

class HubTest : public ::testing::Test, public HubFixture {};

// A connection is greeted (no deck: "-0001") and becomes a member with its
// reply: the join notice and the member list are relayed once each, the
// same bytes to everybody. IDs are never reused.
TEST_F(HubTest, HandshakeJoinsOnceAndIdsAreNeverReused) {
    FakeConnection& a = NewConn();
    ASSERT_EQ(Join(a), 1);
    const CMsg expected{
        .Name = "-0001", .Type = CnctStart, .ID = 1, .Param1 = 6, .Param2 = 0x050414};
    EXPECT_EQ(a.Records(), std::vector<CMsg>{expected});
    EXPECT_TRUE(hub.Members().empty());

    FakeConnection& b = Joined();
    hub.ProcessPendingRead(1, Reply(1, "GM"));
    hub.ProcessPendingRead(2, Reply(2, "Bo"));
    hub.ProcessPendingRead(2, Reply(2, "Bo"));  // no second notice
    auto records = b.Records();                 // CnctStart, then the relays
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].Text, "<CR><b>" + Sjis("◎ GM が接続しました") + "</b><CR>");
    EXPECT_EQ(records[1].Members, (std::vector<CMember>{{"GM", 1}}));
    EXPECT_EQ(records[2].Text, "<CR><b>" + Sjis("◎ Bo が接続しました") + "</b><CR>");
    const std::vector<CMember> both{{"GM", 1}, {"Bo", 2}};
    EXPECT_EQ(records[2].Members, both);
    EXPECT_EQ(records[3].Type, CnctReply);
    EXPECT_EQ(records[3].Text, "");
    EXPECT_EQ(records[3].Members, both);
    EXPECT_EQ(hub.Members(), both);
    EXPECT_EQ(a.written.substr(a.written.size() - 60), b.written.substr(b.written.size() - 60));

    hub.ProcessPendingRead(2, CMsg{.Close = 1, .Type = Disconnect}.Encode());
    EXPECT_EQ(b.state, "graceful");
    FakeConnection& c = NewConn();
    EXPECT_EQ(Join(c), 3);
    EXPECT_EQ(hub.ConnectionIds(), (std::vector<std::int32_t>{1, 3}));
}

TEST_F(HubTest, RecordsInOneReadAreRelayedInOrderToEveryone) {
    FakeConnection& a = Joined();
    FakeConnection& b = Joined();
    const std::string twoAndAHalf = Chat(1, "first") + Chat(1, "second") + Chat(1, "third");
    hub.ProcessPendingRead(1, twoAndAHalf.substr(0, twoAndAHalf.size() - 3));
    for (FakeConnection* c : {&a, &b}) {
        auto records = c->Records();
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[1].Text, "first");
        EXPECT_EQ(records[2].Text, "second");
        EXPECT_EQ(records[2].Name, "N1");
    }
    hub.ProcessPendingRead(1, twoAndAHalf.substr(twoAndAHalf.size() - 3));
    ASSERT_EQ(b.Records().size(), 4u);
    EXPECT_EQ(b.Records()[3].Text, "third");

    // One read's records reach each connection in one write; one that leaves
    // within a read gets what came before its leaving (the others then get
    // the rest in a second write) and nothing after. A newcomer gets its
    // greeting before anything relayed after it arrived.
    FakeConnection& c = Joined();
    const CMsg leave{.Close = 1, .Type = Disconnect, .ID = 3};
    const int writesBefore = a.writes;
    hub.ProcessPendingRead(1, Chat(1, "fourth") + Chat(1, "fifth"));
    hub.ProcessPendingRead(3, Reply(3, "M3") + Chat(3, "hello") + leave.Encode() + Chat(3, "gone"));
    EXPECT_EQ(a.writes, writesBefore + 3);
    std::vector<std::string> seen;
    for (const CMsg& m : c.Records())
        seen.push_back(CMsg::TypeName(m.Type) + ":" + m.Text);
    EXPECT_EQ(seen,
              (std::vector<std::string>{
                  "CnctStart:", "LogBox:fourth", "LogBox:fifth",
                  "CnctReply:<CR><b>" + Sjis("◎ M3 が接続しました") + "</b><CR>", "LogBox:hello"}));
    EXPECT_EQ(c.state, "graceful");
    auto records = a.Records();
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records[records.size() - 2].Text, "hello");
    EXPECT_EQ(records.back().Type, Disconnect);
}

TEST_F(HubTest, PastLogKeepsTheNewest15ForNewcomersWithinItsSize) {
    for (int i = 1; i <= 20; ++i)
        hub.AddPastLog("line " + std::to_string(i) + "\r\n");
    FakeConnection& a = Joined();
    std::string expected = "\r\n" + Sjis("====== 過去ログ ======") + "\r\n";
    for (int i = 6; i <= 20; ++i)
        expected += "line " + std::to_string(i) + "\r\n";
    EXPECT_EQ(a.Records()[0].Text, expected + "======================");

    // Huge lines: the oldest give way so the block fits its bound.
    const std::string big(CYarrowServ::kMaxPastLogBytes / 2, 'x');
    for (const std::string& line : {std::string("old\r\n"), big, big, std::string("new\r\n")})
        hub.AddPastLog(line);
    FakeConnection& b = Joined();
    const std::string text = b.Records()[0].Text;
    EXPECT_LE(text.size(), CYarrowServ::kMaxPastLogBytes);
    EXPECT_EQ(text.find("old"), std::string::npos);
    EXPECT_NE(text.find("new\r\n======================"), std::string::npos);

    // A fresh start empties it; a hub that is not serving keeps nothing.
    hub.Disconnection();
    hub.AddPastLog("late\r\n");
    EXPECT_EQ(hub.PastLog().back(), "new\r\n");
    EXPECT_TRUE(hub.ConnectSocket(0));
    EXPECT_TRUE(hub.PastLog().empty());
}

TEST_F(HubTest, ParticipantLeavingWithCloseVersusHubShutdown) {
    FakeConnection& a = Joined();
    FakeConnection& b = Joined();
    FakeConnection& c = Joined();
    for (int id = 1; id <= 3; ++id)
        hub.ProcessPendingRead(id, Reply(id, "M" + std::to_string(id)));

    hub.ProcessPendingRead(2,
                           CMsg{.Close = 1, .Text = "bye", .Type = Disconnect, .ID = 2}.Encode());
    EXPECT_EQ(b.state, "graceful");
    auto relayed = a.Records().back();
    EXPECT_EQ(relayed.Type, Disconnect);
    EXPECT_EQ(relayed.Close, 0);
    EXPECT_EQ(relayed.ID, 2);
    EXPECT_EQ(relayed.Text, "bye");
    EXPECT_EQ(c.Records().back().Type, Disconnect);
    EXPECT_EQ(b.Records().back().Type, CnctReply);  // the leaver gets nothing more
    EXPECT_EQ(hub.Members(), (std::vector<CMember>{{"M1", 1}, {"M3", 3}}));

    hub.Disconnection();
    for (FakeConnection* x : {&a, &c}) {
        auto last = x->Records().back();
        EXPECT_EQ(last.Type, Disconnect);
        EXPECT_EQ(last.Close, 1);
        EXPECT_EQ(last.Text, "<CR><b>" + Sjis("◎ サーバとの接続が切断されました") + "</b><CR>");
        EXPECT_EQ(x->state, "graceful");
    }
    EXPECT_FALSE(hub.Serving());
    EXPECT_FALSE(listener.listening);
    EXPECT_TRUE(hub.Members().empty());
    EXPECT_TRUE(hub.ConnectionIds().empty());
    EXPECT_TRUE(owner.notices.empty());
}

// A peer that sends what is no record, or vanishes, is reported once with
// its member and dropped; the others carry on.
TEST(HubPeerFaults, EachDropsOnlyThatPeerAndIsReportedOnce) {
    const struct {
        const char* what;
        std::function<void(CYarrowServ&)> fault;
        std::string notice;
        std::string state;
    } cases[] = {
        {"a type out of range",
         [](CYarrowServ& hub) {
             hub.ProcessPendingRead(2, LE32(2) + LE32(0) + LE32(31) + HubFixture::Chat(2, "never"));
         },
         "ReadMsg(Unknown(0x1F)/[2:Bo]) : record type 31 is out of range", "aborted"},
        {"a lost connection", [](CYarrowServ& hub) { hub.ConnectionLost(2, "closed by peer"); },
         "ReadMsg(Undefined/[2:Bo]) : closed by peer", "aborted"},
    };
    for (const auto& c : cases) {
        HubFixture f;
        FakeConnection& a = f.Joined();
        FakeConnection& b = f.Joined();
        f.hub.ProcessPendingRead(1, HubFixture::Reply(1, "GM"));
        f.hub.ProcessPendingRead(2, HubFixture::Reply(2, "Bo"));
        const std::size_t before = a.Records().size();
        c.fault(f.hub);
        EXPECT_EQ(b.state, c.state) << c.what;
        EXPECT_EQ(a.Records().size(), before) << c.what;
        EXPECT_EQ(f.owner.notices, std::vector<std::string>{"<b>" + Sjis("※ ") + c.notice + "</b>"})
            << c.what;
        EXPECT_EQ(f.owner.memberListCommands, 1) << c.what;
        // Later reports of a connection already let go are ignored.
        f.hub.ConnectionLost(2, "again");
        f.hub.SendFailed(2, "again");
        EXPECT_EQ(f.owner.notices.size(), 1u) << c.what;
        EXPECT_EQ(f.sound.errorBeeps, 1) << c.what;
        f.hub.ProcessPendingRead(1, HubFixture::Chat(1, "still here"));
        EXPECT_EQ(a.Records().back().Text, "still here") << c.what;
        EXPECT_EQ(f.hub.ConnectionIds(), (std::vector<std::int32_t>{1})) << c.what;
    }
}

// Three records of 400 KB from member 1 in one read; member 2 reads slowly.
class HubFlowTest : public HubTest {
  protected:
    HubFlowTest() {
        hub.ProcessPendingRead(2, Reply(2, "Slow"));
        slow.draining = false;
        slow.unsent = 0;
    }
    static std::string Remark(int n) { return Chat(1, std::string(400'000, 'a' + n)); }
    std::size_t Chats(const FakeConnection& c) const {
        std::size_t n = 0;
        for (const CMsg& m : c.Records())
            n += m.Type == LogBox ? 1 : 0;
        return n;
    }
    FakeConnection& fast = Joined();
    FakeConnection& slow = Joined();
};

TEST_F(HubFlowTest, LongQueuePausesReadingInsteadOfDroppingAndDrainingResumesIt) {
    hub.ProcessPendingRead(1, Remark(0) + Remark(1) + Remark(2) + Remark(3) + Remark(4));
    // Over the soft mark after the third: the rest waits, and so does the
    // sender's socket.
    EXPECT_EQ(Chats(slow), 3u);
    EXPECT_EQ(Chats(fast), 3u);
    EXPECT_TRUE(fast.paused);
    EXPECT_TRUE(hub.Backlogged());
    hub.CheckStalledPeers();  // reading slowly is not stalling
    clock.now += CYarrowServ::kStallSeconds - 1;
    hub.CheckStalledPeers();
    EXPECT_EQ(slow.state, "open");

    slow.Take(slow.unsent);
    hub.SendProgress(2);
    EXPECT_FALSE(fast.paused);
    const auto records = slow.Records();
    ASSERT_EQ(Chats(slow), 5u);
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(records[records.size() - 5 + n].Text[0], 'a' + n);
    EXPECT_TRUE(owner.notices.empty());
}

TEST_F(HubFlowTest, FullMapPagesToASlowReaderWaitTheirTurn) {
    CMsg page;  // every cell with a unit and a tile: about 2 MB on the wire
    page.Type = UpdateMap;
    page.ID = 1;
    for (int key = 0; key < 0xFFFF; ++key) {
        page.Units[static_cast<std::uint16_t>(key)].Symbol = "U";
        page.Tiles[static_cast<std::uint16_t>(key)].TileLabel = "T";
    }
    const std::string bytes = page.Encode();
    ASSERT_GT(bytes.size(), 1'900'000u);
    hub.ProcessPendingRead(1, bytes + bytes + bytes + bytes + bytes);
    for (int sent = 1; sent <= 5; ++sent) {
        std::size_t pages = 0;
        for (const CMsg& m : slow.Records())
            pages += m == page ? 1 : 0;
        EXPECT_EQ(pages, static_cast<std::size_t>(sent));
        EXPECT_EQ(fast.paused, sent < 5) << sent;
        clock.now += CYarrowServ::kStallSeconds - 1;
        hub.CheckStalledPeers();
        slow.Take(slow.unsent);
        hub.SendProgress(2);
    }
    EXPECT_EQ(slow.state, "open");
    EXPECT_EQ(slow.Records().back(), page);
    EXPECT_TRUE(owner.notices.empty());
}

TEST_F(HubFlowTest, OnlyAPeerThatTakesNothingForAWhileWithALongQueueIsLetGo) {
    hub.ProcessPendingRead(1, Remark(0) + Remark(1) + Remark(2) + Remark(3));
    ASSERT_TRUE(fast.paused);
    // Some progress restarts the wait.
    clock.now += CYarrowServ::kStallSeconds - 1;
    slow.Take(1000);
    hub.CheckStalledPeers();
    clock.now += CYarrowServ::kStallSeconds - 1;
    hub.CheckStalledPeers();
    EXPECT_EQ(slow.state, "open");
    clock.now += 1;
    hub.CheckStalledPeers();
    EXPECT_EQ(slow.state, "aborted");
    ASSERT_EQ(owner.notices.size(), 1u);
    EXPECT_NE(owner.notices[0].find("SendMsg(LogBox/N1[1:UnKnown]) : the participant has read "
                                    "nothing for 30 seconds"),
              std::string::npos);
    // Everybody else goes on, the waiting record included.
    EXPECT_FALSE(fast.paused);
    EXPECT_EQ(Chats(fast), 4u);

    // A short queue is never a stall, however old.
    FakeConnection& idle = Joined();
    idle.draining = false;
    hub.ProcessPendingRead(1, Remark(5));
    clock.now += 10 * CYarrowServ::kStallSeconds;
    hub.CheckStalledPeers();
    EXPECT_EQ(idle.state, "open");
}

TEST_F(HubFlowTest, FailedWriteIsReportedAsSendMsgWithItsRecord) {
    slow.writeError = "Broken pipe";
    hub.ProcessPendingRead(1, Chat(1, "x", DiceRoll));
    EXPECT_EQ(slow.state, "aborted");
    ASSERT_EQ(owner.notices.size(), 1u);
    EXPECT_EQ(owner.notices[0],
              "<b>" + Sjis("※ ") + "SendMsg(DiceRoll/N1[1:UnKnown]) : Broken pipe</b>");
    EXPECT_EQ(fast.Records().back().Type, DiceRoll);

    // A failure the network reports later names the last record queued.
    hub.ProcessPendingRead(1, Chat(1, "y", LogBox));
    Joined();
    hub.SendFailed(3, "Connection reset by peer");
    ASSERT_EQ(owner.notices.size(), 2u);
    EXPECT_EQ(owner.notices[1], "<b>" + Sjis("※ ") +
                                    "SendMsg(CnctStart/-0001[3:UnKnown]) : Connection reset by "
                                    "peer</b>");
}

TEST_F(HubFlowTest, APeerThatLeavesWhilePausedStillHasItsLastWordsRelayed) {
    const CMsg leave{.Close = 1, .Text = "bye", .Type = Disconnect};
    hub.ProcessPendingRead(1, Remark(0) + Remark(1) + Remark(2) + Remark(3) + leave.Encode());
    ASSERT_TRUE(fast.paused);
    hub.ConnectionLost(1, "closed");
    EXPECT_EQ(slow.Records().back().Text, "bye");
    EXPECT_EQ(fast.state, "graceful");
    EXPECT_TRUE(owner.notices.empty());
}

TEST_F(HubTest, EveryRecordIsRelayedWithAllItCarries) {
    // Without a deck, every record but the member ones comes back byte for
    // byte, whatever payload it carries and whatever came before it.
    FakeConnection& a = Joined();
    const CMsg chat{.Text = "x", .Type = LogBox, .ID = 1};
    const std::vector<CMsg> sent = {CMsg{.Type = Chart,
                                         .Strings = {"a", "b"},
                                         .ChartRows = 1,
                                         .ChartColumns = 2,
                                         .ChartSpin = 9},
                                    CMsg{.Type = Secret, .Recipients = {{0, 1}}},
                                    CMsg{.Type = UpdateMap,
                                         .Param2 = 3,
                                         .Units = {{7, {.Symbol = "S"}}},
                                         .Tiles = {{8, {.TileLabel = "T"}}}},
                                    chat,
                                    CMsg{.Type = MoveCard, .ID = 1, .Strings = {"00001A"}},
                                    CMsg{.Type = GetCardStat, .ID = 1, .Strings = {"00001A"}},
                                    chat};
    std::string bytes;
    for (const CMsg& m : sent)
        m.Encode(bytes);
    hub.ProcessPendingRead(1, bytes);
    std::vector<CMsg> relayed = a.Records();
    relayed.erase(relayed.begin());  // the greeting
    EXPECT_EQ(relayed, sent);

    hub.ProcessPendingRead(1, Reply(1, "GM"));
    hub.ProcessPendingRead(1, CMsg{.Type = ResetMembers}.Encode());
    EXPECT_TRUE(hub.Members().empty());
}

TEST_F(HubTest, MembersSpeakOnlyForThemselvesAndNamesAreBounded) {
    FakeConnection& a = Joined();
    FakeConnection& b = Joined();
    // A peer announcing invented IDs is listed once, under its own.
    std::string burst;
    for (int id = 1; id <= 1200; ++id)
        burst += Reply(id, "n");
    hub.ProcessPendingRead(1, burst);
    EXPECT_EQ(hub.Members(), (std::vector<CMember>{{"n", 1}}));
    EXPECT_EQ(a.Records().back().ID, 1);

    // Nor can it make another member leave: its Disconnect speaks for itself.
    hub.ProcessPendingRead(2, Reply(2, "m"));
    hub.ProcessPendingRead(1, CMsg{.Type = Disconnect, .ID = 2}.Encode());
    EXPECT_EQ(hub.Members(), (std::vector<CMember>{{"m", 2}}));
    EXPECT_EQ(b.Records().back().ID, 1);

    hub.ProcessPendingRead(1, CMsg{.Type = ResetMembers}.Encode());
    hub.ProcessPendingRead(1, Reply(1, std::string(300, 'n')));
    // Two-byte characters are never cut in half: 127 of them fit in 255 bytes.
    hub.ProcessPendingRead(2, Reply(2, std::string(300, '\x82')));
    ASSERT_EQ(hub.Members().size(), 2u);
    EXPECT_EQ(hub.Members()[0].MemberName, std::string(255, 'n'));
    EXPECT_EQ(hub.Members()[1].MemberName, std::string(254, '\x82'));
}

// The trace follows a relay from the read to each send, and encodes the
// relayed record once however many receive it.
TEST_F(HubTest, TraceFollowsTheRelayAndEncodesItOnce) {
    Joined();
    Joined();
    const std::string bytes = Chat(2, "x");
    std::string trace;
    SetTraceSink([&](std::string_view part) { trace.append(part); });
    hub.ProcessPendingRead(2, bytes);
    SetTraceSink({});
    std::vector<std::string> steps;
    for (std::size_t at = 0, end; (end = trace.find("\r\n", at)) != std::string::npos; at = end + 2)
        if (trace.compare(at, 3, "   ") != 0 && end > at)  // record fields are indented deeper
            steps.push_back(trace.substr(at, end - at));
    EXPECT_EQ(steps, (std::vector<std::string>{
                         " CYarrowServ::ProcessPendingRead", " CYarrowServ::ReadMsg",
                         "  CMsg::Serialize(Read:LogBox)", " CYarrowServ::StoreMsgItem(LogBox)",
                         " CYarrowServ::UpdateClients", " CYarrowServ::AssembleMsg(LogBox)",
                         "  CMsg::Serialize(Write:LogBox)", "  ID:1-> CYarrowServ::SendMsg",
                         "  ID:2-> CYarrowServ::SendMsg"}));
}

TEST(HubStart, PortInUseTellsTheUserAndDoesNotServe) {
    test::FakeListener listener;
    listener.fail = true;
    test::ScriptedPrompter prompter;
    CYarrowServ hub(&listener, &prompter, nullptr);
    EXPECT_FALSE(hub.ConnectSocket(15000));
    EXPECT_FALSE(hub.Serving());
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].text, Sjis("接続許可エラーです") + "\r\naddress in use");
    EXPECT_EQ(prompter.prompts[0].caption, "");
    EXPECT_EQ(prompter.prompts[0].icon, PromptIcon::Stop);
    FakeConnection a;
    EXPECT_EQ(hub.ProcessPendingAccept(&a), -1);
    EXPECT_EQ(a.state, "aborted");
}

}  // namespace
}  // namespace yarrow
