#include "controls/CCloudShareListItemUI.h"

namespace vivori::controls {

void* CCloudShareListItemUI::GetInterface(std::string_view name) {
    if (name == "CloudShareListItemUI") return this;
    return CListContainerElementUI::GetInterface(name);
}

bool CCloudShareListItemUI::Activate() {
    if (!CListContainerElementUI::Activate()) return false;
    Notify(ui::kNotifyItemActivate);
    return true;
}

void CCloudShareListItemUI::DoEvent(ui::TEventUI& event) {
    switch (event.type) {
        case ui::UiEventType::MouseEnter:
            if (IsEnabled()) {
                state_ |= ui::kStateHot;
                Invalidate();
            }
            return;
        case ui::UiEventType::MouseLeave:
            state_ &= ~ui::kStateHot;
            Invalidate();
            return;
        case ui::UiEventType::ContextMenu:
            if (IsContextMenuUsed()) Notify(ui::kNotifyMenu, event.wParam, event.lParam);
            return;
        default:
            CListContainerElementUI::DoEvent(event);
    }
}

void CCloudShareListItemUI::PaintBkColor(ui::IRender& render) {
    CListContainerElementUI::PaintBkColor(render);
    if (!IsHot() || IsSelected() || item_.owner == nullptr) return;
    const ui::ListInfo& info = item_.owner->GetListInfo();
    const ui::UiColor line = info.hotTextColor != 0 ? info.hotTextColor : info.textColor;
    if (line != 0) render.DrawBorder(pos_, line, 1, {});
}

}  // namespace vivori::controls
