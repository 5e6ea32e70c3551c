#include "profiles/LanguageSetting.h"

#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"

namespace vivori::profiles {
namespace {

constexpr const char* kKey = "LANGUAGE";

std::filesystem::path SettingsFile(const DataFolders& folders) {
    return folders.SettingsFolder() / "settings.json";
}

}  // namespace

std::optional<int> ReadLanguageSetting(const DataFolders& folders) {
    auto value = AsInt64(JsonMember(ReadJsonFile(SettingsFile(folders)), kKey));
    if (!value || *value < 0 || *value > 0xFFFF) return std::nullopt;
    return int(*value);
}

bool WriteLanguageSetting(const DataFolders& folders, int language) {
    return SaveJsonMember(SettingsFile(folders), kKey, language);
}

}  // namespace vivori::profiles
