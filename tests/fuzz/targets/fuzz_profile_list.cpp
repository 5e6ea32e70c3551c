// Any bytes as "ProfileList.ini" (the selected profile, every listed profile, the
// macro-deletion plan over them) and as a profile file given to an import. Nothing
// may throw, crash, or reach outside the device folder.

#include "FuzzFolder.h"
#include "macros/MacroAssignments.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileSelection.h"

using namespace vivori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto root = fuzz::FreshFolder("profiles");
    profiles::DataFolders folders({root, root, root, root});
    const auto device = folders.DataFolder("keyboard");
    fuzz::WriteInput(device / "ProfileList.ini", data, size);
    profiles::ReadSelectedProfile(folders, "keyboard");
    const auto list = profiles::ReadProfileList(folders, "keyboard");
    // Every listed profile holds the same bytes, so the plan reads them all.
    for (size_t i = 0; i < list.profiles.size() && i < 4; ++i)
        fuzz::WriteInput(list.profiles[i].path, data, size);
    macros::PlanMacroDeletion(folders, "keyboard", 0);

    // As an imported profile: only its entry goes into the selected profile.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Json::Value imported = profiles::ParseJsonText(text).value_or(Json::Value());
    const Json::Value& entry = profiles::JsonElement(profiles::JsonMember(imported, "Device"), 0);
    if (entry.isObject()) {
        profiles::CBasicProfiledata profile;
        profile.SaveDeviceEntry(entry, device / "imported.Json");
        profile.Load(device / "imported.Json");
        profile.SetKeyList(profile.GetKeyList());
    }
    return 0;
}
