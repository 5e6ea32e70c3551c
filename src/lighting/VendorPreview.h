#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "lighting/LightTypes.h"

namespace vivori::lighting {

// What the pad's and the headset's firmware effects look like, computed on the host
// for the page's LED picture. The devices run the effects themselves; this only
// animates the picture.
struct PreviewSettings {
    int modeIndex = 0;   // settings block byte 1 as the page holds it (0-8)
    int brightness = 0;  // level 0-4
    int speed = 0;       // 0-4
    int direction = 0;   // non-zero: forward
    bool colourful = false;
    Rgb colour{};
};

// The two products differ only in their wave: the pad spreads it 7 positions per LED,
// the headset 16 (colourful) or 10 positions at three a step (single colour).
enum class PreviewWave { Pad, Headset };

// Not thread-safe: the owner holds its light lock around every call.
class VendorPreview {
  public:
    static constexpr int kModeWave = 0;
    static constexpr int kModeColourCycle = 1;
    static constexpr int kModeBreathing = 2;
    static constexpr int kModeStatic = 3;
    static constexpr int kModeBlink = 4;
    static constexpr int kModeCustom = 5;
    static constexpr int kModeLedChase = 6;
    static constexpr int kModeGroupChase = 7;
    static constexpr int kModeOff = 8;
    static constexpr int kRingSize = 23;

    // groups: the LED pairs the group chase lights together.
    VendorPreview(PreviewWave wave, std::vector<std::pair<int, int>> groups);

    // Mode 5 and every index past 8 play the profile's custom step program instead.
    static bool RunsCustomProgram(int modeIndex) {
        return modeIndex == kModeCustom || modeIndex > kModeOff;
    }
    // Light ticks between two steps: 8, 6, 4, 2, 1 for speed 0-4 (clamped).
    static int StepInterval(int speed);

    // One light tick: counts it and, when the mode's interval is reached, runs one step
    // into colours[0 .. ledCount - 1]. True when a step ran.
    bool Tick(const PreviewSettings& settings, uint32_t nowMs, std::span<LedColour> colours);
    // The same for `ticks` light ticks at once (a loop that slept until the next step).
    bool Tick(const PreviewSettings& settings, uint32_t nowMs, std::span<LedColour> colours,
              int ticks);
    // Light ticks until the mode at these settings runs its next step (at least 1).
    int TicksToStep(const PreviewSettings& settings) const;
    // One effect step, whatever the counter says.
    void Step(const PreviewSettings& settings, uint32_t nowMs, std::span<LedColour> colours);
    // Back to the first step; the chase ring gets one lit position again.
    void Reset();

    int Position() const { return position_; }
    void SetPosition(int position) { position_ = static_cast<uint8_t>(position); }
    uint8_t RingAt(int index) const;
    uint8_t KeyLevel(int index) const;

  private:
    void StepWave(const PreviewSettings& s, std::span<LedColour> colours);
    void StepChase(const PreviewSettings& s, std::span<LedColour> colours, bool groups);
    Rgb ChaseColour(const PreviewSettings& s, int followLevel, LedColour shown);
    void RotateRing(bool towardHigher, int length);

    PreviewWave wave_;
    std::vector<std::pair<int, int>> groups_;
    int counter_ = 0;
    uint8_t position_ = 0;
    int lastMode_ = -1;
    bool chaseToggle_ = false;
    bool blinkOn_ = false;
    uint32_t lastBlinkMs_ = 0;
    std::array<uint8_t, kRingSize> ring_{};
    std::array<uint8_t, kKeyCount> keyLevels_{};
};

}  // namespace vivori::lighting
