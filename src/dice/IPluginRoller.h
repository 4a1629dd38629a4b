#pragma once
// What the roller needs of the plug-in registry: hand over an expression that
// begins with some plug-in's tag. Tests put a fake in its place.

#include <string>

#include "dice/IRandomSource.h"

namespace yarrow {

class IPluginRoller {
  public:
    virtual ~IPluginRoller() = default;
    // True when a plug-in's tag begins `expression` and that plug-in rolled
    // it into `result` (drawing from `rng`); `result` is untouched otherwise.
    virtual bool RollPlugin(const std::string& expression, std::string& result,
                            IRandomSource& rng) = 0;
};

}  // namespace yarrow
