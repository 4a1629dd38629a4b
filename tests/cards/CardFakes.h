#pragma once
// Fakes for the card window's tests: a scripted generator and a scroll timer
// the test fires itself.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "cards/qt/IScrollTimer.h"
#include "dice/IRandomSource.h"

namespace yarrow::test {

class FixedRandom final : public IRandomSource {
  public:
    void RandomSeed(std::uint32_t) override {}
    std::uint32_t RandomNext() override {
        if (draws.empty())
            return 0;
        const std::uint32_t v = draws.front();
        draws.pop_front();
        return v;
    }
    std::deque<std::uint32_t> draws;
};

class ManualScrollTimer final : public IScrollTimer {
  public:
    void Start(int ms, std::function<void()> tick) override {
        starts.push_back(ms);
        tick_ = std::move(tick);
        active_ = true;
    }
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    // One period has passed.
    void Fire() {
        if (!active_)
            return;
        const auto tick = tick_;
        tick();
    }
    std::vector<int> starts;

  private:
    std::function<void()> tick_;
    bool active_ = false;
};

}  // namespace yarrow::test
