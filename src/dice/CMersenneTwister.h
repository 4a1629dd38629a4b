#pragma once
// MT19937 in its 1998 reference form: the 69069 linear seeding and an unseeded
// generator that seeds itself with 4357 on the first draw. Generation and
// tempering are the published ones (the same as std::mt19937), so the stream
// after RandomSeed(4357) begins 3510405877, 4290933890, 2191955339.

#include <array>
#include <cstdint>

#include "dice/IRandomSource.h"

namespace yarrow {

class CMersenneTwister final : public IRandomSource {
  public:
    CMersenneTwister() = default;

    void RandomSeed(std::uint32_t seed) override;
    std::uint32_t RandomNext() override;

    // The one generator of the window's thread: dice, tables, plug-ins, dice
    // sounds and the card window's random gifts draw from it (the hub's deck
    // has its own).
    static CMersenneTwister& Process();

  private:
    static constexpr int kN = 624;
    static constexpr int kUnseeded = kN + 1;
    std::array<std::uint32_t, kN> state_{};
    int index_ = kUnseeded;
};

// The process-wide generator as plain functions (the form the plug-ins'
// callback uses).
void RandomSeed(std::uint32_t seed);
std::uint32_t RandomNext();

}  // namespace yarrow
