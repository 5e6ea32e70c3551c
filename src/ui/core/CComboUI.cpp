#include "ui/core/CComboUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"
#include "ui/core/CComboDropUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

CComboUI::CComboUI() {
    bkColor_ = 0xFFFFFFFF;
    borderColor_ = 0xFF808080;
    borderSize_ = 1;
}

CComboUI::~CComboUI() {
    CloseDrop();
    delete drop_;
}

void* CComboUI::GetInterface(std::string_view name) {
    if (name == "Combo") return this;
    if (name == "IListOwner") return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    IndexListItems(*this, this, index);
    if (current_ >= index) ++current_;
    return true;
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy) {
    if (!CContainerUI::RemoveAt(index, doNotDestroy)) return false;
    IndexListItems(*this, this, index);
    if (current_ == index) {
        current_ = -1;
    } else if (current_ > index) {
        --current_;
    }
    return true;
}

void CComboUI::RemoveAll() {
    current_ = -1;
    CContainerUI::RemoveAll();
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    (void)takeFocus;
    CloseDrop();
    if (index == current_) return true;
    int old = current_;
    if (CControlUI* previous = GetItemAt(current_)) {
        if (auto* item = static_cast<IListItemUI*>(previous->GetInterface("ListItem"))) {
            item->Select(false);
        }
    }
    current_ = -1;
    if (index < 0) return true;
    CControlUI* control = GetItemAt(index);
    auto* item =
        control != nullptr ? static_cast<IListItemUI*>(control->GetInterface("ListItem")) : nullptr;
    // The item's own state: a disabled container stops the user's clicks, not the
    // program choosing what the combo shows.
    if (item == nullptr || !control->IsOwnEnabled() || !item->Select(true)) return false;
    current_ = index;
    Invalidate();
    if (triggerEvent && manager_ != nullptr) {
        manager_->SendNotify(this, kNotifyItemSelect, static_cast<WPARAM>(current_),
                             static_cast<LPARAM>(old));
    }
    return true;
}

std::string CComboUI::GetText() const {
    CControlUI* selected = GetItemAt(current_);
    return selected != nullptr ? selected->GetText() : std::string();
}

bool CComboUI::IsDropped() const {
    return drop_ != nullptr && manager_ != nullptr && manager_->GetPopup() == drop_;
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate() || manager_ == nullptr) return false;
    if (IsDropped()) {
        CloseDrop();
        return true;
    }
    if (drop_ == nullptr) {
        drop_ = new CComboDropUI(*this);
        drop_->SetManager(manager_, nullptr, false);
        drop_->ApplyAttributeList(dropBoxAttributes_);
    }
    // Below the combo, or above it when the window has no room below.
    int width = dropBoxSize_.cx > 0 ? dropBoxSize_.cx : pos_.Width();
    int height = dropBoxSize_.cy;
    UiSize client = manager_->GetClientSize();
    UiRect rect{pos_.left, pos_.bottom, pos_.left + width, pos_.bottom + height};
    if (client.cy > 0 && rect.bottom > client.cy && pos_.top - height >= 0) {
        rect = {pos_.left, pos_.top - height, pos_.left + width, pos_.top};
    }
    manager_->OpenPopup(drop_, this, rect);
    if (current_ >= 0) {
        // Bring the selected element into view inside the drop list.
        CControlUI* selected = GetItemAt(current_);
        if (selected != nullptr && selected->GetPos().bottom > rect.bottom) {
            drop_->SetScrollPos({0, selected->GetPos().bottom - rect.bottom});
        }
    }
    manager_->SendNotify(this, kNotifyDropDown);
    return true;
}

void CComboUI::CloseDrop() {
    if (IsDropped()) manager_->ClosePopup();
}

CControlUI* CComboUI::FindControlAt(UiPoint point, unsigned flags) {
    // The elements are reached through the drop list only.
    return CControlUI::FindControlAt(point, flags);
}

void CComboUI::SetPos(const UiRect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
}

void CComboUI::DoPaint(IRender& render, const UiRect& paintRect) {
    CControlUI::DoPaint(render, paintRect);
    if (!normalImage_.empty()) DrawImage(render, normalImage_);
    std::string text = GetText();
    if (!text.empty()) {
        UiColor color = textColor_ != 0       ? textColor_
                        : manager_ != nullptr ? manager_->GetDefaultTextColor()
                                              : 0xFF000000;
        render.DrawText(pos_.Deflate(textPadding_), text, color, font_,
                        kTextVCenter | kTextSingleLine | kTextEndEllipsis);
    }
    // The drop arrow.
    int cx = pos_.right - 10, cy = (pos_.top + pos_.bottom) / 2;
    UiColor arrow = textColor_ != 0 ? textColor_ : 0xFF808080;
    render.DrawLine({cx - 4, cy - 2}, {cx, cy + 2}, arrow, 1);
    render.DrawLine({cx, cy + 2}, {cx + 4, cy - 2}, arrow, 1);
}

void CComboUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case UiEventType::ButtonDown:
            if (IsEnabled()) Activate();
            return;
        case UiEventType::ButtonUp:
        case UiEventType::MouseMove:
            return;
        case UiEventType::KeyDown:
            if (event.key == kKeyUp && current_ > 0) {
                SelectItem(current_ - 1);
                return;
            }
            if (event.key == kKeyDown && current_ + 1 < GetCount()) {
                SelectItem(current_ + 1);
                return;
            }
            if (event.key == kKeyEscape) {
                CloseDrop();
                return;
            }
            break;
        case UiEventType::ScrollWheel:
            if (IsDropped() && drop_ != nullptr) {
                drop_->DoEvent(event);
                return;
            }
            break;
        default:
            break;
    }
    CContainerUI::DoEvent(event);
}

void CComboUI::SetAttribute(std::string_view name, std::string_view value) {
    if (SetListInfoAttribute(info_, name, value)) {
        Invalidate();
    } else if (name == "dropboxsize") {
        dropBoxSize_ = ParseSize(value);
    } else if (name == "dropbox") {
        dropBoxAttributes_ = value;
    } else if (name == "textpadding") {
        textPadding_ = ParseRect(value);
    } else if (name == "textcolor") {
        textColor_ = ParseColor(value);
    } else if (name == "font") {
        font_ = ParseInt(value);
    } else if (name == "normalimage") {
        normalImage_ = value;
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

}  // namespace vivori::ui
