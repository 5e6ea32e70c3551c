#include "ui/core/CContainerUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CScrollBarUI.h"

namespace vivori::ui {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children first, while this container still answers their parent queries.
    RemoveAll();
    delete verticalBar_;
    delete horizontalBar_;
}

void* CContainerUI::GetInterface(std::string_view name) {
    if (name == "Container" || name == "IContainer") return this;
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[static_cast<std::size_t>(index)];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto found = std::find(items_.begin(), items_.end(), control);
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    int current = GetItemIndex(control);
    if (current < 0 || index < 0 || index >= GetCount()) return false;
    items_.erase(items_.begin() + current);
    items_.insert(items_.begin() + index, control);
    NeedUpdate();
    return true;
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr || index < 0 || index > GetCount()) return false;
    if (manager_ != nullptr) {
        manager_->InitControls(control, this);
    } else {
        control->SetManager(nullptr, this, false);
    }
    items_.insert(items_.begin() + index, control);
    control->SetInternVisible(IsVisible() && ShowsChild(control));
    NeedUpdate();
    return true;
}

void CContainerUI::UpdateChildVisibility() {
    for (CControlUI* item : items_) item->SetInternVisible(IsVisible() && ShowsChild(item));
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index, doNotDestroy);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
    CControlUI* control = GetItemAt(index);
    if (control == nullptr) return false;
    items_.erase(items_.begin() + index);
    NeedUpdate();
    ReleaseChild(control, !doNotDestroy && autoDestroy_);
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(items_);
    for (CControlUI* control : items) ReleaseChild(control, autoDestroy_);
    NeedUpdate();
}

void CContainerUI::ReleaseChild(CControlUI* control, bool destroy) {
    if (!destroy) {
        if (manager_ != nullptr) manager_->ReapObjects(control);
        control->SetManager(nullptr, nullptr, false);
    } else if (manager_ != nullptr) {
        manager_->AddDelayedCleanup(control);
    } else {
        delete control;
    }
}

void CContainerUI::SetInset(const UiRect& inset) {
    inset_ = inset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = std::max(padding, 0);
    NeedUpdate();
}

void CContainerUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    CControlUI::SetVisible(visible);
    UpdateChildVisibility();
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    UpdateChildVisibility();
}

void CContainerUI::SetEnabled(bool enabled) {
    // A child holding the focus loses it with its container: keys no longer reach it.
    if (!enabled && manager_ != nullptr)
        for (CControlUI* focus = manager_->GetFocus(); focus != nullptr;
             focus = focus->GetParent())
            if (focus == this) {
                manager_->SetFocus(nullptr);
                break;
            }
    CControlUI::SetEnabled(enabled);
    if (verticalBar_ != nullptr) verticalBar_->SetEnabled(enabled);
    if (horizontalBar_ != nullptr) horizontalBar_->SetEnabled(enabled);
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    for (CControlUI* item : items_) item->SetManager(manager, this, init);
    if (verticalBar_ != nullptr) verticalBar_->SetManager(manager, this, init);
    if (horizontalBar_ != nullptr) horizontalBar_->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

CControlUI* CContainerUI::FindControl(const FindControlProc& proc, unsigned flags) {
    if (!PassesFindFlags(flags & ~kFindHitTest)) return nullptr;
    if ((flags & kFindMeFirst) != 0) {
        if (CControlUI* found = CControlUI::FindControl(proc, flags)) return found;
    }
    if ((flags & kFindTopFirst) != 0) {
        for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
            if (CControlUI* found = (*it)->FindControl(proc, flags)) return found;
        }
    } else {
        for (CControlUI* item : items_) {
            if (CControlUI* found = item->FindControl(proc, flags)) return found;
        }
    }
    if ((flags & kFindMeFirst) == 0) return CControlUI::FindControl(proc, flags);
    return nullptr;
}

