#include "ui/core/CListLabelElementUI.h"

namespace vivori::ui {

void CListLabelElementUI::PaintText(IRender& render) {
    std::string text = GetText();
    if (text.empty()) return;
    UiColor color = item_.TextColor(*this);
    if (color == 0) color = CurrentTextColor();
    int font = font_;
    UiRect rect = TextRect();
    if (item_.owner != nullptr) {
        const ListInfo& info = item_.owner->GetListInfo();
        if (textPadding_ == UiRect{}) rect = pos_.Deflate(info.textPadding);
        if (font < 0) font = info.font;
    }
    render.DrawText(rect, text, color, font, textStyle_);
}

}  // namespace vivori::ui
