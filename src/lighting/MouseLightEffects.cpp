#include "lighting/MouseLightEffects.h"

#include <algorithm>

#include "lighting/LightTables.h"

namespace vivori::lighting {
namespace {

constexpr int kWaveLength = 96;
constexpr int kBreathLength = 128;
constexpr int kGroupSpacing = 7;
constexpr int kBreathColourStep = 16;
constexpr int kBlinkColourStep = 16;
constexpr int kFourColours = 4;
constexpr int kChaseColourStep = 12;
constexpr int kChaseFadeKind = kMouseChase;
constexpr int kFadeStep = 15;

constexpr int8_t kGroups[kMouseGroupCount][3] = {
    {0, 13, -1}, {1, 12, -1}, {2, 11, -1}, {3, 10, -1}, {4, 9, -1}, {5, 8, -1}, {6, 14, 7},
};

constexpr int kPlainThresholds[kSpeeds] = {8, 6, 4, 2, 1};
constexpr int kChaseThresholds[kSpeeds] = {16, 12, 8, 4, 2};

}  // namespace

std::span<const int8_t> MouseGroup(int group) {
    if (group < 0 || group >= kMouseGroupCount) return {};
    const auto& row = kGroups[group];
    return {row, row[2] < 0 ? size_t(2) : size_t(3)};
}

int MouseStepThreshold(int mode, int speed) {
    if (mode < 0 || mode > kMouseOff) return 0;
    const int s = std::clamp(speed, 0, kSpeeds - 1);
    return mode == kMouseChase ? kChaseThresholds[s] : kPlainThresholds[s];
}

void MouseLightEffects::Apply(const LightSettings& settings) {
    const bool modeChanged = !applied_ || settings.mode != settings_.mode;
    settings_ = settings;
    applied_ = true;
    if (modeChanged) ResetChase();
}

void MouseLightEffects::ResetChase() {
    levels_.fill(0);
    states_.fill(kIdle);
    ring_.Clear();
    ring_.Set(0, 1);
}

uint8_t MouseLightEffects::KeyLevel(int led) const {
    return led >= 0 && led < kMouseLedCount ? levels_[size_t(led)] : 0;
}

uint8_t MouseLightEffects::Level() const {
    return BrightnessValue(settings_.brightness);
}

void MouseLightEffects::Advance(int limit) {
    position_ = static_cast<uint8_t>(NextPosition(settings_.direction != 0, limit, position_, 1));
}

void MouseLightEffects::Paint(int led, Rgb colour, uint8_t brightness) {
    if (led < 0 || led >= kMouseLedCount) return;
    colours_[size_t(led)] = {colour.red, colour.green, colour.blue, brightness};
}

void MouseLightEffects::PaintGroup(int group, Rgb colour, uint8_t brightness) {
    for (int8_t led : MouseGroup(group)) Paint(led, colour, brightness);
}

void MouseLightEffects::PaintAll(Rgb colour, uint8_t brightness) {
    for (int led = 0; led < kMouseLedCount; ++led) Paint(led, colour, brightness);
}

void MouseLightEffects::Step(uint32_t nowMs) {
    now_ = nowMs;
    switch (settings_.mode) {
        case kMouseWave:
            return StepWave();
        case kMouseColourCycle:
            return StepColourCycle();
        case kMouseBreathing:
            return StepBreathing();
        case kMouseStatic:
            return PaintAll(settings_.colour, Level());
        case kMouseBlink:
            return StepBlink();
        case kMouseChase:
            return StepChase();
        case kMouseFade:
            return StepFade();
        case kMouseFourColourBreathing:
            return StepFourColourBreathing();
        case kMouseFourColourBlink:
            return StepFourColourBlink();
        case kMouseOff:
            return PaintAll({}, 0);
        default:
            return program_.StepProgram(nowMs, settings_.speed, colours_);
    }
}

// Each group is seven places further along the spectrum or the wave curve.
void MouseLightEffects::StepWave() {
    const int limit = settings_.colourful ? kSpectrumSize : kWaveLength;
    Advance(limit);
    int index = (position_ + 1) % limit;
    for (int g = 0; g < kMouseGroupCount; ++g) {
        if (settings_.colourful)
            PaintGroup(g, Spectrum(index), Level());
        else
            PaintGroup(g, settings_.colour, Scaled(WaveCurve(index)));
        index = (index + kGroupSpacing) % limit;
    }
}

void MouseLightEffects::StepColourCycle() {
    Advance(kSpectrumSize);
    PaintAll(Spectrum(position_), Level());
}

void MouseLightEffects::StepBreathing() {
    Advance(kBreathLength);
    if (position_ == 0 && settings_.colourful)
        colourIndex_ = static_cast<uint8_t>((colourIndex_ + kBreathColourStep) % kSpectrumSize);
    PaintAll(settings_.colourful ? Spectrum(colourIndex_) : settings_.colour,
             Scaled(BreathingCurve(position_)));
}

bool MouseLightEffects::BlinkToggled() {
    if (now_ - lastBlinkTime_ < static_cast<uint32_t>(BlinkPeriodMs(settings_.speed))) return false;
    lastBlinkTime_ = now_;
    blinkPhase_ ^= 1;
    return true;
}

void MouseLightEffects::ShowBlink(Rgb colour) {
    PaintAll(blinkPhase_ ? colour : Rgb{}, blinkPhase_ ? Level() : 0);
}

void MouseLightEffects::StepBlink() {
    if (BlinkToggled())
        position_ =
            static_cast<uint8_t>(NextPosition(true, kSpectrumSize, position_, kBlinkColourStep));
    ShowBlink(settings_.colourful ? Spectrum(position_) : settings_.colour);
}

// A lit ring position runs around; the groups it passes light up and fade behind it.
void MouseLightEffects::StepChase() {
    Advance(kSpectrumSize);
    ring_.ToKeyLevels(levels_);
    ring_.Rotate(settings_.direction != 0);
    const int leadGroup = settings_.direction != 0 ? 0 : kMouseGroupCount - 1;
    const bool holdColours = levels_[size_t(leadGroup)] != 0;
    for (int g = 0; g < kMouseGroupCount; ++g) {
        uint8_t& level = levels_[size_t(g)];
        level = FadeLevel(level, kChaseFadeKind);
        Rgb colour = settings_.colour;
        if (settings_.colourful) {
            const LedColour& shown = colours_[size_t(MouseGroup(g)[0])];
            if (holdColours) {
                colour = {shown.red, shown.green, shown.blue};
            } else {
                position_ = static_cast<uint8_t>(position_ + kChaseColourStep);
                colour =
                    Spectrum(position_ >= kSpectrumSize ? position_ - kSpectrumSize : position_);
            }
        }
        PaintGroup(g, colour, Scaled(level));
    }
}

void MouseLightEffects::TriggerFade() {
    if (settings_.mode != kMouseFade) return;
    for (int led = 0; led < kMouseLedCount; ++led) {
        states_[size_t(led)] = kRising;
        levels_[size_t(led)] = 255;
        fadeColours_[size_t(led)] = static_cast<uint8_t>(random_.Below(kSpectrumSize));
    }
}

void MouseLightEffects::StepFade() {
    for (size_t led = 0; led < size_t(kMouseLedCount); ++led) {
        uint8_t& level = levels_[led];
        if (states_[led] == kRising) {
            level = static_cast<uint8_t>(std::min(255, level + kFadeStep));
            if (level == 255) states_[led] = kFalling;
        } else if (states_[led] == kFalling) {
            level = static_cast<uint8_t>(std::max(0, level - kFadeStep));
            if (level == 0) states_[led] = kIdle;
        }
        const Rgb colour = settings_.colourful ? Spectrum(fadeColours_[led]) : settings_.colour;
        Paint(int(led), colour, Scaled(level));
    }
}

void MouseLightEffects::StepFourColourBreathing() {
    Advance(kBreathLength);
    if (position_ == 0) colourIndex_ = static_cast<uint8_t>((colourIndex_ + 1) % kFourColours);
    PaintAll(FourColour(colourIndex_), Scaled(BreathingCurve(position_)));
}

void MouseLightEffects::StepFourColourBlink() {
    if (BlinkToggled())
        position_ = static_cast<uint8_t>(NextPosition(true, kFourColours, position_, 1));
    ShowBlink(FourColour(position_));
}

}  // namespace vivori::lighting
