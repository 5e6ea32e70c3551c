#pragma once

#include <json/json.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/MacroImage.h"

namespace vivori::macros {

inline constexpr size_t kMaxMacros = 50;
inline constexpr const char* kMacroListFile = "macro.config";
inline constexpr const char* kMacroExtension = ".mac";
inline constexpr int kMacroFileVersion = 64;

struct MacroEntry {
    std::string name;
    std::string guid;
};

enum class MacroError {
    None,
    LimitReached,   // Add with 50 macros listed
    EmptyName,      // blank after trimming
    DuplicateName,  // another listed macro has it (case-insensitive)
    NoSuchMacro,    // index outside the list
    BadIdentifier,  // the listed Guid is not a bare file name
    BadFile,        // an import that is not a macro file
    TargetExists,   // export over an existing file without leave to overwrite
    ReadFailed,
    WriteFailed,
    ListUnreadable,  // "macro.config" is present but cannot be read: left as it is
};

// The macro list as read. A "macro.config" that is present but cannot be read or
// used makes the list unknown, not empty: key assignments keep their macros, and the
// file is left for the user to mend.
struct MacroList {
    std::vector<MacroEntry> entries;
    bool known = true;
    std::string problem;  // why it is unknown, for the user
};

struct MacroResult {
    MacroError error = MacroError::None;
    std::string guid;                // the macro concerned
    std::string message;             // why it was refused, for the user
    std::vector<std::string> notes;  // what an import had to change
    explicit operator bool() const { return error == MacroError::None; }
};

// The macros of one device: "macro.config" (the ordered list; key assignments name
// macros by position) and one "<Guid>.mac" file each, in the device's folder. The
// macro panel calls these operations; nothing here shows anything.
//
// Every change of the list holds the folder's macro lock (".macro.config.lock") from
// its read to its write, identifiers included, so programs adding or importing at once
// lose nothing. While the list is unknown every change is refused.
class MacroLibrary {
  public:
    explicit MacroLibrary(std::filesystem::path deviceFolder);

    const std::filesystem::path& Folder() const { return folder_; }
    // The entries; empty when the list is unknown (see ReadList).
    std::vector<MacroEntry> List() const;
    MacroList ReadList() const;

    // A new macro named "macro_N" (smallest free N), refused at 50 macros. Its file
    // is written by the first Save.
    MacroResult Add();
    MacroResult Rename(size_t index, std::string_view name);
    // Writes the macro's file: "MacroName", "Guid", "Events" (each "Delay" rewritten
    // as a decimal string), "Version" 64.
    MacroResult Save(size_t index, const Json::Value& events);
    // Removes the macro's file and its list entry; later macros move up one index.
    // Key assignments are repaired separately, before this, with the caller's consent.
    // With `expectedGuid`, refused when another program changed the list since the
    // caller looked, so the macro deleted is the one the keys were repaired for.
    MacroResult Delete(size_t index, std::string_view expectedGuid = {});
    // Adds the file as a new macro named after its file title. A file whose values
    // are all in range is copied byte for byte; otherwise the values are clamped, the
    // corrected document is stored, and each change is listed in the notes.
    MacroResult Import(const std::filesystem::path& file);
    // Copies the macro's file byte for byte to target.
    MacroResult Export(size_t index, const std::filesystem::path& target, bool overwrite);

    // The macro's document, or null when missing or unreadable.
    Json::Value Document(size_t index) const;
    std::vector<MacroEvent> Events(size_t index) const;
    // The macro's events for the device: empty for a macro not saved yet, nothing
    // when its file is present but cannot be read or parsed (or it has no such index).
    std::optional<std::vector<MacroEvent>> EventsToSend(size_t index) const;
    std::optional<std::vector<MacroEvent>> EventsToSend(const MacroEntry& entry) const;
    // Every listed macro's events, in list order, for the device's macro image.
    std::vector<std::vector<MacroEvent>> AllEvents() const;
    // The macro's file, or empty when its Guid could leave the folder.
    std::filesystem::path MacroPath(const MacroEntry& entry) const;

    static std::string DefaultName(const std::vector<MacroEntry>& list);
    static std::string ImportName(const std::string& title, const std::vector<MacroEntry>& list);

  private:
    // The list for a change, read under the lock the caller holds; refused when unknown.
    std::optional<std::vector<MacroEntry>> ListForChange(MacroResult* refusal) const;
    bool EditList(const std::function<void(Json::Value& info)>& edit) const;
    // Both with the lock held.
    MacroResult Append(const std::vector<MacroEntry>& list, const std::string& name,
                       std::string* guid);

    std::filesystem::path folder_;
};

}  // namespace vivori::macros
