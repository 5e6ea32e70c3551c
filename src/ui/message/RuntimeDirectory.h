#pragma once

#include <optional>
#include <string>

namespace vivori::ui {

// A folder only this user can reach, for files and sockets shared by the user's
// processes: $XDG_RUNTIME_DIR, else /tmp/vivori-<uid> (created 0700). A folder that is
// not a real directory owned by the user, or that others can enter, is refused.
std::optional<std::string> UserRuntimeDirectory();

}  // namespace vivori::ui
