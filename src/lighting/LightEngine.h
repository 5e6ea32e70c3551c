#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "lighting/LightRandom.h"
#include "lighting/LightTypes.h"
#include "lighting/MusicSettings.h"
#include "lighting/WaveMasks.h"

namespace vivori::lighting {

enum class KeyAction { Press = 1, Release = 2 };

struct KeySlotEvent {
    int slot = 0;
    KeyAction action = KeyAction::Press;
};
// The keyboard reports 0x0500 + slot for a press and 0x0600 + slot for a release.
std::optional<KeySlotEvent> KeySlotEventOfNotification(uint16_t code);

// The host-side keyboard lighting effects over a 170-entry LED colour list indexed
// by logical key. Not thread-safe: the owner holds its light lock around every call
// (the lighting thread steps, the UI thread changes modes, key events arrive from
// the notification reader). Mode 28 (custom step program) belongs to the custom
// light layer and leaves the list as it is here.
class LightEngine {
  public:
    explicit LightEngine(uint64_t seed = 1) : random_(seed) { ResetMusic(); }

    // New settings: a changed mode (or mode 19) resets the effect state and runs the
    // mode's start-up; otherwise the running effect continues with the new values.
    void Apply(const LightSettings& settings);
    // Resets and runs the start-up of settings.mode whatever ran before.
    void Start(const LightSettings& settings);
    // One step of the running mode; nowMs paces the blinking modes.
    void Step(uint32_t nowMs);
    void ResetEffectState();

    void OnKeyEvent(int key, KeyAction action);
    // Finds the logical key held in that key slot; false when none.
    bool OnKeySlotEvent(int slot, KeyAction action, const KeyIndexMap& keySlotOfKey);

    // The colours mode 19 shows, by logical key (from the profile or the device).
    void SetCustomColours(std::span<const Rgb> colours);
    // The audio level values (six; missing ones 0); the low bytes of the first
    // three are mode 30's red, green and blue.
    void SetLevelInput(std::span<const int> values);
    // The audio spectrum values the music styles draw (25; missing ones 0). In
    // style 2 they start key waves here, as they arrive, and are used up.
    void SetMusicInput(std::span<const int> values);
    void SetMusicSettings(const MusicSettings& music) { music_ = music; }
    const MusicSettings& Music() const { return music_; }
    void Seed(uint64_t seed) { random_.Seed(seed); }

    const LightSettings& Settings() const { return settings_; }
    const LedColourList& Colours() const { return colours_; }
    // The custom step program and LED layer paint the same list, after the step.
    LedColourList& MutableColours() { return colours_; }
    uint8_t KeyLevel(int key) const;
    uint8_t KeyColour(int key) const;
    uint8_t Position() const { return step_; }
    // The colour index, which the music styles use as an index into their values.
    uint8_t ValueIndex() const { return colourIndex_; }
    const WaveMasks& Masks() const { return masks_; }

  private:
    enum KeyState : uint8_t { kIdle = 0, kRising = 1, kFalling = 2 };
    struct ModeEntry {
        void (LightEngine::*start)();
        void (LightEngine::*step)();
    };
    static const ModeEntry* EntryOf(int mode);

    // Shared helpers.
    uint8_t Level() const;
    uint8_t Scaled(int value) const { return static_cast<uint8_t>(Level() * value / 256); }
    void Advance(int limit);
    void Paint(int key, Rgb colour, uint8_t brightness);
    void PaintAll(Rgb colour, uint8_t brightness);
    void PaintColumn(int column, Rgb colour, uint8_t brightness);
    Rgb KeyRgb(int key) const;
    uint8_t RandomColour() { return static_cast<uint8_t>(random_.Below(kSpectrumSize)); }
    void LightKey(int key);
    // Lights the keys the wave masks cover and returns them.
    std::bitset<kKeyCount> LightMasks();
    void FadeKeys(int kind);
    void ShowKeyLevels();
    bool BlinkToggled();
    void ShowBlink(Rgb colour);
    // Moves a key's position on the flash curve (kept in its level) by `by`; at the
    // curve's end it restarts with a new colour.
    void FlashKeyOn(int key, int by);

    // Start-ups.
    void SpreadKeyColours();
    void StartRisingWave();
    void StartRipple();
    void StartSideWave();
    void StartCustomColours();
    void StartKeyPulse();

    // Steps, by mode.
    void StepColumnWave();
    void StepColumnRainbow();
    void StepSweep();
    void StepColourCycle();
    void StepBreathing();
    void StepStatic();
    void StepKeyLevels();
    void StepKeyWaves();
    void StepKeyRowWave();
    void StepTwinkle();
    void StepRainbowKeys();
    void StepRowRainbow();
    void StepRisingWave();
    void StepScriptedShow();
    void StepRipple();
    void StepSideWave();
    void StepPresetColour();
    void StepDiagonalRainbow();
    void StepCustomColours();
    void StepOff();
    void StepSnake();
    void StepKeyPulse();
    void StepBlink();
    void StepRowRipple();
    void StepFourColourBreathing();
    void StepFourColourBlink();
    void StepExternalColour();
    void StepNothing() {}

    // Music styles of mode 29.
    void ResetMusic();
    void StepMusic();
    void StepMusicStyle0();
    void StepMusicStyle1();
    void StepMusicStyle2();
    void StepMusicStyle3();
    void StepMusicStyle4();
    void StepMusicStyle5();
    void StepMusicStyle6();
    using MusicValues = std::array<int32_t, kMusicValueCount>;
    MusicValues TakeMusicInput();
    void MoveValueIndex();
    bool DarkBelow(int key, int level) const;
    Rgb PeakColour(const std::function<int()>& position) const;
    // Fades a cell (when asked), lights it (when asked), then shows it.
    void DrawMusicCell(int key, bool fade, int fadeKind, bool lit,
                       const std::function<int()>& position);
    // A run of grid cells from the far end of a bar toward its base; see the .cpp.
    struct MusicLine {
        int column;
        int row;
        int dc;
        int dr;
        int length;
        int alwaysFading;
    };
    void DrawMusicLine(const MusicLine& line, const std::function<bool(int along)>& lit,
                       const std::function<int(int column)>& position);

    // Key-reactive layer.
    void FlashKey(int key, KeyAction action);
    void StartKeyWave(int key);
    void GlowKey(int key, KeyAction action);
    bool HasPressedNeighbour(int column, int row) const;

    LightSettings settings_;
    LightRandom random_;
    LedColourList colours_{};
    uint8_t step_ = 0;
    uint8_t colourIndex_ = 0;
    uint8_t blinkPhase_ = 0;
    uint8_t subCounter_ = 0;
    uint8_t phase_ = 0;
    uint32_t lastBlinkTime_ = 0;
    uint32_t now_ = 0;
    std::array<uint8_t, kKeyCount> keyLevels_{};
    std::array<uint8_t, kKeyCount> keyColours_{};
    std::array<uint8_t, kKeyCount> keyStates_{};
    std::array<uint8_t, kKeyCount> keyPressed_{};
    std::array<std::optional<Rgb>, kKeyCount> customColours_{};
    std::array<int32_t, kLevelValueCount> levelInput_{};
    MusicValues musicInput_{};
    MusicSettings music_;
    // Style 4: a column lights its bar only when its latch is clear.
    std::array<bool, kGridColumns> columnLatches_{};
    // Style 2: what the arrivals of music input have added up since the last wave.
    int32_t triggerTotal_ = 0;
    WaveMasks masks_;
};

}  // namespace vivori::lighting
