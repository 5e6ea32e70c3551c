#include "devices/KeyIdentity.h"

#include <algorithm>

namespace vivori::devices {
namespace {

// Factory codes of logical keys 0-125; 126-169 are unused (20 00 00).
constexpr uint32_t kFactoryCodes[126] = {
    0x200029, 0x20003A, 0x20003B, 0x20003C, 0x20003D, 0x20003E, 0x20003F, 0x200040,  // 0
    0x200041, 0x200042, 0x200043, 0x200044, 0x200045, 0x200046, 0x200047, 0x200048,  // 8
    0xA01B00, 0xA02400, 0x200000, 0x200000, 0x200000, 0x200035, 0x20001E, 0x20001F,  // 16
    0x200020, 0x200021, 0x200022, 0x200023, 0x200024, 0x200025, 0x200026, 0x200027,  // 24
    0x20002D, 0x20002E, 0x20002A, 0x200049, 0x20004A, 0x20004B, 0x200053, 0x200054,  // 32
    0x200055, 0x200056, 0x20002B, 0x200014, 0x20001A, 0x200008, 0x200015, 0x200017,  // 40
    0x20001C, 0x200018, 0x20000C, 0x200012, 0x200013, 0x20002F, 0x200030, 0x200031,  // 48
    0x20004C, 0x20004D, 0x20004E, 0x20005F, 0x200060, 0x200061, 0x200032, 0x200039,  // 56
    0x200004, 0x200016, 0x200007, 0x200009, 0x20000A, 0x20000B, 0x20000D, 0x20000E,  // 64
    0x20000F, 0x200033, 0x200034, 0x200028, 0x20005C, 0x20005D, 0x20005E, 0x20008A,  // 72
    0x20008B, 0x200090, 0x200091, 0x200088, 0x200200, 0x20001D, 0x20001B, 0x200006,  // 80
    0x200019, 0x200005, 0x200011, 0x200010, 0x200036, 0x200037, 0x200038, 0x202000,  // 88
    0x200052, 0x200059, 0x20005A, 0x20005B, 0x200087, 0x200089, 0x200064, 0x200085,  // 96
    0x200000, 0x200100, 0x200800, 0x200400, 0x20002C, 0x204000, 0xA00100, 0x200065,  // 104
    0x201000, 0x200050, 0x200051, 0x20004F, 0x200062, 0x200063, 0x200058, 0x200057,  // 112
    0xD0A201, 0xD0A202, 0xD0A203, 0xD0A204, 0xD0A205, 0x208000,                      // 120
};
constexpr uint32_t kUnusedCode = 0x200000;

}  // namespace

uint32_t KeyIdentityCode(int keyIndex) {
    if (keyIndex < 0 || keyIndex >= kLogicalKeyCount) return 0;
    if (keyIndex < static_cast<int>(std::size(kFactoryCodes))) return kFactoryCodes[keyIndex];
    return kUnusedCode;
}

KeyLocations IdentifyKeys(std::span<const uint8_t> keyMap, std::span<const uint8_t> ledMap,
                          int slotCount) {
    KeyLocations out;
    const size_t slots = std::min<size_t>(std::max(slotCount, 0), keyMap.size() / 3);
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        const uint32_t code = KeyIdentityCode(key);
        for (size_t slot = 0; slot < slots; ++slot) {
            const uint8_t* entry = &keyMap[slot * 3];
            if ((uint32_t(entry[0]) << 16 | uint32_t(entry[1]) << 8 | entry[2]) != code) continue;
            out.slot[size_t(key)] = static_cast<uint8_t>(slot);
            out.led[size_t(key)] = slot < ledMap.size() ? ledMap[slot] : kNoSlot;
            break;
        }
    }
    return out;
}

}  // namespace vivori::devices
