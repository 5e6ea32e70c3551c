#include "devices/KeyTablePlan.h"

#include <algorithm>

#include "macros/MacroAssignments.h"

namespace vivori::devices {

KeyTablePlan PlanKeyTable(const std::vector<profiles::KeyListEntry>& keys,
                          const KeyLocations& locations, int slotCount, size_t macroCount) {
    KeyTablePlan plan;
    const size_t count = std::min(keys.size(), size_t(kAssignableKeyCount));
    for (size_t key = 0; key < count; ++key) {
        const uint8_t slot = locations.slot[key];
        if (slot == kNoSlot || slot >= slotCount) {
            if (keys[key].current.Code() != keys[key].defaultAssign.Code())
                plan.unplacedKeys.push_back(int(key));
            continue;
        }
        profiles::KeyAssign assign = keys[key].current;
        if (assign.type == macros::kAssignMacro || assign.type == macros::kAssignMacroRepeat) {
            const int macro = assign.code1;
            if (size_t(macro) < macroCount) {
                auto found = std::find(plan.usedMacros.begin(), plan.usedMacros.end(), macro);
                if (found == plan.usedMacros.end())
                    found = plan.usedMacros.insert(plan.usedMacros.end(), macro);
                assign.code1 = static_cast<uint8_t>(found - plan.usedMacros.begin());
            } else {
                assign = keys[key].defaultAssign;
            }
        }
        plan.codes.push_back({slot, assign.Code()});
    }
    return plan;
}

void ApplyKeyTablePlan(const KeyTablePlan& plan, std::vector<uint8_t>& keyMap) {
    for (const auto& [slot, code] : plan.codes) {
        const size_t at = size_t(slot) * 3;
        if (at + 2 >= keyMap.size()) continue;
        keyMap[at] = static_cast<uint8_t>(code >> 16);
        keyMap[at + 1] = static_cast<uint8_t>(code >> 8);
        keyMap[at + 2] = static_cast<uint8_t>(code);
    }
}

}  // namespace vivori::devices
