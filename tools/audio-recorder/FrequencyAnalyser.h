#pragma once

// The audio recorder's analysis: blocks of mono samples in, frames of 500 spectrum
// values out, as the main window's spectrum input expects them.
//
// Band layout: 500 bands spaced evenly on a log scale from 40 Hz to 16 kHz (each
// about 1.2 % wider than the one below); a band takes the strongest FFT bin whose
// frequency falls inside it, or the bin nearest its centre when none does. Values run
// from 0 (at or below the floor) to 2000 (full scale), linear in decibels over an
// 80 dB range, then scaled by the style's R level.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace vivori::recorder {

inline constexpr int kFrameValues = 500;
inline constexpr int kFftSize = 2048;
inline constexpr int kHopSize = 1024;  // 46.9 frames a second at 48 kHz
inline constexpr int kSampleRate = 48000;
inline constexpr double kLowestHz = 40.0;
inline constexpr double kHighestHz = 16000.0;
inline constexpr int32_t kFullScale = 2000;

// The levels the main window sends (0-9 each): R the gain (5 is 1x), G how slowly
// values fall (0 at once), B the noise floor raised by 3 dB a step.
struct StyleLevels {
    int r = 5;
    int g = 1;
    int b = 0;
};

// The levels in the main window's style copy-data: R, G and B as its first three
// 32-bit values, each held to 0-9 as the style message holds them; nothing when the
// payload is shorter than three values.
std::optional<StyleLevels> StyleLevelsOfPayload(std::span<const uint8_t> payload);

// The band (0-499) that holds a frequency; -1 outside the range.
int BandOfFrequency(double hz);

class SpectrumAnalyser {
  public:
    SpectrumAnalyser();
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    void SetLevels(const StyleLevels& levels) { levels_ = levels; }
    const StyleLevels& Levels() const { return levels_; }
    // Adds samples (-1..1); calls emit for every complete hop with the new frame.
    template <typename Emit>
    void Add(std::span<const float> samples, Emit&& emit) {
        for (float s : samples) {
            window_[size_t(filled_++)] = s;
            if (filled_ == kFftSize) {
                emit(Analyse());
                std::copy(window_.begin() + kHopSize, window_.end(), window_.begin());
                filled_ = kFftSize - kHopSize;
            }
        }
    }
    // One frame from the newest kFftSize samples.
    const std::array<int32_t, kFrameValues>& Analyse();

  private:
    struct Fft;
    std::unique_ptr<Fft> fft_;
    std::vector<float> window_ = std::vector<float>(kFftSize, 0.0f);
    std::vector<float> hann_;
    // The FFT bin range of each band.
    std::array<std::pair<int, int>, kFrameValues> bins_{};
    std::array<int32_t, kFrameValues> frame_{};
    StyleLevels levels_;
    int filled_ = 0;
};

// A WAV file's samples mixed to mono and resampled (linearly) to kSampleRate.
// Reads PCM 16-bit and 32-bit float; empty with error set for anything else.
std::vector<float> ReadWavMono(const std::string& path, std::string* error);
// Writes 16-bit mono PCM at kSampleRate (tests make their input with it).
bool WriteWavMono(const std::string& path, std::span<const float> samples);

}  // namespace vivori::recorder
