#include "input/ScanCodes.h"

#include <array>

namespace vivori::input {
namespace {

constexpr EvdevScanCode Plain(std::uint16_t evdev, std::uint8_t scan) {
    return {evdev, {scan, false}};
}
constexpr EvdevScanCode Ext(std::uint16_t evdev, std::uint8_t scan) {
    return {evdev, {scan, true}};
}

// Linux numbers the ordinary keys by their set-1 scan codes, so most rows are equal;
// the keys a PC keyboard sends with an E0 prefix carry the extended flag. Where the key
// code table's flag differs from the keyboard's prefix (right Shift, Pause, Num Lock)
// the table wins, since recording matches against it.
// Grouped by row as a keyboard lays them out; one entry a line would lose that.
// clang-format off
constexpr std::array kTable = {
    // Modifiers.
    Plain(29, 0x1D), Plain(42, 0x2A), Plain(56, 0x38), Ext(125, 0x5B),  // LCtrl LShift LAlt LMeta
    Ext(97, 0x1D), Ext(54, 0x36), Ext(100, 0x38), Ext(126, 0x5C),       // RCtrl RShift RAlt RMeta
    // Letters.
    Plain(30, 0x1E), Plain(48, 0x30), Plain(46, 0x2E), Plain(32, 0x20), Plain(18, 0x12),  // A-E
    Plain(33, 0x21), Plain(34, 0x22), Plain(35, 0x23), Plain(23, 0x17), Plain(36, 0x24),  // F-J
    Plain(37, 0x25), Plain(38, 0x26), Plain(50, 0x32), Plain(49, 0x31), Plain(24, 0x18),  // K-O
    Plain(25, 0x19), Plain(16, 0x10), Plain(19, 0x13), Plain(31, 0x1F), Plain(20, 0x14),  // P-T
    Plain(22, 0x16), Plain(47, 0x2F), Plain(17, 0x11), Plain(45, 0x2D), Plain(21, 0x15),  // U-Y
    Plain(44, 0x2C),                                                                      // Z
    // Digits 1-9, 0.
    Plain(2, 0x02), Plain(3, 0x03), Plain(4, 0x04), Plain(5, 0x05), Plain(6, 0x06),
    Plain(7, 0x07), Plain(8, 0x08), Plain(9, 0x09), Plain(10, 0x0A), Plain(11, 0x0B),
    // Enter Esc BackSpace Tab Space - = [ ] \ ; ' ` , . / CapsLock.
    Plain(28, 0x1C), Plain(1, 0x01), Plain(14, 0x0E), Plain(15, 0x0F), Plain(57, 0x39),
    Plain(12, 0x0C), Plain(13, 0x0D), Plain(26, 0x1A), Plain(27, 0x1B), Plain(43, 0x2B),
    Plain(39, 0x27), Plain(40, 0x28), Plain(41, 0x29), Plain(51, 0x33), Plain(52, 0x34),
    Plain(53, 0x35), Plain(58, 0x3A),
    // F1-F12.
    Plain(59, 0x3B), Plain(60, 0x3C), Plain(61, 0x3D), Plain(62, 0x3E), Plain(63, 0x3F),
    Plain(64, 0x40), Plain(65, 0x41), Plain(66, 0x42), Plain(67, 0x43), Plain(68, 0x44),
    Plain(87, 0x57), Plain(88, 0x58),
    // SysRq ScrollLock Pause Insert Home PageUp Delete End PageDown Right Left Down Up.
    Ext(99, 0x37), Plain(70, 0x46), Plain(119, 0x45), Ext(110, 0x52), Ext(102, 0x47),
    Ext(104, 0x49), Ext(111, 0x53), Ext(107, 0x4F), Ext(109, 0x51), Ext(106, 0x4D),
    Ext(105, 0x4B), Ext(108, 0x50), Ext(103, 0x48),
    // Keypad: NumLock / * - + Enter 1-9 0 . (Num Lock as the table flags it).
    Ext(69, 0x45), Ext(98, 0x35), Plain(55, 0x37), Plain(74, 0x4A), Plain(78, 0x4E),
    Ext(96, 0x1C), Plain(79, 0x4F), Plain(80, 0x50), Plain(81, 0x51), Plain(75, 0x4B),
    Plain(76, 0x4C), Plain(77, 0x4D), Plain(71, 0x47), Plain(72, 0x48), Plain(73, 0x49),
    Plain(82, 0x52), Plain(83, 0x53),
    // Compose (menu), 102nd key, Ro, Yen, keypad JP comma, Muhenkan, Henkan,
    // Katakana/Hiragana, Hanja, Hangeul.
    Ext(127, 0x5D), Plain(86, 0x56), Plain(89, 0x73), Plain(124, 0x7D), Plain(95, 0x7E),
    Plain(94, 0x7B), Plain(92, 0x79), Plain(93, 0x70), Plain(123, 0x71), Plain(122, 0x72),
};
// clang-format on

}  // namespace

std::span<const EvdevScanCode> EvdevScanCodes() {
    return kTable;
}

std::optional<ScanCode> ScanCodeFromEvdev(std::uint16_t evdevCode) {
    for (const EvdevScanCode& row : kTable)
        if (row.evdev == evdevCode) return row.scan;
    return std::nullopt;
}

std::optional<ScanCode> ScanCodeFromNative(std::uint32_t nativeKeyCode) {
    if (nativeKeyCode < 8 || nativeKeyCode > 0xFFFF + 8) return std::nullopt;
    return ScanCodeFromEvdev(static_cast<std::uint16_t>(nativeKeyCode - 8));
}

}  // namespace vivori::input
