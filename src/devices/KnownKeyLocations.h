#pragma once

// Where each key sat at the last full read, kept in the user's data folder. A key the
// user reassigns carries another key's code in its slot, so the factory codes alone
// no longer find it (and the other key seems to sit in two slots): the slots learned
// while the codes were still the factory ones find it instead.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "devices/KeyIdentity.h"

namespace vivori::devices {

inline constexpr const char* kKnownKeyLocationsFile = "KeyLocations.json";

struct KnownKeyLocations {
    int slotCount = 0;  // of the keyboard they were learned on
    KeyLocations locations;
};

// What to keep of a read: the keys that have a code of their own.
KnownKeyLocations LearnedLocations(const KeyLocations& located, int slotCount);

// Nothing when the file is missing or unusable.
std::optional<KnownKeyLocations> LoadKnownKeyLocations(const std::filesystem::path& file);
bool SaveKnownKeyLocations(const std::filesystem::path& file, const KnownKeyLocations& known);

// The keys of this key map: the known slot of every key that has one (when they were
// learned on a keyboard with as many slots; each slot given once), then the factory
// codes for the rest (first match), among the slots no known key holds. LED indexes
// come from the LED map just read.
KeyLocations LocateKeys(std::span<const uint8_t> keyMap, std::span<const uint8_t> ledMap,
                        int slotCount, const std::optional<KnownKeyLocations>& known);

}  // namespace vivori::devices
