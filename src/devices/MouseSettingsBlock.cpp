#include "devices/MouseSettingsBlock.h"

#include <algorithm>

namespace vivori::devices {

using namespace mouse_byte;

namespace {

constexpr int kMaxLevel = 4;

void Put16(MouseSettingsBlock& block, size_t at, int value) {
    const int v = std::clamp(value, 0, 0xFFFF);
    block[at] = static_cast<uint8_t>(v);
    block[at + 1] = static_cast<uint8_t>(v >> 8);
}

uint8_t ModeCode(int index, const std::vector<int>& modeMap) {
    if (modeMap.empty()) return static_cast<uint8_t>(index < kMouseLightModes ? index : 0);
    if (index >= kMouseLightModes || size_t(index) >= modeMap.size()) index = 0;
    return static_cast<uint8_t>(modeMap[size_t(index)]);
}

}  // namespace

MouseSettingsBlock BuildMouseSettingsBlock(const MouseBlockSource& s,
                                           const std::vector<int>& modeMap) {
    MouseSettingsBlock block{};
    block[kValue] = s.value;
    block[kMode] = ModeCode(s.light.selectItem, modeMap);
    block[kBrightness] = static_cast<uint8_t>(std::min<int>(s.light.light, kMaxLevel));
    block[kSpeed] = static_cast<uint8_t>(kMaxLevel - std::min<int>(s.light.speed, kMaxLevel));
    block[kDirection] = s.light.fx;
    block[kColourful] = s.light.multiColor;
    block[kRed] = s.light.red;
    block[kGreen] = s.light.green;
    block[kBlue] = s.light.blue;
    block[kPollingRate] = static_cast<uint8_t>(s.system.reportRate);
    block[kDpiStage] = static_cast<uint8_t>(std::clamp(s.currentStage, 0, kMouseStageCount - 1));
    for (size_t i = 0; i < s.stages.size() && i < size_t(kMouseStageCount); ++i) {
        const profiles::DpiStage& st = s.stages[i];
        const size_t at = kStages + i * kStageSize;
        block[at] = st.stageActive;
        block[at + 1] = st.stageXY;
        Put16(block, at + 2, st.dpiX);
        Put16(block, at + 4, st.dpiY);
        block[at + 6] = st.red;
        block[at + 7] = st.green;
        block[at + 8] = st.blue;
    }
    block[kFlag] = s.flag;
    Put16(block, kScreenWidth, s.screenWidth);
    Put16(block, kScreenHeight, s.screenHeight);
    const auto selected = std::find_if(s.correction.begin(), s.correction.end(),
                                       [](const auto& entry) { return entry.select != 0; });
    if (selected != s.correction.end()) {
        block[kCorrectMinSquare] = selected->minSquare;
        block[kCorrectPixelThreshold] = selected->pixelThreshold;
    }
    return block;
}

DecodedMouseBlock DecodeMouseBlock(const MouseBlockImage& block, const std::vector<int>& modeMap) {
    DecodedMouseBlock out;
    uint8_t mode = block[kMode];
    const auto entry = std::find(modeMap.begin(), modeMap.end(), int(mode));
    if (entry != modeMap.end()) mode = static_cast<uint8_t>(entry - modeMap.begin());
    out.light.selectItem = mode;
    out.light.light = static_cast<uint8_t>(std::min<int>(block[kBrightness], kMaxLevel));
    out.light.speed = static_cast<uint8_t>(kMaxLevel - std::min<int>(block[kSpeed], kMaxLevel));
    out.light.multiColor = block[kColourful];
    out.light.red = block[kRed];
    out.light.green = block[kGreen];
    out.light.blue = block[kBlue];
    out.currentStage = static_cast<uint8_t>(std::min<int>(block[kDpiStage], kMouseStageCount - 1));
    return out;
}

}  // namespace vivori::devices
