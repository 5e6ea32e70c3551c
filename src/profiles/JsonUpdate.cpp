#include "profiles/JsonUpdate.h"

#include <unistd.h>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"

namespace vivori::profiles {

bool UpdateJsonFile(const std::filesystem::path& path,
                    const std::function<void(Json::Value& root)>& edit) {
    JsonDocument doc = ReadJsonDocument(path);
    if (doc.state == FileState::Unreadable) {
        DebugPrintf("not saved, the file could not be re-read: %s\n", path.c_str());
        return false;
    }
    if (doc.state == FileState::Corrupt ||
        (doc.state == FileState::Parsed && !doc.value.isObject())) {
        std::filesystem::path bad = path;
        bad += ".bad";
        unlink(bad.c_str());
        std::error_code copyError;
        if (link(path.c_str(), bad.c_str()) != 0 &&  // no hard links here: copy instead
            !std::filesystem::copy_file(path, bad, copyError)) {
            DebugPrintf("not saved, cannot keep the bad file aside: %s\n", path.c_str());
            return false;
        }
        DebugPrintf("replacing bad file %s (old content kept in %s)\n", path.c_str(), bad.c_str());
    }
    Json::Value root = doc.value.isObject() ? std::move(doc.value) : Json::Value(Json::objectValue);
    edit(root);
    return WriteJsonFile(path, root);
}

bool SaveJsonMember(const std::filesystem::path& path, const char* key, const Json::Value& value) {
    return UpdateJsonFile(path, [&](Json::Value& root) { root[key] = value; });
}

}  // namespace vivori::profiles
