#pragma once

// The selected profile of a device folder, as "ProfileList.ini" records it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

struct SelectedProfile {
    std::string name;
    std::string uuid;
    std::filesystem::path path;  // "<user device folder>/<uuid>.Json"
};

// Every listed profile, in list order, with the position "profileselect" names (an
// index outside the list counts as 0). Entries whose identifier is not a bare file
// name are left out; nothing when the list is missing or empty.
struct ProfileList {
    std::vector<SelectedProfile> profiles;
    std::optional<std::size_t> selected;  // none when the selected entry was refused
};
ProfileList ReadProfileList(const DataFolders& folders, std::string_view deviceFolder);

// The entry "profileselect" names; an index outside the list counts as 0. Nothing
// when the list is missing or empty, or the identifier is not a bare file name.
std::optional<SelectedProfile> ReadSelectedProfile(const DataFolders& folders,
                                                   std::string_view deviceFolder);

}  // namespace vivori::profiles
