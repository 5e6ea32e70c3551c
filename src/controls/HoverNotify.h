#pragma once

#include "ui/core/CButtonUI.h"

namespace vivori::controls {

// The hand image buttons tell their window when the pointer enters ("msenter") or
// leaves ("msleave") them while enabled; the event then still reaches the button.
void NotifyHover(ui::CButtonUI& button, const ui::TEventUI& event);

}  // namespace vivori::controls
