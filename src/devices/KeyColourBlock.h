#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "devices/KeyIdentity.h"
#include "devices/LightRecords.h"

namespace vivori::devices {

// One per-key colour block as the keyboard stores it: red, green, blue at LED index x 3.
inline constexpr size_t kKeyColourBufferSize = 512;
using KeyColourBuffer = std::array<uint8_t, kKeyColourBufferSize>;

// Whether a key's LED index addresses a colour the block holds: one of the
// keyboard's key slots, with all three bytes inside the buffer.
bool LedInBlock(uint8_t led, int slotCount);

// The block for colours by logical key, each scaled by its brightness (255 = as is).
KeyColourBuffer PackKeyColours(const std::vector<LedColour>& keyColours,
                               const KeyLocations& locations, int slotCount);

// The colours by logical key of a block read from the keyboard, at full brightness;
// keys without a colour in the block keep what `keyColours` held.
void UnpackKeyColours(const KeyColourBuffer& block, const KeyLocations& locations, int slotCount,
                      std::vector<LedColour>& keyColours);

}  // namespace vivori::devices
