#include "lighting/LightPacer.h"

#include <algorithm>
#include <array>

#include "lighting/LightTypes.h"

namespace vivori::lighting {

namespace {
constexpr std::array<int, kSpeeds> kPlainThresholds = {10, 8, 5, 3, 1};
constexpr std::array<int, kSpeeds> kSlowWaveThresholds = {3, 3, 3, 3, 3};
constexpr std::array<int, kSpeeds> kExternalThresholds = {1, 0, 0, 0, 0};
constexpr int kMusicThreshold = 2;
}  // namespace

int SpeedThreshold(int mode, int speed) {
    if (RunsCustomProgram(mode)) return 0;
    const int s = std::clamp(speed, 0, kSpeeds - 1);
    switch (mode) {
        case 16:
        case 18:
            return kSlowWaveThresholds[s];
        case kExternalColourMode:
            return kExternalThresholds[s];
        case kMusicMode:
            return kMusicThreshold;
        default:
            return kPlainThresholds[s];
    }
}

uint32_t StepIntervalMs(int mode, int speed) {
    const int ticks = SpeedThreshold(mode, speed);
    return ticks == 0 ? kLightLoopWaitMs : static_cast<uint32_t>(ticks) * kLightTickMs;
}

void LightPacer::Reset(uint32_t nowMs) {
    lastTick_ = nowMs;
    ticks_ = 0;
    ticked_ = false;
}

bool LightPacer::Pass(uint32_t nowMs, int mode, int speed) {
    return PassTicks(nowMs, SpeedThreshold(mode, speed));
}

bool LightPacer::PassTicks(uint32_t nowMs, int threshold) {
    ticked_ = nowMs - lastTick_ >= kLightTickMs;
    if (ticked_) {
        lastTick_ = nowMs;
        ++ticks_;
    }
    if (ticks_ < threshold) return false;
    ticks_ = 0;
    return true;
}

uint32_t LightPacer::WaitMs(uint32_t nowMs, int mode, int speed, uint32_t outputMs) const {
    const bool everyPass = SpeedThreshold(mode, speed) == 0 && IsHostDrivenMode(mode);
    return WaitMs(nowMs, everyPass ? outputMs : 0);
}

uint32_t LightPacer::WaitMs(uint32_t nowMs, uint32_t everyPassMs) const {
    const uint32_t sinceTick = nowMs - lastTick_;
    const uint32_t untilTick = sinceTick >= kLightTickMs ? 0 : kLightTickMs - sinceTick;
    return std::max<uint32_t>(everyPassMs != 0 ? everyPassMs : untilTick, kLightLoopWaitMs);
}

}  // namespace vivori::lighting