CControlUI* CContainerUI::FindControlAt(UiPoint point, unsigned flags) {
    if (!PassesFindFlags(flags & ~kFindHitTest) || !pos_.Contains(point)) return nullptr;
    for (CScrollBarUI* bar : {verticalBar_, horizontalBar_}) {
        if (bar != nullptr) {
            if (CControlUI* found = bar->FindControlAt(point, flags)) return found;
        }
    }
    // A disabled container is hit itself: no child of it takes a click.
    const bool childrenHit = mouseChildEnabled_ && IsOwnEnabled();
    if (childrenHit || (flags & kFindHitTest) == 0) {
        UiRect client = ClientRect();
        for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
            CControlUI* item = *it;
            // A scrolled-out child is only reachable inside the visible client area,
            // floating children anywhere over the container.
            if (!item->IsFloat() && !client.Contains(point)) continue;
            if (CControlUI* found = item->FindControlAt(point, flags)) return found;
        }
    }
    return CControlUI::FindControlAt(point, flags);
}

UiRect CContainerUI::ClientRect() const {
    UiRect rect = pos_.Deflate(inset_);
    if (verticalBar_ != nullptr && verticalBar_->IsVisible()) {
        rect.right -= verticalBar_->GetFixedWidth();
    }
    if (horizontalBar_ != nullptr && horizontalBar_->IsVisible()) {
        rect.bottom -= horizontalBar_->GetFixedHeight();
    }
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    return rect;
}

void CContainerUI::SetFloatPos(int index) {
    CControlUI* item = GetItemAt(index);
    if (item == nullptr || !item->IsVisible()) return;
    UiRect rect = item->GetFloatPos();
    rect.Offset(pos_.left, pos_.top);
    if (rect.Width() == 0) rect.right = rect.left + item->GetFixedWidth();
    if (rect.Height() == 0) rect.bottom = rect.top + item->GetFixedHeight();
    item->SetPos(rect, false);
}

void CContainerUI::SetPos(const UiRect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    UiRect client = pos_.Deflate(inset_);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = items_[static_cast<std::size_t>(i)];
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
        } else {
            UiRect itemRect = client.Deflate(item->GetPadding());
            item->SetPos(itemRect, false);
        }
    }
}

