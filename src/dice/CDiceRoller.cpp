#include "dice/CDiceRoller.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "dice/DiceRolls.h"
#include "dice/TimerCommand.h"
#include "net/DispatchTargets.h"
#include "net/ISessionPort.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/SjisText.h"

namespace yarrow {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string WithoutSpaces(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

const std::string& HiddenRollText() {
    static const std::string text = Sjis("(ころころ……)");
    return text;
}

}  // namespace

CDiceRoller::CDiceRoller(ISessionPort& session, IChatLogTarget& log, IDiceControls& controls,
                         IRandomSource& rng, std::string chartPath, IPluginRoller* plugins)
    : session_(session),
      log_(log),
      controls_(controls),
      rng_(rng),
      table_(std::move(chartPath)),
      plugins_(plugins) {
    sound_.DiceHoy = Sjis("ころころ……");
}

std::string CDiceRoller::RandomSound() {
    const auto& list = sound_.RandomDiceHoy;
    return list[rng_.RandomNext() % static_cast<std::uint32_t>(list.size())];
}

DiceKind CDiceRoller::RollExpression(const std::string& expression, std::string& result,
                                     std::string& sound, std::int32_t& total) {
    return Evaluate(expression, result, sound, total, true);
}

bool CDiceRoller::CheckDiceFormat(const std::string& text, DiceKind expected) {
    std::string result, sound;
    std::int32_t total = 0;
    if (expected == DiceKind::PluginRoll)
        return plugins_ && plugins_->RollPlugin(text, result, rng_);
    const DiceKind kind = Evaluate(text, result, sound, total, false);
    return expected == DiceKind::FormatError ? kind != DiceKind::FormatError : kind == expected;
}

DiceKind CDiceRoller::Evaluate(const std::string& expression, std::string& result,
                               std::string& sound, std::int32_t& total, bool withEffects) {
    const std::string& history = expression;
    std::string text = expression;
    bool sorted = false;
    if (!text.empty() && text[0] == '!') {
        text.erase(0, 1);
        if (text.empty() || !IsDigit(text[0]))
            return DiceKind::FormatError;
        sorted = true;
    }
    sound.clear();
    // A two-byte character may end in '@' (0x40): only a whole '@' names the sound.
    if (const std::size_t at = SjisFind(text, '@'); at != std::string::npos) {
        sound = text.substr(at + 1);
        text.erase(at);
        if (sound.empty() && !sound_.RandomDiceHoy.empty())
            sound = RandomSound();
    }
    text = WithoutSpaces(std::move(text));
    const DiceKind kind = Dispatch(text, sorted, result, total, withEffects);

    const bool remembered = kind == DiceKind::SumRoll || kind == DiceKind::KeepRoll ||
                            kind == DiceKind::TableRoll || kind == DiceKind::CardDraw ||
                            kind == DiceKind::PluginRoll;
    if (withEffects && remembered && !controls_.IsExpressionPicked()) {
        const auto entries = controls_.ExpressionEntries();
        if (std::find(entries.begin(), entries.end(), history) == entries.end())
            controls_.AddExpressionEntry(history);
    }
    return kind;
}

DiceKind CDiceRoller::Dispatch(const std::string& text, bool sorted, std::string& result,
                               std::int32_t& total, bool withEffects) {
    if (text.empty())
        return DiceKind::FormatError;
    const char first = text[0];
    if (IsDigit(first))
        return RollSum(text, rng_, sorted, result, total) ? DiceKind::SumRoll
                                                          : DiceKind::FormatError;
    if (first == '+' || first == '-')
        return RollKeep(text, rng_, result) ? DiceKind::KeepRoll : DiceKind::FormatError;
    if (first == '#')
        return table_.RollTable(text, result, total, rng_) ? DiceKind::TableRoll
                                                           : DiceKind::FormatError;
    if (text.compare(0, 5, "$CARD") == 0)
        return DiceKind::CardDraw;
    if (plugins_ && plugins_->RollPlugin(text, result, rng_))
        return DiceKind::PluginRoll;

    std::int32_t duration = 0, interval = 0;
    switch (ParseTimerCommand(text, controls_.CountdownRemainingMs(), duration, interval)) {
        case TimerCommand::Start:
            if (!withEffects)  // what the countdown would refuse
                return duration >= 1 && interval >= 1 && interval <= duration
                           ? DiceKind::TimerCommand
                           : DiceKind::FormatError;
            return controls_.BeginCountdown(duration, interval) ? DiceKind::TimerCommand
                                                                : DiceKind::FormatError;
        case TimerCommand::Cancel:
            if (withEffects)
                controls_.CancelCountdown();
            return DiceKind::TimerCommand;
        case TimerCommand::Invalid:
            break;
    }
    return DiceKind::FormatError;
}

void CDiceRoller::SendHiddenRoll(const std::string& result) {
    const std::string name = session_.SpeakerName();
    const std::int32_t color = session_.MyColor();
    log_.AppendChatLine(name, result, color, ScreenDice);
    if (session_.IsConnected())
        session_.SendChat(name, HiddenRollText(), color, ScreenDice);
}

void CDiceRoller::OnRollDice() {
    const bool hidden = controls_.IsShiftDown();
    const std::string text(TrimBlanks(controls_.ExpressionText()));
    std::string result, sound;
    std::int32_t total = 0;
    const DiceKind kind = RollExpression(text, result, sound, total);
    switch (kind) {
        case DiceKind::FormatError: {
            static const std::string head = Sjis("ダイス書式エラー(");
            result = head + text + ")";
            break;
        }
        case DiceKind::CardDraw:
            controls_.DrawCard(!hidden);
            return;
        case DiceKind::TimerCommand:
            return;
        default:
            break;
    }
    if (hidden) {
        SendHiddenRoll(result);
        return;
    }
    if (sound.empty()) {
        sound = sound_.IsDiceHoyRandom && !sound_.RandomDiceHoy.empty() ? RandomSound()
                                                                        : sound_.DiceHoy;
    }
    const std::string message = kind == DiceKind::PluginRoll ? result : sound + " " + result;
    session_.SendChat(session_.SpeakerName(), message, session_.MyColor(), DiceRoll);
}

bool CDiceRoller::RollTemplate(const TemplateEntry& entry, std::int32_t bonus) {
    std::string result, sound;
    std::int32_t total = 0;
    const DiceKind kind = RollExpression(entry.formula, result, sound, total);
    std::string text;
    if (kind == DiceKind::SumRoll) {
        result = WithoutSpaces(std::move(result));
        if (entry.criterion == TemplateCriterion::RollUnder ||
            entry.criterion == TemplateCriterion::RollOver) {
            const std::int64_t goal = static_cast<std::int64_t>(entry.target) + bonus;
            const std::int64_t margin = std::llabs(goal - total);
            const bool success =
                entry.criterion == TemplateCriterion::RollUnder ? total <= goal : total > goal;
            static const std::string open = Sjis("〈");
            static const std::string close = Sjis("〉");
            static const std::string good = Sjis("成功");
            static const std::string bad = Sjis("失敗");
            char bonusText[16] = "";
            if (bonus != 0)
                std::snprintf(bonusText, sizeof bonusText, "%+d", bonus);
            text = open + entry.name + "/" + std::to_string(entry.target) + bonusText + close +
                   result + " -> " + std::to_string(margin) + (success ? good : bad);
        } else {
            text = "[" + entry.name + "] " + result;
        }
    } else if (kind == DiceKind::PluginRoll) {
        text = "[" + entry.name + "] " + result;
    } else {
        return false;
    }
    if (controls_.IsShiftDown())
        SendHiddenRoll(text);
    else
        session_.SendChat(session_.SpeakerName(), text, session_.MyColor(), DiceRoll);
    return true;
}

bool CDiceRoller::RollTemplateFromPane(const TemplateEntry& entry, std::int32_t bonus) {
    TemplateEntry copy = entry;
    if (copy.criterion == TemplateCriterion::Plugin)
        copy.formula += "," + std::to_string(bonus);
    return RollTemplate(copy, bonus);
}

}  // namespace yarrow
