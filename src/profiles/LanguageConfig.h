#pragma once

// "Language.config" (the languages the program ships) and the choice of one of them:
// the stored one, or on a first start the one the user's locale asks for.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

struct LanguageEntry {
    int id = 0;        // "Language_ID", a Windows language identifier (1033 English)
    std::string name;  // "Language_name", the toolkit's language name
    std::string file;  // "Language_file", the language file in the skin folder
    std::string text;  // "Language_text", the caption in the language list (a key)
};

// The entries in file order (their position is the language index); empty when the
// file is missing or bad. Entries that are not objects are read as empty entries, so
// the positions stay those of the file.
std::vector<LanguageEntry> ReadLanguageConfig(const std::filesystem::path& file);
// "<default data folder>/Language.config"
std::filesystem::path LanguageConfigFile(const DataFolders& folders);

// The index of the last entry with this id; nothing when no entry has it.
std::optional<std::size_t> LanguageIndexOfId(const std::vector<LanguageEntry>& entries, int id);

// The language identifier a POSIX locale name asks for ("zh_CN.UTF-8" 2052, "en_GB"
// 1033); nothing for "C", "POSIX", empty or unknown names.
std::optional<int> LanguageIdOfLocale(std::string_view locale);
// The locale the environment names for messages: LC_ALL, LC_MESSAGES, LANG, the first
// that is set and not empty.
std::string MessageLocale();

// The language index to start with: the stored choice when one is stored and listed;
// with nothing stored, the entry the locale asks for; otherwise 0.
std::size_t StartLanguageIndex(const std::vector<LanguageEntry>& entries,
                               std::optional<int> storedId, std::string_view locale);

}  // namespace vivori::profiles
