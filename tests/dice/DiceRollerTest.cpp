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

TEST_F(DiceRollerTest, RollsAndFormatErrorsAreSentAsDiceRolls) {
    const std::string error = Sjis("ダイス書式エラー(");
    const struct {
        std::string typed;
        std::vector<std::uint32_t> dice;
        std::string sent;
    } cases[] = {
        {"  2D6 ", {3, 5}, hoy + " 2D6 = ( 3 + 5 ) = 8"},
        // Spaces go; the sorted display applies to one expression only.
        {"!3 D 6", {2, 6, 1}, hoy + " !3D6 = ( 1 + 2 + 6 ) = 9"},
        {"3D6", {2, 6, 1}, hoy + " 3D6 = ( 2 + 6 + 1 ) = 9"},
        {"$EC,x", {1}, "echo x"},  // plug-ins without the sound
        // "ァ" is 0x83 0x40: its trail byte is not the sound mark.
        {"$EC,\x83\x40", {1}, "echo \x83\x40"},
        {"3D0", {}, hoy + " " + error + "3D0)"},
        {"+4,3D6", {}, hoy + " " + error + "+4,3D6)"},
        {"2D6/0", {}, hoy + " " + error + "2D6/0)"},
        {"$EC,", {}, hoy + " " + error + "$EC,)"},
        {"#", {}, hoy + " " + error + "#)"},
        {Sjis("３D6"), {}, hoy + " " + error + Sjis("３D6") + ")"},  // not a digit
    };
    for (const auto& c : cases) {
        for (std::uint32_t d : c.dice)
            rng.Dice({d});
        EXPECT_EQ(Roll(c.typed), c.sent) << c.typed;
        EXPECT_EQ(session.chats.back().type, DiceRoll);
        EXPECT_EQ(session.chats.back().color, 0x123456);
        EXPECT_EQ(rng.Left(), 0u) << c.typed;
    }
    EXPECT_TRUE(session.lines.empty());
}

