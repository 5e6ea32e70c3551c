#include "lighting/LightProgram.h"

#include <algorithm>

#include "lighting/LightTables.h"

namespace vivori::lighting {

namespace {
constexpr int kBreathLength = 128;
constexpr int kBlinkColourOffset = 14;
constexpr int kBreathColourStep = 16;
constexpr int kLedBreathColourLast = kSpectrumSize - 1;
constexpr int kLoopCountLimit = 255;

enum StepType { kBreathing = 0, kStatic = 1, kBlink = 2, kWave = 4, kColourCycle = 5 };
enum Pattern {
    kLedBreathing = 0,
    kLedStatic = 1,
    kLedBlinking = 2,
    kLedColourCycling = 3,
    kLedOff = 4
};

// Loops per animation step, by speed 0-4.
constexpr std::array<int, kSpeeds> kSteadyPaces = {8, 6, 4, 2, 1};
constexpr std::array<int, kSpeeds> kColourCyclePaces = {10, 8, 5, 3, 1};

int PaceOf(const std::array<int, kSpeeds>& paces, int speed) {
    return paces[std::clamp(speed, 0, kSpeeds - 1)];
}

uint8_t Scaled(uint8_t level, uint8_t curve) {
    return static_cast<uint8_t>(level * curve / 256);
}

LedColour Shown(Rgb rgb, uint8_t brightness) {
    return {rgb.red, rgb.green, rgb.blue, brightness};
}

void Fill(LedColourList& colours, Rgb rgb, uint8_t brightness) {
    colours.fill(Shown(rgb, brightness));
}
}  // namespace

bool LightProgram::Blinker::Toggle(uint32_t nowMs, uint32_t periodMs) {
    // Unsigned difference: the tick count may wrap.
    if (nowMs - lastToggleMs < periodMs) return false;
    lastToggleMs = nowMs;
    on = !on;
    return true;
}

void LightProgram::Load(std::vector<ProgramStep> steps, std::vector<LedRecord> records) {
    LoadSteps(std::move(steps));
    LoadRecords(std::move(records));
}

void LightProgram::LoadSteps(std::vector<ProgramStep> steps) {
    // The step index is left as it is: a shorter list restarts it on the next loop.
    steps_ = std::move(steps);
}

void LightProgram::LoadRecords(std::vector<LedRecord> records) {
    records_ = std::move(records);
    leds_.fill({});
    hasLayer_ = false;
    countsLoops_ = false;
    const size_t count = std::min(records_.size(), leds_.size());
    for (size_t i = 0; i < count; ++i) {
        if (!Acts(records_[i])) continue;
        hasLayer_ = true;
        const int pattern = records_[i].pattern;
        countsLoops_ = countsLoops_ || pattern == kLedBreathing || pattern == kLedColourCycling;
    }
}

void LightProgram::StepProgram(uint32_t nowMs, int keyboardSpeed, LedColourList& colours) {
    if (stepIndex_ >= static_cast<int>(steps_.size())) stepIndex_ = 0;
    if (steps_.empty()) return colours.fill({});
    // The first loop starts the clock, so the first step plays its full time.
    if (!stepStartMs_) stepStartMs_ = nowMs;
    const ProgramStep step = steps_[static_cast<size_t>(stepIndex_)];
    PlayStep(step, nowMs, keyboardSpeed, colours);
    NextStepWhenDue(nowMs, step.timeMs);
}

void LightProgram::PlayStep(const ProgramStep& step, uint32_t nowMs, int keyboardSpeed,
                            LedColourList& colours) {
    ++loopCount_;
    const uint8_t level = BrightnessValue(step.light);
    switch (step.type) {
        case kBreathing:
            PlayBreathing(step, colours);
            break;
        case kStatic:
            if (PaceReached(PaceOf(kSteadyPaces, step.speed))) Fill(colours, step.colour, level);
            break;
        case kBlink:
            PlayBlink(step, nowMs, keyboardSpeed, colours);
            break;
        case kWave:
            PlayWave(step, colours);
            break;
        case kColourCycle:
            if (PaceReached(PaceOf(kColourCyclePaces, step.speed)))
                position_ = NextPosition(true, kSpectrumSize, position_, 1);
            Fill(colours, Spectrum(position_), level);
            break;
        default:
            break;
    }
    if (loopCount_ >= kLoopCountLimit) loopCount_ = 0;
}

bool LightProgram::PaceReached(int pace) {
    // At or past: a count left high by a blink step must not stall the next step.
    if (loopCount_ < pace) return false;
    loopCount_ = 0;
    return true;
}

void LightProgram::PlayBreathing(const ProgramStep& step, LedColourList& colours) {
    if (PaceReached(PaceOf(kSteadyPaces, step.speed))) {
        position_ = NextPosition(true, kBreathLength, position_, 1);
        if (position_ == 0 && step.multiColour)
            breathColour_ = NextPosition(true, kSpectrumSize, breathColour_, kBreathColourStep);
    }
    const Rgb rgb = step.multiColour ? Spectrum(breathColour_) : step.colour;
    Fill(colours, rgb, Scaled(BrightnessValue(step.light), BreathingCurve(position_)));
}

void LightProgram::PlayBlink(const ProgramStep& step, uint32_t nowMs, int keyboardSpeed,
                             LedColourList& colours) {
    position_ = NextPosition(true, kBreathLength, position_, 1);
    if (blinker_.Toggle(nowMs, static_cast<uint32_t>(BlinkPeriodMs(keyboardSpeed))))
        blinkColour_ = position_ + kBlinkColourOffset;
    if (!blinker_.on) return colours.fill({});
    Fill(colours, step.multiColour ? Spectrum(blinkColour_) : step.colour,
         BrightnessValue(step.light));
}

void LightProgram::PlayWave(const ProgramStep& step, LedColourList& colours) {
    if (PaceReached(PaceOf(kSteadyPaces, step.speed)))
        position_ = NextPosition(true, kSpectrumSize, position_, 1);
    int d = position_ + 1;
    if (step.fx != 0) d = kSpectrumSize - position_;
    if (d >= kSpectrumSize) d = step.fx != 0 ? kSpectrumSize - 1 : 0;
    const uint8_t level = BrightnessValue(step.light);
    for (int k = 0; k < kKeyCount; ++k) {
        if (step.multiColour)
            colours[k] = Shown(Spectrum(d + 12 * k), level);
        else
            colours[k] = Shown(step.colour, Scaled(level, WaveCurve(d + 12 * (k + 1))));
    }
}

void LightProgram::NextStepWhenDue(uint32_t nowMs, int32_t timeMs) {
    const uint32_t duration = static_cast<uint32_t>(std::max<int32_t>(timeMs, 0));
    if (nowMs - *stepStartMs_ <= duration) return;
    stepIndex_ = stepIndex_ + 1 >= static_cast<int>(steps_.size()) ? 0 : stepIndex_ + 1;
    stepStartMs_ = nowMs;
}

bool LightProgram::Acts(const LedRecord& record) {
    switch (record.pattern) {
        case kLedBreathing:
        case kLedColourCycling:
            return record.present;
        case kLedStatic:
        case kLedBlinking:
        case kLedOff:
            return true;
        default:
            return false;
    }
}

void LightProgram::ApplyLedLayer(uint32_t nowMs, LedColourList& colours, bool advance) {
    // Records past the LED list have no LED (and no state).
    const size_t count = std::min(records_.size(), leds_.size());
    for (size_t i = 0; i < count; ++i)
        if (Acts(records_[i])) ApplyRecord(records_[i], leds_[i], nowMs, advance, colours[i]);
}

void LightProgram::ApplyRecord(const LedRecord& record, LedState& state, uint32_t nowMs,
                               bool advance, LedColour& colour) {
    const uint8_t level = BrightnessValue(record.light);
    const int speed = std::clamp(record.speed, 0, kSpeeds - 1);
    // Read after the pattern has moved the colour index.
    const auto own = [&] {
        return record.multiColour ? Spectrum(state.colourIndex) : record.colour;
    };
    switch (record.pattern) {
        case kLedBreathing:
            if (advance) state.position += speed + 4;
            if (state.position >= kBreathLength) {
                state.position = 0;
                state.colourIndex = std::min(state.colourIndex + 1, kLedBreathColourLast);
            }
            colour = Shown(own(), Scaled(level, BreathingCurve(state.position)));
            break;
        case kLedStatic:
            colour = Shown(record.colour, level);
            break;
        case kLedBlinking:
            if (advance && state.blinker.Toggle(nowMs, static_cast<uint32_t>(BlinkPeriodMs(speed))))
                state.colourIndex =
                    NextPosition(true, kSpectrumSize, state.colourIndex, kBlinkColourOffset);
            colour = state.blinker.on ? Shown(own(), level) : LedColour{};
            break;
        case kLedColourCycling:
            if (advance && ++state.position >= PaceOf(kSteadyPaces, speed)) {
                state.position = 0;
                state.colourIndex = NextPosition(true, kSpectrumSize, state.colourIndex, 1);
            }
            colour = Shown(Spectrum(state.colourIndex), level);
            break;
        default:  // kLedOff
            colour = {};
            break;
    }
}

}  // namespace vivori::lighting
