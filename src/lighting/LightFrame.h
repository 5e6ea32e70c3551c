#pragma once

#include <cstdint>
#include <vector>

#include "lighting/LightTypes.h"

namespace vivori::lighting {

// The largest frame: the keyboard's 512-byte LED area holds 170 slots of 3 bytes.
inline constexpr int kMaxFrameSlots = 170;

// The light frame for SendLightFrame: keySlots x 3 bytes (keySlots clamped to
// 0-170), red, green and blue of each logical key at its device LED index (from
// ledOfKey), each scaled by the entry's brightness / 256. Keys without an LED and LED
// indexes not below keySlots are skipped.
std::vector<uint8_t> BuildLightFrame(const LedColourList& colours, const KeyIndexMap& ledOfKey,
                                     int keySlots);
// The same into `frame`, reusing its storage.
void BuildLightFrame(const LedColourList& colours, const KeyIndexMap& ledOfKey, int keySlots,
                     std::vector<uint8_t>& frame);

}  // namespace vivori::lighting
