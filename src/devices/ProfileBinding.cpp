#include "devices/ProfileBinding.h"

#include "platform/Debug.h"
#include "profiles/ProfileListModel.h"
#include "profiles/ProfileSelection.h"

namespace vivori::devices {

ProfileBinding LoadSelectedProfile(profiles::CBasicProfiledata& profile,
                                   const profiles::DataFolders& folders,
                                   std::string_view deviceFolder) {
    const std::filesystem::path defaultFile = folders.DefaultDataFile(deviceFolder);
    profile.SetDefaultProfilePath(defaultFile);
    profile.SetLightConfigPath(folders.LightConfigFile(deviceFolder));
    if (auto selected = profiles::ReadSelectedProfile(folders, deviceFolder)) {
        profile.SetProfilePath(selected->path);
        profile.Load(selected->path);
        return {selected->name, true};
    }
    profile.Load(defaultFile);
    return {};
}

void LoadDefaultsInto(profiles::CBasicProfiledata& profile, const ProfileBinding& binding,
                      const std::filesystem::path& defaultFile) {
    const std::filesystem::path selected = profile.GetProfilePath();
    profile.Load(defaultFile);
    if (binding.selected) profile.SetProfilePath(selected);
}

void SaveBoundProfile(profiles::CBasicProfiledata& profile, const ProfileBinding& binding) {
    if (!binding.selected) return;
    // Another program may have deleted the profile since it was loaded: it stays deleted,
    // and the page follows the list once the application sees the change.
    const profiles::ListedSave saved =
        profiles::SaveIfListed(profile.GetProfilePath(), [&] { return profile.Save(); });
    if (saved == profiles::ListedSave::NotListed)
        DebugPrintf("profile not saved, no longer listed: %s\n", profile.GetProfilePath().c_str());
    else if (saved == profiles::ListedSave::Failed)
        DebugPrintf("profile not saved: %s\n", profile.GetProfilePath().c_str());
}

}  // namespace vivori::devices
