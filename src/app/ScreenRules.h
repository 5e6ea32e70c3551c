#pragma once

#include <optional>

#include "ui/core/UiTypes.h"

namespace vivori::app {

// The window's DPI for a monitor: 144 on one wider than 1500 and taller than 960
// pixels, else 96.
int ChooseDpi(const ui::UiRect& monitor);
// A DPI the toolkit takes; anything else becomes 96.
int ValidDpi(int dpi);

struct MenuPlacement {
    ui::UiPoint point;
    int alignment = 0;
};
// Where the tray menu opens for a click at cursor, kept clear of the taskbar; without
// a known taskbar at the cursor, left and top aligned.
MenuPlacement PlaceTrayMenu(ui::UiPoint cursor, std::optional<ui::UiRect> taskbar);

}  // namespace vivori::app
