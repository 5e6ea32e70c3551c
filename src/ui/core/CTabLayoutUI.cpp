#include "ui/core/CTabLayoutUI.h"

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

void* CTabLayoutUI::GetInterface(std::string_view name) {
    if (name == "TabLayout") return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::ShowsChild(const CControlUI* child) const {
    return current_ >= 0 && GetItemAt(current_) == child;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    // The container made the child visible before it knew the selection.
    if (current_ < 0) {
        current_ = index;
    } else if (index <= current_) {
        ++current_;
    }
    UpdateChildVisibility();
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    bool ok = CContainerUI::Remove(control, doNotDestroy);
    if (index < current_) {
        --current_;
    } else if (index == current_) {
        current_ = GetCount() > 0 ? 0 : -1;
    }
    UpdateChildVisibility();
    return ok;
}

void CTabLayoutUI::RemoveAll() {
    current_ = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == current_) return true;
    int old = current_;
    current_ = index;
    UpdateChildVisibility();
    NeedParentUpdate();
    if (manager_ != nullptr) {
        CControlUI* shown = GetItemAt(index);
        if (shown != nullptr && shown->IsVisible()) manager_->SetFocus(nullptr);
        manager_->SendNotify(this, kNotifyTabSelect, static_cast<WPARAM>(current_),
                             static_cast<LPARAM>(old));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) {
    return SelectItem(GetItemIndex(control));
}

void CTabLayoutUI::SetPos(const UiRect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    UiRect client = pos_.Deflate(inset_);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (i != current_ || !item->IsOwnVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
        } else {
            item->SetPos(client.Deflate(item->GetPadding()), false);
        }
    }
}

void CTabLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selectedid") {
        SelectItem(ParseInt(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

}  // namespace vivori::ui
