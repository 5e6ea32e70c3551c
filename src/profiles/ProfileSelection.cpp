#include "profiles/ProfileSelection.h"

#include "platform/Debug.h"
#include "profiles/JsonFile.h"

namespace vivori::profiles {

std::optional<SelectedProfile> ReadSelectedProfile(const DataFolders& folders,
                                                   std::string_view deviceFolder) {
    std::filesystem::path folder = folders.DataFolder(deviceFolder);
    Json::Value list = ReadJsonFile(folder / "ProfileList.ini");
    const Json::Value& entries = JsonMember(list, "profilelist");
    if (!entries.isArray() || entries.empty()) return std::nullopt;
    int select = JsonInt(list, "profileselect", 0);
    if (select < 0 || std::size_t(select) >= entries.size()) select = 0;
    const Json::Value& entry = entries[Json::ArrayIndex(select)];
    SelectedProfile selected{
        JsonString(entry, "profilename"), JsonString(entry, "profileUUID"), {}};
    std::string file = selected.uuid + ".Json";
    if (selected.uuid.empty() || !IsBareFileName(file)) {
        DebugPrintf("profile identifier refused: %s\n", selected.uuid.c_str());
        return std::nullopt;
    }
    selected.path = folder / file;
    return selected;
}

}  // namespace vivori::profiles
