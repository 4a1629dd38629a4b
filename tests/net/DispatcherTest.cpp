// What each window does with a received record, and above all what it does
// not show: whispers for others, hidden rolls and draws, calls for others.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "ClientSessionFakes.h"
#include "net/CardLineText.h"

namespace yarrow::test {
namespace {

using Events = std::vector<std::string>;

CMsg Whisper(std::vector<std::int32_t> recipients) {
    CMsg msg = Record(Secret, 0, "Bob", "psst");
    msg.Color = 9;
    for (std::size_t i = 0; i < recipients.size(); ++i)
        msg.Recipients[static_cast<std::uint16_t>(i)] = recipients[i];
    return msg;
}

TEST(DispatcherPrivacy, WhisperShownOnlyByRecipientsUnderTheirSpeakerName) {
    for (std::int32_t me : {2, 5}) {
        Window w;
        w.Join(me);
        w.port.speaker = "Me" + std::to_string(me);
        w.Receive(Whisper({2, 5}));
        EXPECT_EQ(w.rec.events, Events{"chat 6 Bob->Me" + std::to_string(me) + "|psst|9"}) << me;
    }
    Window outsider;
    outsider.Join(3);
    outsider.Receive(Whisper({2, 5}));
    EXPECT_TRUE(outsider.rec.events.empty());

    // Recipients are looked up by position; a stray key past the count does
    // not make a member a recipient.
    Window stray;
    stray.Join(3);
    CMsg odd = Whisper({2});
    odd.Recipients[7] = 3;
    stray.Receive(odd);
    EXPECT_TRUE(stray.rec.events.empty());
}

TEST(DispatcherPrivacy, HiddenRollMaskedForOthersAndIgnoredByRoller) {
    Window roller;
    roller.Join(2);
    roller.Receive(Record(ScreenDice, 2, "Al", Sjis("(ころころ……)")));
    EXPECT_TRUE(roller.rec.events.empty());

    Window other;
    other.Join(3);
    other.Receive(Record(ScreenDice, 2, "Al", Sjis("(ころころ……)")));
    EXPECT_EQ(other.rec.events, Events{"chat 8 Al|" + Sjis("(ころころ……)") + "|0"});
}

TEST(DispatcherPrivacy, CallAlertsOnlyItsTarget) {
    setenv("TZ", "UTC", 1);
    tzset();
    Window target;
    target.Join(4);
    target.clock.now = 3600 * 13 + 60 * 5 + 9;  // 13:05:09 UTC
    target.Receive(Record(CallMember, 4, {}, Sjis("Bob さんからのコールです")));
    EXPECT_EQ(target.rec.events,
              (Events{"alert", "notice " + Sjis("Bob さんからのコールです(呼出時間 13:05:09)")}));

    Window other;
    other.Join(3);
    other.Receive(Record(CallMember, 4, {}, "x"));
    EXPECT_TRUE(other.rec.events.empty());
}

TEST(DispatcherPrivacy, OwnChartLockIgnoredOthersLock) {
    Window w;
    w.Join(2);
    w.Receive(Record(ChartLock, 2, {}, "Me"));
    EXPECT_TRUE(w.rec.events.empty());
    w.Receive(Record(ChartLock, 3, {}, "Bob"));
    EXPECT_EQ(w.rec.events, Events{"chartlock on Bob"});
}

TEST(DispatcherMembers, JoinNoticeOnlyForNewMembersAndPlayersWithoutSelf) {
    Window w;
    w.Join(2);
    CMsg reply = Record(CnctReply, 3, {}, "<b>joined</b>");
    reply.Members = {{"Me", 2}, {"Bob", 3}};
    w.Receive(reply);
    EXPECT_EQ(w.rec.events,
              (Events{"rebuild Me:2;Bob:3;", "notice <b>joined</b>", "players Bob:3;"}));

    w.rec.events.clear();
    reply.Text.clear();
    w.Receive(reply);
    EXPECT_EQ(w.rec.events, (Events{"rebuild Me:2;Bob:3;", "players Bob:3;"}));

    w.rec.events.clear();
    CMsg update = Record(UpdateMbr, 3, {}, "Bob");
    update.Members = {{"Bob", 3}};
    w.Receive(update);
    EXPECT_EQ(w.rec.events, (Events{"rebuild Bob:3;", "players Bob:3;"}));
}

TEST(DispatcherMembers, TypingMarksFollowSayingAndChatLines) {
    Window w;
    w.Join(2);
    w.Receive(Record(NowSaying, 3));
    w.Receive(Record(LogBox, 3, "Bob", "hi"));
    w.Receive(Record(EndSaying, 3));
    EXPECT_EQ(w.rec.events,
              (Events{"typing 3 on", "chat 3 Bob|hi|0", "typing 3 off", "typing 3 off"}));
}

TEST(DispatcherMembers, LeavingMemberRemovedEverywhere) {
    Window w;
    w.Join(2);
    w.Receive(Record(MsgType::Disconnect, 3, {}, "<b>bye</b>"));
    EXPECT_EQ(w.rec.events, (Events{"remove 3", "removeplayer 3", "notice <b>bye</b>"}));
    EXPECT_EQ(w.session.State(), SessionState::Joined);
}

TEST(DispatcherMembers, ResetReannouncesAndOperatorPurgesAfterTimer) {
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
    EXPECT_EQ(w.transport.sent[0].Type, UpdateMbr);
    EXPECT_EQ(w.transport.sent[0].Text, "GM");
    EXPECT_EQ(w.rec.events, (Events{"clearmembers"}));
    EXPECT_EQ(w.timers.Period(CDispatcher::kMemberCheckTimer), 5000);

    CMsg update = Record(UpdateMbr, 1);
    update.Members = {{"GM", 1}, {"Bob", 4}};
    w.Receive(update);
    w.dispatcher.OnMemberCheckTimer();
    EXPECT_FALSE(w.timers.IsRunning(CDispatcher::kMemberCheckTimer));
    ASSERT_EQ(w.hubs.record.purges.size(), 1u);
    EXPECT_EQ(w.hubs.record.purges[0], (std::vector<std::int32_t>{1, 4}));
}

TEST(DispatcherMembers, ClientWithoutHubNeverPurges) {
    Window w;
    w.Join(2);
    w.dispatcher.OnMemberCheckTimer();
    EXPECT_TRUE(w.hubs.record.purges.empty());
}

TEST(DispatcherChart, HiddenChartAnnouncedOrShown) {
    Window w;
    w.Join(2);
    w.Receive(Record(Chart, 2));
    EXPECT_EQ(w.rec.events, (Events{"notice " + Sjis("◇ 表に更新がありました"), "applychart"}));
    w.rec.events.clear();
    w.autoChart = true;
    w.Receive(Record(Chart, 3));
    EXPECT_EQ(w.rec.events, (Events{"showchart", "applychart"}));
    w.rec.events.clear();
    w.Receive(Record(Chart, 3));
    EXPECT_EQ(w.rec.events, (Events{"applychart"}));
}

TEST(DispatcherCards, DrawsShowTheCardOnlyToTheDrawer) {
    Window drawer;
    drawer.Join(2);
    CMsg draw = Record(ScreenCard, 2, "Al", "Ace");
    draw.Param1 = 14;
    draw.Param2 = 40;
    drawer.Receive(draw);
    EXPECT_EQ(drawer.rec.events, (Events{"left 40", "hand 14 Ace", "chat 14 Al|Ace|0"}));

    Window other;
    other.Join(3);
    other.Receive(draw);
    EXPECT_EQ(other.rec.events, (Events{"left 40", "chat 15 Al|ScreenCard|0"}));

    other.rec.events.clear();
    draw.Type = DrawCard;
    other.Receive(draw);
    EXPECT_EQ(other.rec.events, (Events{"left 40", "chat 14 Al|Ace|0"}));
}

TEST(DispatcherCards, MoveDescriptionHidesPrivateMovesOfOthers) {
    const std::vector<std::string> two = {"00001Ace", "00002King"};
    EXPECT_EQ(MoveCardText(0x0103, two, false), Sjis("カードを2枚\t手札\t場札(伏)"));
    EXPECT_EQ(MoveCardText(0x0103, two, true), Sjis("Ace,King\t手札\t場札(伏)"));
    EXPECT_EQ(MoveCardText(0x0102, {"00001Ace"}, false), Sjis("Ace\t手札\t場札(公)"));
    EXPECT_EQ(MoveCardText(0x0409, {"7"}, false), Sjis("\t捨札\tErr"));
    EXPECT_EQ(MoveCardText(0x0204, {"00001", "00002Two"}, false), Sjis(",Two\t場札(公)\t捨札"));

    Window w;
    w.Join(2);
    CMsg move = Record(MoveCard, 3, "Bob");
    move.Param1 = 0x10401;  // only the low 16 bits are the move code
    move.Strings = {"00005Queen"};
    w.Receive(move);
    EXPECT_EQ(w.rec.events,
              (Events{"chat 16 Bob|Queen\t" + Sjis("捨札\t手札") + "|0", "discardmove 1025 1"}));
    w.rec.events.clear();
    move.ID = 2;
    w.Receive(move);
    EXPECT_EQ(w.rec.events.size(), 1u);  // own moves are already in the lists
}

TEST(DispatcherCards, PassAddsCardsOnlyToTheReceiver) {
    Window w;
    w.Join(5);
    CMsg reply = Record(UpdateMbr, 5);
    reply.Members = {{"Me", 5}, {"Bob", 3}};
    w.Receive(reply);
    w.rec.events.clear();

    CMsg pass = Record(PassCard, 3, "Bob");
    pass.Param1 = 5;
    pass.Strings = {"00003Three", "00010Ten"};
    w.Receive(pass);
    EXPECT_EQ(w.rec.events, (Events{"hand 3 Three", "hand 10 Ten",
                                    "chat 24 Bob|" + Sjis("カードをMeに2枚渡しました") + "|0"}));
    w.rec.events.clear();
    pass.Param1 = 3;
    w.Receive(pass);
    EXPECT_EQ(w.rec.events.size(), 1u);
    // The echo of the own pass settles what the window took out of its hand.
    w.rec.events.clear();
    pass.ID = 5;
    w.Receive(pass);
    EXPECT_EQ(w.rec.events.front(), "settle 2");
}

TEST(DispatcherCards, RandomCardRequestAsksOnlyTheAskedMember) {
    Window asked;
    asked.Join(5);
    CMsg reply = Record(UpdateMbr, 5);
    reply.Members = {{"Me", 5}, {"Bob", 3}};
    asked.Receive(reply);
    asked.rec.events.clear();
    asked.session.SetMyColor(0x00FF00);

    CMsg request = Record(RndmGet, 3, "Bob");
    request.Param1 = 5;
    asked.prompter.answers = {PromptAnswer::Yes};
    asked.Receive(request);
    // The question waits until the record is handled.
    EXPECT_TRUE(asked.prompter.prompts.empty());
    asked.RunLater();
    ASSERT_EQ(asked.prompter.prompts.size(), 1u);
    EXPECT_EQ(asked.prompter.prompts[0].text,
              Sjis("Bob からカードの譲渡要求があります。\r\n譲渡しますか？"));
    EXPECT_EQ(asked.prompter.prompts[0].caption, Sjis("確認"));
    EXPECT_EQ(asked.rec.events,
              (Events{"chat 24 Bob|" + Sjis("Meにカードの譲渡要求をしました") + "|0", "give 3"}));

    // Refusing tells everybody under the speaker name and own colour.
    asked.prompter.answers = {PromptAnswer::No};
    asked.Receive(request);
    asked.RunLater();
    ASSERT_EQ(asked.transport.sent.size(), 1u);
    EXPECT_EQ(asked.transport.sent[0].Type, DenyPass);
    EXPECT_EQ(asked.transport.sent[0].Name, "Speaker");
    EXPECT_EQ(asked.transport.sent[0].Color, 0x00FF00);
    EXPECT_EQ(asked.transport.sent[0].Text, Sjis("Bob からのカード譲渡要求を拒否しました"));

    // Agreeing with an empty hand refuses too: every request is answered.
    asked.rec.handCards = 0;
    asked.prompter.answers = {PromptAnswer::Yes};
    asked.Receive(request);
    asked.RunLater();
    ASSERT_EQ(asked.transport.sent.size(), 2u);
    EXPECT_EQ(asked.transport.sent[1].Type, DenyPass);

    Window bystander;
    bystander.Join(7);
    bystander.Receive(request);
    EXPECT_TRUE(bystander.later.empty());
    EXPECT_EQ(bystander.rec.events.size(), 1u);
}

TEST(DispatcherCards, EmptyDeckOffersReshuffleToTheDrawerOnly) {
    Window w;
    w.Join(2);
    w.Receive(Record(DeckEmptyReshuffle, 3));
    EXPECT_TRUE(w.later.empty());
    w.prompter.answers = {PromptAnswer::Yes};
    w.Receive(Record(DeckEmptyReshuffle, 2));
    EXPECT_TRUE(w.prompter.prompts.empty());
    w.RunLater();
    ASSERT_EQ(w.prompter.prompts.size(), 1u);
    EXPECT_EQ(w.prompter.prompts[0].text,
              Sjis("山札が空です。捨札を山札に戻してシャッフルしますか？"));
    ASSERT_EQ(w.transport.sent.size(), 1u);
    EXPECT_EQ(w.transport.sent[0].Type, ResetGrave);
    EXPECT_EQ(w.transport.sent[0].Text, "");
}

TEST(DispatcherCards, DeckNoticesStatsAndNewDeck) {
    Window w;
    w.Join(2);
    w.Receive(Record(DeckEmpty, 3));
    w.Receive(Record(ShuffleDeck, 3));
    w.Receive(Record(ResetGrave, 3));
    CMsg stat = Record(GetCardStat, 2);
    stat.Param1 = 4;
    stat.Param2 = 1;
    stat.Strings = {"a", "b"};
    w.Receive(stat);
    stat.ID = 3;
    w.Receive(stat);  // somebody else's answer
    CMsg init = Record(InitDeck, 0, {}, "Tarot");
    init.Param1 = 78;
    w.Receive(init);
    const Events expected = {"notice " + Sjis("◇ 山札が空です"),
                             "notice " + Sjis("◇ 山札をシャッフルしました"),
                             "cleardiscard",
                             "notice " + Sjis("◇ 捨札を山札に戻してシャッフルしました"),
                             "cardstat 4 1 2",
                             "resetdeck Tarot 78"};
    EXPECT_EQ(w.rec.events, expected);
}

TEST(DispatcherTypes, LinesNoticesMapsAndIgnoredTypes) {
    Window w;
    w.Join(2);
    w.Receive(Record(DiceRoll, 2, "Al", "2D6"));
    w.Receive(Record(StartTimer, 3, "Bob", "1m"));
    w.Receive(Record(CountTimer, 3, {}, "<b>Time Up!</b>"));
    w.Receive(Record(DenyPass, 3, "Bob", "no"));
    CMsg map = Record(UpdateMap, 2);
    map.Param2 = 3;
    w.Receive(map);
    w.Receive(Record(28, 2));
    const Events expected = {"chat 7 Al|2D6|0", "chat 22 Bob|1m|0", "notice <b>Time Up!</b>",
                             "chat 24 Bob|no|0", "map 3"};
    EXPECT_EQ(w.rec.events, expected);
}

}  // namespace
}  // namespace yarrow::test
