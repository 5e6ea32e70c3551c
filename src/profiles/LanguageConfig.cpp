#include "profiles/LanguageConfig.h"

#include <cstdlib>

#include "profiles/JsonFile.h"

namespace vivori::profiles {

std::vector<LanguageEntry> ReadLanguageConfig(const std::filesystem::path& file) {
    const Json::Value document = ReadJsonFile(file);
    const Json::Value& list = JsonMember(document, "Language");
    return ReadArray(list, 64, [](const Json::Value& entry) {
        return LanguageEntry{JsonInt(entry, "Language_ID", 0), JsonString(entry, "Language_name"),
                             JsonString(entry, "Language_file"),
                             JsonString(entry, "Language_text")};
    });
}

std::filesystem::path LanguageConfigFile(const DataFolders& folders) {
    return folders.DefaultDataFolder() / "Language.config";
}

std::optional<std::size_t> LanguageIndexOfId(const std::vector<LanguageEntry>& entries, int id) {
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].id == id) found = i;
    return found;
}

std::optional<int> LanguageIdOfLocale(std::string_view locale) {
    // "language[_territory][.codeset][@modifier]"
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::string_view language = locale.substr(0, locale.find('_'));
    const std::string_view territory =
        locale.find('_') == std::string_view::npos ? "" : locale.substr(locale.find('_') + 1);
    if (language == "zh")
        return territory == "TW" || territory == "HK" || territory == "MO" ? 1028 : 2052;
    constexpr std::pair<std::string_view, int> kLanguages[] = {
        {"en", 1033}, {"de", 1031}, {"fr", 1036}, {"es", 3082}, {"it", 1040}, {"ja", 1041},
        {"ko", 1042}, {"ru", 1049}, {"pt", 2070}, {"pl", 1045}, {"th", 1054}, {"tr", 1055},
        {"uk", 1058}, {"vi", 1066}, {"nl", 1043}, {"ar", 1025}};
    for (const auto& [code, id] : kLanguages)
        if (language == code) return territory == "BR" && code == "pt" ? 1046 : id;
    return std::nullopt;
}

std::string MessageLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
    return {};
}

std::size_t StartLanguageIndex(const std::vector<LanguageEntry>& entries,
                               std::optional<int> storedId, std::string_view locale) {
    if (storedId) return LanguageIndexOfId(entries, *storedId).value_or(0);
    if (auto id = LanguageIdOfLocale(locale))
        if (auto index = LanguageIndexOfId(entries, *id)) return *index;
    return 0;
}

}  // namespace vivori::profiles
