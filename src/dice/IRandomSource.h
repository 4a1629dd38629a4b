#pragma once
// The source of every random number the dice draw. The program runs on one
// process-wide Mersenne Twister (CMersenneTwister::Process()); tests hand the
// roller a scripted source instead so that every die is known in advance.

#include <cstdint>

namespace yarrow {

class IRandomSource {
  public:
    virtual ~IRandomSource() = default;
    virtual void RandomSeed(std::uint32_t seed) = 0;
    virtual std::uint32_t RandomNext() = 0;
};

}  // namespace yarrow
