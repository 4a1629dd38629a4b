// The roller as the chat view drives it: what each typed expression sends
// (sums, keeps, tables, plug-ins, their bounds and format errors), hidden
// rolls, sounds, the history, cards, timers and templates.

#include <gtest/gtest.h>

#include <deque>

#include "dice/CDiceRoller.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "support/FakeDiceControls.h"
#include "support/FakeSession.h"
#include "support/ScriptedRandom.h"

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
    DiceRollerTest() {
        session.myColor = 0x123456;
        TempDir::Write(dir.File("Chart.ini"),
                       Sjis("[命中表]\r\nUseDice=2D6\r\n7=命中\r\n12=クリティカル\r\nMin=2\r\n"
                            "Max=12\r\nMaxResult=自動成功\r\n"
                            "[Ops]\r\nUseDice=2D6*3\r\n9=nine\r\n4=four\r\n"
                            "[Minus]\r\nUseDice=2D6-1\r\n3=three\r\n"
                            "[Open]\r\nUseDice=1D6\r\nMin=\r\nMinResult=low\r\nMax=\r\n"
                            "MaxResult=high\r\n"
                            "[NoMax]\r\nUseDice=1D6\r\n1=one\r\nMaxResult=above\r\n"
                            "[Below]\r\nUseDice=1D6\r\nMin=3\r\nMinResult=below\r\n5=five\r\n"
                            "[Bound]\r\nUseDice=1D6\r\nMin=3\r\nMinResult=below\r\nMax=4\r\n"
                            "MaxResult=above\r\n"
                            "[Bad]\r\nUseDice=2D0\r\n[Huge]\r\nUseDice=5000D6\r\n"
                            "[Empty]\r\nUseDice=\r\n"
                            // "ゾ" ends in the byte of "]": the header still names the table.
                            "[ゾンビ表]\r\nUseDice=1D6\r\n2=噛まれた\r\n"));
    }
    std::string Roll(const std::string& typed) {
        host.Type(typed);
        roller.OnRollDice();
        return session.chats.empty() ? std::string() : session.chats.back().text;
    }
    TempDir dir;
    FakeSession session;
    FakeDiceControls host;
    ScriptedRandom rng;
    EchoPlugins plugins;
    CDiceRoller roller{session, session, host, rng, dir.File("Chart.ini"), &plugins};
    const std::string hoy = Sjis("ころころ……");
};

