#include "devices/KnownKeyLocations.h"

#include <algorithm>
#include <array>

#include "profiles/JsonFile.h"

namespace vivori::devices {
namespace {

KeyIndexes ReadIndexes(const Json::Value& list) {
    KeyIndexes out = NoKeyIndexes();
    for (size_t key = 0; key < out.size(); ++key)
        out[key] = static_cast<uint8_t>(
            std::clamp(profiles::AsInt(profiles::JsonElement(list, key), kNoSlot), 0, 255));
    return out;
}

Json::Value WriteIndexes(const KeyIndexes& indexes) {
    Json::Value list(Json::arrayValue);
    for (uint8_t index : indexes) list.append(index);
    return list;
}

uint32_t CodeAt(std::span<const uint8_t> keyMap, size_t slot) {
    const uint8_t* entry = &keyMap[slot * 3];
    return uint32_t(entry[0]) << 16 | uint32_t(entry[1]) << 8 | entry[2];
}

bool IsLearnable(size_t key) {
    // Keys without a code of their own share the placeholder code; a slot holding it
    // says nothing about which key sits there.
    return KeyIdentityCode(int(key)) != KeyIdentityCode(kLogicalKeyCount - 1);
}

}  // namespace

std::optional<KnownKeyLocations> LoadKnownKeyLocations(const std::filesystem::path& file) {
    const Json::Value document = profiles::ReadJsonFile(file);
    const int slots = profiles::JsonInt(document, "SlotCount", 0);
    if (slots <= 0 || slots > kLogicalKeyCount) return std::nullopt;
    KnownKeyLocations known;
    known.slotCount = slots;
    known.locations.slot = ReadIndexes(profiles::JsonMember(document, "KeySlot"));
    known.locations.led = ReadIndexes(profiles::JsonMember(document, "LedIndex"));
    return known;
}

bool SaveKnownKeyLocations(const std::filesystem::path& file, const KnownKeyLocations& known) {
    Json::Value document(Json::objectValue);
    document["SlotCount"] = known.slotCount;
    document["KeySlot"] = WriteIndexes(known.locations.slot);
    document["LedIndex"] = WriteIndexes(known.locations.led);
    return profiles::WriteJsonFile(file, document);
}

KnownKeyLocations LearnedLocations(const KeyLocations& located, int slotCount) {
    KnownKeyLocations known;
    known.slotCount = slotCount;
    for (size_t key = 0; key < located.slot.size(); ++key) {
        if (!IsLearnable(key)) continue;
        known.locations.slot[key] = located.slot[key];
        known.locations.led[key] = located.led[key];
    }
    return known;
}

KeyLocations LocateKeys(std::span<const uint8_t> keyMap, std::span<const uint8_t> ledMap,
                        int slotCount, const std::optional<KnownKeyLocations>& known) {
    const size_t slots = std::min<size_t>(std::max(slotCount, 0), keyMap.size() / 3);
    KeyLocations out;
    std::array<bool, 256> knownSlot{};
    auto place = [&](size_t key, size_t slot) {
        out.slot[key] = static_cast<uint8_t>(slot);
        out.led[key] = slot < ledMap.size() ? ledMap[slot] : kNoSlot;
    };
    if (known && known->slotCount == slotCount) {
        for (size_t key = 0; key < out.slot.size(); ++key) {
            const uint8_t slot = known->locations.slot[key];
            if (!IsLearnable(key) || slot >= slots || knownSlot[slot]) continue;
            place(key, slot);
            knownSlot[slot] = true;
        }
    }
    // The rest by factory code, first match first, as the keyboard was always read.
    for (size_t key = 0; key < out.slot.size(); ++key) {
        if (out.slot[key] != kNoSlot) continue;
        const uint32_t code = KeyIdentityCode(int(key));
        for (size_t slot = 0; slot < slots; ++slot) {
            if (knownSlot[slot] || CodeAt(keyMap, slot) != code) continue;
            place(key, slot);
            break;
        }
    }
    return out;
}

}  // namespace vivori::devices
