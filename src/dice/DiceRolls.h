#pragma once
// Sum rolls ("3D6+1") and keep rolls ("+2,4D6"): the texts the roller sends.

#include <cstdint>
#include <string>
#include <string_view>

#include "dice/IRandomSource.h"

namespace yarrow {

// A sum roll of a text that begins with a digit and has no spaces. `sorted`
// is the "!" display: dice listed ascending, "!" in front of the head (but not
// for "*" and "/"). False for a bad term, faces below 1, a divisor of 0 or a
// value that leaves 32 bits; `result` and `total` are then untouched.
bool RollSum(std::string_view text, IRandomSource& rng, bool sorted, std::string& result,
             std::int32_t& total);

// A keep roll: "+K,term" keeps the K highest dice, "-K,term" the K lowest.
bool RollKeep(std::string_view text, IRandomSource& rng, std::string& result);

}  // namespace yarrow