void CContainerUI::DoPaint(IRender& render, const UiRect& paintRect) {
    UiRect visible = pos_.Intersect(paintRect);
    if (visible.IsEmpty()) return;
    render.PushClip(visible);
    CControlUI::DoPaint(render, visible);
    UiRect client = ClientRect().Intersect(visible);
    if (!client.IsEmpty()) {
        render.PushClip(client);
        for (CControlUI* item : items_) {
            if (!item->IsVisible() || item->IsFloat()) continue;
            if (item->GetPos().Intersect(client).IsEmpty()) continue;
            if (manager_ != nullptr && manager_->LeavesOut(item, client)) continue;
            item->DoPaint(render, client);
        }
        render.PopClip();
    }
    for (CControlUI* item : items_) {
        if (!item->IsVisible() || !item->IsFloat()) continue;
        if (manager_ != nullptr && manager_->LeavesOut(item, visible)) continue;
        item->DoPaint(render, visible);
    }
    for (CScrollBarUI* bar : {verticalBar_, horizontalBar_}) {
        if (bar != nullptr && bar->IsVisible()) bar->DoPaint(render, visible);
    }
    // One veil, from the outermost disabled container.
    if (!IsOwnEnabled() && (parent_ == nullptr || parent_->IsEnabled()) && manager_ != nullptr)
        render.FillRect(visible, manager_->GetDisabledVeilColor());
    render.PopClip();
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.type == UiEventType::ScrollWheel && verticalBar_ != nullptr &&
        verticalBar_->IsVisible() && verticalBar_->IsEnabled()) {
        if (static_cast<int>(event.wParam) > 0) {
            LineUp();
        } else {
            LineDown();
        }
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "inset") {
        SetInset(ParseRect(value));
    } else if (name == "childpadding") {
        SetChildPadding(ParseInt(value));
    } else if (name == "mousechild") {
        SetMouseChildEnabled(ParseBool(value));
    } else if (name == "vscrollbar") {
        EnableScrollBar(ParseBool(value), horizontalBar_ != nullptr);
    } else if (name == "hscrollbar") {
        EnableScrollBar(verticalBar_ != nullptr, ParseBool(value));
    } else if (name == "autodestroy") {
        SetAutoDestroy(ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

UiSize CContainerUI::GetScrollPos() const {
    return {horizontalBar_ != nullptr ? horizontalBar_->GetScrollPos() : 0,
            verticalBar_ != nullptr ? verticalBar_->GetScrollPos() : 0};
}

UiSize CContainerUI::GetScrollRange() const {
    return {horizontalBar_ != nullptr ? horizontalBar_->GetScrollRange() : 0,
            verticalBar_ != nullptr ? verticalBar_->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(UiSize pos) {
    UiSize old = GetScrollPos();
    if (verticalBar_ != nullptr) verticalBar_->SetScrollPos(pos.cy);
    if (horizontalBar_ != nullptr) horizontalBar_->SetScrollPos(pos.cx);
    UiSize now = GetScrollPos();
    int dx = now.cx - old.cx;
    int dy = now.cy - old.cy;
    if (dx == 0 && dy == 0) return;
    for (CControlUI* item : items_) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        UiRect rect = item->GetPos();
        rect.Offset(-dx, -dy);
        item->SetPos(rect, false);
    }
    Invalidate();
}

void CContainerUI::LineUp() {
    int step = verticalBar_ != nullptr ? verticalBar_->GetLineSize() : 8;
    SetScrollPos({GetScrollPos().cx, std::max(GetScrollPos().cy - step, 0)});
}

void CContainerUI::LineDown() {
    int step = verticalBar_ != nullptr ? verticalBar_->GetLineSize() : 8;
    SetScrollPos({GetScrollPos().cx, GetScrollPos().cy + step});
}

void CContainerUI::PageUp() {
    int page = std::max(ClientRect().Height(), 1);
    SetScrollPos({GetScrollPos().cx, std::max(GetScrollPos().cy - page, 0)});
}

void CContainerUI::PageDown() {
    int page = std::max(ClientRect().Height(), 1);
    SetScrollPos({GetScrollPos().cx, GetScrollPos().cy + page});
}

void CContainerUI::HomeUp() {
    SetScrollPos({GetScrollPos().cx, 0});
}

void CContainerUI::EndDown() {
    SetScrollPos({GetScrollPos().cx, GetScrollRange().cy});
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    SetScrollBar(verticalBar_, vertical, false);
    SetScrollBar(horizontalBar_, horizontal, true);
    NeedUpdate();
}

void CContainerUI::SetScrollBar(CScrollBarUI*& bar, bool wanted, bool horizontal) {
    if (wanted && bar == nullptr) {
        bar = new CScrollBarUI;
        bar->SetHorizontal(horizontal);
        bar->SetOwner(this);
        bar->SetManager(manager_, nullptr, false);
        bar->SetVisible(false);
    } else if (!wanted && bar != nullptr) {
        if (manager_ != nullptr) manager_->ReapObjects(bar);
        delete bar;
        bar = nullptr;
    }
}

void CContainerUI::ProcessScrollBar(const UiRect& rect, int requiredWidth, int requiredHeight) {
    if (verticalBar_ != nullptr) {
        int view = rect.Height();
        bool needed = requiredHeight > view;
        int range = needed ? requiredHeight - view : 0;
        int width = verticalBar_->GetFixedWidth();
        verticalBar_->SetVisible(needed);
        verticalBar_->SetScrollRange(range);
        if (needed) {
            verticalBar_->SetPos({rect.right, rect.top, rect.right + width, rect.bottom}, false);
        }
    }
    if (horizontalBar_ != nullptr) {
        int view = rect.Width();
        bool needed = requiredWidth > view;
        int range = needed ? requiredWidth - view : 0;
        int height = horizontalBar_->GetFixedHeight();
        horizontalBar_->SetVisible(needed);
        horizontalBar_->SetScrollRange(range);
        if (needed) {
            horizontalBar_->SetPos({rect.left, rect.bottom, rect.right, rect.bottom + height},
                                   false);
        }
    }
}

}  // namespace vivori::ui
