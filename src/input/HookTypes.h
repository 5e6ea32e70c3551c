#pragma once

#include <cstdint>

namespace vivori::input {

// Keyboard window messages a keyboard hook event carries as wParam.
inline constexpr std::uint32_t kKeyDown = 0x100;
inline constexpr std::uint32_t kKeyUp = 0x101;
inline constexpr std::uint32_t kSysKeyDown = 0x104;
inline constexpr std::uint32_t kSysKeyUp = 0x105;

// Mouse window messages a mouse hook event carries as wParam.
inline constexpr std::uint32_t kLeftDown = 0x201;
inline constexpr std::uint32_t kLeftUp = 0x202;
inline constexpr std::uint32_t kRightDown = 0x204;
inline constexpr std::uint32_t kRightUp = 0x205;
inline constexpr std::uint32_t kMiddleDown = 0x207;
inline constexpr std::uint32_t kMiddleUp = 0x208;
inline constexpr std::uint32_t kExtraDown = 0x20B;
inline constexpr std::uint32_t kExtraUp = 0x20C;
// Extra-button numbers in the high word of MouseHookRecord::mouseData.
inline constexpr std::uint16_t kExtraButtonBack = 1;
inline constexpr std::uint16_t kExtraButtonForward = 2;

inline constexpr std::uint32_t kExtendedFlag = 0x01;

// One keyboard event, laid out as the keyboard hook record the handlers read:
// virtual key, set-1 scan code, flags (bit 0: extended key) and the time stamp.
struct KeyHookRecord {
    std::uint32_t vkCode = 0;
    std::uint32_t scanCode = 0;
    std::uint32_t flags = 0;
    // Milliseconds on the tick clock (platform Time), taken when the event happened,
    // not when it was handled.
    std::uint32_t time = 0;
    std::uintptr_t extraInfo = 0;

    bool Extended() const { return (flags & kExtendedFlag) != 0; }
};

// One mouse button event, laid out as the mouse hook record: the cursor position in
// screen coordinates first, and the extra-button number in the high word of the
// last field for kExtraDown and kExtraUp. The time stamp follows.
struct MouseHookRecord {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uintptr_t window = 0;
    std::uint32_t hitTestCode = 0;
    std::uintptr_t extraInfo = 0;
    std::uint32_t mouseData = 0;
    std::uint32_t time = 0;

    std::uint16_t ExtraButton() const { return static_cast<std::uint16_t>(mouseData >> 16); }
};

inline bool IsKeyDownMessage(std::uint32_t message) {
    return message == kKeyDown || message == kSysKeyDown;
}

// Caps Lock, Num Lock and Scroll Lock reach the system even while input is captured.
inline bool IsLockKey(std::uint32_t virtualKey) {
    return virtualKey == 0x14 || virtualKey == 0x90 || virtualKey == 0x91;
}

}  // namespace vivori::input
