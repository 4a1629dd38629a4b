#pragma once
// The roll action of the chat view's expression box: evaluates a dice
// expression (sum, keep, table or plug-in roll, or the "$CARD" and "$TIMER"
// commands), builds the result text and sends it, openly with a dice sound or
// hidden (Shift) so that only the roller sees the result. Also rolls dice
// templates and answers the format checks of the option pages.

#include <cstdint>
#include <string>
#include <vector>

#include "dice/CDiceTable.h"
#include "dice/DiceTemplate.h"
#include "dice/IDiceControls.h"
#include "dice/IPluginRoller.h"
#include "dice/IRandomSource.h"

namespace yarrow {

class IChatLogTarget;
class ISessionPort;

enum class DiceKind {
    FormatError = 0,
    SumRoll = 1,
    KeepRoll = 2,
    TableRoll = 3,
    CardDraw = 4,
    TimerCommand = 5,
    PluginRoll = 6,
};

// The dice-sound settings, copied in when the settings load.
struct DiceSoundSettings {
    std::string DiceHoy;  // the fixed sound; "ころころ……" until settings load
    bool IsDiceHoyRandom = false;
    std::vector<std::string> RandomDiceHoy;
};

class CDiceRoller {
  public:
    // `chartPath` is ProgramFolder + "Chart.ini"; `plugins` may be null (no
    // plug-ins). Everything passed in must outlive the roller.
    CDiceRoller(ISessionPort& session, IChatLogTarget& log, IDiceControls& controls,
                IRandomSource& rng, std::string chartPath, IPluginRoller* plugins);

    void SetSoundSettings(DiceSoundSettings settings) { sound_ = std::move(settings); }
    const DiceSoundSettings& SoundSettings() const { return sound_; }

    // The roll action (the "Dice" button, Enter in the expression box,
    // Ctrl+1 .. Ctrl+9 after picking the entry).
    void OnRollDice();

    // Evaluates one expression with all its effects (history entry, timer
    // start or cancel). `total` is written by sum and table rolls only.
    DiceKind RollExpression(const std::string& expression, std::string& result, std::string& sound,
                            std::int32_t& total);
    // Evaluates like RollExpression without any effect (random numbers are
    // spent). Expected FormatError: any valid kind; PluginRoll: a plug-in
    // rolls the text; otherwise the kind must match.
    bool CheckDiceFormat(const std::string& text, DiceKind expected);

    // Rolls a template and sends the judged text (hidden with Shift). False,
    // with nothing sent, when the formula is not a sum or plug-in roll.
    bool RollTemplate(const TemplateEntry& entry, std::int32_t bonus);
    // A double click in the template pane: plug-in templates get ",bonus"
    // appended to their formula, then RollTemplate.
    bool RollTemplateFromPane(const TemplateEntry& entry, std::int32_t bonus);

  private:
    DiceKind Evaluate(const std::string& expression, std::string& result, std::string& sound,
                      std::int32_t& total, bool withEffects);
    DiceKind Dispatch(const std::string& expression, bool sorted, std::string& result,
                      std::int32_t& total, bool withEffects);
    void SendHiddenRoll(const std::string& result);
    std::string RandomSound();

    ISessionPort& session_;
    IChatLogTarget& log_;
    IDiceControls& controls_;
    IRandomSource& rng_;
    CDiceTable table_;
    IPluginRoller* plugins_;
    DiceSoundSettings sound_;
};

}  // namespace yarrow
