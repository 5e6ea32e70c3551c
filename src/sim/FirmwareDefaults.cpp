#include "sim/FirmwareDefaults.h"

#include <cstdint>
#include <iterator>
#include <span>

namespace vivori::sim {

namespace {

// Keyboard key codes (type 0x20, modifier bits, HID usage) of a 104-key layout,
// slot after slot.
constexpr uint32_t kKeyboardSlots[] = {
    0x200029, 0x20003A, 0x20003B, 0x20003C, 0x20003D, 0x20003E, 0x20003F, 0x200040, 0x200041,
    0x200042, 0x200043, 0x200044, 0x200045, 0x200046, 0x200047, 0x200048, 0x200035, 0x20001E,
    0x20001F, 0x200020, 0x200021, 0x200022, 0x200023, 0x200024, 0x200025, 0x200026, 0x200027,
    0x20002D, 0x20002E, 0x20002A, 0x200049, 0x20004A, 0x20004B, 0x200053, 0x200054, 0x200055,
    0x200056, 0x20002B, 0x200014, 0x20001A, 0x200008, 0x200015, 0x200017, 0x20001C, 0x200018,
    0x20000C, 0x200012, 0x200013, 0x20002F, 0x200030, 0x200031, 0x20004C, 0x20004D, 0x20004E,
    0x20005F, 0x200060, 0x200061, 0x200039, 0x200004, 0x200016, 0x200007, 0x200009, 0x20000A,
    0x20000B, 0x20000D, 0x20000E, 0x20000F, 0x200033, 0x200034, 0x200028, 0x20005C, 0x20005D,
    0x20005E, 0x200200, 0x20001D, 0x20001B, 0x200006, 0x200019, 0x200005, 0x200011, 0x200010,
    0x200036, 0x200037, 0x200038, 0x202000, 0x200052, 0x200059, 0x20005A, 0x20005B, 0x200100,
    0x200800, 0x200400, 0x20002C, 0x204000, 0x200065, 0x201000, 0x200050, 0x200051, 0x20004F,
    0x200062, 0x200063, 0x200058, 0x200057, 0x208000,
};

// The mouse's button functions, in its slot order.
constexpr uint32_t kMouseSlots[] = {
    0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
    0x130200, 0x130300, 0xA01B00, 0x169001, 0x147802,
};

static_assert(std::size(kKeyboardSlots) == 104);

std::vector<uint8_t> KeyMapOf(std::span<const uint32_t> slots) {
    std::vector<uint8_t> map;
    for (uint32_t code : slots) {
        map.push_back(static_cast<uint8_t>(code >> 16));
        map.push_back(static_cast<uint8_t>(code >> 8));
        map.push_back(static_cast<uint8_t>(code));
    }
    return map;
}

std::vector<uint8_t> InfoBlock(size_t keySlots, uint8_t macroUnits) {
    std::vector<uint8_t> info(34, 0);
    info[0] = 0x01;  // firmware version, not used by the host
    info[5] = static_cast<uint8_t>(keySlots);
    info[6] = macroUnits;
    return info;
}

std::vector<uint8_t> IdentityLedMap(size_t slots) {
    std::vector<uint8_t> map(slots);
    for (size_t i = 0; i < slots; ++i) map[i] = static_cast<uint8_t>(i);
    return map;
}

// Mode, brightness, speed (stored inverted), direction, colourful, red, green, blue.
void PutLight(std::vector<uint8_t>& params, size_t at, uint8_t mode) {
    const uint8_t light[] = {mode, 4, 2, 0, 1, 0xFF, 0x00, 0x00};
    std::copy(std::begin(light), std::end(light), params.begin() + static_cast<ptrdiff_t>(at + 1));
}

// Battery 80 %, on battery, no phone, cable, battery value.
const std::vector<uint8_t> kPowerRecord = {80, 2, 0, 0, 80, 0};

}  // namespace

FirmwareContents KeyboardFirmware() {
    const size_t slots = std::size(kKeyboardSlots);
    FirmwareContents c;
    c.info = InfoBlock(slots, 32);
    c.keyMap = KeyMapOf(kKeyboardSlots);
    c.ledMap = IdentityLedMap(slots);
    c.params.assign(8 * 33 + 1, 0);
    for (size_t slot = 0; slot < 8; ++slot) {
        PutLight(c.params, slot * 33, 1);
        c.params[slot * 33 + 22] = 3;                           // polling rate
        c.params[slot * 33 + 25] = static_cast<uint8_t>(slot);  // colour block
    }
    c.params[0] = 0;  // light slot
    c.status = kPowerRecord;
    return c;
}

FirmwareContents MouseFirmware() {
    FirmwareContents c;
    c.info = InfoBlock(std::size(kMouseSlots), 16);
    const uint16_t sensor = 0x3395, highest = 519, base = 100;
    c.info[9] = sensor & 0xFF;
    c.info[10] = sensor >> 8;
    c.info[11] = 50;  // DPI per slider position
    c.info[12] = highest & 0xFF;
    c.info[13] = highest >> 8;
    c.info[14] = base & 0xFF;
    c.info[15] = base >> 8;
    c.keyMap = KeyMapOf(kMouseSlots);
    c.ledMap = IdentityLedMap(std::size(kMouseSlots));
    // Five profile blocks of 128 bytes; byte 0 of block 0 is the current profile.
    c.params.assign(5 * 128, 0);
    const uint16_t stages[5] = {400, 800, 1600, 3200, 6400};
    for (size_t p = 0; p < 5; ++p) {
        const size_t at = p * 128;
        PutLight(c.params, at, 0);
        c.params[at + 11] = 3;  // polling-rate option
        c.params[at + 12] = 1;  // current DPI stage
        for (size_t s = 0; s < 5; ++s) {
            const size_t st = at + 14 + s * 9;
            const uint16_t position = static_cast<uint16_t>((stages[s] - base) / 50);
            c.params[st] = 1;
            c.params[st + 2] = position & 0xFF;
            c.params[st + 3] = position >> 8;
            c.params[st + 4] = position & 0xFF;
            c.params[st + 5] = position >> 8;
            c.params[st + 6 + s % 3] = 0xFF;
        }
    }
    c.status = kPowerRecord;
    return c;
}

FirmwareContents MousePadFirmware() {
    FirmwareContents c;
    c.info = InfoBlock(0, 0);
    c.params.assign(4 * 64, 0);
    PutLight(c.params, 0, 0);
    // On its cable, with a phone of the third kind charging on it.
    c.status = {100, 0, 3, 0, 100, 0};
    c.hasKeys = false;
    return c;
}

FirmwareContents HeadsetFirmware() {
    FirmwareContents c = MousePadFirmware();
    c.status = kPowerRecord;
    return c;
}

}  // namespace vivori::sim
