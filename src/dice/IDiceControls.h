#pragma once
// What the roller reads and drives besides the connection and the log: the
// chat view's expression box with its history, the Shift key, the countdown
// that "$TIMER" starts and the card draw that "$CARD" asks for. Texts are
// code page 932 bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace yarrow {

class IDiceControls {
  public:
    virtual ~IDiceControls() = default;

    // Whether Shift is held right now (a hidden roll).
    virtual bool IsShiftDown() const = 0;

    // The countdown: start (false when refused), cancel (stops it and
    // announces the cancel), and its remaining time in milliseconds.
    virtual bool BeginCountdown(std::int32_t totalSeconds, std::int32_t intervalSeconds) = 0;
    virtual void CancelCountdown() = 0;
    virtual std::int32_t CountdownRemainingMs() const = 0;

    // Draws a card: open, or hidden when `open` is false.
    virtual void DrawCard(bool open) = 0;

    // The expression box: its text, whether the text is a picked entry (an
    // entry is selected) rather than typed, its entries, appending an entry
    // and selecting it, and selecting entry n.
    virtual std::string ExpressionText() const = 0;
    virtual bool IsExpressionPicked() const = 0;
    virtual std::vector<std::string> ExpressionEntries() const = 0;
    virtual void AddExpressionEntry(const std::string& text) = 0;
    virtual void SelectExpressionEntry(int index) = 0;
};

}  // namespace yarrow
