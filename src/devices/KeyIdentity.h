#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vivori::devices {

// Logical keys: the page and the lighting engine number keys 0-169; the keyboard
// numbers them by key slot and by LED index.
inline constexpr int kLogicalKeyCount = 170;
inline constexpr uint8_t kNoSlot = 255;

// The factory code (type, parameter, value) of logical key `keyIndex`: how the
// keyboard's key map names that key until it is reassigned. 0 outside 0-169.
uint32_t KeyIdentityCode(int keyIndex);

using KeyIndexes = std::array<uint8_t, kLogicalKeyCount>;

constexpr KeyIndexes NoKeyIndexes() {
    KeyIndexes indexes{};
    indexes.fill(kNoSlot);
    return indexes;
}

// Where each logical key sits on this keyboard; kNoSlot where it has none, which is
// every key until the keyboard has been read.
struct KeyLocations {
    KeyIndexes slot = NoKeyIndexes();
    KeyIndexes led = NoKeyIndexes();
};

// Finds each key's factory code in the key map (3 bytes per slot, the first match
// wins) and takes its LED index from the LED map (1 byte per slot). Slots beyond
// either map are not looked at.
KeyLocations IdentifyKeys(std::span<const uint8_t> keyMap, std::span<const uint8_t> ledMap,
                          int slotCount);

}  // namespace vivori::devices
