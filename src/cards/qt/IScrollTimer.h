#pragma once
// The timer a pile list scrolls with while something is dragged over its
// edge. The list runs on a QTimer; tests hand it one they fire themselves.

#include <functional>

namespace yarrow {

class IScrollTimer {
  public:
    virtual ~IScrollTimer() = default;
    // Calls `tick` after `ms` and then every `ms`, until stopped or started
    // again.
    virtual void Start(int ms, std::function<void()> tick) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

}  // namespace yarrow
