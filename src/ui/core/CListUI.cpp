#include "ui/core/CListUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CScrollBarUI.h"

namespace vivori::ui {

bool SetListInfoAttribute(ListInfo& info, std::string_view name, std::string_view value) {
    if (name == "itemtextcolor") {
        info.textColor = ParseColor(value);
    } else if (name == "itembkcolor") {
        info.bkColor = ParseColor(value);
    } else if (name == "itemhottextcolor") {
        info.hotTextColor = ParseColor(value);
    } else if (name == "itemhotbkcolor") {
        info.hotBkColor = ParseColor(value);
    } else if (name == "itemselectedtextcolor") {
        info.selectedTextColor = ParseColor(value);
    } else if (name == "itemselectedbkcolor") {
        info.selectedBkColor = ParseColor(value);
    } else if (name == "itemdisabledtextcolor") {
        info.disabledTextColor = ParseColor(value);
    } else if (name == "itemtextpadding") {
        info.textPadding = ParseRect(value);
    } else if (name == "itemfont") {
        info.font = ParseInt(value);
    } else if (name == "itemheight") {
        info.itemHeight = std::max(ParseInt(value), 0);
    } else if (name == "itemalign") {
        info.textStyle &= ~(kTextCenter | kTextRight);
        if (value == "center") info.textStyle |= kTextCenter;
        if (value == "right") info.textStyle |= kTextRight;
    } else {
        return false;
    }
    return true;
}

void IndexListItems(const CContainerUI& container, IListOwnerUI* owner, int from) {
    for (int i = std::max(from, 0); i < container.GetCount(); ++i) {
        auto* item = static_cast<IListItemUI*>(container.GetItemAt(i)->GetInterface("ListItem"));
        if (item == nullptr) continue;
        item->SetIndex(i);
        item->SetOwner(owner);
    }
}

CListUI::CListUI() {
    EnableScrollBar(true, false);
    info_.textPadding = {4, 0, 4, 0};
}

void* CListUI::GetInterface(std::string_view name) {
    if (name == "List") return this;
    if (name == "IListOwner") return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

IListItemUI* CListUI::ItemAt(int index) const {
    CControlUI* control = GetItemAt(index);
    return control != nullptr ? static_cast<IListItemUI*>(control->GetInterface("ListItem"))
                              : nullptr;
}

void CListUI::Reindex(int from) {
    IndexListItems(*this, this, from);
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!CVerticalLayoutUI::AddAt(control, index)) return false;
    Reindex(index);
    if (current_ >= index) ++current_;
    for (int& selected : selected_) {
        if (selected >= index) ++selected;
    }
    return true;
}

bool CListUI::RemoveAt(int index, bool doNotDestroy) {
    if (!CVerticalLayoutUI::RemoveAt(index, doNotDestroy)) return false;
    Reindex(index);
    selected_.erase(std::remove(selected_.begin(), selected_.end(), index), selected_.end());
    for (int& selected : selected_) {
        if (selected > index) --selected;
    }
    if (current_ == index) {
        current_ = -1;
    } else if (current_ > index) {
        --current_;
    }
    return true;
}

void CListUI::RemoveAll() {
    current_ = -1;
    selected_.clear();
    CVerticalLayoutUI::RemoveAll();
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    if (index == current_ && !multiSelect_) return true;
    int old = current_;
    for (int selected : selected_) {
        if (IListItemUI* item = ItemAt(selected)) item->Select(false);
    }
    selected_.clear();
    current_ = -1;
    if (index < 0) {
        return true;
    }
    if (!AddToSelection(index, takeFocus)) return false;
    if (triggerEvent && manager_ != nullptr) {
        manager_->SendNotify(this, kNotifyItemSelect, static_cast<WPARAM>(current_),
                             static_cast<LPARAM>(old));
    }
    return true;
}

bool CListUI::SelectItemWithKeys(int index, unsigned keyState) {
    if (!multiSelect_ || (keyState & (kModControl | kModShift)) == 0) {
        return SelectItem(index, true);
    }
    if ((keyState & kModShift) != 0 && current_ >= 0) {
        int from = std::min(current_, index), to = std::max(current_, index);
        for (int i = from; i <= to; ++i) SelectMultiItem(i);
        return true;
    }
    auto found = std::find(selected_.begin(), selected_.end(), index);
    return found != selected_.end() ? UnSelectItem(index) : SelectMultiItem(index, true);
}

void CListUI::SetMultiSelect(bool multiSelect) {
    multiSelect_ = multiSelect;
    if (!multiSelect && selected_.size() > 1) SelectItem(current_, false, false);
}

bool CListUI::SelectMultiItem(int index, bool takeFocus) {
    if (!multiSelect_) return SelectItem(index, takeFocus);
    if (std::find(selected_.begin(), selected_.end(), index) != selected_.end()) return true;
    int old = current_;
    if (!AddToSelection(index, takeFocus)) return false;
    if (manager_ != nullptr) {
        manager_->SendNotify(this, kNotifyItemSelect, static_cast<WPARAM>(index),
                             static_cast<LPARAM>(old));
    }
    return true;
}

bool CListUI::AddToSelection(int index, bool takeFocus) {
    IListItemUI* item = ItemAt(index);
    CControlUI* control = GetItemAt(index);
    if (item == nullptr || !control->IsVisible() || !control->IsOwnEnabled()) return false;
    if (!item->Select(true)) return false;
    current_ = index;
    selected_.push_back(index);
    EnsureVisible(index);
    if (takeFocus) control->SetFocus();
    return true;
}

bool CListUI::UnSelectItem(int index) {
    auto found = std::find(selected_.begin(), selected_.end(), index);
    if (found == selected_.end()) return false;
    if (IListItemUI* item = ItemAt(index)) item->Select(false);
    selected_.erase(found);
    if (current_ == index) current_ = selected_.empty() ? -1 : selected_.back();
    return true;
}

void CListUI::SelectAllItems() {
    for (int i = 0; i < GetCount(); ++i) SelectMultiItem(i);
}

void CListUI::UnSelectAllItems() {
    for (int selected : std::vector<int>(selected_)) UnSelectItem(selected);
}

void CListUI::EnsureVisible(int index) {
    CControlUI* control = GetItemAt(index);
    if (control == nullptr) return;
    // Lay out first so a freshly added element has its place.
    if (manager_ != nullptr) manager_->LayoutIfNeeded();
    UiRect client = ClientRect();
    UiRect item = control->GetPos();
    int offset = 0;
    if (item.top < client.top) {
        offset = item.top - client.top;
    } else if (item.bottom > client.bottom) {
        offset = item.bottom - client.bottom;
    }
    if (offset != 0) SetScrollPos({GetScrollPos().cx, GetScrollPos().cy + offset});
}

void CListUI::DoEvent(TEventUI& event) {
    if (event.type == UiEventType::KeyDown) {
        switch (event.key) {
            case kKeyUp:
                SelectItem(std::max(current_ - 1, 0), true);
                return;
            case kKeyDown:
                SelectItem(std::min(current_ + 1, GetCount() - 1), true);
                return;
            case kKeyHome:
                SelectItem(0, true);
                return;
            case kKeyEnd:
                SelectItem(GetCount() - 1, true);
                return;
            case kKeyReturn:
                if (CControlUI* item = GetItemAt(current_);
                    item != nullptr && manager_ != nullptr) {
                    manager_->SendNotify(item, kNotifyItemActivate);
                }
                return;
            default:
                break;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(std::string_view name, std::string_view value) {
    if (SetListInfoAttribute(info_, name, value)) {
        Invalidate();
    } else if (name == "multiselect") {
        SetMultiSelect(ParseBool(value));
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

}  // namespace vivori::ui
