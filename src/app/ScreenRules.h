#pragma once

#include <optional>

#include "ui/core/UiTypes.h"

namespace vivori::app {

// The window's DPI for a monitor: 144 on one wider than 1500 and taller than 960
// pixels, else 96.
int ChooseDpi(const ui::UiRect& monitor);
// The DPIs the toolkit takes: 48, 72, 96, 120, 144, 168 and 192.
bool IsAcceptedDpi(int dpi);
// dpi when the toolkit takes it, else 96 (with the main window's debug line).
int ValidDpi(int dpi);

struct MenuPlacement {
    ui::UiPoint point;
    int alignment = 0;
};
// Where the tray menu opens for a click at cursor, kept clear of the taskbar; without
// a known taskbar at the cursor, left and top aligned.
MenuPlacement PlaceTrayMenu(ui::UiPoint cursor, std::optional<ui::UiRect> taskbar);

}  // namespace vivori::app
