#pragma once
// What the roller needs from the chat view: who speaks, the connection, the
// send and log operations, the countdown, the card draw and the expression
// box with its history. Texts are code page 932 bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace yarrow {

class IDiceHost {
  public:
    virtual ~IDiceHost() = default;

    virtual std::string SpeakerName() = 0;
    virtual std::int32_t MyColor() = 0;
    virtual bool IsConnected() = 0;
    // Whether Shift is held right now (a hidden roll).
    virtual bool IsShiftDown() = 0;

    // The chat view's send operations; while not connected they show DiceRoll
    // and ScreenDice lines locally and SendText shows its text as a notice.
    virtual bool SendChat(const std::string& name, const std::string& text, std::int32_t color,
                          std::int32_t type) = 0;
    virtual bool SendText(const std::string& text, std::int32_t type) = 0;
    virtual void AppendChatLine(const std::string& name, const std::string& text,
                                std::int32_t color, std::int32_t type) = 0;

    // The countdown: start (false when refused), cancel (stops both timers and
    // announces the cancel), and its remaining time in milliseconds.
    virtual bool BeginCountdown(std::int32_t totalSeconds, std::int32_t intervalSeconds) = 0;
    virtual void CancelCountdown() = 0;
    virtual std::int32_t CountdownRemainingMs() = 0;

    // Draws a card: open, or hidden when `open` is false.
    virtual void DrawCard(bool open) = 0;

    // The expression box: its text, whether the text is a picked entry (an
    // entry is selected) rather than typed, its entries, appending an entry
    // and selecting it, and selecting entry n.
    virtual std::string ExpressionText() = 0;
    virtual bool IsExpressionPicked() = 0;
    virtual std::vector<std::string> ExpressionEntries() = 0;
    virtual void AddExpressionEntry(const std::string& text) = 0;
    virtual void SelectExpressionEntry(int index) = 0;
};

}  // namespace yarrow
