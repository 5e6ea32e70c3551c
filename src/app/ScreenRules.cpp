#include "app/ScreenRules.h"

#include <algorithm>
#include <array>

#include "platform/Debug.h"
#include "ui/core/CMenuWnd.h"

namespace vivori::app {

int ChooseDpi(const ui::UiRect& monitor) {
    return monitor.Width() > 1500 && monitor.Height() > 960 ? 144 : 96;
}

int ValidDpi(int dpi) {
    constexpr std::array<int, 7> kValid = {48, 72, 96, 120, 144, 168, 192};
    if (std::find(kValid.begin(), kValid.end(), dpi) != kValid.end()) return dpi;
    DebugOutput("MAIN_WND DPI SET ERROR");
    return 96;
}

MenuPlacement PlaceTrayMenu(ui::UiPoint cursor, std::optional<ui::UiRect> taskbar) {
    using namespace ui;
    MenuPlacement placement{cursor, eMenuAlignment_Left | eMenuAlignment_Top};
    if (!taskbar) return placement;
    const UiRect& bar = *taskbar;
    if (bar.left == 0 && bar.top == 0) {
        if (bar.Width() > bar.Height()) {  // along the top
            placement.point.y = bar.Height() + 1;
            placement.alignment = eMenuAlignment_Top | eMenuAlignment_Right;
        } else if (bar.Height() > bar.Width()) {  // down the left side
            placement.point.x = bar.Width() + 1;
            placement.alignment = eMenuAlignment_Left | eMenuAlignment_Bottom;
        }
    }
    if (bar.left == 0 && bar.top > 0) {  // along the bottom
        placement.point.y = bar.top - 20;
        placement.alignment = eMenuAlignment_Right | eMenuAlignment_Bottom;
    } else if (bar.left > 0 && bar.top == 0) {  // down the right side
        placement.point.x = bar.left - 1;
        placement.alignment = eMenuAlignment_Right | eMenuAlignment_Bottom;
    }
    return placement;
}

}  // namespace vivori::app
