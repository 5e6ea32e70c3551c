#include "macros/MacroAssignments.h"

#include "profiles/CBasicProfiledata.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileSelection.h"

namespace vivori::macros {
namespace {

bool PlaysMacro(const profiles::KeyAssign& a) {
    return a.type == kAssignMacro || a.type == kAssignMacroRepeat;
}

// The key list of a profile file, or nothing when the file is missing or bad: a file
// we cannot read is never rewritten on our own initiative.
bool LoadKeys(profiles::CBasicProfiledata& data, const std::filesystem::path& path,
              std::vector<profiles::KeyListEntry>& keys) {
    if (profiles::ReadJsonDocument(path).state != profiles::FileState::Parsed) return false;
    data.LoadScratch(path);
    keys = data.GetScratchKeyList();
    return true;
}

}  // namespace

bool IsLastLeftButton(const std::vector<profiles::KeyListEntry>& keys, size_t index) {
    if (index >= keys.size() || keys[index].current.Code() != kLeftClickCode) return false;
    for (size_t i = 0; i < keys.size(); ++i)
        if (i != index && keys[i].current.Code() == kLeftClickCode) return false;
    return true;
}

bool UsesMacro(const std::vector<profiles::KeyListEntry>& keys, size_t macroIndex) {
    for (const auto& k : keys)
        if (PlaysMacro(k.current) && k.current.code1 == macroIndex) return true;
    return false;
}

bool DropMissingMacros(std::vector<profiles::KeyListEntry>& keys, size_t macroCount) {
    bool changed = false;
    for (auto& k : keys) {
        if (!PlaysMacro(k.current) || k.current.code1 < macroCount) continue;
        const uint16_t index = k.current.keyIndex;
        k.current = k.defaultAssign;
        k.current.keyIndex = index;
        changed = true;
    }
    return changed;
}

bool RepairForDeletedMacro(std::vector<profiles::KeyListEntry>& keys, size_t macroIndex) {
    bool changed = false;
    for (auto& k : keys) {
        if (!PlaysMacro(k.current)) continue;
        if (k.current.code1 == macroIndex) {
            const uint16_t index = k.current.keyIndex;
            k.current = k.defaultAssign;
            k.current.keyIndex = index;
            changed = true;
        } else if (k.current.code1 > macroIndex) {
            --k.current.code1;
            changed = true;
        }
    }
    return changed;
}

MacroDeletionPlan PlanMacroDeletion(const profiles::DataFolders& folders,
                                    std::string_view deviceFolder, size_t macroIndex) {
    MacroDeletionPlan plan;
    const std::vector<MacroEntry> macros = MacroLibrary(folders.DataFolder(deviceFolder)).List();
    if (macroIndex < macros.size()) plan.guid = macros[macroIndex].guid;
    const profiles::ProfileList list = profiles::ReadProfileList(folders, deviceFolder);
    for (size_t i = 0; i < list.profiles.size(); ++i) {
        profiles::CBasicProfiledata data;
        std::vector<profiles::KeyListEntry> keys;
        if (!LoadKeys(data, list.profiles[i].path, keys)) {
            // A profile listed but never written has no keys to repair.
            std::error_code ec;
            if (std::filesystem::exists(list.profiles[i].path, ec) || ec)
                plan.unreadableProfiles.push_back(list.profiles[i].path);
            continue;
        }
        if (UsesMacro(keys, macroIndex)) {
            if (list.selected == i)
                plan.selectedProfileUsesMacro = true;
            else
                plan.otherProfilesUsingMacro.push_back(list.profiles[i].name);
        }
        if (RepairForDeletedMacro(keys, macroIndex))
            plan.profilesToRepair.push_back(list.profiles[i].path);
    }
    return plan;
}

namespace {

// The bytes of every profile rewritten so far, to put back when the deletion cannot
// be finished: half a repair would leave keys playing the wrong macro.
class RewrittenProfiles {
  public:
    bool Repair(const profiles::DataFolders& folders, std::string_view deviceFolder,
                const MacroDeletionPlan& plan, size_t macroIndex) {
        for (const auto& path : plan.profilesToRepair) {
            // A planned profile that can no longer be read or written fails the whole
            // repair: skipping it would leave its later macros one place off.
            std::optional<std::string> original = profiles::ReadTextFile(path);
            profiles::CBasicProfiledata data;
            data.SetDefaultProfilePath(folders.DefaultDataFile(deviceFolder));
            std::vector<profiles::KeyListEntry> keys;
            if (!original || !LoadKeys(data, path, keys)) return false;
            if (!RepairForDeletedMacro(keys, macroIndex)) continue;
            data.SetScratchKeyList(keys);
            if (!data.SaveScratchTo(path)) return false;
            originals_.emplace_back(path, std::move(*original));
        }
        return true;
    }

    void Restore() const {
        for (const auto& [path, text] : originals_) profiles::WriteFileAtomically(path, text);
    }

  private:
    std::vector<std::pair<std::filesystem::path, std::string>> originals_;
};

}  // namespace

bool RepairProfiles(const profiles::DataFolders& folders, std::string_view deviceFolder,
                    const MacroDeletionPlan& plan, size_t macroIndex) {
    RewrittenProfiles rewritten;
    if (rewritten.Repair(folders, deviceFolder, plan, macroIndex)) return true;
    rewritten.Restore();
    return false;
}

MacroResult DeleteMacroWithRepair(MacroLibrary& library, const profiles::DataFolders& folders,
                                  std::string_view deviceFolder, const MacroDeletionPlan& plan,
                                  size_t macroIndex) {
    RewrittenProfiles rewritten;
    if (!rewritten.Repair(folders, deviceFolder, plan, macroIndex)) {
        rewritten.Restore();
        MacroResult refused;
        refused.error = MacroError::WriteFailed;
        refused.message = "a profile could not be rewritten; nothing was changed";
        return refused;
    }
    MacroResult result = library.Delete(macroIndex, plan.guid);
    if (!result) rewritten.Restore();
    return result;
}

}  // namespace vivori::macros
