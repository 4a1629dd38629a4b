#pragma once
// Fakes for the dice tests: a generator that hands out scripted dice and a
// chat view that records what the roller asked of it.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "dice/IDiceHost.h"
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

struct SentLine {
    std::string name;
    std::string text;
    std::int32_t color = 0;
    std::int32_t type = 0;
    bool operator==(const SentLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const SentLine& l) {
    return os << "{" << l.name << ", " << l.text << ", " << l.color << ", " << l.type << "}";
}

class FakeDiceHost final : public IDiceHost {
  public:
    std::string SpeakerName() override { return speaker; }
    std::int32_t MyColor() override { return color; }
    bool IsConnected() override { return connected; }
    bool IsShiftDown() override { return shift; }
    bool SendChat(const std::string& name, const std::string& text, std::int32_t c,
                  std::int32_t type) override {
        sent.push_back({name, text, c, type});
        return connected;
    }
    bool SendText(const std::string& text, std::int32_t type) override {
        sentTexts.push_back({"", text, 0, type});
        return connected;
    }
    void AppendChatLine(const std::string& name, const std::string& text, std::int32_t c,
                        std::int32_t type) override {
        shown.push_back({name, text, c, type});
    }
    bool BeginCountdown(std::int32_t total, std::int32_t interval) override {
        countdowns.push_back({total, interval});
        return total > 0 && interval > 0 && interval <= total;
    }
    void CancelCountdown() override { ++cancels; }
    std::int32_t CountdownRemainingMs() override { return remainingMs; }
    void DrawCard(bool open) override { draws.push_back(open); }
    std::string ExpressionText() override {
        return selected >= 0 ? entries[static_cast<std::size_t>(selected)] : typed;
    }
    bool IsExpressionPicked() override { return selected >= 0; }
    std::vector<std::string> ExpressionEntries() override { return entries; }
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

    std::string speaker = "GM";
    std::int32_t color = 0x123456;
    bool connected = true;
    bool shift = false;
    std::int32_t remainingMs = 0;
    std::string typed;
    int selected = -1;
    std::vector<std::string> entries;

    std::vector<SentLine> sent;
    std::vector<SentLine> sentTexts;
    std::vector<SentLine> shown;
    std::vector<std::pair<std::int32_t, std::int32_t>> countdowns;
    int cancels = 0;
    std::vector<bool> draws;
};

}  // namespace yarrow::test
