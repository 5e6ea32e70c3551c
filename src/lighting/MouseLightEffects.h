#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lighting/ColumnRing.h"
#include "lighting/LightProgram.h"
#include "lighting/LightRandom.h"
#include "lighting/LightTypes.h"

namespace vivori::lighting {

// The mouse's 15 LEDs, lit in 7 groups along its body (-1: no LED).
inline constexpr int kMouseLedCount = 15;
inline constexpr int kMouseGroupCount = 7;
std::span<const int8_t> MouseGroup(int group);

// The mouse's light modes by page index; the mouse runs them in its firmware, the
// host only previews them. Indexes above kMouseOff play the custom step program.
enum MouseMode : int {
    kMouseWave = 0,
    kMouseColourCycle = 1,
    kMouseBreathing = 2,
    kMouseStatic = 3,
    kMouseBlink = 4,
    kMouseChase = 5,
    kMouseFade = 6,
    kMouseFourColourBreathing = 7,
    kMouseFourColourBlink = 8,
    kMouseOff = 9,
};

// Light ticks between two preview steps of a mode at a speed (clamped to 0-4); 0 for
// the custom program, which paces itself and runs on every pass.
int MouseStepThreshold(int mode, int speed);

// The mouse's lighting preview: every mode's step over an LED colour list whose
// first 15 entries are the mouse's LEDs. Not thread-safe: the owner holds its light
// lock around every call (the preview thread steps, the UI thread applies settings,
// the notification reader triggers the fade).
class MouseLightEffects {
  public:
    explicit MouseLightEffects(uint64_t seed = 1) : random_(seed) { ResetChase(); }

    // New settings; a changed mode clears the chase and fade state and starts the
    // chase ring again at position 0.
    void Apply(const LightSettings& settings);
    const LightSettings& Settings() const { return settings_; }
    // One step of the running mode; nowMs paces the blinking modes and the program.
    void Step(uint32_t nowMs);
    // Lights every LED of the fade mode at once (the mouse's own trigger); nothing in
    // the other modes.
    void TriggerFade();
    void ResetChase();

    // The custom step program and LED layer of indexes above 9 (its own state).
    LightProgram& Program() { return program_; }

    const LedColourList& Colours() const { return colours_; }
    LedColourList& MutableColours() { return colours_; }
    uint8_t Position() const { return position_; }
    uint8_t KeyLevel(int led) const;
    const ColumnRing& Ring() const { return ring_; }

  private:
    uint8_t Level() const;
    uint8_t Scaled(int value) const { return static_cast<uint8_t>(Level() * value / 256); }
    void Advance(int limit);
    void Paint(int led, Rgb colour, uint8_t brightness);
    void PaintGroup(int group, Rgb colour, uint8_t brightness);
    void PaintAll(Rgb colour, uint8_t brightness);
    bool BlinkToggled();
    void ShowBlink(Rgb colour);

    void StepWave();
    void StepColourCycle();
    void StepBreathing();
    void StepBlink();
    void StepChase();
    void StepFade();
    void StepFourColourBreathing();
    void StepFourColourBlink();

    enum FadeState : uint8_t { kIdle = 0, kRising = 1, kFalling = 2 };

    LightSettings settings_;
    bool applied_ = false;
    LightRandom random_;
    LedColourList colours_{};
    uint8_t position_ = 0;
    uint8_t colourIndex_ = 0;
    uint8_t blinkPhase_ = 0;
    uint32_t lastBlinkTime_ = 0;
    uint32_t now_ = 0;
    std::array<uint8_t, kMouseLedCount> levels_{};
    std::array<uint8_t, kMouseLedCount> states_{};
    std::array<uint8_t, kMouseLedCount> fadeColours_{};
    ColumnRing ring_;
    LightProgram program_;
};

}  // namespace vivori::lighting
