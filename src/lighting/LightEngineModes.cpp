// The effects that paint from the step position and the tables: columns, rows,
// diagonals, the sweep and the whole list.
#include <algorithm>

#include "lighting/LightEngine.h"
#include "lighting/LightTables.h"

namespace vivori::lighting {

namespace {
constexpr int kWaveLength = 96;
constexpr int kBreathLength = 128;
constexpr int kSnakeLength = 170;
constexpr int kRowRippleLength = 52;
constexpr int kBlinkColourStep = 16;
constexpr int kFourColours = 4;
}  // namespace

void LightEngine::StepColumnWave() {
    if (settings_.colourful) {
        Advance(kSpectrumSize);
        for (int c = 0; c < kGridColumns; ++c) PaintColumn(c, Spectrum(step_ + 1 + 7 * c), Level());
    } else {
        Advance(kWaveLength);
        for (int c = 0; c < kGridColumns; ++c)
            PaintColumn(c, settings_.colour, Scaled(WaveCurve(step_ + 1 + 7 * c)));
    }
}

void LightEngine::StepColumnRainbow() {
    if (settings_.colourful) {
        Advance(kSpectrumSize);
        for (int c = 0; c < kGridColumns; ++c) PaintColumn(c, Spectrum(step_ + 2 * c), Level());
    } else {
        Advance(kBreathLength);
        for (int c = 0; c < kGridColumns; ++c)
            PaintColumn(c, settings_.colour, Scaled(FlashCurve((step_ + 7 * c) % kBreathLength)));
    }
}

void LightEngine::StepSweep() {
    const auto order = SweepOrder();
    Advance(settings_.colourful ? kSpectrumSize : kWaveLength);
    for (int k = 0; k < static_cast<int>(order.size()); ++k) {
        if (settings_.colourful)
            Paint(order[k], Spectrum(step_ + 5 * k), Level());
        else
            Paint(order[k], settings_.colour, Scaled(WaveCurve(step_ + 5 * k)));
    }
}

void LightEngine::StepColourCycle() {
    Advance(kSpectrumSize);
    PaintAll(Spectrum(step_), Level());
}

// Breathing runs one way only, whatever the direction.
void LightEngine::StepBreathing() {
    step_ = static_cast<uint8_t>(NextPosition(true, kBreathLength, step_, 1));
    for (int c = 0; c < kGridColumns; ++c)
        PaintColumn(c, settings_.colourful ? Spectrum(7 * c) : settings_.colour,
                    Scaled(BreathingCurve(step_)));
}

void LightEngine::StepStatic() {
    if (!settings_.colourful) return PaintAll(settings_.colour, Level());
    int colour = 138;
    for (int d = 0; d < kDiagonalCount; ++d) {
        for (uint8_t key : Diagonal(d))
            if (InSweepOrder(key)) Paint(key, Spectrum(colour), Level());
        colour = colour >= 12 ? colour - 12 : 150;
    }
}

void LightEngine::StepRainbowKeys() {
    for (int k = 0; k < kKeyCount; ++k) {
        keyColours_[k] =
            static_cast<uint8_t>(keyColours_[k] + 1 >= kSpectrumSize ? 0 : keyColours_[k] + 1);
        Paint(k, Spectrum(keyColours_[k]), Level());
    }
}

void LightEngine::StepRowRainbow() {
    Advance(kSpectrumSize);
    for (int r = 0; r < kGridRows; ++r)
        for (int c = 0; c < kGridColumns; ++c)
            Paint(GridKey(c, r), Spectrum(step_ + 1 + 24 * r), Level());
}

// Levels run +2 around the flash curve; odd start levels step past 192 without
// meeting it, so the wrap is on reaching it.
void LightEngine::StepRipple() {
    for (uint8_t key : SweepOrder()) FlashKeyOn(key, 2);
}

void LightEngine::FlashKeyOn(int key, int by) {
    if (key < 0 || key >= kKeyCount) return;
    int position = keyLevels_[key] + by;
    if (position >= kSpectrumSize) {
        position = 0;
        keyColours_[key] = RandomColour();
    }
    keyLevels_[key] = static_cast<uint8_t>(position);
    Paint(key, KeyRgb(key), Scaled(FlashCurve(position)));
}

void LightEngine::StepPresetColour() {
    static constexpr int kPresetColours[] = {174, 25, 70, 95};
    const int preset = settings_.preset >= 1 && settings_.preset <= 3 ? settings_.preset : 0;
    PaintAll(Spectrum(kPresetColours[preset]), Level());
}

void LightEngine::StepDiagonalRainbow() {
    Advance(kSpectrumSize);
    for (int d = 0; d < kDiagonalCount; ++d)
        for (uint8_t key : Diagonal(d)) Paint(key, Spectrum(step_ + 7 * (d + 1)), Level());
}

void LightEngine::StepCustomColours() {
    for (auto& entry : colours_) entry.brightness = Level();
}

void LightEngine::StepOff() {
    colours_.fill({});
}

// The head walks the 170 snake positions; backward it wraps from 0 to 169.
void LightEngine::StepSnake() {
    Advance(kSnakeLength);
    const auto order = SnakeOrder();
    if (step_ < order.size() && order[step_] < kKeyCount) keyLevels_[order[step_]] = 254;
    for (uint8_t key : SweepOrder()) {
        if (key >= kKeyCount) continue;
        keyLevels_[key] = FadeLevel(keyLevels_[key], 21);
        Paint(key, KeyRgb(key), Scaled(keyLevels_[key]));
    }
}

void LightEngine::StepKeyPulse() {
    // The phase lives in the key level.
    for (uint8_t key : ColumnTableKeys()) FlashKeyOn(key, 1);
}

bool LightEngine::BlinkToggled() {
    if (now_ - lastBlinkTime_ < static_cast<uint32_t>(BlinkPeriodMs(settings_.speed))) return false;
    lastBlinkTime_ = now_;
    blinkPhase_ ^= 1;
    return true;
}

void LightEngine::StepBlink() {
    if (BlinkToggled())
        step_ = static_cast<uint8_t>(NextPosition(true, kSpectrumSize, step_, kBlinkColourStep));
    ShowBlink(settings_.colourful ? Spectrum(step_) : settings_.colour);
}

void LightEngine::ShowBlink(Rgb colour) {
    if (blinkPhase_)
        PaintAll(colour, Level());
    else
        colours_.fill({});
}

void LightEngine::StepRowRipple() {
    Advance(kRowRippleLength);
    for (uint8_t key : RippleRow(step_)) {
        if (key >= kKeyCount) continue;
        keyLevels_[key] = 255;
        keyColours_[key] = 0;
    }
    for (int k = 0; k < kKeyCount; ++k) {
        keyLevels_[k] = static_cast<uint8_t>(std::max(0, keyLevels_[k] - 5));
        keyColours_[k] = static_cast<uint8_t>(std::min(255, keyColours_[k] + 3));
        if (settings_.colourful)
            Paint(k, Spectrum(keyColours_[k]), Level());
        else
            Paint(k, settings_.colour, Scaled(keyLevels_[k]));
    }
}

void LightEngine::StepFourColourBreathing() {
    Advance(kBreathLength);
    if (step_ == 0) colourIndex_ = static_cast<uint8_t>((colourIndex_ + 1) % kFourColours);
    PaintAll(FourColour(colourIndex_), Scaled(BreathingCurve(step_)));
}

void LightEngine::StepFourColourBlink() {
    if (BlinkToggled()) step_ = static_cast<uint8_t>(NextPosition(true, kFourColours, step_, 1));
    ShowBlink(FourColour(step_));
}

// The low bytes of the first three level values.
void LightEngine::StepExternalColour() {
    auto low = [this](int i) { return static_cast<uint8_t>(levelInput_[i] & 0xFF); };
    PaintAll({low(0), low(1), low(2)}, Level());
}

}  // namespace vivori::lighting
