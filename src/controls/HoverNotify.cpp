#include "controls/HoverNotify.h"

#include "ui/core/CPaintManagerUI.h"

namespace vivori::controls {

void NotifyHover(ui::CButtonUI& button, const ui::TEventUI& event) {
    if (!button.IsEnabled() || button.GetManager() == nullptr) return;
    if (event.type == ui::UiEventType::MouseEnter) {
        button.SetState(button.GetState() | ui::kStateHot);
        button.GetManager()->SendNotify(&button, ui::kNotifyMouseEnter);
        button.Invalidate();
    } else if (event.type == ui::UiEventType::MouseLeave) {
        button.SetState(button.GetState() & ~ui::kStateHot);
        button.GetManager()->SendNotify(&button, ui::kNotifyMouseLeave);
        button.Invalidate();
    }
}

}  // namespace vivori::controls
