// Feeds arbitrary bytes to the profile loader as a profile file, a light-effect list,
// a light name list and a profile list, through every getter and a save. Nothing
// may throw, crash, or grow without bound.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/CRi6533Profiledata.h"
#include "profiles/JsonFile.h"
#include "profiles/LightNameLists.h"
#include "profiles/ProfileSelection.h"

using namespace vivori::profiles;

namespace {

// Never destroyed, so the exit handler that removes it can still name it.
const std::filesystem::path& Folder() {
    static const auto* folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vivori-fuzz-XXXXXX").string();
        auto* made = new std::filesystem::path(mkdtemp(pattern.data()));
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Folder(), ignored);
        });
        return made;
    }();
    return *folder;
}

void Exercise(CBasicProfiledata& profile, const std::filesystem::path& file) {
    profile.SetProfilePath(file);
    profile.SetDefaultProfilePath(file);
    profile.Load(file);
    profile.LoadScratch(file);
    profile.LoadLightConfig(file);
    profile.SetLightStepFolders({Folder()});
    LightInfo light = profile.GetLightInfo();
    profile.GetAudioLightInfo();
    profile.GetLightList();
    profile.GetLightSteps();
    auto keys = profile.GetKeyList();
    profile.SetKeyList(keys);
    profile.SetScratchKeyList(profile.GetScratchKeyList());
    profile.SetLightInfo(light);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = Folder() / "p.Json";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));

    CKeyboardProfiledata keyboard;
    Exercise(keyboard, file);
    keyboard.SetSystemStages(keyboard.GetSystemStages());
    int group = keyboard.GetCustomLightGroup();
    keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 170), group);

    CMouseProfiledata mouse;
    Exercise(mouse, file);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetSystemStages(mouse.GetSystemStages());
    mouse.GetCorrectInfo();

    CRi6533Profiledata headset;
    Exercise(headset, file);
    SystemSetStages stages = headset.GetSystemSetStages();
    headset.SetEqValues(headset.GetEqValues(stages.eqType), stages.eqType);
    headset.SetCustomEqValues(headset.GetCustomEqValues(stages.customEqSelectIndex),
                              stages.customEqSelectIndex);
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    headset.Save();

    LightNameLists lists;
    LoadDefaultLightNames(file, 1, lists);
    LoadCustomLightNames(file, 1, lists);
    DataFolders folders({Folder(), Folder(), Folder(), Folder()});
    std::filesystem::copy_file(file, folders.DataFolder("fuzz") / "ProfileList.ini",
                               std::filesystem::copy_options::overwrite_existing);
    ReadSelectedProfile(folders, "fuzz");
    return 0;
}
