#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "lighting/LightTypes.h"
#include "profiles/ProfileRecords.h"

namespace vivori::devices {

// The keyboard's lighting-and-settings block: 34 bytes at light slot x 33 of its
// parameter area, whose byte 0 holds the active light slot.
inline constexpr size_t kLightBlockSize = 34;
inline constexpr uint16_t kLightBlockStride = 33;
using LightBlock = std::array<uint8_t, kLightBlockSize>;

namespace light_byte {
inline constexpr size_t kValue = 0;  // what the caller of WriteSettings passes
inline constexpr size_t kMode = 1;   // device mode code
inline constexpr size_t kBrightness = 2;
inline constexpr size_t kSpeed = 3;  // 4 - the page's speed
inline constexpr size_t kDirection = 4;
inline constexpr size_t kColourful = 5;
inline constexpr size_t kRed = 6;
inline constexpr size_t kGreen = 7;
inline constexpr size_t kBlue = 8;
inline constexpr size_t kCleared = 16;
inline constexpr size_t kSecondary = 17;
inline constexpr size_t kFurther = 18;
inline constexpr size_t kWFlag = 19;
inline constexpr size_t kSixKey = 20;
inline constexpr size_t kWindowsLock = 21;
inline constexpr size_t kPollingRate = 22;
inline constexpr size_t kColourBlock = 25;
inline constexpr size_t kZeroOnWrite = 27;
}  // namespace light_byte

// The modes the host computes (music and level styles) are stored as this code.
inline constexpr uint8_t kHostDrivenModeCode = 0xFE;
inline constexpr int kMusicMode = lighting::kMusicMode;
inline constexpr int kLevelMode = lighting::kExternalColourMode;
// Per-key colours set by the user.
inline constexpr int kCustomColourMode = 19;
inline constexpr int kMaxSpeed = 4;

// The block WriteSettings sends: the current block with the profile's light and
// system settings put in. A mode index outside the mode map keeps the block's mode.
LightBlock BuildSettingsBlock(const LightBlock& current, uint8_t value,
                              const profiles::LightInfo& light,
                              const profiles::KeyboardSystemStages& system,
                              const std::vector<int>& modeMap);

// What a block read from the keyboard says, in the profile's terms.
struct DecodedSettings {
    // None when the keyboard runs a host-driven mode: the page keeps its own mode.
    std::optional<uint8_t> modeIndex;
    profiles::LightInfo light;  // selectItem only valid with modeIndex
    uint8_t wFlag = 0;
    uint8_t sixKeyFlag = 0;
    uint8_t windowsLock = 0;
    uint8_t pollingRate = 0;
};
// A mode code without a mode-map entry is taken as the index itself.
DecodedSettings DecodeSettingsBlock(const LightBlock& block, const std::vector<int>& modeMap);

}  // namespace vivori::devices
