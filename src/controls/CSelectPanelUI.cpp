#include "controls/CSelectPanelUI.h"

#include <algorithm>

#include "devices/IDeviceKeyButton.h"

namespace vivori::controls {

void* CSelectPanelUI::GetInterface(std::string_view name) {
    if (name == "SelectPanel") return this;
    return CVerticalLayoutUI::GetInterface(name);
}

void CSelectPanelUI::DoEvent(ui::TEventUI& event) {
    // The layout's own handling comes first (focus, capture, its scroll bars); the
    // drag selection is drawn over the top of it.
    CVerticalLayoutUI::DoEvent(event);
    switch (event.type) {
        case ui::UiEventType::ButtonDown:
            if (IsEnabled()) {
                pressed_ = true;
                start_ = current_ = event.mouse;
            }
            break;
        case ui::UiEventType::MouseMove:
            if (pressed_) dragging_ = true;
            if (dragging_) {
                current_ = event.mouse;
                selection_ = {std::min(start_.x, current_.x), std::min(start_.y, current_.y),
                              std::max(start_.x, current_.x), std::max(start_.y, current_.y)};
                NeedUpdate();
            }
            break;
        case ui::UiEventType::ButtonUp:
            pressed_ = false;
            if (dragging_) EndDrag();
            break;
        default:
            break;
    }
}

void CSelectPanelUI::EndDrag() {
    dragging_ = false;
    start_ = current_;
    for (int i = 0; i < GetCount(); ++i) {
        ui::CControlUI* child = GetItemAt(i);
        // Only real key buttons take part; look-alike classes do not.
        if (child == nullptr || child->GetClass() != "DeviceKeyButton") continue;
        auto* key =
            static_cast<devices::IDeviceKeyButton*>(child->GetInterface(devices::kDeviceKeyButton));
        if (key != nullptr) key->SetInSelection(!child->GetPos().Intersect(selection_).IsEmpty());
    }
    NeedUpdate();
    Notify(kNotifySelectEnd);
}

}  // namespace vivori::controls
