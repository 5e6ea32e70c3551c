#pragma once

// The selected profile of a device folder, as "ProfileList.ini" records it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

struct SelectedProfile {
    std::string name;
    std::string uuid;
    std::filesystem::path path;  // "<user device folder>/<uuid>.Json"
};

// The entry "profileselect" names; an index outside the list counts as 0. Nothing
// when the list is missing or empty, or the identifier is not a bare file name.
std::optional<SelectedProfile> ReadSelectedProfile(const DataFolders& folders,
                                                   std::string_view deviceFolder);

}  // namespace vivori::profiles
