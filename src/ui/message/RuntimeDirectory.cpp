#include "ui/message/RuntimeDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace vivori::ui {
namespace {

bool IsPrivateDirectory(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & 077) == 0;
}

// The folder at path, created 0700 when missing; nullopt unless it is private.
std::optional<std::string> PrivateDirectory(std::string path) {
    mkdir(path.c_str(), 0700);
    if (IsPrivateDirectory(path)) return path;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> UserRuntimeDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/' && IsPrivateDirectory(xdg)) return std::string(xdg);
    return PrivateDirectory("/tmp/vivori-" + std::to_string(getuid()));
}

std::optional<std::string> UserRuntimeSubdirectory(std::string_view name) {
    auto runtime = UserRuntimeDirectory();
    if (!runtime) return std::nullopt;
    return PrivateDirectory(*runtime + "/" + std::string(name));
}

}  // namespace vivori::ui
