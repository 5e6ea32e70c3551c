#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/KeyIdentity.h"
#include "profiles/ProfileRecords.h"

namespace vivori::devices {

// Logical keys 0-125 carry assignments; the rest are lighting positions only.
inline constexpr int kAssignableKeyCount = 126;

// What a key list asks of the keyboard: the 3-byte code of each slot it changes, and
// the macros it plays in the order the device's macro image holds them. A key's
// macro number becomes its position in that order; a key naming a macro that does
// not exist gets its default code instead.
struct KeyTablePlan {
    struct SlotCode {
        uint8_t slot = 0;
        uint32_t code = 0;
    };
    std::vector<SlotCode> codes;
    std::vector<int> usedMacros;  // macro list positions, first use first
    // Keys given something other than their default that have no slot here: their
    // assignment cannot reach the keyboard, which the caller reports.
    std::vector<int> unplacedKeys;
};

// The one walk over the key list that both the key table and the macro image follow,
// so the positions written into keys match the records uploaded. Keys without a slot
// on this keyboard, beyond slotCount or beyond the key list are skipped (and listed
// in unplacedKeys when they carry an assignment of their own).
KeyTablePlan PlanKeyTable(const std::vector<profiles::KeyListEntry>& keys,
                          const KeyLocations& locations, int slotCount, size_t macroCount);

// The key map with the plan's codes put in; `keyMap` holds slotCount x 3 bytes.
void ApplyKeyTablePlan(const KeyTablePlan& plan, std::vector<uint8_t>& keyMap);

}  // namespace vivori::devices
