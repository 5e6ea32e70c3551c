#pragma once

#include <string_view>

#include "ui/core/CControlUI.h"

namespace vivori::controls {

// The application's own toolkit controls, by class name ("CSelectPanelUI") and by the
// element name layouts use ("SelectPanel"). Null for any other name.
ui::CControlUI* CreateCustomControl(std::string_view name);

// Registers the classes with the toolkit's control factory, in the start-up order.
void RegisterCustomControls();

}  // namespace vivori::controls
