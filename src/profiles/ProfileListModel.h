#pragma once

// The profile list of one device folder ("ProfileList.ini" and the "<UUID>.Json" files
// it names) and every operation on it. The profile panel and vivori-ctl both work
// through this class, so each rule lives here once.
//
// Every change takes the folder's lock, re-reads the list, changes it and writes it
// back, so two processes working on the same folder lose nothing. The model keeps
// the selected profile by identifier: a row another process moved is still found.

#include <json/json.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vivori::profiles {

inline constexpr std::string_view kProfileListFile = "ProfileList.ini";
// Add stops here; copies and imports are not limited.
inline constexpr std::size_t kMaxAddedProfiles = 50;
// The longest identifier stored or accepted from an imported file.
inline constexpr std::size_t kMaxProfileIdLength = 199;

enum class ProfileStatus {
    Ok,
    Refused,      // nothing to work on (no profile selected, or it was removed meanwhile)
    Limit,        // add: the list holds kMaxAddedProfiles already
    LastProfile,  // delete: the last profile stays
    Duplicate,    // rename: another profile has that name
    Blank,        // rename: the name is empty after trimming
    BadName,      // rename, copy, import: the name would hold control characters or be too long
    BadFile,      // import: not a profile file this system can take, or another kind's
    Exists,       // export: the target exists and overwriting was not asked for
    ReadFailed,   // a file could not be read; nothing was changed
    WriteFailed,  // a file could not be written; the old files are kept
};

struct ProfileOutcome {
    ProfileStatus status = ProfileStatus::Ok;
    std::string message;  // for the user, when status is not Ok
    explicit operator bool() const { return status == ProfileStatus::Ok; }
};

struct ProfileEntry {
    std::string name;
    std::string uuid;
    bool operator==(const ProfileEntry&) const = default;
};

class ProfileListModel {
  public:
    // deviceKind: 1 keyboard, 2 mouse, 3 mouse pad, 7 headset. Imports of another kind's
    // profile are refused; 7 keeps its custom equaliser settings through a reset.
    ProfileListModel(std::filesystem::path userDeviceFolder,
                     std::filesystem::path defaultProfilePath, int deviceKind);

    // Reads the list; a missing or empty one is created with "Профиль1" made from the
    // default profile. A damaged one is kept beside it as "ProfileList.ini.bad" and
    // rebuilt from the profile files in the folder (or created anew when there are none).
    ProfileOutcome Load();

    const std::vector<ProfileEntry>& Entries() const { return entries_; }
    std::vector<std::string> Names() const;
    // -1 when the list is empty.
    int Selected() const { return selected_; }
    std::string SelectedUUID() const;
    // "<folder>/<uuid>.Json", or nothing when the identifier is not a bare file name.
    std::optional<std::filesystem::path> PathAt(std::size_t index) const;
    std::optional<std::filesystem::path> SelectedPath() const;
    const std::filesystem::path& Folder() const { return folder_; }

    // Stores row `index` as the selected profile.
    ProfileOutcome Select(int index);
    // A new profile from the default one, selected; refused at kMaxAddedProfiles.
    ProfileOutcome Add();
    // A copy of the selected profile with all its settings, appended unselected.
    ProfileOutcome Copy();
    // Removes the selected profile and its file; refused unless two or more remain.
    // The row before it becomes selected (row 0 when the first was removed).
    ProfileOutcome Delete();
    // Blank, BadName, Duplicate or Ok (other rows compared case-insensitively).
    ProfileOutcome Rename(std::string_view name);
    // A profile file exported by this system, appended unselected under its file title.
    ProfileOutcome Import(const std::filesystem::path& file);
    // The selected profile into `file`; an existing file only with `overwrite`.
    ProfileOutcome Export(const std::filesystem::path& file, bool overwrite) const;
    // The selected profile back to the default settings, keeping its name and id.
    ProfileOutcome Reset();

  private:
    struct Change;
    using Edit = std::function<ProfileOutcome(Json::Value& list, Change& change)>;

    // Under the folder's lock: re-read the list (creating the first profile when it is
    // empty), run `edit`, write the list back, then mirror it.
    ProfileOutcome Modify(const Edit& edit);
    // The position of the selected identifier in a freshly read list, or -1.
    int FindSelected(const Json::Value& list) const;
    std::string NewIdentifier(const Json::Value& list) const;
    bool WriteProfile(Json::Value document, const ProfileEntry& entry, Change& change) const;
    bool CreateFirstProfile(Json::Value& list, Change& change) const;
    bool RebuildFromProfileFiles(Json::Value& list) const;
    void Mirror(const Json::Value& list);

    std::filesystem::path folder_;
    std::filesystem::path defaultProfile_;
    int deviceKind_;
    std::vector<ProfileEntry> entries_;
    int selected_ = -1;
    std::string selectedUUID_;
};

// A document that can be imported: an object whose "profilename" and "profileUUID"
// are strings (the identifier a bare file name of at most kMaxProfileIdLength bytes)
// and whose "Device", when present, is an array of objects. Empty when it can be,
// else why not.
std::string ImportRefusal(const Json::Value& document);

// Runs `save` under the folder's lock while the list of the file's folder names the
// profile of `file` ("<folder>/<uuid>.Json"), so that a profile another program has
// deleted is never written back as a file no list names. Nothing runs when it is not
// named (NotListed); Failed when `save` returned false.
enum class ListedSave { Saved, NotListed, Failed };
ListedSave SaveIfListed(const std::filesystem::path& file, const std::function<bool()>& save);

// Why a profile document does not belong to a device of `deviceKind` (the kinds of the
// constructor; the receiver kinds 9 and 6 count as keyboard and mouse), for the user:
// it carries settings only another kind has, such as a mouse's DPI stages in a keyboard
// list, whose key list would then put mouse buttons on keyboard keys. Empty when it
// belongs, or when it carries nothing that tells (lighting only).
std::string KindRefusal(const Json::Value& document, int deviceKind);

}  // namespace vivori::profiles
