#include "profiles/ProfileSelection.h"

#include "platform/Debug.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/JsonFile.h"

namespace vivori::profiles {

namespace {

std::optional<SelectedProfile> EntryAt(const std::filesystem::path& folder,
                                       const Json::Value& entry) {
    SelectedProfile profile{JsonString(entry, "profilename"), JsonString(entry, "profileUUID"), {}};
    std::string file = profile.uuid + ".Json";
    if (profile.uuid.empty() || !IsBareFileName(file)) {
        DebugPrintf("profile identifier refused: %s\n", profile.uuid.c_str());
        return std::nullopt;
    }
    profile.path = folder / file;
    return profile;
}

int SelectedIndex(const Json::Value& list, std::size_t count) {
    int select = JsonInt(list, "profileselect", 0);
    return select < 0 || std::size_t(select) >= count ? 0 : select;
}

}  // namespace

ProfileList ReadProfileList(const DataFolders& folders, std::string_view deviceFolder) {
    ProfileList result;
    std::filesystem::path folder = folders.DataFolder(deviceFolder);
    Json::Value list = ReadJsonFile(folder / "ProfileList.ini");
    const Json::Value& entries = JsonMember(list, "profilelist");
    if (!entries.isArray() || entries.empty()) return result;
    const int select = SelectedIndex(list, entries.size());
    for (Json::ArrayIndex i = 0; i < entries.size() && i < kMaxListEntries; ++i) {
        auto profile = EntryAt(folder, entries[i]);
        if (!profile) continue;
        if (int(i) == select) result.selected = result.profiles.size();
        result.profiles.push_back(std::move(*profile));
    }
    return result;
}

std::optional<SelectedProfile> ReadSelectedProfile(const DataFolders& folders,
                                                   std::string_view deviceFolder) {
    std::filesystem::path folder = folders.DataFolder(deviceFolder);
    Json::Value list = ReadJsonFile(folder / "ProfileList.ini");
    const Json::Value& entries = JsonMember(list, "profilelist");
    if (!entries.isArray() || entries.empty()) return std::nullopt;
    return EntryAt(folder, entries[Json::ArrayIndex(SelectedIndex(list, entries.size()))]);
}

}  // namespace vivori::profiles
