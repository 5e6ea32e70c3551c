#pragma once

// Saving into a file that holds more than the caller owns: re-read it, change only
// the caller's member, write it back atomically.

#include <json/json.h>

#include <filesystem>
#include <functional>
#include <optional>

namespace vivori::profiles {

// The file's top-level object, for the caller to change and write back:
// - missing file: an empty object;
// - unparsable or non-object content, or an `arrayMember` that holds something other
//   than an array: the old bytes are kept beside it (KeepBadCopy) first, and what
//   could not be used is left for the caller to replace (the user is saving over it);
// - a file that exists but cannot be read, or bad bytes that cannot be kept aside:
//   nothing, so a passing read error can never cost the keys the caller does not know.
// How many copies of damaged files are kept beside each file.
inline constexpr int kBadCopiesKept = 3;

// Keeps the bytes of the damaged file at `path` as "<name>.bad", the copies kept
// before it moving to "<name>.bad.1" and "<name>.bad.2" (the oldest goes). The new
// copy's path, or empty when it could not be made.
std::filesystem::path KeepBadCopy(const std::filesystem::path& path);

std::optional<Json::Value> ReadForUpdate(const std::filesystem::path& path,
                                         const char* arrayMember = nullptr);

// ReadForUpdate, then `edit`, then an atomic write.
bool UpdateJsonFile(const std::filesystem::path& path,
                    const std::function<void(Json::Value& root)>& edit,
                    const char* arrayMember = nullptr);

// True when `root` is an object whose `key`, if present, is an array.
bool HoldsArrayOrNothing(const Json::Value& root, const char* key);

// UpdateJsonFile that sets one top-level member.
bool SaveJsonMember(const std::filesystem::path& path, const char* key, const Json::Value& value);

}  // namespace vivori::profiles
