#include "ui/core/CListContainerElementUI.h"

namespace vivori::ui {

void* CListContainerElementUI::GetInterface(std::string_view name) {
    if (name == "ListItem") return static_cast<IListItemUI*>(this);
    if (name == "ListContainerElement" || name == "ListElement") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

bool CListContainerElementUI::Select(bool select) {
    if (!IsEnabled()) return false;
    item_.selected = select;
    state_ = select ? state_ | kStateSelected : state_ & ~kStateSelected;
    Invalidate();
    return true;
}

UiSize CListContainerElementUI::EstimateSize(UiSize available) {
    UiSize size = CHorizontalLayoutUI::EstimateSize(available);
    if (size.cy == 0 && item_.owner != nullptr) size.cy = item_.owner->GetListInfo().itemHeight;
    if (size.cy == 0) size.cy = 24;
    return size;
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    if (!item_.HandleEvent(*this, event)) CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(IRender& render) {
    UiColor color = item_.BackgroundColor(*this);
    if (color != 0) render.FillRect(pos_, color);
}

}  // namespace vivori::ui
