#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace vivori::input {

// The identity a keyboard hook event gives a key: set-1 scan code and extended flag,
// as the key code table matches them.
struct ScanCode {
    std::uint8_t code = 0;
    bool extended = false;
};

struct EvdevScanCode {
    std::uint16_t evdev;  // Linux input event code (KEY_*)
    ScanCode scan;
};

// Every key the recorder can identify, by its Linux input event code.
std::span<const EvdevScanCode> EvdevScanCodes();

// The scan code of a Linux input event code; nothing for keys the table lacks.
std::optional<ScanCode> ScanCodeFromEvdev(std::uint16_t evdevCode);
// X11 and Wayland both give keys the native code evdev code + 8.
std::optional<ScanCode> ScanCodeFromNative(std::uint32_t nativeKeyCode);

}  // namespace vivori::input
