#include "ui/core/CPaintManagerUI.h"
#include "ui/core/IListItemUI.h"

namespace vivori::ui {

bool ListItemBehaviour::HandleEvent(CControlUI& self, TEventUI& event) {
    switch (event.type) {
        case UiEventType::ButtonDown:
        case UiEventType::RightButtonDown:
            if (!self.IsEnabled() || owner == nullptr) return true;
            if (self.GetManager() != nullptr) {
                self.GetManager()->SendNotify(&self, kNotifyItemClick);
            }
            owner->SelectItemWithKeys(index, event.keyState);
            self.Invalidate();
            return true;
        case UiEventType::DoubleClick:
            if (self.IsEnabled() && self.GetManager() != nullptr) {
                self.GetManager()->SendNotify(&self, kNotifyItemActivate);
            }
            return true;
        case UiEventType::ButtonUp:
            return true;
        case UiEventType::MouseEnter:
            if (self.IsEnabled()) {
                self.SetState(self.GetState() | kStateHot);
                self.Invalidate();
            }
            return true;
        case UiEventType::MouseLeave:
            self.SetState(self.GetState() & ~kStateHot);
            self.Invalidate();
            return true;
        case UiEventType::KeyDown:
        case UiEventType::ScrollWheel:
            // Keys and the wheel move the owner's selection and scroll its view.
            if (owner != nullptr) {
                owner->DoEvent(event);
                return true;
            }
            return false;
        default:
            return false;
    }
}

UiColor ListItemBehaviour::BackgroundColor(const CControlUI& self) const {
    if (owner == nullptr) return self.GetBkColor();
    const ListInfo& info = owner->GetListInfo();
    if (selected && info.selectedBkColor != 0) return info.selectedBkColor;
    if ((self.GetState() & kStateHot) != 0 && info.hotBkColor != 0) return info.hotBkColor;
    if (self.GetBkColor() != 0) return self.GetBkColor();
    return info.bkColor;
}

UiColor ListItemBehaviour::TextColor(const CControlUI& self) const {
    if (owner == nullptr) return 0;
    const ListInfo& info = owner->GetListInfo();
    if (!self.IsEnabled()) return info.disabledTextColor;
    if (selected && info.selectedTextColor != 0) return info.selectedTextColor;
    if ((self.GetState() & kStateHot) != 0 && info.hotTextColor != 0) return info.hotTextColor;
    return info.textColor;
}

}  // namespace vivori::ui
