#include "ui/message/RuntimeDirectory.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/PrivateFolder.h"

namespace vivori::ui {

std::optional<std::string> UserRuntimeDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/' && IsPrivateFolder(xdg)) return std::string(xdg);
    return PrivateFolder("/tmp/vivori-" + std::to_string(getuid()));
}

std::optional<std::string> UserRuntimeSubdirectory(std::string_view name) {
    auto runtime = UserRuntimeDirectory();
    if (!runtime) return std::nullopt;
    return PrivateFolder(*runtime + "/" + std::string(name));
}

}  // namespace vivori::ui
