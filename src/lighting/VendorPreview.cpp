#include "lighting/VendorPreview.h"

#include <algorithm>

#include "lighting/LightTables.h"

namespace vivori::lighting {
namespace {

constexpr int kWaveLength = 96;
constexpr int kBreathLength = 128;
constexpr int kBlinkColourStep = 16;
constexpr int kChaseColourStep = 12;
constexpr int kIntervals[kSpeeds] = {8, 6, 4, 2, 1};

LedColour Lit(Rgb colour, int brightness) {
    return {colour.red, colour.green, colour.blue, static_cast<uint8_t>(brightness)};
}

void PaintAll(std::span<LedColour> colours, LedColour colour) {
    std::fill(colours.begin(), colours.end(), colour);
}

}  // namespace

VendorPreview::VendorPreview(PreviewWave wave, std::vector<std::pair<int, int>> groups)
    : wave_(wave), groups_(std::move(groups)) {
    Reset();
}

int VendorPreview::StepInterval(int speed) {
    return kIntervals[std::clamp(speed, 0, kSpeeds - 1)];
}

void VendorPreview::Reset() {
    counter_ = 0;
    position_ = 0;
    chaseToggle_ = false;
    blinkOn_ = false;
    keyLevels_.fill(0);
    ring_.fill(0);
    // The chase effects run lit ring positions around; without one they would show
    // nothing, so the ring starts with one as the mouse's does.
    ring_[0] = 1;
}

uint8_t VendorPreview::RingAt(int index) const {
    return index >= 0 && index < kRingSize ? ring_[size_t(index)] : 0;
}

uint8_t VendorPreview::KeyLevel(int index) const {
    return index >= 0 && index < kKeyCount ? keyLevels_[size_t(index)] : 0;
}

bool VendorPreview::Tick(const PreviewSettings& settings, uint32_t nowMs,
                         std::span<LedColour> colours) {
    return Tick(settings, nowMs, colours, 1);
}

bool VendorPreview::Tick(const PreviewSettings& settings, uint32_t nowMs,
                         std::span<LedColour> colours, int ticks) {
    if (settings.modeIndex != lastMode_) {
        Reset();
        lastMode_ = settings.modeIndex;
    }
    counter_ += std::max(ticks, 1);
    if (counter_ < StepInterval(settings.speed)) return false;
    counter_ = 0;
    Step(settings, nowMs, colours);
    return true;
}

int VendorPreview::TicksToStep(const PreviewSettings& settings) const {
    // A mode change starts the count again (see Tick).
    const int counted = settings.modeIndex == lastMode_ ? counter_ : 0;
    return std::max(StepInterval(settings.speed) - counted, 1);
}

void VendorPreview::Step(const PreviewSettings& s, uint32_t nowMs, std::span<LedColour> colours) {
    if (colours.size() > size_t(kKeyCount)) colours = colours.first(size_t(kKeyCount));
    const int level = BrightnessValue(s.brightness);
    switch (s.modeIndex) {
        case kModeWave:
            return StepWave(s, colours);
        case kModeColourCycle:
            position_ = uint8_t(NextPosition(s.direction != 0, kSpectrumSize, position_, 1));
            return PaintAll(colours, Lit(Spectrum(position_), level));
        case kModeBreathing:
            position_ = uint8_t(NextPosition(true, kBreathLength, position_, 1));
            for (size_t k = 0; k < colours.size(); ++k)
                colours[k] = Lit(s.colourful ? Spectrum(7 * int(k)) : s.colour,
                                 level * BreathingCurve(position_) / 256);
            return;
        case kModeStatic:
            return PaintAll(colours, Lit(s.colour, level));
        case kModeBlink:
            if (nowMs - lastBlinkMs_ >= uint32_t(BlinkPeriodMs(s.speed))) {
                lastBlinkMs_ = nowMs;
                blinkOn_ = !blinkOn_;
                if (blinkOn_)
                    position_ = uint8_t(NextPosition(true, kSpectrumSize, position_, kBlinkColourStep));
            }
            return PaintAll(colours, blinkOn_ ? Lit(s.colourful ? Spectrum(position_) : s.colour, level)
                                              : LedColour{});
        case kModeLedChase:
            return StepChase(s, colours, false);
        case kModeGroupChase:
            return StepChase(s, colours, true);
        default:  // off; the custom program paints over the others
            return PaintAll(colours, LedColour{});
    }
}

void VendorPreview::StepWave(const PreviewSettings& s, std::span<LedColour> colours) {
    const bool forward = s.direction != 0;
    const int level = BrightnessValue(s.brightness);
    const bool pad = wave_ == PreviewWave::Pad;
    if (s.colourful) {
        position_ = uint8_t(NextPosition(forward, kSpectrumSize, position_, 1));
        const int spread = pad ? 7 : 16;
        // Every index is taken modulo its table, however many LEDs there are.
        for (size_t k = 0; k < colours.size(); ++k)
            colours[k] = Lit(Spectrum((position_ + 1 + spread * int(k)) % kSpectrumSize), level);
        return;
    }
    position_ = uint8_t(NextPosition(forward, kWaveLength, position_, pad ? 1 : 3));
    for (size_t k = 0; k < colours.size(); ++k) {
        const int index = pad ? position_ + 1 + 7 * int(k) : position_ + 10 * int(k);
        colours[k] = Lit(s.colour, level * WaveCurve(index % kWaveLength) / 256);
    }
}

void VendorPreview::RotateRing(bool towardHigher, int length) {
    auto first = ring_.begin(), last = ring_.begin() + length;
    if (towardHigher)
        std::rotate(first, last - 1, last);
    else
        std::rotate(first, first + 1, last);
}

Rgb VendorPreview::ChaseColour(const PreviewSettings& s, int followLevel, LedColour shown) {
    if (!s.colourful) return s.colour;
    // While the lit position passes the end LED, the LEDs keep the colour they show.
    if (followLevel != 0) return {shown.red, shown.green, shown.blue};
    position_ = uint8_t(position_ + kChaseColourStep);
    return Spectrum(position_ >= kSpectrumSize ? position_ - kSpectrumSize : position_);
}

void VendorPreview::StepChase(const PreviewSettings& s, std::span<LedColour> colours, bool groups) {
    const bool fx = s.direction != 0;
    const int count = int(colours.size());
    position_ = uint8_t(NextPosition(fx, kSpectrumSize, position_, 1));
    chaseToggle_ = !chaseToggle_;
    if (chaseToggle_) {
        for (int p = 0; p < count && p < kRingSize; ++p)
            if (ring_[size_t(p)] != 0) keyLevels_[size_t(p)] = 255;
        // The group chase turns only the first eight places, and the other way round.
        if (groups)
            RotateRing(!fx, 8);
        else
            RotateRing(fx, kRingSize);
    }
    if (count == 0) return;
    const int level = BrightnessValue(s.brightness);
    const int followLevel = keyLevels_[size_t(fx ? 0 : count - 1)];
    if (!groups) {
        for (int k = 0; k < count; ++k) {
            uint8_t& key = keyLevels_[size_t(k)];
            key = FadeLevel(key, s.modeIndex);
            colours[size_t(k)] = Lit(ChaseColour(s, followLevel, colours[size_t(k)]), level * key / 256);
        }
        return;
    }
    for (size_t g = 0; g < groups_.size() && g < size_t(kKeyCount); ++g) {
        uint8_t& key = keyLevels_[g];
        key = FadeLevel(key, s.modeIndex);
        const auto [first, second] = groups_[g];
        const LedColour shown = first >= 0 && first < count ? colours[size_t(first)] : LedColour{};
        const LedColour lit = Lit(ChaseColour(s, followLevel, shown), level * key / 256);
        for (int led : {first, second})
            if (led >= 0 && led < count) colours[size_t(led)] = lit;
    }
}

}  // namespace vivori::lighting
