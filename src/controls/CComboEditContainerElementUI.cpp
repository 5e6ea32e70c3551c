#include "controls/CComboEditContainerElementUI.h"

#include "platform/Debug.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::controls {

void* CComboEditContainerElementUI::GetInterface(std::string_view name) {
    if (name == "ComboEditContainerElement") return this;
    return CListContainerElementUI::GetInterface(name);
}

void CComboEditContainerElementUI::DoInit() {
    if (manager_ == nullptr) return;
    ui::CDialogBuilder builder;
    ui::CControlUI* root = builder.Create(kLayout, {}, manager_);
    if (root == nullptr) {
        DebugPrintf("row layout not built: %s", builder.GetLastError().c_str());
        return;
    }
    RemoveAll();
    Add(root);
    text1_ = manager_->FindSubControlByName(root, "text1");
    text2_ = manager_->FindSubControlByName(root, "text2");
    delayEdit_ = manager_->FindSubControlByName(root, "delay_edit");
}

void CComboEditContainerElementUI::PassOn(ui::TEventUI& event) {
    if (item_.owner != nullptr) {
        item_.owner->DoEvent(event);
    } else {
        CHorizontalLayoutUI::DoEvent(event);
    }
}

void CComboEditContainerElementUI::DoEvent(ui::TEventUI& event) {
    const bool mouse =
        event.type == ui::UiEventType::MouseMove || event.type == ui::UiEventType::ButtonDown ||
        event.type == ui::UiEventType::ButtonUp || event.type == ui::UiEventType::DoubleClick ||
        event.type == ui::UiEventType::MouseEnter || event.type == ui::UiEventType::MouseLeave ||
        event.type == ui::UiEventType::ContextMenu;
    if (mouse && !IsMouseEnabled()) return PassOn(event);
    switch (event.type) {
        case ui::UiEventType::KeyDown:
            if (event.key == ui::kKeyReturn && IsEnabled()) {
                Activate();
                Invalidate();
                Notify(ui::kNotifyReturn);
                return;
            }
            break;
        case ui::UiEventType::ButtonDown:
            if (!IsEnabled()) return;
            if ((event.keyState & ui::kModControl) != 0) {
                Select(!IsSelected());
            } else if (item_.owner != nullptr) {
                item_.owner->SelectItem(item_.index, true);
            } else {
                Select(true);
            }
            return;
        case ui::UiEventType::ButtonUp:
            if (IsEnabled()) Notify(ui::kNotifyItemClick);
            return;
        case ui::UiEventType::MouseMove:
            return;
        case ui::UiEventType::MouseEnter:
            if (IsEnabled()) state_ |= ui::kStateHot;
            Invalidate();
            return;
        case ui::UiEventType::MouseLeave:
            state_ &= ~ui::kStateHot;
            Invalidate();
            return;
        case ui::UiEventType::Timer:
            Notify(ui::kNotifyTimer, event.wParam, event.lParam);
            return;
        case ui::UiEventType::ContextMenu:
            if (IsContextMenuUsed()) Notify(ui::kNotifyMenu, event.wParam, event.lParam);
            return;
        case ui::UiEventType::DoubleClick:
            if (IsEnabled()) {
                Activate();
                Invalidate();
            }
            return;
        default:
            break;
    }
    PassOn(event);
}

void CComboEditContainerElementUI::SetAttribute(std::string_view name, std::string_view value) {
    // The row draws no state images of its own.
    if (name == "normalimage" || name == "hotimage" || name == "selectedimage") return;
    CListContainerElementUI::SetAttribute(name, value);
}

}  // namespace vivori::controls
