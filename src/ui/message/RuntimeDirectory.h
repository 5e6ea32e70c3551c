#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vivori::ui {

// A folder only this user can reach, for files and sockets shared by the user's
// processes: $XDG_RUNTIME_DIR, else /tmp/vivori-<uid> (created 0700). A folder that is
// not a real directory owned by the user, or that others can enter, is refused.
std::optional<std::string> UserRuntimeDirectory();
// A folder of that name inside it, held to the same rules.
std::optional<std::string> UserRuntimeSubdirectory(std::string_view name);

}  // namespace vivori::ui
