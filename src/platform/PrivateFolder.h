#pragma once

#include <optional>
#include <string>

namespace vivori {

// A folder only this user can reach: a real directory (not a link) owned by the user
// that nobody else may enter. Files in it cannot be swapped or planted by others.
bool IsPrivateFolder(const std::string& path);

// The folder at path, created 0700 when missing; nullopt unless it is private (one
// made first by someone else, or left open to others, is refused, not repaired).
std::optional<std::string> PrivateFolder(const std::string& path);

// Opens a private folder for the *at() calls, so that what is checked is what is
// used: -1 when it is missing or not private.
int OpenPrivateFolder(const std::string& path);

}  // namespace vivori
