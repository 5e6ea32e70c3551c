#pragma once

#include <cstdint>

namespace vivori::lighting {

// The engine's random choices (twinkle positions, new key colours). Seedable, so a
// run with the same seed repeats exactly on every platform.
class LightRandom {
  public:
    explicit LightRandom(uint64_t seed = 1) { Seed(seed); }
    // A zero state would stay zero; any seed maps to a non-zero one.
    void Seed(uint64_t seed) { state_ = seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull; }
    // A value in 0 .. bound - 1 (0 for a bound of 0).
    uint32_t Below(uint32_t bound) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const uint64_t value = state_ * 0x2545F4914F6CDD1Dull;
        return bound == 0 ? 0 : static_cast<uint32_t>((value >> 32) % bound);
    }

  private:
    uint64_t state_ = 0;
};

}  // namespace vivori::lighting
