#pragma once
// A generator for tests that hands out scripted draws: Dice({d}) queues the
// draw that makes a die show d on any die with at least d faces (a die is
// draw % faces + 1). Drawing more than was scripted fails the test.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "dice/IRandomSource.h"

namespace yarrow::test {

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

}  // namespace yarrow::test
