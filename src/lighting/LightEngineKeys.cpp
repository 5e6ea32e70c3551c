// The key-reactive layer and the wave effects: key levels that rise, fall and fade,
// and fronts that the wave masks carry across the key grid.
#include <algorithm>

#include "lighting/LightEngine.h"
#include "lighting/LightTables.h"

namespace vivori::lighting {

namespace {

constexpr int kRisingStep = 15;
constexpr int kFallingStep = 5;
constexpr int kWaveColourStep = 7;
constexpr int kTwinklesPerStep = 6;

// The glow neighbourhood: what a press adds to a cell and a release takes away.
struct GlowCell {
    int dc;
    int dr;
    int raise;
    int drop;
};
constexpr GlowCell kGlowCells[] = {
    {0, -1, 150, 15}, {0, 1, 150, 15}, {-1, 0, 150, 15}, {1, 0, 150, 15},
    {0, -2, 90, 90},  {0, 2, 90, 90},  {-1, -1, 90, 90}, {1, -1, 90, 90},
    {-1, 1, 90, 90},  {1, 1, 90, 90},  {-2, 0, 60, 90},  {2, 0, 60, 90},
};

// The scripted show's fixed keys.
constexpr int kShowPairSteps = 30;
constexpr int kShowPairEndKey = 72;
constexpr int kShowWaveKey = 52;
constexpr int kShowWaveEndKey = 125;
enum ShowPhase : uint8_t { kShowStart, kShowPairs, kShowWave, kShowWaves, kShowWait };

}  // namespace

// ---- key events ----

bool LightEngine::OnKeySlotEvent(int slot, KeyAction action, const KeyIndexMap& keySlotOfKey) {
    if (slot < 0 || slot >= kNoIndex) return false;
    for (int key = 0; key < kKeyCount; ++key)
        if (keySlotOfKey[static_cast<size_t>(key)] == slot) {
            OnKeyEvent(key, action);
            return true;
        }
    return false;
}

void LightEngine::OnKeyEvent(int key, KeyAction action) {
    if (key < 0 || key >= kKeyCount) return;
    switch (settings_.mode) {
        case 25:
            return GlowKey(key, action);
        case 8:
        case 9:
            if (action == KeyAction::Press) StartKeyWave(key);
            return;
        case 7:
            return FlashKey(key, action);
        default:
            return;
    }
}

void LightEngine::FlashKey(int key, KeyAction action) {
    keyLevels_[key] = 255;
    keyColours_[key] = RandomColour();
    keyStates_[key] = action == KeyAction::Press ? kRising : kFalling;
}

void LightEngine::StartKeyWave(int key) {
    if (auto cell = GridCellOfKey(key)) masks_.Seed(cell->column, cell->row);
}

bool LightEngine::HasPressedNeighbour(int column, int row) const {
    for (const GlowCell& cell : kGlowCells) {
        const uint8_t key = GridKey(column + cell.dc, row + cell.dr);
        if (key < kKeyCount && keyPressed_[key]) return true;
    }
    return false;
}

void LightEngine::GlowKey(int key, KeyAction action) {
    auto at = GridCellOfKey(key);
    if (!at) return;
    const bool press = action == KeyAction::Press;
    // Cleared before the neighbours look, or the released key would hold them all.
    keyPressed_[key] = press;
    if (press) {
        keyStates_[key] = kRising;
        keyLevels_[key] = 255;
    } else if (!HasPressedNeighbour(at->column, at->row)) {
        keyStates_[key] = kFalling;
    }
    for (const GlowCell& cell : kGlowCells) {
        const int c = at->column + cell.dc, r = at->row + cell.dr;
        const uint8_t k = GridKey(c, r);
        if (k >= kKeyCount) continue;
        if (press) {
            keyLevels_[k] = static_cast<uint8_t>(std::min(255, keyLevels_[k] + cell.raise));
            keyStates_[k] = kRising;
        } else if (!HasPressedNeighbour(c, r)) {
            keyLevels_[k] = static_cast<uint8_t>(std::max(0, keyLevels_[k] - cell.drop));
            keyStates_[k] = kFalling;
        }
    }
}

// ---- steps ----

void LightEngine::StepKeyLevels() {
    for (int k = 0; k < kKeyCount; ++k) {
        if (keyStates_[k] == kRising)
            keyLevels_[k] = static_cast<uint8_t>(std::min(255, keyLevels_[k] + kRisingStep));
        else if (keyStates_[k] == kFalling)
            keyLevels_[k] = static_cast<uint8_t>(std::max(0, keyLevels_[k] - kFallingStep));
    }
    ShowKeyLevels();
}

std::bitset<kKeyCount> LightEngine::LightMasks() {
    std::bitset<kKeyCount> lit;
    masks_.ForEachLitKey([this, &lit](int key) {
        keyLevels_[key] = 255;
        if (settings_.colourful) keyColours_[key] = RandomColour();
        lit.set(static_cast<size_t>(key));
    });
    return lit;
}

void LightEngine::StepKeyWaves() {
    LightMasks();
    masks_.Move();
    FadeKeys(8);
    for (auto& colour : keyColours_)
        colour = static_cast<uint8_t>((colour + kWaveColourStep) % kSpectrumSize);
    ShowKeyLevels();
}

void LightEngine::StepKeyRowWave() {
    LightMasks();
    masks_.Slide();
    FadeKeys(9);
    ShowKeyLevels();
}

void LightEngine::StepTwinkle() {
    const auto picks = RandomPicks();
    const auto order = SweepOrder();
    for (int i = 0; i < kTwinklesPerStep; ++i) {
        const uint8_t position = picks[random_.Below(static_cast<uint32_t>(picks.size()))];
        const uint8_t colour = RandomColour();
        const uint8_t key = position < order.size() ? order[position] : kNoKey;
        if (key >= kKeyCount) continue;
        keyLevels_[key] = 255;
        keyColours_[key] = colour;
    }
    FadeKeys(10);
    ShowKeyLevels();
}

void LightEngine::StartRisingWave() {
    masks_.Seed(9, WaveMasks::kSeedRow);
}

// A front rises from below column 9; once it has reached the top row a new one
// starts. The fronts move every second step.
void LightEngine::StepRisingWave() {
    const uint8_t front = masks_.Column(9);
    if (front == WaveMasks::RowBit(0) || front == WaveMasks::RowBit(WaveMasks::kSeedRow))
        StartRisingWave();
    subCounter_ ^= 1;
    if (subCounter_) {
        LightMasks();
        masks_.Move();
    }
    FadeKeys(13);
    ShowKeyLevels();
}

void LightEngine::StartSideWave() {
    masks_.Seed(1, 0);
}

// A front runs from the top of column 1 down and across; once it has left through
// the bottom of column 22 a new one starts.
void LightEngine::StepSideWave() {
    bool seeded = true;
    for (int m = 0; m < WaveMasks::kMaskCount; ++m)
        seeded = seeded && masks_.At(m, 1) == WaveMasks::RowBit(0);
    if (seeded || masks_.Column(22) == WaveMasks::RowBit(WaveMasks::kSeedRow)) StartSideWave();
    LightMasks();
    masks_.Move();
    FadeKeys(16);
    ShowKeyLevels();
}

// Keys light in a fixed pattern, then pairs, then a wave from key 52 runs until it
// has lit key 125; once that key is dark again the show starts over.
void LightEngine::StepScriptedShow() {
    auto lightKeys = [this](std::span<const uint8_t> keys) {
        for (uint8_t key : keys) LightKey(key);
    };
    switch (phase_) {
        case kShowStart:
            lightKeys(ScriptStartKeys(step_));
            if (++step_ >= kScriptStartSteps) phase_ = kShowPairs, step_ = 0;
            break;
        case kShowPairs:
            // The pair table ends at 16 steps; the phase runs on to step 30 dark.
            lightKeys(ScriptPairKeys(step_));
            if (step_ <= kShowPairSteps) ++step_;
            if (step_ > kShowPairSteps && keyLevels_[kShowPairEndKey] == 0) phase_ = kShowWave;
            break;
        case kShowWave:
            StartKeyWave(kShowWaveKey);
            phase_ = kShowWaves;
            break;
        case kShowWaves:
            LightMasks();
            masks_.Move();
            if (keyLevels_[kShowWaveEndKey] != 0) phase_ = kShowWait;
            break;
        default:
            if (keyLevels_[kShowWaveEndKey] == 0) {
                masks_.Clear();
                phase_ = kShowStart;
                step_ = 0;
            }
            break;
    }
    FadeKeys(14);
    ShowKeyLevels();
}

}  // namespace vivori::lighting
