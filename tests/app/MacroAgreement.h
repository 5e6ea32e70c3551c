#pragma once

// Whether what a device holds plays what its key list asks for: every key with a slot
// carries its code there, and a key that plays a macro carries the position of a
// record of the device's macro image that holds exactly that macro's events.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/MacroImage.h"
#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "profiles/ProfileRecords.h"

namespace vivori::testing {

// The event records of record `position` of a macro image; nothing when it has none.
inline std::optional<std::vector<uint8_t>> ImageRecord(const std::vector<uint8_t>& image,
                                                       size_t position) {
    auto word = [&](size_t at) { return size_t(image[at]) | size_t(image[at + 1]) << 8; };
    if (image.size() < 16 || image[0] != 0xAA || image[1] != 0x55) return std::nullopt;
    if (position >= word(4) || 16 + 2 * position + 1 >= image.size()) return std::nullopt;
    const size_t at = word(16 + 2 * position);
    if (at + 4 > image.size()) return std::nullopt;
    const size_t end = at + 4 + 4 * word(at);
    if (end > image.size()) return std::nullopt;
    return std::vector<uint8_t>(image.begin() + ptrdiff_t(at + 4), image.begin() + ptrdiff_t(end));
}

// One line per key the device plays otherwise than the key list says; empty when the
// device agrees. slotOf gives a key's slot, or -1 for a key with none.
inline std::vector<std::string> Disagreements(const std::vector<uint8_t>& keyMap,
                                              const std::vector<uint8_t>& image,
                                              const std::vector<profiles::KeyListEntry>& keys,
                                              const std::function<int(size_t)>& slotOf,
                                              const macros::MacroLibrary& library) {
    std::vector<std::string> out;
    const size_t macroCount = library.List().size();
    for (size_t k = 0; k < keys.size(); ++k) {
        const int slot = slotOf(k);
        if (slot < 0 || size_t(slot) * 3 + 2 >= keyMap.size()) continue;
        const uint8_t* held = &keyMap[size_t(slot) * 3];
        const profiles::KeyAssign& wanted = keys[k].current;
        const bool macro =
            wanted.type == macros::kAssignMacro || wanted.type == macros::kAssignMacroRepeat;
        const std::string key = "key " + std::to_string(k) + ": ";
        if (!macro || wanted.code1 >= macroCount) {
            const uint32_t code = macro ? keys[k].defaultAssign.Code() : wanted.Code();
            const uint32_t got = uint32_t(held[0]) << 16 | uint32_t(held[1]) << 8 | held[2];
            if (got != code) out.push_back(key + "holds " + std::to_string(got));
            continue;
        }
        if (held[0] != wanted.type || held[2] != wanted.code2) {
            out.push_back(key + "does not hold its macro assignment");
            continue;
        }
        std::vector<uint8_t> expected;
        for (const MacroEvent& e : library.Events(wanted.code1)) {
            const auto record = EncodeEventRecord(e);
            expected.insert(expected.end(), record.begin(), record.end());
        }
        const auto record = ImageRecord(image, held[1]);
        if (!record)
            out.push_back(key + "plays record " + std::to_string(held[1]) +
                          ", which the device does not hold");
        else if (*record != expected)
            out.push_back(key + "plays record " + std::to_string(held[1]) + ", not macro " +
                          std::to_string(wanted.code1));
    }
    return out;
}

}  // namespace vivori::testing
