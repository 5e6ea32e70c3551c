#include "profiles/PaletteOptions.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"

namespace vivori::profiles {
namespace {

constexpr const char* kRoot = "coloroptioninfo";
constexpr const char* kPresets = "palletDialogcoloroption";
constexpr const char* kPresetSelected = "palletDialogcoloroption_selectitem";
constexpr const char* kCollected = "palletDialogcollectcoloroption";
constexpr const char* kCollectedSelected = "palletDialogcollectcoloroption_selectitem";

int SelectedIndex(const Json::Value& info, const char* key) {
    const int index = JsonInt(info, key, -1);
    return index >= 0 && index < kPaletteSlotCount ? index : -1;
}

void ReadColours(const Json::Value& array, bool needsMarker,
                 std::array<std::optional<uint32_t>, kPaletteSlotCount>& out) {
    for (int n = 0; n < kPaletteSlotCount; ++n) {
        const Json::Value& entry = JsonElement(array, size_t(n));
        const Json::Value& colour = JsonMember(entry, "color");
        if (!colour.isString()) continue;
        if (needsMarker && JsonString(entry, "UserData") != "1") continue;
        out[size_t(n)] = ParsePaletteColour(colour.asString());
    }
}

PaletteOptions OptionsOf(const Json::Value& root) {
    PaletteOptions options;
    const Json::Value& info = JsonMember(root, kRoot);
    ReadColours(JsonMember(info, kPresets), false, options.presets);
    ReadColours(JsonMember(info, kCollected), true, options.collected);
    options.presetSelected = SelectedIndex(info, kPresetSelected);
    options.collectedSelected = SelectedIndex(info, kCollectedSelected);
    return options;
}

}  // namespace

std::string PaletteColourText(uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", colour);
    return text;
}

uint32_t ParsePaletteColour(const std::string& text) {
    if (text.empty() || text.size() > 8) return 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    return end != nullptr && *end == '\0' ? static_cast<uint32_t>(value) : 0;
}

PaletteFile::PaletteFile(const DataFolders& folders)
    : PaletteFile(folders.UserDataFolder() / kPaletteFileName,
                  folders.DefaultDataFolder() / kPaletteFileName) {}

PaletteFile::PaletteFile(std::filesystem::path userFile, std::filesystem::path defaultFile)
    : userFile_(std::move(userFile)), defaultFile_(std::move(defaultFile)) {}

PaletteOptions PaletteFile::Load() {
    const JsonDocument user = ReadJsonDocument(userFile_);
    damaged_ = user.state == FileState::Corrupt || user.state == FileState::Unreadable;
    if (user.state == FileState::Parsed && !user.value.isNull()) return OptionsOf(user.value);
    const Json::Value defaults = ReadJsonFile(defaultFile_);
    if (damaged_) {
        DebugPrintf("%s is damaged: the default colours are shown and it is left as it is",
                    userFile_.string().c_str());
    } else if (!defaults.isNull() && !WriteJsonFile(userFile_, defaults)) {
        DebugPrintf("%s not written", userFile_.string().c_str());
    }
    return OptionsOf(defaults);
}

bool PaletteFile::SavePresets(const PaletteOptions& options) {
    return Save(kPresets, kPresetSelected, options.presets, options.presetSelected, false);
}

bool PaletteFile::SaveCollected(const PaletteOptions& options) {
    return Save(kCollected, kCollectedSelected, options.collected, options.collectedSelected, true);
}

bool PaletteFile::Save(const char* arrayKey, const char* selectKey,
                       const std::array<std::optional<uint32_t>, kPaletteSlotCount>& colours,
                       int selected, bool collected) {
    if (damaged_) return false;  // the user's bytes stay until they are repaired by hand
    return UpdateJsonFile(userFile_, [&](Json::Value& root) {
        Json::Value& info = ObjectMember(root, kRoot);
        Json::Value& array = ArrayMember(info, arrayKey);
        for (int n = 0; n < kPaletteSlotCount; ++n) {
            const auto& colour = colours[size_t(n)];
            Json::Value& entry = ObjectElement(array, Json::ArrayIndex(n));
            // A preset without a colour keeps whatever the file had for it.
            if (colour) entry["color"] = PaletteColourText(*colour);
            if (collected) entry["UserData"] = colour ? "1" : "";
        }
        info[selectKey] = selected;
    });
}

}  // namespace vivori::profiles
