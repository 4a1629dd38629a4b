#include "dice/CMersenneTwister.h"

namespace yarrow {
namespace {
constexpr std::uint32_t kMatrixA = 0x9908B0DFu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr int kM = 397;
constexpr std::uint32_t kDefaultSeed = 4357;
}  // namespace

void CMersenneTwister::RandomSeed(std::uint32_t seed) {
    state_[0] = seed;
    for (int i = 1; i < kN; ++i)
        state_[i] = 69069u * state_[i - 1];
    index_ = kN;
}

std::uint32_t CMersenneTwister::RandomNext() {
    static constexpr std::uint32_t mag01[2] = {0u, kMatrixA};
    if (index_ >= kN) {
        if (index_ == kUnseeded)
            RandomSeed(kDefaultSeed);
        int k = 0;
        for (; k < kN - kM; ++k) {
            const std::uint32_t y = (state_[k] & kUpperMask) | (state_[k + 1] & kLowerMask);
            state_[k] = state_[k + kM] ^ (y >> 1) ^ mag01[y & 1u];
        }
        for (; k < kN - 1; ++k) {
            const std::uint32_t y = (state_[k] & kUpperMask) | (state_[k + 1] & kLowerMask);
            state_[k] = state_[k + (kM - kN)] ^ (y >> 1) ^ mag01[y & 1u];
        }
        const std::uint32_t y = (state_[kN - 1] & kUpperMask) | (state_[0] & kLowerMask);
        state_[kN - 1] = state_[kM - 1] ^ (y >> 1) ^ mag01[y & 1u];
        index_ = 0;
    }
    std::uint32_t y = state_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

CMersenneTwister& CMersenneTwister::Process() {
    static CMersenneTwister generator;
    return generator;
}

void RandomSeed(std::uint32_t seed) {
    CMersenneTwister::Process().RandomSeed(seed);
}
std::uint32_t RandomNext() {
    return CMersenneTwister::Process().RandomNext();
}

}  // namespace yarrow
