#pragma once

// The language id, kept where the registry value "LANGUAGE" would be: a small JSON
// file "settings.json" in the settings folder.

#include <optional>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

std::optional<int> ReadLanguageSetting(const DataFolders& folders);
bool WriteLanguageSetting(const DataFolders& folders, int language);

}  // namespace vivori::profiles
