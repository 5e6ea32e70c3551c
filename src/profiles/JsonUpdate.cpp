#include "profiles/JsonUpdate.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"

namespace vivori::profiles {

namespace {

std::filesystem::path BadCopyName(const std::filesystem::path& path, int number) {
    std::filesystem::path name = path;
    name += ".bad";
    // Two appends: g++ 12 at -O3 takes "." + string for an overlapping copy.
    if (number > 0) name += std::string(".").append(std::to_string(number));
    return name;
}

}  // namespace

std::filesystem::path KeepBadCopy(const std::filesystem::path& path) {
    // The older copies move one number up first ("<name>.bad" is the newest), so a
    // second damaged file never costs the bytes of the first.
    for (int number = kBadCopiesKept - 1; number > 0; --number) {
        const std::filesystem::path older = BadCopyName(path, number - 1);
        if (access(older.c_str(), F_OK) == 0 &&
            rename(older.c_str(), BadCopyName(path, number).c_str()) != 0)
            return {};
    }
    const std::filesystem::path bad = BadCopyName(path, 0);
    std::error_code copyError;
    // A link to the file's own bytes (through a symbolic link to its target); where
    // hard links cannot be made, a copy.
    if (linkat(AT_FDCWD, path.c_str(), AT_FDCWD, bad.c_str(), AT_SYMLINK_FOLLOW) != 0 &&
        !std::filesystem::copy_file(path, bad, std::filesystem::copy_options::overwrite_existing,
                                    copyError))
        return {};
    return bad;
}

bool HoldsArrayOrNothing(const Json::Value& root, const char* key) {
    const Json::Value& member = JsonMember(root, key);
    return root.isObject() && (member.isNull() || member.isArray());
}

std::optional<Json::Value> ReadForUpdate(const std::filesystem::path& path,
                                         const char* arrayMember) {
    JsonDocument doc = ReadJsonDocument(path);
    if (doc.state == FileState::Unreadable) {
        DebugPrintf("not saved, the file could not be re-read: %s\n", path.c_str());
        return std::nullopt;
    }
    if (doc.state == FileState::Corrupt ||
        (doc.state == FileState::Parsed &&
         (!doc.value.isObject() ||
          (arrayMember && !HoldsArrayOrNothing(doc.value, arrayMember))))) {
        const std::filesystem::path bad = KeepBadCopy(path);
        if (bad.empty()) {
            DebugPrintf("not saved, cannot keep the bad file aside: %s\n", path.c_str());
            return std::nullopt;
        }
        DebugPrintf("replacing bad file %s (old content kept in %s)\n", path.c_str(), bad.c_str());
    }
    if (!doc.value.isObject()) return Json::Value(Json::objectValue);
    return std::move(doc.value);
}

bool UpdateJsonFile(const std::filesystem::path& path,
                    const std::function<void(Json::Value& root)>& edit, const char* arrayMember) {
    std::optional<Json::Value> root = ReadForUpdate(path, arrayMember);
    if (!root) return false;
    edit(*root);
    return WriteJsonFile(path, *root);
}

bool SaveJsonMember(const std::filesystem::path& path, const char* key, const Json::Value& value) {
    return UpdateJsonFile(path, [&](Json::Value& root) { root[key] = value; });
}

}  // namespace vivori::profiles
