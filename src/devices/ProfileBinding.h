#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "profiles/CBasicProfiledata.h"
#include "profiles/DataFolders.h"

namespace vivori::devices {

// Which profile file a device object's profile stands for.
struct ProfileBinding {
    std::string name;       // empty while none is selected
    bool selected = false;  // a profile file to save into
};

// Loads the profile "ProfileList.ini" of the device folder selects, or, with none
// selected, the shipped default (which is shown, and never saved over).
ProfileBinding LoadSelectedProfile(profiles::CBasicProfiledata& profile,
                                   const profiles::DataFolders& folders,
                                   std::string_view deviceFolder);
// The shipped default's settings, kept bound to the selected file.
void LoadDefaultsInto(profiles::CBasicProfiledata& profile, const ProfileBinding& binding,
                      const std::filesystem::path& defaultFile);
// Saves a bound profile while its folder's list still names it; a debug line names a
// file that was not written.
void SaveBoundProfile(profiles::CBasicProfiledata& profile, const ProfileBinding& binding);

}  // namespace vivori::devices
