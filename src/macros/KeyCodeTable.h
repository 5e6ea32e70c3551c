#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vivori::macros {

// Kind bytes of the key code table; the triple (kind, code1, code2) is also the
// assignment code a key carries.
inline constexpr uint8_t kKindKeyboard = 0x20;
inline constexpr uint8_t kKindConsumer = 0x30;
inline constexpr uint8_t kKindSystem = 0x40;
inline constexpr uint8_t kKindDeviceFunction = 0xA0;
inline constexpr uint8_t kKindMacroBank = 0xD0;

// One key the program can record or assign.
struct KeyCode {
    std::string_view nameKey;  // language-file key of the display name
    uint16_t virtualKey;
    uint8_t scanCode;     // set-1 scan code that identifies the key in hook events
    bool extended;        // extended-key flag of hook events
    bool hookIdentified;  // rows the hook can match by (scan code, extended)
    uint8_t kind;
    uint8_t code1;
    uint8_t code2;
};

inline constexpr size_t kKeyCodeCount = 142;
inline constexpr size_t kHookIdentifiedRows = 113;

std::span<const KeyCode> KeyCodeTable();
// The row recording matches a hook event against; nothing when no row has it.
std::optional<size_t> FindKeyByScanCode(uint8_t scanCode, bool extended);
// The row with this assignment triple; nothing when none.
std::optional<size_t> FindKeyByCode(uint8_t kind, uint8_t code1, uint8_t code2);

// One mouse action the recorder knows.
struct MouseEventCode {
    uint16_t message;  // window message, or 0 for an axis
    uint8_t kind;      // 0x10 button, 0x15 move, 0x12 wheel
    uint8_t button;    // button bit; moves carry their distance instead
    uint8_t typeByte;  // event Type with bit 7 set for a press or a negative move
    std::string_view nameKey;
};

inline constexpr size_t kMouseEventCount = 15;
std::span<const MouseEventCode> MouseEventTable();

}  // namespace vivori::macros
