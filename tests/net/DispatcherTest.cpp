// What each window does with a received record, and above all what it does
// not show: whispers for others, hidden rolls and draws, calls for others.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "net/CardLineText.h"
#include "support/ClientSessionFakes.h"

// The tables name only the fields a record sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace yarrow::test {
namespace {

using Events = std::vector<std::string>;

TEST(Dispatcher, EachRecordShowsWhatThisWindowMaySee) {
    setenv("TZ", "UTC", 1);
    tzset();
    const CMsg whisper{
        .Text = "psst", .Name = "Bob", .Color = 9, .Type = Secret, .Recipients = {{0, 2}, {1, 5}}};
    CMsg stray = whisper;  // a key past the count makes nobody a recipient
    stray.Recipients = {{0, 2}, {7, 3}};
    const std::string rattle = Sjis("(ころころ……)");
    const CMsg reply{
        .Text = "<b>joined</b>", .Type = CnctReply, .ID = 3, .Members = {{"Me", 2}, {"Bob", 3}}};
    const CMsg draw{
        .Text = "Ace", .Name = "Al", .Type = ScreenCard, .ID = 2, .Param1 = 14, .Param2 = 40};
    CMsg openDraw = draw;
    openDraw.Type = DrawCard;
    // Only the low 16 bits of Param1 are the move code.
    const CMsg move{
        .Name = "Bob", .Type = MoveCard, .ID = 3, .Param1 = 0x10401, .Strings = {"00005Queen"}};
    CMsg ownMove = move;
    ownMove.ID = 2;
    const CMsg pass{.Name = "Bob",
                    .Type = PassCard,
                    .ID = 3,
                    .Param1 = 2,
                    .Strings = {"00003Three", "00010Ten"}};
    CMsg passElsewhere = pass;
    passElsewhere.Param1 = 3;
    CMsg ownPass = passElsewhere;
    ownPass.ID = 2;
    const struct {
        const char* what;
        std::int32_t me;
        std::vector<CMsg> records;
        Events events;
        std::vector<CMember> members = {};
        bool autoChart = false;
    } cases[] = {
        {"a whisper shows to its recipients under their speaker name",
         2,
         {whisper},
         {"chat 6 Bob->Speaker|psst|9"}},
        {"and to no one else", 3, {whisper, stray}, {}},
        {"a hidden roll is not shown to the roller", 2, {Record(ScreenDice, 2, "Al", rattle)}, {}},
        {"but to the others",
         3,
         {Record(ScreenDice, 2, "Al", rattle)},
         {"chat 8 Al|" + rattle + "|0"}},
        {"a call alerts only its target",
         2,
         {Record(CallMember, 2, {}, "Bob"), Record(CallMember, 4, {}, "x")},
         {"alert", "notice Bob" + Sjis("(呼出時間 22:13:20)")}},
        {"an own chart lock is ignored",
         2,
         {Record(ChartLock, 2, {}, "Me"), Record(ChartLock, 3, {}, "Bob")},
         {"chartlock on Bob"}},
        {"join notices only with text; players without self",
         2,
         {reply, CMsg{.Type = CnctReply, .ID = 3, .Members = {{"Me", 2}, {"Bob", 3}}},
          CMsg{.Text = "Bob", .Type = UpdateMbr, .ID = 3, .Members = {{"Bob", 3}}}},
         {"rebuild Me:2;Bob:3;", "notice <b>joined</b>", "players Bob:3;", "rebuild Me:2;Bob:3;",
          "players Bob:3;", "rebuild Bob:3;", "players Bob:3;"}},
        {"typing marks follow saying and chat lines",
         2,
         {Record(NowSaying, 3), Record(LogBox, 3, "Bob", "hi"), Record(EndSaying, 3)},
         {"typing 3 on", "chat 3 Bob|hi|0", "typing 3 off", "typing 3 off"}},
        {"a leaving member is removed everywhere",
         2,
         {Record(MsgType::Disconnect, 3, {}, "<b>bye</b>")},
         {"remove 3", "removeplayer 3", "notice <b>bye</b>"}},
        {"a hidden chart is announced",
         2,
         {Record(Chart, 2)},
         {"notice " + Sjis("◇ 表に更新がありました"), "applychart"}},
        {"or shown once",
         2,
         {Record(Chart, 3), Record(Chart, 3)},
         {"showchart", "applychart", "applychart"},
         {},
         true},
        {"a hidden draw shows the card to the drawer",
         2,
         {draw},
         {"left 40", "hand 14 Ace", "chat 14 Al|Ace|0"}},
        {"but not to the others",
         3,
         {draw, openDraw},
         {"left 40", "chat 15 Al|ScreenCard|0", "left 40", "chat 14 Al|Ace|0"}},
        {"moves of others are described and applied; own moves described and settled",
         2,
         {move, ownMove},
         {"chat 16 Bob|Queen\t" + Sjis("捨札\t手札") + "|0", "discardmove 1025 1",
          "chat 16 Bob|Queen\t" + Sjis("捨札\t手札") + "|0", "settlemove 1"}},
        {"passed cards reach only the receiver; the own echo settles the hand",
         2,
         {pass, passElsewhere, ownPass},
         {"hand 3 Three", "hand 10 Ten", "chat 24 Bob|" + Sjis("カードをMeに2枚渡しました") + "|0",
          "chat 24 Bob|" + Sjis("カードをBobに2枚渡しました") + "|0", "settle 2",
          "chat 24 Bob|" + Sjis("カードをBobに2枚渡しました") + "|0"},
         {{"Me", 2}, {"Bob", 3}}},
        {"deck notices, statistics for the asker and a new deck",
         2,
         {Record(DeckEmpty, 3), Record(ShuffleDeck, 3), Record(ResetGrave, 3),
          CMsg{.Type = GetCardStat, .ID = 2, .Param1 = 4, .Param2 = 1, .Strings = {"a", "b"}},
          CMsg{.Type = GetCardStat, .ID = 3, .Param1 = 4, .Param2 = 1, .Strings = {"a", "b"}},
          CMsg{.Text = "Tarot", .Type = InitDeck, .Param1 = 78}},
         {"notice " + Sjis("◇ 山札が空です"), "notice " + Sjis("◇ 山札をシャッフルしました"),
          "cleardiscard", "notice " + Sjis("◇ 捨札を山札に戻してシャッフルしました"),
          "cardstat 4 1 2", "resetdeck Tarot 78"}},
        {"lines, notices and maps; unknown types ignored",
         2,
         {Record(DiceRoll, 2, "Al", "2D6"), Record(StartTimer, 3, "Bob", "1m"),
          Record(CountTimer, 3, {}, "<b>Time Up!</b>"), Record(DenyPass, 3, "Bob", "no"),
          CMsg{.Type = UpdateMap, .ID = 2, .Param2 = 3}, Record(28, 2)},
         {"chat 7 Al|2D6|0", "chat 22 Bob|1m|0", "notice <b>Time Up!</b>", "chat 24 Bob|no|0",
          "map 3"}},
        {"a request for another member's card is only shown",
         7,
         {CMsg{.Name = "Bob", .Type = RndmGet, .ID = 3, .Param1 = 5},
          Record(DeckEmptyReshuffle, 3)},
         {"chat 24 Bob|" + Sjis("Meにカードの譲渡要求をしました") + "|0"},
         {{"Me", 5}, {"Bob", 3}}},
    };
    for (const auto& c : cases) {
        Window w;
        w.Join(c.me);
        w.autoChart = c.autoChart;
        if (!c.members.empty())
            w.Receive(CMsg{.Type = UpdateMbr, .Members = c.members});
        w.rec.events.clear();
        for (const CMsg& record : c.records)
            w.Receive(record);
        EXPECT_EQ(w.rec.events, c.events) << c.what;
        EXPECT_TRUE(w.later.empty()) << c.what;
        EXPECT_EQ(w.session.State(), SessionState::Joined);
    }
}

TEST(Dispatcher, MoveDescriptionHidesPrivateMovesOfOthers) {
    const std::vector<std::string> two = {"00001Ace", "00002King"};
    EXPECT_EQ(MoveCardText(0x0103, two, false), Sjis("カードを2枚\t手札\t場札(伏)"));
    EXPECT_EQ(MoveCardText(0x0103, two, true), Sjis("Ace,King\t手札\t場札(伏)"));
    EXPECT_EQ(MoveCardText(0x0102, {"00001Ace"}, false), Sjis("Ace\t手札\t場札(公)"));
    EXPECT_EQ(MoveCardText(0x0409, {"7"}, false), Sjis("\t捨札\tErr"));
    EXPECT_EQ(MoveCardText(0x0204, {"00001", "00002Two"}, false), Sjis(",Two\t場札(公)\t捨札"));
}

TEST(Dispatcher, ResetReannouncesAndOnlyTheOperatorPurgesAfterTheTimer) {
    Window w;
    w.session.Connect("GM", false, "127.0.0.1", 15000);
    CMsg start = Record(CnctStart, 1, "00000");
    start.Param1 = kProtocolVersion;
    start.Param2 = kProgramVersionCode;
    w.Receive(start);
    w.transport.sent.clear();
    w.rec.events.clear();
    w.Receive(Record(ResetMembers, 3));
    ASSERT_EQ(w.transport.sent.size(), 1u);
    EXPECT_EQ(w.transport.sent[0].Text, "GM");
    EXPECT_EQ(w.rec.events, (Events{"clearmembers"}));
    EXPECT_EQ(w.timers.Period(CDispatcher::kMemberCheckTimer), 5000);
    w.Receive(CMsg{.Type = UpdateMbr, .ID = 1, .Members = {{"GM", 1}, {"Bob", 4}}});
    w.dispatcher.OnMemberCheckTimer();
    EXPECT_FALSE(w.timers.IsRunning(CDispatcher::kMemberCheckTimer));
    EXPECT_EQ(w.hubs.record.purges, (std::vector<std::vector<std::int32_t>>{{1, 4}}));

    Window client;
    client.Join(2);
    client.dispatcher.OnMemberCheckTimer();
    EXPECT_TRUE(client.hubs.record.purges.empty());
}

// A question a record raises waits until the record is handled, and is
// answered on the wire as the user chose.
TEST(Dispatcher, AnEmptyDeckAsksWhetherToReshuffleTheDiscards) {
    Window w;
    w.Join(5);
    w.prompter.answers = {PromptAnswer::Yes};
    w.Receive(Record(DeckEmptyReshuffle, 5));
    EXPECT_TRUE(w.prompter.prompts.empty());
    w.RunLater();
    ASSERT_EQ(w.prompter.prompts.size(), 1u);
    EXPECT_EQ(w.prompter.prompts[0].text,
              Sjis("山札が空です。捨札を山札に戻してシャッフルしますか？"));
    EXPECT_EQ(w.transport.sent, (std::vector<CMsg>{CMsg{.Type = ResetGrave, .ID = 5}}));
}

}  // namespace
}  // namespace yarrow::test
