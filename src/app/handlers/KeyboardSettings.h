#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vivori::app {

// The desktop's settings program for the keyboard (which 0) or the mouse (which 1):
// the current desktop's (XDG_CURRENT_DESKTOP, a ":"-separated list) when installed,
// else the first installed one of GNOME, KDE Plasma and Xfce. nullopt when none is.
std::optional<std::vector<std::string>> DesktopInputSettingsCommand(
    int which, std::string_view currentDesktop,
    const std::function<std::optional<std::string>(std::string_view program)>& find);

}  // namespace vivori::app
