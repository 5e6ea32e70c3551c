#include "ui/core/CListLabelElementUI.h"

namespace vivori::ui {

void* CListLabelElementUI::GetInterface(std::string_view name) {
    if (name == "ListItem") return static_cast<IListItemUI*>(this);
    if (name == "ListLabelElement" || name == "ListElement") return this;
    return CLabelUI::GetInterface(name);
}

bool CListLabelElementUI::Select(bool select) {
    if (!IsEnabled()) return false;
    item_.selected = select;
    state_ = select ? state_ | kStateSelected : state_ & ~kStateSelected;
    Invalidate();
    return true;
}

UiSize CListLabelElementUI::EstimateSize(UiSize available) {
    UiSize size = CLabelUI::EstimateSize(available);
    if (size.cy == 0 && item_.owner != nullptr) size.cy = item_.owner->GetListInfo().itemHeight;
    if (size.cy == 0) size.cy = 24;
    return size;
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
    if (!item_.HandleEvent(*this, event)) CLabelUI::DoEvent(event);
}

void CListLabelElementUI::PaintBkColor(IRender& render) {
    UiColor color = item_.BackgroundColor(*this);
    if (color != 0) render.FillRect(pos_, color);
}

void CListLabelElementUI::PaintText(IRender& render) {
    std::string text = GetText();
    if (text.empty()) return;
    UiColor color = item_.TextColor(*this);
    if (color == 0) color = CurrentTextColor();
    unsigned style = textStyle_;
    int font = font_;
    UiRect rect = TextRect();
    if (item_.owner != nullptr) {
        const ListInfo& info = item_.owner->GetListInfo();
        if (textPadding_ == UiRect{}) rect = pos_.Deflate(info.textPadding);
        if (font < 0) font = info.font;
    }
    render.DrawText(rect, text, color, font, style);
}

}  // namespace vivori::ui
