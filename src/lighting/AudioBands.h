#pragma once

#include <array>
#include <cstdint>
#include <optional>
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

// The copy-data frames the main window takes from the audio recorder, read into
// buffers of the given capacity (4,200 bytes for spectra, 156 for levels). The senders
// are other programs: a payload over the capacity is refused, and the buffer is zeroed
// before each copy, so no value of an earlier frame is ever read again.
struct SpectrumFrame {
    enum class Verdict { Taken, Empty, TooLarge, TooShort };
    Verdict verdict = Verdict::Empty;
    // Taken: the first 500 values. A frame shorter than that would mix in zeros that
    // no analysis produced, so it is left out (TooShort).
    std::array<int32_t, kSpectrumValues> values{};
};
SpectrumFrame ReadSpectrumFrame(std::span<const uint8_t> payload, size_t capacity);
// The six level values (zero where the payload is shorter); nothing when the payload
// is empty or over the capacity.
std::optional<std::array<int32_t, 6>> ReadLevelFrame(std::span<const uint8_t> payload,
                                                     size_t capacity);

}  // namespace vivori::lighting
