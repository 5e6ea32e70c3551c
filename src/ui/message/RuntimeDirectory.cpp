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

}  // namespace

std::optional<std::string> UserRuntimeDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/' && IsPrivateDirectory(xdg)) return std::string(xdg);
    std::string fallback = "/tmp/vivori-" + std::to_string(getuid());
    mkdir(fallback.c_str(), 0700);
    if (IsPrivateDirectory(fallback)) return fallback;
    return std::nullopt;
}

}  // namespace vivori::ui
