#pragma once

// Starting with the desktop session: an XDG autostart entry that starts the
// application hidden in the tray.

#include <filesystem>
#include <string>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

// True when the entry exists and the session would start it.
bool AutostartEnabled(const DataFolders& folders);

// Writes the entry for `program` (atomically) or removes it. Empty on success, else
// the reason for the user.
std::string SetAutostart(const DataFolders& folders, bool enabled,
                         const std::filesystem::path& program);

// The entry's text: `program` quoted as a desktop entry's Exec wants it, with --hidden.
std::string AutostartEntry(const std::filesystem::path& program);

}  // namespace vivori::profiles
