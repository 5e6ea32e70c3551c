#include "devices/KeyboardSettingsBlock.h"

#include <algorithm>

namespace vivori::devices {

using namespace light_byte;

LightBlock BuildSettingsBlock(const LightBlock& current, uint8_t value,
                              const profiles::LightInfo& light,
                              const profiles::KeyboardSystemStages& system,
                              const std::vector<int>& modeMap) {
    LightBlock block = current;
    block[kValue] = value;
    const int mode = light.selectItem;
    if (lighting::IsHostDrivenMode(mode))
        block[kMode] = kHostDrivenModeCode;
    else if (size_t(mode) < modeMap.size())
        block[kMode] = static_cast<uint8_t>(modeMap[size_t(mode)]);
    block[kBrightness] = light.light;
    block[kSpeed] = static_cast<uint8_t>(kMaxSpeed - std::min<int>(light.speed, kMaxSpeed));
    block[kDirection] = light.fx;
    block[kColourful] = light.multiColor;
    block[kRed] = light.red;
    block[kGreen] = light.green;
    block[kBlue] = light.blue;
    block[kFurther] = light.zzccLedMode;
    block[kColourBlock] = light.customGroup;
    block[kWFlag] = static_cast<uint8_t>(system.wFlag);
    block[kSixKey] = static_cast<uint8_t>(system.key6Flag);
    block[kWindowsLock] = static_cast<uint8_t>(system.winFlag);
    block[kPollingRate] = static_cast<uint8_t>(system.pollingRate);
    block[kCleared] = 0;
    block[kZeroOnWrite] = 0;
    return block;
}

DecodedSettings DecodeSettingsBlock(const LightBlock& block, const std::vector<int>& modeMap) {
    DecodedSettings out;
    uint8_t mode = block[kMode];
    const auto entry = std::find(modeMap.begin(), modeMap.end(), int(mode));
    if (entry != modeMap.end()) mode = static_cast<uint8_t>(entry - modeMap.begin());
    if (mode != kHostDrivenModeCode) out.modeIndex = mode;
    out.light.selectItem = mode;
    out.light.light = block[kBrightness];
    out.light.speed = static_cast<uint8_t>(kMaxSpeed - std::min<int>(block[kSpeed], kMaxSpeed));
    out.light.fx = block[kDirection];
    out.light.multiColor = block[kColourful];
    out.light.red = block[kRed];
    out.light.green = block[kGreen];
    out.light.blue = block[kBlue];
    out.light.zzccLedMode = block[kFurther];
    out.light.customGroup = block[kColourBlock];
    out.wFlag = block[kWFlag];
    out.sixKeyFlag = block[kSixKey];
    out.windowsLock = block[kWindowsLock];
    out.pollingRate = block[kPollingRate];
    return out;
}

}  // namespace vivori::devices
