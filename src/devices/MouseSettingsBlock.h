#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "profiles/ProfileRecords.h"

namespace vivori::devices {

// The mouse keeps one 128-byte block per on-device profile in its parameter area;
// byte 0 of address 0 is the current profile. The host writes 66 bytes of a block
// and reads 71.
inline constexpr uint16_t kMouseProfileStride = 128;
inline constexpr size_t kMouseBlockWriteSize = 66;
inline constexpr size_t kMouseBlockReadSize = 71;
inline constexpr int kMouseStageCount = 5;
inline constexpr int kMouseLightModes = 10;
using MouseSettingsBlock = std::array<uint8_t, kMouseBlockWriteSize>;
using MouseBlockImage = std::array<uint8_t, kMouseBlockReadSize>;

namespace mouse_byte {
inline constexpr size_t kValue = 0;  // the current profile, at address 0
inline constexpr size_t kMode = 1;   // device mode code
inline constexpr size_t kBrightness = 2;
inline constexpr size_t kSpeed = 3;  // 4 - the page's speed
inline constexpr size_t kDirection = 4;
inline constexpr size_t kColourful = 5;
inline constexpr size_t kRed = 6;
inline constexpr size_t kGreen = 7;
inline constexpr size_t kBlue = 8;
inline constexpr size_t kCleared = 9;
inline constexpr size_t kPollingRate = 11;
inline constexpr size_t kDpiStage = 12;
inline constexpr size_t kStages = 14;  // five stages of 9 bytes
inline constexpr size_t kStageSize = 9;
inline constexpr size_t kFlag = 59;
inline constexpr size_t kScreenWidth = 60;  // little-endian
inline constexpr size_t kScreenHeight = 62;
inline constexpr size_t kCorrectMinSquare = 64;
inline constexpr size_t kCorrectPixelThreshold = 65;
}  // namespace mouse_byte

// What the block is built from: the profile's settings and the caller's values.
struct MouseBlockSource {
    uint8_t value = 0;
    uint8_t flag = 1;
    profiles::LightInfo light;
    std::vector<profiles::DpiStage> stages;  // the first five are sent
    int currentStage = 0;
    profiles::MouseSystemStages system;
    std::vector<profiles::CorrectInfoEntry> correction;
    int screenWidth = 0;
    int screenHeight = 0;
};

// The 66 bytes WriteSettings sends. Mode indexes of 10 and above, and any beyond the
// mode map, are written as the map's first entry; brightness and speed are kept to
// 0-4; stages the profile lacks are zero.
MouseSettingsBlock BuildMouseSettingsBlock(const MouseBlockSource& source,
                                           const std::vector<int>& modeMap);

// What a block read back says: the light record (its direction is not stored) and
// the current DPI stage.
struct DecodedMouseBlock {
    profiles::LightInfo light;
    uint8_t currentStage = 0;
};
DecodedMouseBlock DecodeMouseBlock(const MouseBlockImage& block, const std::vector<int>& modeMap);

}  // namespace vivori::devices
