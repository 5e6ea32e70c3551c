#include "profiles/JsonUpdate.h"

#include <unistd.h>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"

namespace vivori::profiles {

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
        std::filesystem::path bad = path;
        bad += ".bad";
        unlink(bad.c_str());
        std::error_code copyError;
        if (link(path.c_str(), bad.c_str()) != 0 &&  // no hard links here: copy instead
            !std::filesystem::copy_file(path, bad, copyError)) {
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
