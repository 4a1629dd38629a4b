#pragma once
// Fakes for the dice tests: a generator that hands out scripted dice and the
// chat view's dice controls.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "dice/IDiceControls.h"
#include "dice/IRandomSource.h"

namespace yarrow::test {

// Scripted draws. Die(d) queues the draw that makes a die show d on any die
// with more than d-1 faces (the die is draw % faces + 1).
class ScriptedRandom final : public IRandomSource {
  public:
    ScriptedRandom& Draw(std::uint32_t value) {
        draws_.push_back(value);
        return *this;
    }
    ScriptedRandom& Dice(std::initializer_list<std::uint32_t> dice) {
        for (std::uint32_t d : dice)
            draws_.push_back(d - 1);
        return *this;
    }
    void RandomSeed(std::uint32_t seed) override { seeds.push_back(seed); }
    std::uint32_t RandomNext() override {
        if (draws_.empty()) {
            ADD_FAILURE() << "more random numbers drawn than scripted";
            return 0;
        }
        const std::uint32_t v = draws_.front();
        draws_.pop_front();
        return v;
    }
    std::size_t Left() const { return draws_.size(); }
    std::vector<std::uint32_t> seeds;

  private:
    std::deque<std::uint32_t> draws_;
};

// The chat view's dice controls: the expression box with its history, Shift,
// the countdown and the card draw, recording what the roller asked of them.
// The session and the log are a test::FakeSession.
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
    // Typing into the box leaves no entry selected.
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