TEST_F(DiceRollerTest, HiddenRollShowsResultLocallyAndSendsOnlyTheRattle) {
    host.shift = true;
    rng.Dice({4, 1});
    host.Type("2D6");
    roller.OnRollDice();
    EXPECT_EQ(session.lines,
              (std::vector<SentLine>{{"GM", "2D6 = ( 4 + 1 ) = 5", 0x123456, ScreenDice}}));
    EXPECT_EQ(session.chats,
              (std::vector<SentLine>{{"GM", Sjis("(ころころ……)"), 0x123456, ScreenDice}}));
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
    rng.Dice({1});
    EXPECT_EQ(Roll("1D6"), "rattle 1D6 = ( 1 ) = 1");
    rng.Dice({1});
    EXPECT_EQ(Roll("1D6@clack"), "clack 1D6 = ( 1 ) = 1");  // "@word" names the sound
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

TEST_F(DiceRollerTest, HistoryKeepsTypedExpressionsAndCardDrawsOnce) {
    host.entries = {"3D6"};
    rng.Dice({1, 1, 1, 1, 1, 1, 1, 1, 1});
    Roll("3D6");           // typed, but already an entry
    Roll(" 2d6 @ bang ");  // stored as typed, trimmed
    Roll("3D");            // errors never enter the history
    Roll("$TIMER,30,60");  // nor do commands other than $CARD
    host.Type("$CARD");
    roller.OnRollDice();
    EXPECT_EQ(host.entries, (std::vector<std::string>{"3D6", "2d6 @ bang", "$CARD"}));
    EXPECT_EQ(host.selected, 2);
    host.entries.push_back("1D6 ");  // not byte-equal
    Roll("1D6");
    EXPECT_EQ(host.entries.back(), "1D6");
    // A picked entry never adds.
    host.selected = 0;
    const auto before = host.entries;
    roller.OnRollDice();
    EXPECT_EQ(host.entries, before);
    EXPECT_EQ(rng.Left(), 0u);
}

TEST_F(DiceRollerTest, CardDrawsAndTimerCommands) {
    host.Type("$CARDS please");
    roller.OnRollDice();
    host.shift = true;
    host.Type("$CARD");
    roller.OnRollDice();
    host.shift = false;
    EXPECT_EQ(host.draws, (std::vector<bool>{true, false}));

    host.Type("$TIMER,1h,10m");
    roller.OnRollDice();
    EXPECT_EQ(host.countdowns, (std::vector<std::pair<std::int32_t, std::int32_t>>{{3600, 600}}));
    host.remainingMs = 1000;
    host.Type("$TIMER");
    roller.OnRollDice();
    EXPECT_EQ(host.cancels, 1);
    EXPECT_TRUE(session.chats.empty());
    // Refused starts and the bare word without a running timer are errors.
    host.remainingMs = 0;
    EXPECT_EQ(Roll("$TIMER"), hoy + " " + Sjis("ダイス書式エラー($TIMER)"));
    EXPECT_EQ(Roll("$TIMER,30,60"), hoy + " " + Sjis("ダイス書式エラー($TIMER,30,60)"));
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
    EXPECT_TRUE(host.entries.empty() && host.countdowns.empty() && host.draws.empty());
    EXPECT_TRUE(session.chats.empty());
}

TEST_F(DiceRollerTest, TemplatesJudgeAtTheBoundary) {
    using C = TemplateCriterion;
    const struct {
        TemplateEntry entry;
        int bonus;
        std::vector<std::uint32_t> dice;
        const char* sent;
    } cases[] = {
        {{Sjis("回避"), "2D6", 10, C::RollUnder}, 2, {4, 5}, "〈回避/10+2〉2D6=(4+5)=9 -> 3成功"},
        {{Sjis("命中"), "2D6", 8, C::RollOver}, 0, {3, 5}, "〈命中/8〉2D6=(3+5)=8 -> 0失敗"},
        {{Sjis("攻撃"), "2D6+3", 0, C::Other}, 0, {1, 6}, "[攻撃] 2D6+3=(1+6)+3=10"},
        // Goal 7 - 3 = 4 in each case.
        {{"u", "2D6", 7, C::RollUnder}, -3, {2, 2}, "〈u/7-3〉2D6=(2+2)=4 -> 0成功"},
        {{"o", "2D6", 7, C::RollOver}, -3, {2, 2}, "〈o/7-3〉2D6=(2+2)=4 -> 0失敗"},
        {{"o", "2D6", 7, C::RollOver}, -3, {2, 3}, "〈o/7-3〉2D6=(2+3)=5 -> 1成功"},
        {{"u", "2D6", 7, C::RollUnder}, -3, {1, 2}, "〈u/7-3〉2D6=(1+2)=3 -> 1成功"},
    };
    for (const auto& c : cases) {
        for (std::uint32_t d : c.dice)
            rng.Dice({d});
        EXPECT_TRUE(roller.RollTemplate(c.entry, c.bonus));
        EXPECT_EQ(session.chats.back(), (SentLine{"GM", Sjis(c.sent), 0x123456, DiceRoll}));
    }
}

TEST_F(DiceRollerTest, TemplatePluginBonusHiddenAndRefusedFormulas) {
    rng.Draw(0);
    EXPECT_TRUE(roller.RollTemplateFromPane({"p", "$EC,5,8", 0, TemplateCriterion::Plugin}, -3));
    EXPECT_EQ(session.chats.at(0).text, "[p] echo 5,8,-3");
    host.shift = true;
    rng.Dice({6});
    EXPECT_TRUE(roller.RollTemplateFromPane({"h", "1D6", 3, TemplateCriterion::RollUnder}, 1));
    EXPECT_EQ(session.lines.at(0).text, Sjis("〈h/3+1〉1D6=(6)=6 -> 2失敗"));
    EXPECT_EQ(session.chats.back().text, Sjis("(ころころ……)"));
    // Keep rolls and unknown formulas are not sent at all.
    rng.Dice({1, 2});
    EXPECT_FALSE(roller.RollTemplate({"k", "+1,2D6", 5, TemplateCriterion::RollUnder}, 0));
    EXPECT_FALSE(roller.RollTemplate({"x", "$GONE,1", 0, TemplateCriterion::Plugin}, 0));
    EXPECT_EQ(session.chats.size(), 2u);
}

}  // namespace
}  // namespace yarrow::test
