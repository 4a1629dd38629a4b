#pragma once
// Wall-clock time, injected so that file names, seeds and call times are
// deterministic in tests.

#include <ctime>

namespace yarrow {

class IClock {
  public:
    virtual ~IClock() = default;
    // Seconds since 1970.
    virtual std::time_t Now() const = 0;
};

class CSystemClock final : public IClock {
  public:
    std::time_t Now() const override { return std::time(nullptr); }
};

}  // namespace yarrow
