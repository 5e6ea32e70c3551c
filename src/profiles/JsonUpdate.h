#pragma once

// Saving into a file that holds more than the caller owns: re-read it, change only
// the caller's member, write it back atomically.

#include <json/json.h>

#include <filesystem>
#include <functional>

namespace vivori::profiles {

// Applies `edit` to the file's top-level object and writes the result.
// - missing file: `edit` starts from an empty object;
// - unparsable or non-object content: the old bytes are kept beside it as
//   "<name>.bad" and `edit` starts from an empty object (the user is saving over it);
// - a file that exists but cannot be read: nothing is written, so a passing read
//   error can never cost the keys the caller does not know.
bool UpdateJsonFile(const std::filesystem::path& path,
                    const std::function<void(Json::Value& root)>& edit);

// UpdateJsonFile that sets one top-level member.
bool SaveJsonMember(const std::filesystem::path& path, const char* key, const Json::Value& value);

}  // namespace vivori::profiles
