#include <gtest/gtest.h>

#include "dice/CDiceRoller.h"
#include "dice/DiceFakes.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

namespace yarrow::test {
namespace {

// A plug-in registry stand-in: "$EC," echoes its argument after one draw.
class EchoPlugins final : public IPluginRoller {
  public:
    bool RollPlugin(const std::string& expression, std::string& result,
                    IRandomSource& rng) override {
        if (expression.rfind("$EC,", 0) != 0 || expression.size() == 4)
            return false;
        rng.RandomNext();
        result = "echo " + expression.substr(4);
        return true;
    }
};

class DiceRollerTest : public ::testing::Test {
  protected:
    DiceRollerTest() : roller(session, session, host, rng, "/nonexistent/Chart.ini", &plugins) {
        session.myColor = 0x123456;
    }
    std::string Roll(const std::string& typed) {
        host.Type(typed);
        roller.OnRollDice();
        return session.chats.empty() ? std::string() : session.chats.back().text;
    }
    FakeSession session;
    FakeDiceControls host;
    ScriptedRandom rng;
    EchoPlugins plugins;
    CDiceRoller roller;
    const std::string hoy = Sjis("ころころ……");
};

TEST_F(DiceRollerTest, OpenRollSendsSoundAndResultAsDiceRoll) {
    rng.Dice({3, 5});
    EXPECT_EQ(Roll("  2D6 "), hoy + " 2D6 = ( 3 + 5 ) = 8");
    EXPECT_EQ(session.chats.back(),
              (SentLine{"GM", hoy + " 2D6 = ( 3 + 5 ) = 8", 0x123456, DiceRoll}));
    EXPECT_TRUE(session.lines.empty());
}

TEST_F(DiceRollerTest, SpacesAreRemovedAndSortedDisplayAppliesToOneExpression) {
    rng.Dice({2, 6, 1, 2, 6, 1});
    EXPECT_EQ(Roll("!3 D 6"), hoy + " !3D6 = ( 1 + 2 + 6 ) = 9");
    EXPECT_EQ(Roll("3D6"), hoy + " 3D6 = ( 2 + 6 + 1 ) = 9");
}

TEST_F(DiceRollerTest, FormatErrorsAreSentLikeResults) {
    const std::string error = Sjis("ダイス書式エラー(");
    for (const char* bad :
         {"3D", "3D0", "D6", "+0,3D6", "+4,3D6", "3D6x", "!+2,3D6", "2D6/0", "abc", "$EC,", "#"}) {
        EXPECT_EQ(Roll(bad), hoy + " " + error + bad + ")") << bad;
    }
    // A full-width digit is not a digit.
    EXPECT_EQ(Roll(Sjis("３D6")), hoy + " " + error + Sjis("３D6") + ")");
    EXPECT_EQ(rng.Left(), 0u);
    EXPECT_TRUE(host.entries.empty()) << "errors never enter the history";
}

TEST_F(DiceRollerTest, HiddenRollShowsResultLocallyAndSendsOnlyTheRattle) {
    host.shift = true;
    rng.Dice({4, 1});
    host.Type("2D6");
    roller.OnRollDice();
    ASSERT_EQ(session.lines.size(), 1u);
    EXPECT_EQ(session.lines[0], (SentLine{"GM", "2D6 = ( 4 + 1 ) = 5", 0x123456, ScreenDice}));
    ASSERT_EQ(session.chats.size(), 1u);
    EXPECT_EQ(session.chats[0], (SentLine{"GM", Sjis("(ころころ……)"), 0x123456, ScreenDice}));

    // Offline the result is shown once and nothing is sent.
    session.connected = false;
    rng.Dice({2, 2});
    roller.OnRollDice();
    EXPECT_EQ(session.lines.size(), 2u);
    EXPECT_EQ(session.chats.size(), 1u);
}

TEST_F(DiceRollerTest, SoundSelection) {
    DiceSoundSettings settings;
    settings.DiceHoy = "rattle";
    settings.RandomDiceHoy = {"a", "b", "c"};
    roller.SetSoundSettings(settings);

    // Fixed sound unless random is on.
    rng.Dice({1});
    EXPECT_EQ(Roll("1D6"), "rattle 1D6 = ( 1 ) = 1");
    // "@word" names the sound.
    rng.Dice({1});
    EXPECT_EQ(Roll("1D6@clack"), "clack 1D6 = ( 1 ) = 1");
    // A bare "@" picks from the list before the dice, even with random off.
    rng.Draw(4).Dice({2});
    EXPECT_EQ(Roll("1D6@"), "b 1D6 = ( 2 ) = 2");
    // Random on: the pick comes after the dice.
    settings.IsDiceHoyRandom = true;
    roller.SetSoundSettings(settings);
    rng.Dice({3}).Draw(2);
    EXPECT_EQ(Roll("1D6"), "c 1D6 = ( 3 ) = 3");
    // Random on with an empty list falls back to the fixed sound.
    settings.RandomDiceHoy.clear();
    roller.SetSoundSettings(settings);
    rng.Dice({1});
    EXPECT_EQ(Roll("1D6@"), "rattle 1D6 = ( 1 ) = 1");
    EXPECT_EQ(rng.Left(), 0u);
}

TEST_F(DiceRollerTest, PluginRollIsSentWithoutSound) {
    rng.Draw(0);
    EXPECT_EQ(Roll("$EC,x"), "echo x");
    // "ァ" is 0x83 0x40: its trail byte is not the sound mark.
    rng.Draw(0);
    EXPECT_EQ(Roll("$EC,\x83\x40"), "echo \x83\x40");
}

TEST_F(DiceRollerTest, HistoryKeepsTypedExpressionsOnce) {
    host.entries = {"3D6"};
    rng.Dice({1, 1, 1, 1, 1, 1});
    Roll("3D6");  // typed, but already an entry
    EXPECT_EQ(host.entries, (std::vector<std::string>{"3D6"}));
    Roll(" 2d6 @ bang ");  // stored as typed, trimmed
    EXPECT_EQ(host.entries, (std::vector<std::string>{"3D6", "2d6 @ bang"}));
    EXPECT_EQ(host.selected, 1);
    host.Type("$CARD");
    roller.OnRollDice();
    EXPECT_EQ(host.entries.size(), 3u);
    host.Type("1D6");
    host.entries.push_back("1D6 ");  // not byte-equal
    roller.OnRollDice();
    EXPECT_EQ(host.entries.back(), "1D6");
    // A picked entry never adds.
    EXPECT_EQ(rng.Left(), 0u);
    rng.Dice({1, 1, 1});
    host.selected = 0;
    const auto before = host.entries;
    roller.OnRollDice();
    EXPECT_EQ(host.entries, before);
}

TEST_F(DiceRollerTest, CardDrawOpenHiddenAndWithTrailingText) {
    host.Type("$CARDS please");
    roller.OnRollDice();
    host.shift = true;
    host.Type("$CARD");
    roller.OnRollDice();
    EXPECT_EQ(host.draws, (std::vector<bool>{true, false}));
    EXPECT_TRUE(session.chats.empty());
}

TEST_F(DiceRollerTest, TimerStartCancelAndRefusal) {
    host.Type("$TIMER,1h,10m");
    roller.OnRollDice();
    ASSERT_EQ(host.countdowns.size(), 1u);
    EXPECT_EQ(host.countdowns[0], (std::pair<std::int32_t, std::int32_t>{3600, 600}));
    EXPECT_TRUE(session.chats.empty());

    host.remainingMs = 1000;
    host.Type("$TIMER");
    roller.OnRollDice();
    EXPECT_EQ(host.cancels, 1);
    EXPECT_TRUE(session.chats.empty());

    // Refused starts and the bare word without a running timer are errors.
    host.remainingMs = 0;
    EXPECT_EQ(Roll("$TIMER"), hoy + " " + Sjis("ダイス書式エラー($TIMER)"));
    EXPECT_EQ(Roll("$TIMER,30,60"), hoy + " " + Sjis("ダイス書式エラー($TIMER,30,60)"));
    EXPECT_TRUE(host.entries.empty()) << "commands other than $CARD stay out of the history";
}

TEST_F(DiceRollerTest, CheckDiceFormatHasNoEffects) {
    rng.Dice({1, 1, 1, 1, 1, 1, 1});
    EXPECT_TRUE(roller.CheckDiceFormat("2D6", DiceKind::FormatError));
    EXPECT_TRUE(roller.CheckDiceFormat("2D6", DiceKind::SumRoll));
    EXPECT_FALSE(roller.CheckDiceFormat("+1,3D6", DiceKind::SumRoll));
    EXPECT_FALSE(roller.CheckDiceFormat("2D6x", DiceKind::FormatError));
    EXPECT_TRUE(roller.CheckDiceFormat("$CARD", DiceKind::FormatError));
    EXPECT_TRUE(roller.CheckDiceFormat("$TIMER,5m", DiceKind::FormatError));
    EXPECT_FALSE(roller.CheckDiceFormat("$TIMER,30,60", DiceKind::FormatError));
    rng.Draw(0);
    EXPECT_TRUE(roller.CheckDiceFormat("$EC,1", DiceKind::PluginRoll));
    EXPECT_FALSE(roller.CheckDiceFormat("2D6", DiceKind::PluginRoll));
    EXPECT_TRUE(host.entries.empty());
    EXPECT_TRUE(host.countdowns.empty());
    EXPECT_TRUE(session.chats.empty());
    EXPECT_TRUE(host.draws.empty());
}

TEST_F(DiceRollerTest, TemplateWorkedExamples) {
    rng.Dice({4, 5, 3, 5, 1, 6});
    EXPECT_TRUE(roller.RollTemplate({Sjis("回避"), "2D6", 10, TemplateCriterion::RollUnder}, 2));
    EXPECT_TRUE(roller.RollTemplate({Sjis("命中"), "2D6", 8, TemplateCriterion::RollOver}, 0));
    EXPECT_TRUE(roller.RollTemplate({Sjis("攻撃"), "2D6+3", 0, TemplateCriterion::Other}, 0));
    ASSERT_EQ(session.chats.size(), 3u);
    EXPECT_EQ(session.chats[0],
              (SentLine{"GM", Sjis("〈回避/10+2〉2D6=(4+5)=9 -> 3成功"), 0x123456, DiceRoll}));
    EXPECT_EQ(session.chats[1].text, Sjis("〈命中/8〉2D6=(3+5)=8 -> 0失敗"));
    EXPECT_EQ(session.chats[2].text, Sjis("[攻撃] 2D6+3=(1+6)+3=10"));
}

TEST_F(DiceRollerTest, TemplateJudgementAtTheBoundary) {
    // Goal 7 - 3 = 4 in each case.
    rng.Dice({2, 2, 2, 2, 2, 3, 1, 2});
    roller.RollTemplate({"u", "2D6", 7, TemplateCriterion::RollUnder}, -3);  // 4 <= 4
    roller.RollTemplate({"o", "2D6", 7, TemplateCriterion::RollOver}, -3);   // 4 > 4 fails
    roller.RollTemplate({"o", "2D6", 7, TemplateCriterion::RollOver}, -3);   // 5 > 4
    roller.RollTemplate({"u", "2D6", 7, TemplateCriterion::RollUnder}, -3);  // 3 <= 4
    ASSERT_EQ(session.chats.size(), 4u);
    EXPECT_EQ(session.chats[0].text, Sjis("〈u/7-3〉2D6=(2+2)=4 -> 0成功"));
    EXPECT_EQ(session.chats[1].text, Sjis("〈o/7-3〉2D6=(2+2)=4 -> 0失敗"));
    EXPECT_EQ(session.chats[2].text, Sjis("〈o/7-3〉2D6=(2+3)=5 -> 1成功"));
    EXPECT_EQ(session.chats[3].text, Sjis("〈u/7-3〉2D6=(1+2)=3 -> 1成功"));
}

TEST_F(DiceRollerTest, TemplatePluginBonusHiddenAndRefusedFormulas) {
    rng.Draw(0);
    EXPECT_TRUE(roller.RollTemplateFromPane({"p", "$EC,5,8", 0, TemplateCriterion::Plugin}, -3));
    ASSERT_EQ(session.chats.size(), 1u);
    EXPECT_EQ(session.chats[0].text, "[p] echo 5,8,-3");

    host.shift = true;
    rng.Dice({6});
    EXPECT_TRUE(roller.RollTemplateFromPane({"h", "1D6", 3, TemplateCriterion::RollUnder}, 1));
    ASSERT_EQ(session.lines.size(), 1u);
    EXPECT_EQ(session.lines[0].text, Sjis("〈h/3+1〉1D6=(6)=6 -> 2失敗"));
    EXPECT_EQ(session.chats.back().text, Sjis("(ころころ……)"));

    // Keep rolls and unknown formulas are not sent at all.
    rng.Dice({1, 2});
    const auto sentBefore = session.chats.size();
    EXPECT_FALSE(roller.RollTemplate({"k", "+1,2D6", 5, TemplateCriterion::RollUnder}, 0));
    EXPECT_FALSE(roller.RollTemplate({"x", "$GONE,1", 0, TemplateCriterion::Plugin}, 0));
    EXPECT_EQ(session.chats.size(), sentBefore);
}

}  // namespace
}  // namespace yarrow::test
