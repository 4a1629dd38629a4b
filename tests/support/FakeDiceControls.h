#pragma once
// The chat view's dice controls as the roller sees them: the expression box
// with its history, Shift, the countdown (which accepts what the real one
// accepts) and the card draw, recording what the roller asked of them. For
// the dice tests and the roller's fuzz target.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dice/IDiceControls.h"

namespace yarrow::test {

class FakeDiceControls final : public IDiceControls {
  public:
    bool IsShiftDown() const override { return shift; }
    bool BeginCountdown(std::int32_t total, std::int32_t interval) override {
        countdowns.push_back({total, interval});
        return total > 0 && interval > 0 && interval <= total;
    }
    void CancelCountdown() override { ++cancels; }
    std::int32_t CountdownRemainingMs() const override { return remainingMs; }
    void DrawCard(bool open) override { draws.push_back(open); }
    std::string ExpressionText() const override {
        return selected >= 0 ? entries[static_cast<std::size_t>(selected)] : typed;
    }
    bool IsExpressionPicked() const override { return selected >= 0; }
    std::vector<std::string> ExpressionEntries() const override { return entries; }
    void AddExpressionEntry(const std::string& text) override {
        entries.push_back(text);
        selected = static_cast<int>(entries.size()) - 1;
    }
    void SelectExpressionEntry(int index) override { selected = index; }
    void Type(const std::string& text) {
        typed = text;
        selected = -1;
    }

    bool shift = false;
    std::int32_t remainingMs = 0;
    std::string typed;
    int selected = -1;
    std::vector<std::string> entries;
    std::vector<std::pair<std::int32_t, std::int32_t>> countdowns;
    int cancels = 0;
    std::vector<bool> draws;
};

}  // namespace yarrow::test
