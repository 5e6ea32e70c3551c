// The engine's core: mode table, settings, effect state, start-ups and the shared
// painting helpers. The steps live in LightEngineModes.cpp and LightEngineKeys.cpp.
#include "lighting/LightEngine.h"

#include <algorithm>

#include "lighting/LightTables.h"

namespace vivori::lighting {

namespace {
constexpr int kModeCount = 30;
constexpr int kCustomColourMode = 19;
constexpr uint8_t kSpreadStep = 33;
}  // namespace

std::optional<KeySlotEvent> KeySlotEventOfNotification(uint16_t code) {
    const int slot = code & 0xFF;
    switch (code >> 8) {
        case 0x05:
            return KeySlotEvent{slot, KeyAction::Press};
        case 0x06:
            return KeySlotEvent{slot, KeyAction::Release};
        default:
            return std::nullopt;
    }
}

const LightEngine::ModeEntry* LightEngine::EntryOf(int mode) {
    using E = LightEngine;
    constexpr auto spread = &E::SpreadKeyColours;
    static const ModeEntry kModes[kModeCount] = {
        {spread, &E::StepColumnWave},                     // 1
        {spread, &E::StepColumnRainbow},                  // 2
        {spread, &E::StepSweep},                          // 3
        {spread, &E::StepColourCycle},                    // 4
        {spread, &E::StepBreathing},                      // 5
        {spread, &E::StepStatic},                         // 6
        {spread, &E::StepKeyLevels},                      // 7 key flash
        {spread, &E::StepKeyWaves},                       // 8
        {spread, &E::StepKeyRowWave},                     // 9
        {spread, &E::StepTwinkle},                        // 10
        {spread, &E::StepRainbowKeys},                    // 11
        {spread, &E::StepRowRainbow},                     // 12
        {&E::StartRisingWave, &E::StepRisingWave},        // 13
        {spread, &E::StepScriptedShow},                   // 14
        {&E::StartRipple, &E::StepRipple},                // 15
        {&E::StartSideWave, &E::StepSideWave},            // 16
        {spread, &E::StepPresetColour},                   // 17
        {spread, &E::StepDiagonalRainbow},                // 18
        {&E::StartCustomColours, &E::StepCustomColours},  // 19
        {spread, &E::StepOff},                            // 20
        {spread, &E::StepSnake},                          // 21
        {&E::StartKeyPulse, &E::StepKeyPulse},            // 22
        {spread, &E::StepBlink},                          // 23
        {spread, &E::StepRowRipple},                      // 24
        {spread, &E::StepKeyLevels},                      // 25 key glow
        {spread, &E::StepFourColourBreathing},            // 26
        {spread, &E::StepFourColourBlink},                // 27
        {spread, &E::StepNothing},                        // 28 custom step program
        {spread, &E::StepMusic},                          // 29
        {spread, &E::StepExternalColour},                 // 30
    };
    static const ModeEntry kOther = {spread, &E::StepNothing};
    return mode >= 1 && mode <= kModeCount ? &kModes[mode - 1] : &kOther;
}

void LightEngine::Apply(const LightSettings& settings) {
    if (settings.mode != settings_.mode || settings.mode == kCustomColourMode)
        Start(settings);
    else
        settings_ = settings;
}

void LightEngine::Start(const LightSettings& settings) {
    settings_ = settings;
    ResetEffectState();
    (this->*EntryOf(settings_.mode)->start)();
}

void LightEngine::Step(uint32_t nowMs) {
    now_ = nowMs;
    (this->*EntryOf(settings_.mode)->step)();
}

void LightEngine::ResetEffectState() {
    step_ = 0;
    phase_ = 0;
    subCounter_ = 0;
    keyLevels_ = {};
    keyColours_ = {};
    keyStates_ = {};
    keyPressed_ = {};
    masks_.Clear();
    ResetMusic();
}

void LightEngine::SetCustomColours(std::span<const Rgb> colours) {
    customColours_ = {};
    for (size_t k = 0; k < colours.size() && k < customColours_.size(); ++k)
        customColours_[k] = colours[k];
}

void LightEngine::SetLevelInput(std::span<const int> values) {
    for (size_t i = 0; i < levelInput_.size(); ++i)
        levelInput_[i] = i < values.size() ? values[i] : 0;
}

uint8_t LightEngine::KeyLevel(int key) const {
    return key >= 0 && key < kKeyCount ? keyLevels_[key] : 0;
}

uint8_t LightEngine::KeyColour(int key) const {
    return key >= 0 && key < kKeyCount ? keyColours_[key] : 0;
}

// ---- shared helpers ----

uint8_t LightEngine::Level() const {
    return BrightnessValue(settings_.brightness);
}

void LightEngine::Advance(int limit) {
    step_ = static_cast<uint8_t>(NextPosition(settings_.direction != 0, limit, step_, 1));
}

void LightEngine::Paint(int key, Rgb colour, uint8_t brightness) {
    if (key < 0 || key >= kKeyCount) return;
    colours_[key] = {colour.red, colour.green, colour.blue, brightness};
}

void LightEngine::PaintAll(Rgb colour, uint8_t brightness) {
    for (int k = 0; k < kKeyCount; ++k) Paint(k, colour, brightness);
}

void LightEngine::PaintColumn(int column, Rgb colour, uint8_t brightness) {
    for (int r = 0; r < kGridRows; ++r) Paint(GridKey(column, r), colour, brightness);
}

Rgb LightEngine::KeyRgb(int key) const {
    return settings_.colourful ? Spectrum(KeyColour(key)) : settings_.colour;
}

void LightEngine::LightKey(int key) {
    if (key < 0 || key >= kKeyCount) return;
    keyLevels_[key] = 255;
}

void LightEngine::FadeKeys(int kind) {
    for (auto& level : keyLevels_) level = FadeLevel(level, kind);
}

void LightEngine::ShowKeyLevels() {
    for (int k = 0; k < kKeyCount; ++k) Paint(k, KeyRgb(k), Scaled(keyLevels_[k]));
}

// ---- start-ups ----

// Steps of 33 around the spectrum, the first key getting 33.
void LightEngine::SpreadKeyColours() {
    int sum = 0;
    for (auto& colour : keyColours_) {
        sum = (sum + kSpreadStep) % kSpectrumSize;
        colour = static_cast<uint8_t>(sum);
    }
}

void LightEngine::StartRipple() {
    for (int c = 0; c < kGridColumns; ++c)
        for (int r = 0; r < kColumnTableRows; ++r) {
            const uint8_t key = ColumnTableKey(c, r);
            if (key >= kKeyCount) continue;
            keyLevels_[key] = StartLevel(c, r);
            keyColours_[key] = static_cast<uint8_t>(7 * c);
        }
}

void LightEngine::StartKeyPulse() {
    for (int c = 0; c < kGridColumns; ++c)
        for (int r = 0; r < kColumnTableRows; ++r) {
            const uint8_t key = ColumnTableKey(c, r);
            if (key < kKeyCount) keyLevels_[key] = static_cast<uint8_t>(7 * c);
        }
}

void LightEngine::StartCustomColours() {
    for (int k = 0; k < kKeyCount; ++k)
        if (customColours_[k]) Paint(k, *customColours_[k], colours_[k].brightness);
    SpreadKeyColours();
}

}  // namespace vivori::lighting
