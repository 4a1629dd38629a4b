// The chat window's connection over a fake transport: connecting as client and
// as server, the handshake's two checks, the send operations on- and offline,
// and the ways of leaving.

#include <gtest/gtest.h>

#include "ClientSessionFakes.h"

namespace yarrow::test {
namespace {

using Status = IChatTransport::ConnectStatus;

TEST(ClientSessionConnect, ClientConnectStoresTrimmedAddressSeedsAndShowsConnected) {
    Window w;
    EXPECT_TRUE(w.session.ConnectAndShow("Alice", true, "  192.168.0.9 \t", 16000, 0xFF0000));
    EXPECT_EQ(w.transport.connects, std::vector<std::string>{"192.168.0.9:16000"});
    EXPECT_EQ(w.session.State(), SessionState::Connected);
    EXPECT_EQ(w.session.MyID(), -1);
    EXPECT_EQ(w.session.MyName(), "Alice");
    EXPECT_EQ(w.session.MyColor(), 0xFF0000);
    EXPECT_EQ(w.seeds, std::vector<std::uint32_t>{1700000000u});
    EXPECT_TRUE(w.rec.menuConnected);
    EXPECT_EQ(w.rec.caption, Sjis("Yarrow - 接続中(IP:192.168.0.9/Port:16000)"));
    EXPECT_EQ(w.hubs.created, 0);
}

TEST(ClientSessionConnect, RefusedConnectionOffersRetryWithLaidOutErrorText) {
    Window w;
    w.transport.results.push_back(
        {Status::Failed, Sjis("接続できませんでした。相手が拒否しました。")});
    w.transport.results.push_back({Status::Connected, {}});
    w.prompter.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(w.session.Connect("Alice", true, "10.0.0.1", 15000));
    ASSERT_EQ(w.prompter.prompts.size(), 1u);
    const Prompt& p = w.prompter.prompts[0];
    EXPECT_EQ(p.text, Sjis("接続できませんでした。\r\n相手が拒否しました。\r\n再接続しますか？"));
    EXPECT_EQ(p.caption, Sjis("接続エラー"));
    EXPECT_EQ(p.icon, PromptIcon::Stop);
    EXPECT_EQ(p.buttons, PromptButtons::YesNo);
    EXPECT_EQ(w.transport.connects.size(), 2u);
}

TEST(ClientSessionConnect, NoAtRetryOrCancelLeavesIdleWithoutPrompting) {
    Window w;
    w.transport.results.push_back({Status::Failed, "x"});
    EXPECT_FALSE(w.session.ConnectAndShow("Alice", true, "10.0.0.1", 15000, 0));
    EXPECT_EQ(w.session.State(), SessionState::Idle);
    EXPECT_FALSE(w.rec.menuConnected);
    EXPECT_EQ(w.prompter.prompts.size(), 1u);

    // Cancelling the connect attempt is the user's own choice: no question.
    w.transport.results.push_back({Status::Cancelled, {}});
    EXPECT_FALSE(w.session.Connect("Alice", true, "10.0.0.1", 15000));
    EXPECT_EQ(w.prompter.prompts.size(), 1u);

    w.transport.results.push_back({Status::CreateFailed, "no sockets"});
    EXPECT_FALSE(w.session.Connect("Alice", true, "10.0.0.1", 15000));
    ASSERT_EQ(w.prompter.prompts.size(), 2u);
    EXPECT_EQ(w.prompter.prompts[1].caption, Sjis("ソケット作成エラー"));
    EXPECT_EQ(w.prompter.prompts[1].text, "no sockets");
}

TEST(ClientSessionConnect, LayOutErrorTextBreaksAfterFullStopsOnly) {
    EXPECT_EQ(CClientSession::LayOutErrorText(Sjis("一。二。\r\n三")), Sjis("一。\r\n二。\r\n三"));
    // "＝B" is 81 81 42: its second byte and the B look like "。" (81 42) to a
    // byte search, but no full stop is there.
    const std::string tricky = Sjis("＝B");
    EXPECT_EQ(CClientSession::LayOutErrorText(tricky), tricky);
    EXPECT_EQ(CClientSession::LayOutErrorText(""), "");
}

TEST(ClientSessionConnect, ServerStartsHubThenConnectsToIt) {
    Window w;
    EXPECT_TRUE(w.session.Connect("GM", false, "127.0.0.1", 15001));
    EXPECT_EQ(w.hubs.record.listenedOn, std::vector<int>{15001});
    EXPECT_EQ(w.rec.events, std::vector<std::string>{"decksets 2"});
    EXPECT_EQ(w.transport.connects, std::vector<std::string>{"127.0.0.1:15001"});
    ASSERT_NE(w.session.OwnedHub(), nullptr);

    // Connecting again replaces the hub.
    w.session.Disconnect(true);
    EXPECT_EQ(w.hubs.record.disconnections, 1);
    EXPECT_EQ(w.hubs.record.destroyed, 1);
    EXPECT_EQ(w.session.OwnedHub(), nullptr);
}

TEST(ClientSessionConnect, HubThatCannotListenIsNotConnectedTo) {
    Window w;
    w.hubs.canListen = false;
    EXPECT_FALSE(w.session.Connect("GM", false, "127.0.0.1", 15000));
    EXPECT_TRUE(w.transport.connects.empty());
    EXPECT_EQ(w.session.OwnedHub(), nullptr);
}

TEST(ClientSessionConnect, NoAtRetryKeepsOwnedHubListening) {
    Window w;
    w.transport.results.push_back({Status::Failed, "x"});
    EXPECT_FALSE(w.session.Connect("GM", false, "127.0.0.1", 15000));
    ASSERT_NE(w.session.OwnedHub(), nullptr);
    EXPECT_TRUE(w.session.OwnedHub()->IsServing());
    EXPECT_EQ(w.session.State(), SessionState::Idle);
}

TEST(ClientSessionHandshake, JoinsRepliesAndShowsDeck) {
    Window w;
    w.session.Connect("Alice", true, "127.0.0.1", 15000);
    CMsg start = Record(CnctStart, 3, "00052Trump", "\r\n== past ==");
    start.Param1 = kProtocolVersion;
    start.Param2 = kProgramVersionCode;
    w.Receive(start);
    EXPECT_EQ(w.session.State(), SessionState::Joined);
    EXPECT_EQ(w.session.MyID(), 3);
    EXPECT_TRUE(w.prompter.prompts.empty());
    const std::vector<std::string> expected = {
        "notice " + Sjis("<b>◎ サーバとの接続が確立しました</b>"),
        "notice \r\n== past ==", "deckline Trump 52"};
    EXPECT_EQ(w.rec.events, expected);
    ASSERT_EQ(w.transport.sent.size(), 1u);
    EXPECT_EQ(w.transport.sent[0].Type, CnctReply);
    EXPECT_EQ(w.transport.sent[0].Text, "Alice");
    EXPECT_EQ(w.transport.sent[0].ID, 3);

    // A second greeting changes nothing.
    start.ID = 9;
    w.Receive(start);
    EXPECT_EQ(w.session.MyID(), 3);
    EXPECT_EQ(w.transport.sent.size(), 1u);
}

TEST(ClientSessionHandshake, ShortDeckSummaryDoesNotBreakJoin) {
    Window w;
    w.session.Connect("Alice", true, "127.0.0.1", 15000);
    CMsg start = Record(CnctStart, 1, "12");
    start.Param1 = kProtocolVersion;
    start.Param2 = kProgramVersionCode;
    w.Receive(start);
    EXPECT_EQ(w.rec.events.back(), "deckline  12");
    EXPECT_EQ(w.session.State(), SessionState::Joined);
}

TEST(ClientSessionHandshake, OtherProtocolDisconnectsWithoutReply) {
    Window w;
    w.session.ConnectAndShow("Alice", true, "127.0.0.1", 15000, 0);
    CMsg start = Record(CnctStart, 1);
    start.Param1 = 5;
    start.Param2 = kProgramVersionCode;
    w.Receive(start);
    ASSERT_EQ(w.prompter.prompts.size(), 1u);
    EXPECT_EQ(
        w.prompter.prompts[0].text,
        Sjis("サーバとクライアントの通信プロトコルの\r\nバージョンが違うため、接続を切断します"));
    EXPECT_EQ(w.prompter.prompts[0].caption, Sjis("エラー"));
    EXPECT_EQ(w.prompter.prompts[0].icon, PromptIcon::Stop);
    for (const CMsg& sent : w.transport.sent)
        EXPECT_NE(sent.Type, CnctReply);
    EXPECT_EQ(w.session.State(), SessionState::Idle);
    EXPECT_EQ(w.session.MyID(), -1);
    EXPECT_EQ(w.rec.caption, CClientSession::IdleCaption());
    EXPECT_FALSE(w.rec.menuConnected);
}

TEST(ClientSessionHandshake, OtherProgramVersionWarnsAndJoins) {
    Window w;
    w.session.Connect("Alice", true, "127.0.0.1", 15000);
    CMsg start = Record(CnctStart, 2);
    start.Param1 = kProtocolVersion;
    start.Param2 = 0x050300;
    w.Receive(start);
    ASSERT_EQ(w.prompter.prompts.size(), 1u);
    EXPECT_EQ(
        w.prompter.prompts[0].text,
        Sjis("サーバとクライアントのバージョンが違うため、\r\n正常に動作しない可能性があります"));
    EXPECT_EQ(w.prompter.prompts[0].caption, Sjis("警告"));
    EXPECT_EQ(w.prompter.prompts[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(w.session.State(), SessionState::Joined);
    ASSERT_EQ(w.transport.sent.size(), 1u);
    EXPECT_EQ(w.transport.sent[0].Type, CnctReply);
}

TEST(ClientSessionSend, OnlineSendsCarryOwnIdentity) {
    Window w;
    w.Join(4);
    EXPECT_TRUE(w.session.SendChat("Alice", "hello", 0xABCDEF, LogBox));
    EXPECT_TRUE(w.session.SendText("text", CountTimer));
    ASSERT_EQ(w.transport.sent.size(), 2u);
    EXPECT_EQ(w.transport.sent[0].ID, 4);
    EXPECT_EQ(w.transport.sent[0].Name, "Alice");
    EXPECT_EQ(w.transport.sent[0].Color, 0xABCDEF);
    EXPECT_EQ(w.transport.sent[1].Type, CountTimer);
    EXPECT_EQ(w.transport.sent[1].Name, "");
    EXPECT_EQ(w.transport.sent[1].Color, 0);
    EXPECT_TRUE(w.rec.events.empty());  // own lines show only when echoed
}

TEST(ClientSessionSend, OfflineShowsRemarksRollsAndTimersLocallyOnly) {
    Window w;
    for (std::int32_t type :
         {LogBox, DiceRoll, ScreenDice, StartTimer, Secret, CallMember, UpdateMbr})
        EXPECT_FALSE(w.session.SendChat("Al", "t", 5, type));
    EXPECT_FALSE(w.session.SendText("<b>Time Up!</b>", CountTimer));
    const std::vector<std::string> expected = {"chat 3 Al|t|5", "chat 7 Al|t|5", "chat 8 Al|t|5",
                                               "chat 22 Al|t|5", "notice <b>Time Up!</b>"};
    EXPECT_EQ(w.rec.events, expected);
    EXPECT_TRUE(w.transport.sent.empty());
}

TEST(ClientSessionSend, FailedSendIsLoggedAndMenusGoIdleButConnectionStays) {
    Window w;
    w.Join(4);
    w.transport.sendError = std::string(300, 'e');
    EXPECT_FALSE(w.session.SendChat("Al", "t", 0, LogBox));
    const std::string expected = Sjis("<b>◎送信に失敗しました。\r\n<b>※ DoSerialize() : ") +
                                 std::string(256, 'e') + "</b><CR></b>";
    EXPECT_EQ(w.rec.events, (std::vector<std::string>{"notice " + expected, "menu idle"}));
    EXPECT_TRUE(w.transport.open);
    EXPECT_EQ(w.session.State(), SessionState::Joined);
}

TEST(ClientSessionLeave, HubClosingOrphansThenDisconnectReturnsQuietlyToIdle) {
    Window w;
    w.Join(2, "Alice");
    const std::string caption = w.rec.caption;
    CMsg bye = Record(MsgType::Disconnect, 0, {}, "bye");
    bye.Close = 1;
    w.Receive(bye);
    EXPECT_EQ(w.session.State(), SessionState::Orphaned);
    EXPECT_FALSE(w.transport.open);
    EXPECT_EQ(w.session.MyID(), 2);
    EXPECT_EQ(w.rec.caption, caption);

    w.rec.events.clear();
    EXPECT_FALSE(w.session.SendChat("Alice", "anyone?", 1, LogBox));
    EXPECT_EQ(w.rec.events, std::vector<std::string>{"chat 3 Alice|anyone?|1"});

    w.rec.events.clear();
    EXPECT_FALSE(w.session.Disconnect(false));
    EXPECT_EQ(w.session.MyID(), -1);
    EXPECT_TRUE(w.transport.sent.empty());
    const std::vector<std::string> expected = {
        "closelog", "caption " + CClientSession::IdleCaption(), "menu idle"};
    EXPECT_EQ(w.rec.events, expected);
    EXPECT_EQ(w.session.State(), SessionState::Idle);
}

TEST(ClientSessionLeave, ReconnectingFromOrphanedJoinsAfresh) {
    Window w;
    w.Join(2);
    w.session.ReceiveFailed("gone");
    ASSERT_EQ(w.session.State(), SessionState::Orphaned);
    w.Join(6);
    EXPECT_EQ(w.session.MyID(), 6);
}

TEST(ClientSessionLeave, BrokenStreamIsReportedAndOrphans) {
    Window w;
    w.Join(2);
    w.session.ReceiveFailed("bad record");
    EXPECT_EQ(w.rec.events,
              std::vector<std::string>{"notice " + Sjis("<b>※ ReceiveMsg() : bad record</b><CR>")});
    EXPECT_EQ(w.session.State(), SessionState::Orphaned);
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
    const std::string text = Sjis("<CR><b>◎ Alice の接続が切断されました</b><CR>");
    ASSERT_EQ(w.transport.sent.size(), 1u);
    EXPECT_EQ(w.transport.sent[0].Type, MsgType::Disconnect);
    EXPECT_EQ(w.transport.sent[0].Close, 1);
    EXPECT_EQ(w.transport.sent[0].ID, 7);
    EXPECT_EQ(w.transport.sent[0].Text, text);
    const std::vector<std::string> expected = {"clearmembers", "notice " + text, "closelog",
                                               "caption " + CClientSession::IdleCaption(),
                                               "menu idle"};
    EXPECT_EQ(w.rec.events, expected);
    EXPECT_EQ(w.session.State(), SessionState::Idle);
    EXPECT_EQ(w.transport.closes, 1);
}

TEST(ClientSessionLeave, ClosingWhileJoinedSendsDisconnectWithoutTouchingLogOrCaption) {
    Window w;
    w.Join(5);
    w.session.Disconnect(true);
    ASSERT_EQ(w.transport.sent.size(), 1u);
    EXPECT_EQ(w.transport.sent[0].Type, MsgType::Disconnect);
    EXPECT_EQ(w.transport.sent[0].Close, 1);
    EXPECT_EQ(w.rec.events, std::vector<std::string>{"closelog"});
}

}  // namespace
}  // namespace yarrow::test
