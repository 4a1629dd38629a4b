#pragma once
// A clock that stands still: it reads `now` until the test moves it, so time
// stamps, file names and time-outs in the tests come out the same every run.

#include <ctime>

#include "platform/IClock.h"

namespace yarrow::test {

class FixedClock final : public IClock {
  public:
    FixedClock() = default;
    explicit FixedClock(std::time_t at) : now(at) {}
    std::time_t Now() const override { return now; }
    std::time_t now = 0;
};

}  // namespace yarrow::test
