#include "profiles/LightNameLists.h"

#include <cstdint>

#include "profiles/CBasicProfiledata.h"
#include "profiles/JsonFile.h"

namespace vivori::profiles {
namespace {

// The list of table index t, or null; a negative index names no list.
const Json::Value& Table(const Json::Value& document, const char* key, int tableIndex) {
    return JsonElement(JsonMember(document, key),
                       tableIndex < 0 ? SIZE_MAX : std::size_t(tableIndex));
}

std::vector<std::string> Names(const Json::Value& list) {
    return ReadArray(list, kMaxListEntries,
                     [](const Json::Value& entry) { return JsonString(entry, "LightName"); });
}

}  // namespace

void LoadDefaultLightNames(const std::filesystem::path& file, int tableIndex,
                           LightNameLists& lists) {
    Json::Value document = ReadJsonFile(file);
    const Json::Value& modes = Table(document, "DefaultLightName", tableIndex);
    if (!modes.isNull()) {
        lists.modeNames = Names(modes);
        lists.modeVisible = ReadArray(modes, kMaxListEntries, [](const Json::Value& entry) {
            return JsonBool(entry, "visible", false);
        });
        lists.modeMap = ReadArray(modes, kMaxListEntries, [](const Json::Value& entry) {
            return JsonInt(entry, "value", 0);
        });
    }
    const Json::Value& areas = Table(document, "AreaLightName", tableIndex);
    if (!areas.isNull()) lists.areaNames = Names(areas);
}

void LoadCustomLightNames(const std::filesystem::path& file, int tableIndex,
                          LightNameLists& lists) {
    Json::Value document = ReadJsonFile(file);
    const Json::Value& effects = Table(document, "LightInfo", tableIndex);
    if (!effects.isNull()) lists.customNames = Names(effects);
}

}  // namespace vivori::profiles