TEST_F(DiceRollerTest, EachExpressionSendsItsResultOrAFormatError) {
    const auto sent = [&](const std::string& utf8) { return hoy + " " + Sjis(utf8); };
    const auto error = [&](const std::string& typed) {
        return hoy + " " + Sjis("ダイス書式エラー(") + typed + ")";
    };
    const auto noResult = [&](const char* name, const char* value) {
        return sent(std::string("エラー：[") + name + "]に出目\"" + value +
                    "\"に対する結果がありません");
    };
    const struct {
        std::string typed;
        std::vector<std::uint32_t> dice;
        std::string sent;
    } cases[] = {
        // Sums: spaces go, "!" sorts, the operand follows the dice.
        {"  2D6 ", {3, 5}, sent("2D6 = ( 3 + 5 ) = 8")},
        {"!3 D 6", {2, 6, 1}, sent("!3D6 = ( 1 + 2 + 6 ) = 9")},
        {"!2D6*2", {5, 2}, sent("2D6*2 = ( 2 + 5 )*2 = 14")},  // "!" only when additive
        {"2D6/2", {3, 4}, sent("2D6/2 = ( 3 + 4 )/2 = 3.5")},
        {"2D6-7/3", {1, 1}, sent("2D6-7 = ( 1 + 1 )-7 = -5")},  // operand after "-" only
        {"0D6", {}, sent("0D6 = (  = 0")},
        {"02d6+", {1, 1}, sent("2D6 = ( 1 + 1 ) = 2")},
        {"1D100+0", {50}, sent("1D100 = ( 50 ) = 50")},
        {"3D6+2x", {1, 1, 1}, sent("3D6+2 = ( 1 + 1 + 1 )+2 = 5")},
        // Keeps.
        {"+2,4D6", {5, 2, 6, 3}, sent("+2,4D6 = (2,3,5,6) -> (6+5) = 11")},
        {"-1,2D6", {4, 2}, sent("-1,2D6 = (2,4) -> (2) = 2")},
        {"+2,3D6+1", {1, 4, 6}, sent("+2,3D6 = (1,4,6) -> (6+4)+1 = 11")},
        {"-2,3D6-1", {1, 4, 6}, sent("-2,3D6 = (1,4,6) -> (1+4)-1 = 4")},
        {"+1,2D6+", {3, 5}, sent("+1,2D6 = (3,5) -> (5)+0 = 5")},
        {"+2,2D6*3", {3, 5}, sent("+2,2D6 = (3,5) -> (5+3)*3 = 24")},
        {"-2,3D6/4", {6, 1, 2}, sent("-2,3D6 = (1,2,6) -> (1+2)/4 = 0.8")},
        // Tables: the modifier shows but is not part of the total; operands
        // of UseDice are added ("*" too); a modifier without digits is 0;
        // names match without case and show as typed.
        {Sjis("#命中表"), {3, 4}, sent("(命中表:7)命中")},
        {Sjis("#命中表,+5"), {6, 6}, sent("(命中表:12+5)自動成功")},
        {Sjis("#命中表"), {1, 2}, noResult("命中表", "3")},
        {"#Ops", {3, 3}, sent("(Ops:9)nine")},
        {"#Minus", {2, 2}, sent("(Minus:3)three")},
        {"#Ops,x", {3, 3}, sent("(Ops:9+0)nine")},
        {"#Ops,-8", {3, 3}, noResult("Ops", "1")},
        // Min and Max present but empty: neither result is used. Without
        // Max, values above 0 take MaxResult; below Min takes MinResult.
        {"#Open", {4}, noResult("Open", "4")},
        {"#NoMax", {5}, sent("(NoMax:5)above")},
        {"#nomax", {1}, sent("(nomax:1)one")},
        {"#NoMax,-5", {1}, noResult("NoMax", "-4")},
        {"#Below", {2}, sent("(Below:2)below")},
        {"#Below", {5}, sent("(Below:5)five")},
        {"#Below", {4}, noResult("Below", "4")},
        {"#Bound", {3}, noResult("Bound", "3")},  // Min and Max themselves are no bounds
        {"#Bound", {4}, noResult("Bound", "4")},
        {Sjis("#ゾンビ表"), {2}, sent("(ゾンビ表:2)噛まれた")},
        // Plug-ins go without the sound; "ァ" (83 40) is not the sound mark.
        {"$EC,x", {1}, "echo x"},
        {"$EC,\x83\x40", {1}, "echo \x83\x40"},
    };
    for (const auto& c : cases) {
        for (std::uint32_t d : c.dice)
            rng.Dice({d});
        EXPECT_EQ(Roll(c.typed), c.sent) << c.typed;
        EXPECT_EQ(session.chats.back().type, DiceRoll);
        EXPECT_EQ(session.chats.back().color, 0x123456);
        EXPECT_EQ(rng.Left(), 0u) << c.typed;
    }
    // Format errors, bounds and digit runs that would wrap in 32 bits.
    for (const std::string& bad : std::vector<std::string>{
             "3",       "3x6",       "3D",          "3D0",          "2D6/0",        "2D6/",
             "1001D6",  "1D1000001", "1D6*1000001", "4294967299D6", "1D4294967302", "!",
             "@",       "#",         "$EC,",        "#Missing",     "#Bad",         "#Huge",
             "#Empty",  "+0,3D6",    "+4,3D6",      "+2",           "+2,3D",        "+x,3D6",
             "+-1,3D6", "+1,3D6/0",  "+1,D6",       Sjis("３D6") /* not a digit */})
        EXPECT_EQ(Roll(bad), error(bad));
    // The largest term, and a product beyond 32 bits: a format error.
    std::string ones = "1";
    for (int i = 0; i < 1000; ++i)
        rng.Dice({1});
    for (int i = 1; i < 1000; ++i)
        ones += " + 1";
    EXPECT_EQ(Roll("1000D1000000+1000000"),
              sent("1000D1000000+1000000 = ( " + ones + " )+1000000 = 1001000"));
    for (int i = 0; i < 1000; ++i)
        rng.Dice({1000000});
    EXPECT_EQ(Roll("1000D1000000*1000000"), error("1000D1000000*1000000"));
    EXPECT_TRUE(session.lines.empty());
    // A missing chart file has no tables.
    CDiceRoller noChart(session, session, host, rng, dir.File("None.ini"), nullptr);
    host.Type("#Ops");
    noChart.OnRollDice();
    EXPECT_EQ(session.chats.back().text, error("#Ops"));
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
    // Random on: the pick comes after the dice; with an empty list the
    // fixed sound.
    settings.IsDiceHoyRandom = true;
    roller.SetSoundSettings(settings);
    rng.Dice({3}).Draw(2);
    EXPECT_EQ(Roll("1D6"), "c 1D6 = ( 3 ) = 3");
    settings.RandomDiceHoy.clear();
    roller.SetSoundSettings(settings);
    rng.Dice({1});
    EXPECT_EQ(Roll("1D6@"), "rattle 1D6 = ( 1 ) = 1");
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

    // Each start asks the countdown for its seconds; what it refuses and
    // what does not parse is a format error.
    const struct {
        const char* typed;
        std::int32_t duration, interval;  // 0, 0: not started
        bool error;
    } timers[] = {
        {"$TIMER,5m", 300, 1, false},
        {"$TIMER,1h,10m", 3600, 600, false},
        {"$TIMER,90", 90, 1, false},
        {"$TIMER, 2H , 30s", 7200, 30, false},
        {"$TIMER,30,60", 30, 60, true},
        {"$TIMER,10m,\t1m", 600, 60, false},  // a tab before the interval keeps its unit
        {"$TIMER,\t10m,1m", 600, 60, false},
        {"$TIMER", 0, 1, true},
        {"$TIMER,", 0, 0, true},
        {"$TIMER,0", 0, 0, true},
        {"$timer,30", 0, 0, true},
        {"$TIMER,10,0", 0, 0, true},
        {"$TIMER,99999999999", 0, 0, true},
        {"$TIMER,600000h", 0, 0, true},
    };
    for (const auto& t : timers) {
        session.chats.clear();
        host.countdowns.clear();
        host.Type(t.typed);
        roller.OnRollDice();
        using Countdowns = std::vector<std::pair<std::int32_t, std::int32_t>>;
        const Countdowns expected =
            t.duration || t.interval ? Countdowns{{t.duration, t.interval}} : Countdowns{};
        EXPECT_EQ(host.countdowns, expected) << t.typed;
        EXPECT_EQ(session.chats.size(), t.error ? 1u : 0u) << t.typed;
    }
    // The bare word cancels a running countdown.
    host.remainingMs = 1000;
    host.Type("$TIMER");
    roller.OnRollDice();
    EXPECT_EQ(host.cancels, 1);
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
        const char* sent;  // null: not rolled
    } cases[] = {
        {{Sjis("回避"), "2D6", 10, C::RollUnder}, 2, {4, 5}, "〈回避/10+2〉2D6=(4+5)=9 -> 3成功"},
        {{Sjis("命中"), "2D6", 8, C::RollOver}, 0, {3, 5}, "〈命中/8〉2D6=(3+5)=8 -> 0失敗"},
        {{Sjis("攻撃"), "2D6+3", 0, C::Other}, 0, {1, 6}, "[攻撃] 2D6+3=(1+6)+3=10"},
        {{"h", "2D6/2", 3, C::RollUnder}, 0, {3, 4}, "〈h/3〉2D6/2=(3+4)/2=3.5 -> 0成功"},
        // Goal 7 - 3 = 4 in each case.
        {{"u", "2D6", 7, C::RollUnder}, -3, {2, 2}, "〈u/7-3〉2D6=(2+2)=4 -> 0成功"},
        {{"o", "2D6", 7, C::RollOver}, -3, {2, 2}, "〈o/7-3〉2D6=(2+2)=4 -> 0失敗"},
        {{"o", "2D6", 7, C::RollOver}, -3, {2, 3}, "〈o/7-3〉2D6=(2+3)=5 -> 1成功"},
        {{"u", "2D6", 7, C::RollUnder}, -3, {1, 2}, "〈u/7-3〉2D6=(1+2)=3 -> 1成功"},
        // Keep rolls and unknown formulas are not sent at all.
        {{"k", "+1,2D6", 5, C::RollUnder}, 0, {1, 2}, nullptr},
        {{"x", "$GONE,1", 0, C::Plugin}, 0, {}, nullptr},
    };
    for (const auto& c : cases) {
        for (std::uint32_t d : c.dice)
            rng.Dice({d});
        session.chats.clear();
        EXPECT_EQ(roller.RollTemplate(c.entry, c.bonus), c.sent != nullptr) << c.entry.name;
        if (c.sent)
            EXPECT_EQ(session.chats.back(), (SentLine{"GM", Sjis(c.sent), 0x123456, DiceRoll}));
        else
            EXPECT_TRUE(session.chats.empty());
    }
    // From the pane a plug-in formula carries the bonus; Shift hides.
    rng.Draw(0);
    EXPECT_TRUE(roller.RollTemplateFromPane({"p", "$EC,5,8", 0, TemplateCriterion::Plugin}, -3));
    EXPECT_EQ(session.chats.back().text, "[p] echo 5,8,-3");
    host.shift = true;
    rng.Dice({6});
    EXPECT_TRUE(roller.RollTemplateFromPane({"h", "1D6", 3, TemplateCriterion::RollUnder}, 1));
    EXPECT_EQ(session.lines.at(0).text, Sjis("〈h/3+1〉1D6=(6)=6 -> 2失敗"));
    EXPECT_EQ(session.chats.back().text, Sjis("(ころころ……)"));
}

}  // namespace
}  // namespace yarrow::test
