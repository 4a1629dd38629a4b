#include <gtest/gtest.h>

#include <deque>
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

// A hub on fake connections, which outlive it: its shutdown still writes to
// every connection it holds.
class HubTest : public ::testing::Test {
  protected:
    HubTest() {
        hub.SetOwner(&owner);
        EXPECT_TRUE(hub.ConnectSocket(15000));
    }
    // A participant's reply to the handshake, and a remark.
    static std::string Reply(std::int32_t id, const std::string& handle) {
        return CMsg{.Text = handle, .Type = CnctReply, .ID = id}.Encode();
    }
    static std::string Chat(std::int32_t id, const std::string& text, std::int32_t type = LogBox) {
        return CMsg{.Text = text, .Name = "N" + std::to_string(id), .Type = type, .ID = id}
            .Encode();
    }
    // A fresh connection the hub has accepted.
    FakeConnection& Joined() {
        FakeConnection& c = conns.emplace_back();
        hub.ProcessPendingAccept(&c);
        return c;
    }

    test::FakeListener listener;
    test::ScriptedPrompter prompter;
    test::FakeSound sound;
    test::FakeOwner owner;
    test::FixedClock clock{1000};
    std::deque<FakeConnection> conns;
    CYarrowServ hub{&listener, &prompter, &sound, &clock};
};

// What a connection received from record `from` on, as "Type:Text".
std::vector<std::string> Seen(const FakeConnection& c, std::size_t from) {
    std::vector<std::string> seen;
    const auto records = c.Records();
    for (std::size_t i = from; i < records.size(); ++i)
        seen.push_back(CMsg::TypeName(records[i].Type) + ":" + records[i].Text);
    return seen;
}

std::string Joins(const std::string& name) {
    return "<CR><b>" + Sjis("◎ ") + name + Sjis(" が接続しました") + "</b><CR>";
}

// A connection is greeted (no deck: "-0001") and joins with its reply, once;
// the notice and member list reach everybody as the same bytes. Records are
// relayed as they complete, however the reads cut them, in one write per
// connection per read. One that leaves within a read gets what came before
// its leaving and nothing after; the others get its leaving, and its ID is
// never given again.
TEST_F(HubTest, JoinRelayAndLeavingFollowTheReadsInOrder) {
    FakeConnection& a = Joined();
    FakeConnection& b = Joined();
    const CMsg greeting{
        .Name = "-0001", .Type = CnctStart, .ID = 1, .Param1 = 6, .Param2 = 0x050414};
    EXPECT_EQ(a.Records(), std::vector<CMsg>{greeting});
    hub.ProcessPendingRead(1, Reply(1, "GM"));
    hub.ProcessPendingRead(2, Reply(2, "Bo") + Reply(2, "Bo"));
    const std::vector<CMember> both{{"GM", 1}, {"Bo", 2}};
    const auto records = b.Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].Members, (std::vector<CMember>{{"GM", 1}}));
    EXPECT_EQ(records[2].Text, Joins("Bo"));
    EXPECT_EQ(records[2].Members, both);
    EXPECT_EQ(records[3].Text, "");  // the second reply: the list without a notice
    EXPECT_EQ(records[3].Members, both);
    EXPECT_EQ(hub.Members(), both);
    const std::size_t greetingBytes = greeting.Encode().size();
    EXPECT_EQ(a.written.substr(greetingBytes), b.written.substr(greetingBytes));

    const std::string three = Chat(1, "one") + Chat(1, "two") + Chat(1, "three");
    hub.ProcessPendingRead(1, three.substr(0, three.size() - 3));
    EXPECT_EQ(Seen(b, 4), (std::vector<std::string>{"LogBox:one", "LogBox:two"}));
    FakeConnection& c = Joined();
    const int writes = a.writes;
    hub.ProcessPendingRead(1, three.substr(three.size() - 3) + Chat(1, "four"));
    const CMsg leave{.Close = 1, .Text = "bye", .Type = Disconnect, .ID = 3};
    hub.ProcessPendingRead(3, Reply(3, "Cy") + Chat(3, "hi") + leave.Encode() + Chat(3, "gone"));
    EXPECT_EQ(a.writes, writes + 3);
    const std::vector<std::string> relayed = {"LogBox:three", "LogBox:four",
                                              "CnctReply:" + Joins("Cy"), "LogBox:hi"};
    EXPECT_EQ(Seen(c, 1), relayed);
    EXPECT_EQ(c.state, "graceful");
    auto others = relayed;
    others.push_back("Disconnect:bye");
    EXPECT_EQ(Seen(a, 6), others);
    EXPECT_EQ(a.Records().back().Close, 0);
    EXPECT_EQ(a.Records().back().ID, 3);
    EXPECT_EQ(hub.Members(), both);
    EXPECT_EQ(hub.ProcessPendingAccept(&conns.emplace_back()), 4);
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
    const std::string text = Joined().Records()[0].Text;
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

