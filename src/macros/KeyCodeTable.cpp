#include "macros/KeyCodeTable.h"

#include <array>

namespace vivori::macros {
namespace {

constexpr KeyCode Key(std::string_view name, uint16_t vk, uint8_t scan, bool ext, uint8_t usage,
                      uint8_t modifier = 0) {
    return {name, vk, scan, ext, true, kKindKeyboard, modifier, usage};
}
constexpr KeyCode Consumer(std::string_view name, uint16_t vk, uint16_t usage) {
    return {name,
            vk,
            0,
            false,
            false,
            kKindConsumer,
            static_cast<uint8_t>(usage & 0xFF),
            static_cast<uint8_t>(usage >> 8)};
}
constexpr KeyCode Special(std::string_view name, uint16_t vk, uint8_t kind, uint8_t code1,
                          uint8_t code2 = 0) {
    return {name, vk, 0, false, false, kind, code1, code2};
}

constexpr std::array<KeyCode, kKeyCodeCount> kKeys = {{
    // 0-7: modifiers, code1 = the modifier bit.
    Key("keyboard_key_LCtrl", 0xA2, 0x1D, false, 0, 0x01),
    Key("keyboard_key_LShift", 0xA0, 0x2A, false, 0, 0x02),
    Key("keyboard_key_LAlt", 0xA4, 0x38, false, 0, 0x04),
    Key("keyboard_key_LWin", 0x5B, 0x5B, true, 0, 0x08),
    Key("keyboard_key_RCtrl", 0xA3, 0x1D, true, 0, 0x10),
    Key("keyboard_key_RShift", 0xA1, 0x36, true, 0, 0x20),
    Key("keyboard_key_RAlt", 0xA5, 0x38, true, 0, 0x40),
    Key("keyboard_key_RWin", 0x5C, 0x5C, true, 0, 0x80),
    // 8-33: letters.
    Key("keyboard_key_A", 0x41, 0x1E, false, 0x04),
    Key("keyboard_key_B", 0x42, 0x30, false, 0x05),
    Key("keyboard_key_C", 0x43, 0x2E, false, 0x06),
    Key("keyboard_key_D", 0x44, 0x20, false, 0x07),
    Key("keyboard_key_E", 0x45, 0x12, false, 0x08),
    Key("keyboard_key_F", 0x46, 0x21, false, 0x09),
    Key("keyboard_key_G", 0x47, 0x22, false, 0x0A),
    Key("keyboard_key_H", 0x48, 0x23, false, 0x0B),
    Key("keyboard_key_I", 0x49, 0x17, false, 0x0C),
    Key("keyboard_key_J", 0x4A, 0x24, false, 0x0D),
    Key("keyboard_key_K", 0x4B, 0x25, false, 0x0E),
    Key("keyboard_key_L", 0x4C, 0x26, false, 0x0F),
    Key("keyboard_key_M", 0x4D, 0x32, false, 0x10),
    Key("keyboard_key_N", 0x4E, 0x31, false, 0x11),
    Key("keyboard_key_O", 0x4F, 0x18, false, 0x12),
    Key("keyboard_key_P", 0x50, 0x19, false, 0x13),
    Key("keyboard_key_Q", 0x51, 0x10, false, 0x14),
    Key("keyboard_key_R", 0x52, 0x13, false, 0x15),
    Key("keyboard_key_S", 0x53, 0x1F, false, 0x16),
    Key("keyboard_key_T", 0x54, 0x14, false, 0x17),
    Key("keyboard_key_U", 0x55, 0x16, false, 0x18),
    Key("keyboard_key_V", 0x56, 0x2F, false, 0x19),
    Key("keyboard_key_W", 0x57, 0x11, false, 0x1A),
    Key("keyboard_key_X", 0x58, 0x2D, false, 0x1B),
    Key("keyboard_key_Y", 0x59, 0x15, false, 0x1C),
    Key("keyboard_key_Z", 0x5A, 0x2C, false, 0x1D),
    // 34-43: digits 1-9, 0.
    Key("keyboard_key_1", 0x31, 0x02, false, 0x1E),
    Key("keyboard_key_2", 0x32, 0x03, false, 0x1F),
    Key("keyboard_key_3", 0x33, 0x04, false, 0x20),
    Key("keyboard_key_4", 0x34, 0x05, false, 0x21),
    Key("keyboard_key_5", 0x35, 0x06, false, 0x22),
    Key("keyboard_key_6", 0x36, 0x07, false, 0x23),
    Key("keyboard_key_7", 0x37, 0x08, false, 0x24),
    Key("keyboard_key_8", 0x38, 0x09, false, 0x25),
    Key("keyboard_key_9", 0x39, 0x0A, false, 0x26),
    Key("keyboard_key_0", 0x30, 0x0B, false, 0x27),
    // 44-60.
    Key("keyboard_key_Enter", 0x0D, 0x1C, false, 0x28),
    Key("keyboard_key_Esc", 0x1B, 0x01, false, 0x29),
    Key("keyboard_key_BackSpace", 0x08, 0x0E, false, 0x2A),
    Key("keyboard_key_Tab", 0x09, 0x0F, false, 0x2B),
    Key("keyboard_key_Space", 0x20, 0x39, false, 0x2C),
    Key("keyboard_key_-", 0xBD, 0x0C, false, 0x2D),
    Key("keyboard_key_=", 0xBB, 0x0D, false, 0x2E),
    Key("keyboard_key_[", 0xDB, 0x1A, false, 0x2F),
    Key("keyboard_key_]", 0xDD, 0x1B, false, 0x30),
    Key("keyboard_key_xiegang", 0xDC, 0x2B, false, 0x31),
    Key("keyboard_key_;", 0xBA, 0x27, false, 0x33),
    Key("keyboard_key_'", 0xDE, 0x28, false, 0x34),
    Key("keyboard_key_`", 0xC0, 0x29, false, 0x35),
    Key("keyboard_key_<", 0xBC, 0x33, false, 0x36),
    Key("keyboard_key_.", 0xBE, 0x34, false, 0x37),
    Key("keyboard_key_/", 0xBF, 0x35, false, 0x38),
    Key("keyboard_key_Caplk", 0x14, 0x3A, false, 0x39),
    // 61-72: F1-F12.
    Key("keyboard_key_F1", 0x70, 0x3B, false, 0x3A),
    Key("keyboard_key_F2", 0x71, 0x3C, false, 0x3B),
    Key("keyboard_key_F3", 0x72, 0x3D, false, 0x3C),
    Key("keyboard_key_F4", 0x73, 0x3E, false, 0x3D),
    Key("keyboard_key_F5", 0x74, 0x3F, false, 0x3E),
    Key("keyboard_key_F6", 0x75, 0x40, false, 0x3F),
    Key("keyboard_key_F7", 0x76, 0x41, false, 0x40),
    Key("keyboard_key_F8", 0x77, 0x42, false, 0x41),
    Key("keyboard_key_F9", 0x78, 0x43, false, 0x42),
    Key("keyboard_key_F10", 0x79, 0x44, false, 0x43),
    Key("keyboard_key_F11", 0x7A, 0x57, false, 0x44),
    Key("keyboard_key_F12", 0x7B, 0x58, false, 0x45),
    // 73-85: the navigation block.
    Key("keyboard_key_Print Scr", 0x2C, 0x37, true, 0x46),
    Key("keyboard_key_Scroll Lock", 0x91, 0x46, false, 0x47),
    Key("keyboard_key_Pause", 0x13, 0x45, false, 0x48),
    Key("keyboard_key_Insert", 0x2D, 0x52, true, 0x49),
    Key("keyboard_key_Home", 0x24, 0x47, true, 0x4A),
    Key("keyboard_key_Page Up", 0x21, 0x49, true, 0x4B),
    Key("keyboard_key_Delete", 0x2E, 0x53, true, 0x4C),
    Key("keyboard_key_End", 0x23, 0x4F, true, 0x4D),
    Key("keyboard_key_Page Down", 0x22, 0x51, true, 0x4E),
    Key("keyboard_key_Right", 0x27, 0x4D, true, 0x4F),
    Key("keyboard_key_Left", 0x25, 0x4B, true, 0x50),
    Key("keyboard_key_Down", 0x28, 0x50, true, 0x51),
    Key("keyboard_key_Up", 0x26, 0x48, true, 0x52),
    // 86-102: keypad.
    Key("keyboard_key_Num Lock", 0x90, 0x45, true, 0x53),
    Key("keyboard_key_Num /", 0x6F, 0x35, true, 0x54),
    Key("keyboard_key_Num *", 0x6A, 0x37, false, 0x55),
    Key("keyboard_key_Num -", 0x6D, 0x4A, false, 0x56),
    Key("keyboard_key_Num +", 0x6B, 0x4E, false, 0x57),
    Key("keyboard_key_Num Enter", 0x101, 0x1C, true, 0x58),
    Key("keyboard_key_Num 1", 0x61, 0x4F, false, 0x59),
    Key("keyboard_key_Num 2", 0x62, 0x50, false, 0x5A),
    Key("keyboard_key_Num 3", 0x63, 0x51, false, 0x5B),
    Key("keyboard_key_Num 4", 0x64, 0x4B, false, 0x5C),
    Key("keyboard_key_Num 5", 0x65, 0x4C, false, 0x5D),
    Key("keyboard_key_Num 6", 0x66, 0x4D, false, 0x5E),
    Key("keyboard_key_Num 7", 0x67, 0x47, false, 0x5F),
    Key("keyboard_key_Num 8", 0x68, 0x48, false, 0x60),
    Key("keyboard_key_Num 9", 0x69, 0x49, false, 0x61),
    Key("keyboard_key_Num 0", 0x60, 0x52, false, 0x62),
    Key("keyboard_key_Decimal", 0x6E, 0x53, false, 0x63),
    // 103-113: application key and the international keys.
    Key("keyboard_key_App", 0x5D, 0x5D, true, 0x65),
    Key("keyboard_key_K45", 0xE2, 0x56, false, 0x64),
    Key("keyboard_key_K56", 0xC1, 0x73, false, 0x87),
    Key("keyboard_key_K14", 0xFF, 0x7D, false, 0x89),
    Key("keyboard_key_K107", 0xC2, 0x7E, false, 0x85),
    Key("keyboard_key_K131", 0xEB, 0x7B, false, 0x8B),
    Key("keyboard_key_K132", 0xFF, 0x79, false, 0x8A),
    Key("keyboard_key_K133", 0xFF, 0x70, false, 0x88),
    Key("keyboard_key_K150", 0xE9, 0x71, false, 0x91),
    Key("keyboard_key_K151", 0xFF, 0x72, false, 0x90),
    {"keyboard_key_K42", 0xBF, 0, false, false, kKindKeyboard, 0, 0x32},
    // 114-131: consumer keys, code1 = usage low byte, code2 = high byte.
    Consumer("keyboard_key_Launch App2", 0xB7, 0x0192),
    Consumer("keyboard_key_Browaer Home", 0xAC, 0x0223),
    Consumer("keyboard_key_Media Play Pause", 0xB3, 0x00CD),
    Consumer("keyboard_key_Browser Search", 0xAA, 0x0221),
    Consumer("keyboard_key_Launch Mail", 0xB4, 0x018A),
    Consumer("keyboard_key_Volume Up", 0xAF, 0x00E9),
    Consumer("keyboard_key_Volume Mute", 0xAD, 0x00E2),
    Consumer("keyboard_key_Media Stop", 0xB2, 0x00B7),
    Consumer("keyboard_key_Volume Down", 0xAE, 0x00EA),
    Consumer("keyboard_key_Browser Favorites", 0xAB, 0x022A),
    Consumer("keyboard_key_Browser ForWard", 0xA7, 0x0225),
    Consumer("keyboard_key_Browser Back", 0xA6, 0x0224),
    Consumer("keyboard_key_Media Prev Track", 0xB1, 0x00B6),
    Consumer("keyboard_key_Media Next Track", 0xB0, 0x00B5),
    Consumer("keyboard_key_Computer", 0xB6, 0x0194),
    Consumer("keyboard_key_Browser Refresh", 0xA8, 0x0227),
    Consumer("wed_stop", 0xA9, 0x0226),
    Consumer("keyboard_key_Launch Media Select", 0xB5, 0x0183),
    // 132-134: system keys.
    Special("keyboard_key_Power", 0x103, kKindSystem, 1),
    Special("keyboard_key_Sleep", 0x104, kKindSystem, 2),
    Special("keyboard_key_Wakeup", 0x105, kKindSystem, 4),
    // 135-139: macro bank keys.
    Special("keyboard_key_M1", 0, kKindMacroBank, 0xA2, 1),
    Special("keyboard_key_M2", 0, kKindMacroBank, 0xA2, 2),
    Special("keyboard_key_M3", 0, kKindMacroBank, 0xA2, 3),
    Special("keyboard_key_M4", 0, kKindMacroBank, 0xA2, 4),
    Special("keyboard_key_M5", 0, kKindMacroBank, 0xA2, 5),
    // 140-141: device function keys.
    Special("keyboard_key_FN", 0, kKindDeviceFunction, 0x01),
    Special("keyboard_key_GM", 0, kKindDeviceFunction, 0x1B),
}};

constexpr std::array<MouseEventCode, kMouseEventCount> kMouse = {{
    {0x201, 0x10, 1, 0x81, "mouse_key_left"},
    {0x202, 0x10, 1, 0x01, "mouse_key_left"},
    {0x204, 0x10, 2, 0x81, "mouse_key_right"},
    {0x205, 0x10, 2, 0x01, "mouse_key_right"},
    {0x207, 0x10, 4, 0x81, "mouse_key_middle"},
    {0x208, 0x10, 4, 0x01, "mouse_key_middle"},
    {0x20B, 0x10, 16, 0x81, "mouse_key_forward"},
    {0x20C, 0x10, 16, 0x01, "mouse_key_forward"},
    {0x20B, 0x10, 8, 0x81, "mouse_key_back"},
    {0x20C, 0x10, 8, 0x01, "mouse_key_back"},
    {0, 0x15, 0, 0x84, "mouse_move_to_left_text"},
    {0, 0x15, 0, 0x04, "mouse_move_to_right_text"},
    {0, 0x15, 0, 0x85, "mouse_move_to_up_text"},
    {0, 0x15, 0, 0x05, "mouse_move_to_down_text"},
    {0x20A, 0x12, 0, 0x00, "mouse_cursor_text"},
}};

}  // namespace

std::span<const KeyCode> KeyCodeTable() {
    return kKeys;
}
std::span<const MouseEventCode> MouseEventTable() {
    return kMouse;
}

std::optional<size_t> FindKeyByScanCode(uint8_t scanCode, bool extended) {
    for (size_t i = 0; i < kHookIdentifiedRows; ++i)
        if (kKeys[i].scanCode == scanCode && kKeys[i].extended == extended) return i;
    return std::nullopt;
}

std::optional<size_t> FindKeyByCode(uint8_t kind, uint8_t code1, uint8_t code2) {
    for (size_t i = 0; i < kKeys.size(); ++i)
        if (kKeys[i].kind == kind && kKeys[i].code1 == code1 && kKeys[i].code2 == code2) return i;
    return std::nullopt;
}

}  // namespace vivori::macros
