#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vivori {

// One macro or recoil event as the macro files carry it.
struct MacroEvent {
    bool press = false;  // "Action" "down"
    uint8_t type = 0;    // 7 bits on the device
    uint8_t button = 0;
    uint16_t delay = 0;  // milliseconds
};

// The device's 4-byte event record: delay low, delay high, type (bits 0-6) with
// bit 7 set on a press, button.
std::array<uint8_t, 4> EncodeEventRecord(const MacroEvent& event);

// A memory image: 16-byte header (AA 55, total length, record count), the offset
// table, then one record per macro (event count, two zero bytes, the events).
struct MacroImage {
    std::vector<uint8_t> bytes;
    int eventsTooMany = 0;  // > 0: refused, and bytes is empty
    bool Fits() const { return eventsTooMany == 0; }
};

// The length and offsets are 16-bit fields, so no image may pass 65535 bytes.
inline constexpr size_t kImageFormatLimit = 0xFFFF;

// The macro image for a memory of capacityBytes. When it does not fit, it holds
// no bytes and reports (total - capacity) / 4 + 1 events too many.
MacroImage BuildMacroImage(const std::vector<std::vector<MacroEvent>>& macros,
                           size_t capacityBytes);

// The recoil image: the same layout with one record per pattern 0-3. The device
// takes it without a capacity check, so only the format limit applies.
inline constexpr size_t kShootPatterns = 4;
MacroImage BuildShootImage(const std::array<std::vector<MacroEvent>, kShootPatterns>& patterns);

}  // namespace vivori
