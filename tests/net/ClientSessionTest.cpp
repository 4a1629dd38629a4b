// The chat window's connection over a fake transport: connecting as client and
// as server, the retry question, the handshake's checks, the send operations
// on- and offline, and the ways of leaving.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "support/ClientSessionFakes.h"

// Records name only the fields they set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace yarrow::test {
namespace {

using Status = IChatTransport::ConnectStatus;

// A refusal asks whether to try again, with the system's text broken after
// each full stop; a socket that cannot be made is only told. A connection
// goes to the address without its blanks, seeds the dice from the clock and
// names the hub in the caption.
TEST(ClientSessionConnect, EachOutcomeOfAnAttempt) {
    struct Case {
        const char* what;
        std::vector<IChatTransport::ConnectResult> results;
        std::deque<PromptAnswer> answers;
        bool connected;
        std::vector<std::string> prompts;  // caption|text, in order
    };
    const std::string retry = Sjis("接続エラー") + "|";
    const std::string again = Sjis("再接続しますか？");
    const std::vector<Case> cases = {
        {"connected", {}, {}, true, {}},
        {"refused, then yes",
         {{Status::Failed, Sjis("一。二。\r\n三。")}},
         {PromptAnswer::Yes},
         true,
         {retry + Sjis("一。\r\n二。\r\n三。\r\n") + again}},
        // "＝B" is 81 81 42: its second byte and the B look like "。" (81 42)
        // to a byte search, but no full stop is there.
        {"refused twice",
         {{Status::Failed, "x"}, {Status::Failed, Sjis("＝B。")}},
         {PromptAnswer::Yes, PromptAnswer::No},
         false,
         {retry + "x" + again, retry + Sjis("＝B。\r\n") + again}},
        {"no socket",
         {{Status::CreateFailed, "no sockets"}},
         {},
         false,
         {Sjis("ソケット作成エラー") + "|no sockets"}},
    };
    for (const Case& c : cases) {
        Window w;
        w.transport.results.assign(c.results.begin(), c.results.end());
        w.prompter.answers = c.answers;
        std::optional<bool> done;
        EXPECT_TRUE(w.session.ConnectAndShow("Alice", true, "  10.0.0.1 \t", 16000, 0xFF0000,
                                             [&](bool ok) { done = ok; }))
            << c.what;
        EXPECT_EQ(done, c.connected) << c.what;
        EXPECT_EQ(w.rec.menuConnected, c.connected) << c.what;
        EXPECT_EQ(w.session.State(), c.connected ? SessionState::Connected : SessionState::Idle)
            << c.what;
        EXPECT_EQ(w.transport.connects.back(), "10.0.0.1:16000") << c.what;
        EXPECT_EQ(w.hubs.created, 0) << c.what;
        if (c.connected) {
            EXPECT_EQ(w.session.MyID(), -1) << c.what;
            EXPECT_EQ(w.session.MyName(), "Alice") << c.what;
            EXPECT_EQ(w.session.MyColor(), 0xFF0000) << c.what;
            EXPECT_EQ(w.seeds, std::vector<std::uint32_t>{1700000000u}) << c.what;
            EXPECT_EQ(w.rec.caption, Sjis("Yarrow - 接続中(IP:10.0.0.1/Port:16000)")) << c.what;
        }
        std::vector<std::string> prompts;
        for (const Prompt& p : w.prompter.prompts) {
            prompts.push_back(p.caption + "|" + p.text);
            if (p.caption + "|" == retry) {
                EXPECT_EQ(p.buttons, PromptButtons::YesNo) << c.what;
            }
        }
        EXPECT_EQ(prompts, c.prompts) << c.what;
    }
}

TEST(ClientSessionConnect, AttemptUnderWayKeepsTheWindowOfflineAndCanBeAbandoned) {
    Window w;
    w.transport.holding = true;
    bool called = false;
    EXPECT_TRUE(w.session.Connect("Alice", true, "10.0.0.1", 15000, [&](bool) { called = true; }));
    EXPECT_EQ(w.session.State(), SessionState::Connecting);
    EXPECT_FALSE(w.session.Connect("Alice", true, "10.0.0.2", 15000));  // one at a time
    EXPECT_FALSE(w.session.SendChat("Alice", "hi", 0, LogBox));
    EXPECT_EQ(w.rec.events, std::vector<std::string>{"chat 3 Alice|hi|0"});

    w.session.Disconnect(true);  // the window closes
    EXPECT_EQ(w.transport.abandons, 1);
    EXPECT_EQ(w.session.State(), SessionState::Idle);
    w.session.ConnectFinished({Status::Connected, {}});  // a late outcome changes nothing
    EXPECT_FALSE(called);
    EXPECT_EQ(w.session.State(), SessionState::Idle);
}

TEST(ClientSessionConnect, ServerStartsItsHubAndJoinsItOnThisMachine) {
    Window w;
    // The dialog may still hold the address of somebody else's hub.
    EXPECT_TRUE(w.session.ConnectAndShow("GM", false, "203.0.113.7", 0, 0));
    EXPECT_EQ(w.hubs.record.listenedOn, std::vector<int>{0});
    EXPECT_EQ(w.rec.events.front(), "decksets 2");
    EXPECT_EQ(w.transport.connects, std::vector<std::string>{"127.0.0.1:40123"});
    EXPECT_EQ(w.rec.caption, Sjis("Yarrow - 接続中(IP:127.0.0.1/Port:40123)"));
    ASSERT_NE(w.session.OwnedHub(), nullptr);
    w.session.Disconnect(true);
    EXPECT_EQ(w.hubs.record.disconnections, 1);
    EXPECT_EQ(w.hubs.record.destroyed, 1);

    // No at the retry question keeps the hub listening for the others.
    w.transport.results.push_back({Status::Failed, "x"});
    EXPECT_TRUE(w.session.Connect("GM", false, "127.0.0.1", 15000));
    ASSERT_NE(w.session.OwnedHub(), nullptr);
    EXPECT_TRUE(w.session.OwnedHub()->IsServing());
    EXPECT_EQ(w.session.State(), SessionState::Idle);

    // A hub that cannot listen is not connected to.
    w.hubs.canListen = false;
    w.transport.connects.clear();
    EXPECT_FALSE(w.session.Connect("GM", false, "127.0.0.1", 15000));
    EXPECT_TRUE(w.transport.connects.empty());
    EXPECT_EQ(w.session.OwnedHub(), nullptr);
}

// What a window shows as it leaves the hub: the text it sends, then the events.
std::string LeavingText(const std::string& name) {
    return "<CR><b>" + Sjis("◎ ") + name + Sjis(" の接続が切断されました") + "</b><CR>";
}
std::vector<std::string> Leaving(const std::string& name) {
    return {"clearmembers",
            "players ",
            "notice " + LeavingText(name),
            "closelog",
            "caption " + CClientSession::IdleCaption(),
            "menu idle"};
}

CMsg Greeting(std::int32_t id, const std::string& deck, std::int32_t protocol = kProtocolVersion,
              std::int32_t version = kProgramVersionCode) {
    CMsg start = Record(CnctStart, id, deck, "\r\n== past ==");
    start.Param1 = protocol;
    start.Param2 = version;
    return start;
}

// The greeting joins: a reply under the handle name, the past log and the
// deck line (its count read as hubs write it); another protocol refuses
// with an error and sends no reply, another program version only warns.
TEST(ClientSessionHandshake, EachGreetingJoinsWarnsOrRefuses) {
    const std::string joined = "notice " + Sjis("<b>◎ サーバとの接続が確立しました</b>");
    const struct {
        CMsg greeting;
        std::string deckLine;  // "": refused
        const char* prompt;    // UTF-8, "" for none
    } cases[] = {
        {Greeting(3, "00052Trump"), "Trump 52", ""},
        {Greeting(3, "12"), " 12", ""},
        {Greeting(3, "x1234Odd"), "Odd 0", ""},
        {Greeting(3, "-0001", kProtocolVersion, 0x050300), " -1",
         "サーバとクライアントのバージョンが違うため、\r\n正常に動作しない可能性があります"},
        {Greeting(3, "-0001", 5), "",
         "サーバとクライアントの通信プロトコルの\r\nバージョンが違うため、接続を切断します"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.greeting.Name);
        Window w;
        w.session.Connect("Alice", true, "127.0.0.1", 15000);
        w.rec.events.clear();
        w.Receive(c.greeting);
        std::vector<std::string> prompts;
        for (const Prompt& p : w.prompter.prompts)
            prompts.push_back(p.text);
        EXPECT_EQ(prompts, *c.prompt ? std::vector<std::string>{Sjis(c.prompt)}
                                     : std::vector<std::string>{});
        if (c.deckLine.empty()) {  // the hub hears only the leaving record, from ID -1
            EXPECT_EQ(w.session.State(), SessionState::Idle);
            EXPECT_EQ(w.rec.events, Leaving("Alice"));
            ASSERT_EQ(w.transport.sent.size(), 1u);
            EXPECT_EQ(w.transport.sent[0].Type, MsgType::Disconnect);
            EXPECT_EQ(w.transport.sent[0].ID, -1);
            continue;
        }
        EXPECT_EQ(w.session.State(), SessionState::Joined);
        EXPECT_EQ(w.rec.events, (std::vector<std::string>{
                                    joined, "notice \r\n== past ==", "deckline " + c.deckLine}));
        EXPECT_EQ(w.transport.sent, std::vector<CMsg>{Record(CnctReply, 3, {}, "Alice")});
        EXPECT_EQ(w.session.MyID(), 3);
        // A second greeting changes nothing.
        w.Receive(Greeting(9, "00052Trump"));
        EXPECT_EQ(w.session.MyID(), 3);
        EXPECT_EQ(w.transport.sent.size(), 1u);
    }
}

TEST(ClientSessionSend, OnlineSendsCarryOwnIdentityOfflineOnlyShowsLocally) {
    Window w;
    w.Join(4);
    EXPECT_TRUE(w.session.SendChat("Alice", "hello", 0xABCDEF, LogBox));
    EXPECT_TRUE(w.session.SendText("text", CountTimer));
    const std::vector<CMsg> sent = {
        CMsg{.Text = "hello", .Name = "Alice", .Color = 0xABCDEF, .Type = LogBox, .ID = 4},
        CMsg{.Text = "text", .Type = CountTimer, .ID = 4}};
    EXPECT_EQ(w.transport.sent, sent);
    EXPECT_TRUE(w.rec.events.empty());  // own lines show only when echoed

    Window off;
    for (std::int32_t type :
         {LogBox, DiceRoll, ScreenDice, StartTimer, Secret, CallMember, UpdateMbr})
        EXPECT_FALSE(off.session.SendChat("Al", "t", 5, type));
    EXPECT_FALSE(off.session.SendText("<b>Time Up!</b>", CountTimer));
    const std::vector<std::string> expected = {"chat 3 Al|t|5", "chat 7 Al|t|5", "chat 8 Al|t|5",
                                               "chat 22 Al|t|5", "notice <b>Time Up!</b>"};
    EXPECT_EQ(off.rec.events, expected);
    EXPECT_TRUE(off.transport.sent.empty());
}

// A record the hub would refuse is not sent, and a send that fails is
// reported; either way the connection stays, and only the failure sets the
// menus idle.
TEST(ClientSessionSend, WhatCannotGoIsReportedAndTheConnectionStays) {
    Window w;
    w.Join(4);
    CMsg map{.Type = UpdateMap};
    map.Units[1].Symbol.assign(kMaxRecordBytes, 's');
    EXPECT_FALSE(w.session.DoSerialize(map));
    EXPECT_TRUE(w.transport.sent.empty());
    ASSERT_EQ(w.rec.events.size(), 1u);
    EXPECT_TRUE(w.rec.events[0].starts_with("notice " + Sjis("<b>※ UpdateMapを送信できません")));
    EXPECT_NE(w.rec.events[0].find(std::to_string(kMaxRecordBytes)), std::string::npos);
    map.Units[1].Symbol.resize(kMaxRecordBytes - 100);
    EXPECT_TRUE(w.session.DoSerialize(map));

    w.rec.events.clear();
    w.transport.sendError = std::string(300, 'e');
    EXPECT_FALSE(w.session.SendChat("Al", "t", 0, LogBox));
    const std::string expected = Sjis("<b>◎送信に失敗しました。\r\n<b>※ DoSerialize() : ") +
                                 std::string(256, 'e') + "</b><CR></b>";
    EXPECT_EQ(w.rec.events, (std::vector<std::string>{"notice " + expected, "menu idle"}));
    EXPECT_EQ(w.session.State(), SessionState::Joined);
}

// However the hub goes (its goodbye, or a stream that breaks, which is
// reported), the window is orphaned: it keeps its ID and caption, shows its
// own lines only to itself, goes quietly back to idle on a disconnect and
// can join afresh.
TEST(ClientSessionLeave, LosingTheHubOrphansUntilDisconnectOrANewJoin) {
    CMsg bye = Record(MsgType::Disconnect, 0, {}, "bye");
    bye.Close = 1;
    const struct {
        const char* what;
        std::function<void(Window&)> lose;
        std::string report;  // "" when none
    } cases[] = {
        {"the hub's goodbye", [&](Window& w) { w.Receive(bye); }, ""},
        {"a broken stream", [](Window& w) { w.session.ReceiveFailed("bad record"); },
         "notice " + Sjis("<b>※ ReceiveMsg() : bad record</b><CR>")},
    };
    for (const auto& c : cases) {
        Window w;
        w.Join(2, "Alice");
        const std::string caption = w.rec.caption;
        c.lose(w);
        EXPECT_EQ(w.session.State(), SessionState::Orphaned) << c.what;
        EXPECT_EQ(w.session.MyID(), 2) << c.what;
        EXPECT_EQ(w.rec.caption, caption) << c.what;
        if (!c.report.empty()) {
            EXPECT_EQ(w.rec.events, std::vector<std::string>{c.report}) << c.what;
        }

        w.rec.events.clear();
        EXPECT_FALSE(w.session.SendChat("Alice", "anyone?", 1, LogBox)) << c.what;
        EXPECT_EQ(w.rec.events, std::vector<std::string>{"chat 3 Alice|anyone?|1"}) << c.what;

        w.rec.events.clear();
        EXPECT_FALSE(w.session.Disconnect(false)) << c.what;
        EXPECT_EQ(w.session.MyID(), -1) << c.what;
        EXPECT_TRUE(w.transport.sent.empty()) << c.what;
        const std::vector<std::string> idle = {
            "closelog", "caption " + CClientSession::IdleCaption(), "menu idle"};
        EXPECT_EQ(w.rec.events, idle) << c.what;
        EXPECT_EQ(w.session.State(), SessionState::Idle) << c.what;
        w.Join(6);
        EXPECT_EQ(w.session.MyID(), 6) << c.what;
    }
}

TEST(ClientSessionLeave, DisconnectCommandAsksThenAnnouncesLeaving) {
    Window w;
    w.Join(7, "Alice");
    w.session.DisconnectCommand();  // unscripted: No
    EXPECT_EQ(w.session.State(), SessionState::Joined);
    ASSERT_EQ(w.prompter.prompts.size(), 1u);
    EXPECT_EQ(w.prompter.prompts[0].text, Sjis("切断してもよろしいですか？"));
    EXPECT_EQ(w.prompter.prompts[0].caption, Sjis("終了"));

    w.prompter.answers = {PromptAnswer::Yes};
    w.session.DisconnectCommand();
    ASSERT_EQ(w.transport.sent.size(), 1u);
    EXPECT_EQ(w.transport.sent[0].Type, MsgType::Disconnect);
    EXPECT_EQ(w.transport.sent[0].Close, 1);
    EXPECT_EQ(w.transport.sent[0].ID, 7);
    EXPECT_EQ(w.transport.sent[0].Text, LeavingText("Alice"));
    EXPECT_EQ(w.rec.events, Leaving("Alice"));
    EXPECT_EQ(w.transport.closes, 1);

    // Closing the window leaves quietly: the record goes, nothing is shown.
    Window q;
    q.Join(5);
    q.session.Disconnect(true);
    ASSERT_EQ(q.transport.sent.size(), 1u);
    EXPECT_EQ(q.transport.sent[0].Close, 1);
    EXPECT_EQ(q.rec.events, std::vector<std::string>{"closelog"});
}

// Reconnecting: the tries follow 1, 2, 4, 8, 16 and then 30 seconds while
// they still start within 10 minutes of the loss, each announced, with no
// question asked; then the window gives up and stays orphaned.
TEST(ClientSessionReconnect, TriesOnScheduleForTenMinutesThenGivesUp) {
    Window w;
    w.session.SetReconnecting(&w.timers);
    w.Join(2, "Alice");
    w.session.ReceiveFailed("gone");
    EXPECT_EQ(w.session.State(), SessionState::Reconnecting);
    EXPECT_EQ(w.rec.caption, Sjis("Yarrow - 再接続中(IP:127.0.0.1/Port:15000)"));
    std::vector<int> periods;
    while (w.timers.IsRunning(CClientSession::kReconnectTimer)) {
        const int period = w.timers.Period(CClientSession::kReconnectTimer);
        periods.push_back(period);
        w.clock.now += period / 1000;
        w.transport.results.push_back({Status::Failed, "refused"});
        w.session.OnReconnectTimer();
    }
    std::vector<int> expected = {1000, 2000, 4000, 8000, 16000};
    expected.resize(expected.size() + 18, 30000);  // 31 s + 18 x 30 s = 571 s
    EXPECT_EQ(periods, expected);
    EXPECT_EQ(w.session.ReconnectTries(), 23);
    EXPECT_EQ(w.transport.connects.back(), "127.0.0.1:15000 background");
    EXPECT_TRUE(w.prompter.prompts.empty());
    const auto notices =
        std::count_if(w.rec.events.begin(), w.rec.events.end(), [](const std::string& e) {
            return e.rfind("notice " + Sjis("◇ 再接続しています ("), 0) == 0;
        });
    EXPECT_EQ(notices, 23);
    const std::string givenUp =
        "notice " + Sjis("◇ 再接続できませんでした。サーバに接続し直してください");
    EXPECT_NE(std::find(w.rec.events.begin(), w.rec.events.end(), givenUp), w.rec.events.end());
    EXPECT_EQ(w.rec.caption, Sjis("Yarrow - 接続中(IP:127.0.0.1/Port:15000)"));
    EXPECT_EQ(w.session.State(), SessionState::Orphaned);
    EXPECT_EQ(w.rec.connectionStatus, "");
}

// After a loss, the user's disconnect, or a version refusal or a goodbye on
// the way back, ends the tries.
TEST(ClientSessionReconnect, EndingsThatAreNotTriedAgain) {
    CMsg bye = Record(MsgType::Disconnect, 0, {}, "bye");
    bye.Close = 1;
    CMsg otherProtocol = Record(CnctStart, 3);
    otherProtocol.Param1 = 5;
    const struct {
        std::optional<CMsg> onTheWayBack;  // none: the user disconnects while waiting
        SessionState after;
    } cases[] = {{{}, SessionState::Idle},
                 {otherProtocol, SessionState::Idle},
                 {bye, SessionState::Orphaned}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.onTheWayBack ? CMsg::TypeName(c.onTheWayBack->Type) : "disconnect");
        Window w;
        w.session.SetReconnecting(&w.timers);
        w.Join(2);
        w.session.ReceiveFailed("gone");
        if (c.onTheWayBack) {
            w.session.OnReconnectTimer();
            w.Receive(*c.onTheWayBack);
        } else {
            w.session.Disconnect(false);
        }
        EXPECT_EQ(w.session.State(), c.after);
        EXPECT_FALSE(w.timers.IsRunning(CClientSession::kReconnectTimer));
        EXPECT_EQ(w.rec.connectionStatus, "");
        EXPECT_EQ(w.rec.caption.find(Sjis("再接続")), std::string::npos);
    }
}

}  // namespace
}  // namespace yarrow::test
