#include "ui/core/CComboDropUI.h"

#include "ui/core/CComboUI.h"
#include "ui/core/CScrollBarUI.h"

namespace vivori::ui {

CComboDropUI::CComboDropUI(CComboUI& combo) : combo_(combo) {
    EnableScrollBar(true, false);
    bkColor_ = 0xFFFFFFFF;
    borderColor_ = 0xFF808080;
    borderSize_ = 1;
}

CComboDropUI::~CComboDropUI() = default;

void CComboDropUI::Arrange() {
    UiRect client = ClientRect();
    int needed = 0;
    int row = 0;
    for (int i = 0; i < combo_.GetCount(); ++i) {
        CControlUI* item = combo_.GetItemAt(i);
        if (!item->IsOwnVisible()) continue;
        const int height = item->EstimateSize({client.Width(), client.Height()}).cy;
        if (row == 0) row = height;
        needed += height;
    }
    ProcessScrollBar(pos_.Deflate(inset_), 0, needed);
    // One wheel notch or arrow press moves one row.
    if (CScrollBarUI* bar = GetVerticalScrollBar(); bar != nullptr && row > 0) bar->SetLineSize(row);
    client = ClientRect();
    int y = client.top - GetScrollPos().cy;
    for (int i = 0; i < combo_.GetCount(); ++i) {
        CControlUI* item = combo_.GetItemAt(i);
        if (!item->IsOwnVisible()) continue;
        int height = item->EstimateSize({client.Width(), client.Height()}).cy;
        item->SetInternVisible(true);
        item->SetPos({client.left, y, client.right, y + height}, false);
        y += height;
    }
}

void CComboDropUI::SetPos(const UiRect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    Arrange();
}

void CComboDropUI::SetScrollPos(UiSize pos) {
    if (verticalBar_ != nullptr) verticalBar_->SetScrollPos(pos.cy);
    Arrange();
    Invalidate();
}

CControlUI* CComboDropUI::FindControlAt(UiPoint point, unsigned flags) {
    if (!pos_.Contains(point)) return nullptr;
    if (verticalBar_ != nullptr) {
        if (CControlUI* found = verticalBar_->FindControlAt(point, flags)) return found;
    }
    UiRect client = ClientRect();
    if (client.Contains(point)) {
        for (int i = 0; i < combo_.GetCount(); ++i) {
            if (CControlUI* found = combo_.GetItemAt(i)->FindControlAt(point, flags)) return found;
        }
    }
    return this;
}

void CComboDropUI::DoPaint(IRender& render, const UiRect& paintRect) {
    UiRect visible = pos_.Intersect(paintRect);
    if (visible.IsEmpty()) return;
    render.PushClip(visible);
    PaintBkColor(render);
    UiRect client = ClientRect();
    render.PushClip(client);
    for (int i = 0; i < combo_.GetCount(); ++i) {
        CControlUI* item = combo_.GetItemAt(i);
        if (item->IsVisible() && !item->GetPos().Intersect(client).IsEmpty()) {
            item->DoPaint(render, client);
        }
    }
    render.PopClip();
    if (verticalBar_ != nullptr && verticalBar_->IsVisible())
        verticalBar_->DoPaint(render, visible);
    PaintBorder(render);
    render.PopClip();
}

}  // namespace vivori::ui
