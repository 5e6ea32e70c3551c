#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vivori::lighting {

// Values in one spectrum frame of the audio recorder, and the bands the keyboard gets.
inline constexpr int kSpectrumValues = 500;
inline constexpr int kSpectrumBands = 25;
inline constexpr int kSpectrumBandWidth = kSpectrumValues / kSpectrumBands;
// Every third frame reaches the keyboard.
inline constexpr int kFramesPerDelivery = 3;

// Reduces spectrum frames to 25 band values: per value the change from the previous
// frame, per band the running mean of those changes (the old mean added in before the
// division by 20) and their spread. The state starts at zero and is never reset.
// Sums are taken in 64 bits, so frames of any 32-bit values cannot overflow them.
class SpectrumReducer {
  public:
    // Takes one frame (missing values count as 0, extra ones are ignored); true when
    // this frame is the third since the last delivery, i.e. Means() is due.
    bool Add(std::span<const int32_t> frame);
    const std::array<int32_t, kSpectrumBands>& Means() const { return means_; }
    const std::array<int32_t, kSpectrumBands>& Spreads() const { return spreads_; }
    int FrameCount() const { return counter_; }

  private:
    std::array<int32_t, kSpectrumValues> previous_{};
    std::array<int32_t, kSpectrumBands> means_{};
    std::array<int32_t, kSpectrumBands> spreads_{};
    int counter_ = 0;
};

}  // namespace vivori::lighting
