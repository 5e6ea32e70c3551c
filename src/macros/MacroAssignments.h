#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "macros/MacroLibrary.h"
#include "profiles/DataFolders.h"
#include "profiles/ProfileRecords.h"

namespace vivori::macros {

// Assignment types that play a stored macro; code1 is the macro's list position.
inline constexpr uint8_t kAssignMacro = 0x70;
inline constexpr uint8_t kAssignMacroRepeat = 0x71;

// The left-click code of a mouse button.
inline constexpr uint32_t kLeftClickCode = 0x100100;
// True when key `index` is the only one with the left-click function: a mouse without
// it cannot be used, so it is not given another one.
bool IsLastLeftButton(const std::vector<profiles::KeyListEntry>& keys, size_t index);

bool UsesMacro(const std::vector<profiles::KeyListEntry>& keys, size_t macroIndex);
// Keys that play a macro past the list's `macroCount` entries get their default back.
// True when anything changed. Only for a list that was read: an unknown list says
// nothing about which macros exist.
bool DropMissingMacros(std::vector<profiles::KeyListEntry>& keys, size_t macroCount);
// What deleting macro `macroIndex` does to a key list: keys that play it get their
// default back, keys that play a later macro follow it down one position. True when
// anything changed.
bool RepairForDeletedMacro(std::vector<profiles::KeyListEntry>& keys, size_t macroIndex);

// What a deletion would touch, found before anything is written, so the user can be
// asked first and a "no" leaves every file as it was.
struct MacroDeletionPlan {
    std::string guid;  // the macro's identifier when the plan was made
    std::vector<std::filesystem::path> profilesToRepair;  // every profile with a key to change
    bool selectedProfileUsesMacro = false;                // the question to ask before going on
    // The names of the other profiles whose keys play the macro, for the question.
    std::vector<std::string> otherProfilesUsingMacro;
    // Listed profiles that could not be read: their keys cannot be repaired, so once
    // such a file is mended its keys past the deleted macro play the next one. The
    // user is told which and asked before going on.
    std::vector<std::filesystem::path> unreadableProfiles;
};

MacroDeletionPlan PlanMacroDeletion(const profiles::DataFolders& folders,
                                    std::string_view deviceFolder, size_t macroIndex);

// Rewrites the key lists of the planned profiles. False when a planned profile
// could no longer be read or written; the profiles already rewritten then get their
// old bytes back.
bool RepairProfiles(const profiles::DataFolders& folders, std::string_view deviceFolder,
                    const MacroDeletionPlan& plan, size_t macroIndex);

// RepairProfiles, then the deletion from the macro list, as one step: when either
// fails, every profile is left as it was, so no key ends up playing another macro.
MacroResult DeleteMacroWithRepair(MacroLibrary& library, const profiles::DataFolders& folders,
                                  std::string_view deviceFolder, const MacroDeletionPlan& plan,
                                  size_t macroIndex);

}  // namespace vivori::macros