// A long queue to a slow reader pauses the sender's reading instead of
// dropping anybody, until the reader drains it. Reading slowly is not
// stalling: only a reader that takes nothing for a while with a long queue is
// let go, and then everybody else goes on, the waiting record included.
TEST_F(HubFlowTest, LongQueuePausesTheSenderUntilTheReaderDrainsOrStalls) {
    hub.ProcessPendingRead(1, Remark(0) + Remark(1) + Remark(2) + Remark(3) + Remark(4));
    // Over the soft mark after the third: the rest waits, and so does the
    // sender's socket.
    EXPECT_EQ(Chats(slow), 3u);
    EXPECT_EQ(Chats(fast), 3u);
    EXPECT_TRUE(fast.paused);
    EXPECT_TRUE(hub.Backlogged());
    clock.now += CYarrowServ::kStallSeconds - 1;
    slow.Take(1000);  // some progress restarts the wait
    hub.CheckStalledPeers();
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

    hub.ProcessPendingRead(1, Remark(5) + Remark(6) + Remark(7) + Remark(8));
    ASSERT_TRUE(fast.paused);
    clock.now += CYarrowServ::kStallSeconds;
    hub.CheckStalledPeers();
    EXPECT_EQ(slow.state, "aborted");
    hub.ConnectionLost(2, "again");  // later reports of it are ignored
    hub.SendFailed(2, "again");
    ASSERT_EQ(owner.notices.size(), 1u);
    EXPECT_NE(owner.notices[0].find("SendMsg(LogBox/N1[1:UnKnown]) : the participant has read "
                                    "nothing for 30 seconds"),
              std::string::npos);
    EXPECT_EQ(sound.errorBeeps, 1);
    EXPECT_FALSE(fast.paused);
    EXPECT_EQ(Chats(fast), 9u);

    // A short queue is never a stall, however old.
    FakeConnection& idle = Joined();
    idle.draining = false;
    hub.ProcessPendingRead(1, Remark(9));
    clock.now += 10 * CYarrowServ::kStallSeconds;
    hub.CheckStalledPeers();
    EXPECT_EQ(idle.state, "open");
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

// The trace follows a relay from the read to each send, naming the record's
// type and fields as it is read and as it is written: once, however many
// receive it.
TEST_F(HubTest, TraceFollowsTheRelayAndEncodesItOnce) {
    Joined();
    Joined();
    const CMsg remark{
        .Name = "GM", .Color = 0xFF, .Type = LogBox, .ID = 2, .Param1 = 3, .Param2 = -4};
    const std::string bytes = remark.Encode();
    std::string trace;
    SetTraceSink([&](std::string_view part) { trace.append(part); });
    hub.ProcessPendingRead(2, bytes);
    SetTraceSink({});
    const std::string fields = "   GM(ID:2) Color:0x0000FF Param1:3 Param2:-4\r\n\r\n";
    EXPECT_EQ(trace,
              " CYarrowServ::ProcessPendingRead\r\n CYarrowServ::ReadMsg\r\n"
              "  CMsg::Serialize(Read:LogBox)\r\n" +
                  fields +
                  " CYarrowServ::StoreMsgItem(LogBox)\r\n CYarrowServ::UpdateClients\r\n"
                  " CYarrowServ::AssembleMsg(LogBox)\r\n  CMsg::Serialize(Write:LogBox)\r\n" +
                  fields + "  ID:1-> CYarrowServ::SendMsg\r\n  ID:2-> CYarrowServ::SendMsg\r\n");
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
