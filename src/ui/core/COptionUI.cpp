#include "ui/core/COptionUI.h"

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::ui {

void* COptionUI::GetInterface(std::string_view name) {
    if (name == "Option") return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetGroup(std::string_view group) {
    group_ = group;
}

void COptionUI::Selected(bool selected, bool triggerEvent) {
    if (selected_ == selected) return;
    selected_ = selected;
    if (selected) {
        state_ |= kStateSelected;
    } else {
        state_ &= ~kStateSelected;
    }
    Invalidate();
    if (manager_ == nullptr) return;
    if (selected && !bindTabLayout_.empty() && bindTabIndex_ >= 0) {
        CControlUI* bound = manager_->FindControl(bindTabLayout_);
        auto* tab = bound != nullptr ? static_cast<CTabLayoutUI*>(bound->GetInterface("TabLayout"))
                                     : nullptr;
        if (tab != nullptr) tab->SelectItem(bindTabIndex_);
    }
    if (group_.empty()) {
        if (triggerEvent) Notify(kNotifySelectChanged);
        return;
    }
    if (!selected) return;
    CControlUI* root = manager_->GetRoot();
    if (root != nullptr) {
        root->FindControl(
            [this](CControlUI* control) -> CControlUI* {
                auto* option = static_cast<COptionUI*>(control->GetInterface("Option"));
                if (option != nullptr && option != this && option->group_ == group_) {
                    option->Selected(false, false);
                }
                return nullptr;
            },
            kFindAll);
    }
    if (triggerEvent) Notify(kNotifySelectChanged);
}

bool COptionUI::Activate() {
    if (!CControlUI::Activate()) return false;
    // A grouped option stays selected when clicked again; a lone one toggles.
    Selected(group_.empty() ? !selected_ : true);
    return true;
}

void COptionUI::SetBindTab(std::string_view layoutName, int index) {
    bindTabLayout_ = layoutName;
    bindTabIndex_ = index;
}

void COptionUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "group") {
        SetGroup(value);
    } else if (name == "selected") {
        Selected(ParseBool(value), false);
    } else if (name == "selectedimage") {
        selectedImage_ = value;
    } else if (name == "selectedhotimage") {
        selectedHotImage_ = value;
    } else if (name == "selectedbkcolor") {
        selectedBkColor_ = ParseColor(value);
    } else if (name == "selectedtextcolor") {
        selectedTextColor_ = ParseColor(value);
    } else if (name == "bindtabindex") {
        bindTabIndex_ = ParseInt(value);
    } else if (name == "bindtablayoutname") {
        bindTabLayout_ = value;
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void COptionUI::PaintBkColor(IRender& render) {
    if (selected_ && selectedBkColor_ != 0) {
        render.FillRect(pos_, selectedBkColor_);
        return;
    }
    CButtonUI::PaintBkColor(render);
}

void COptionUI::PaintStatusImage(IRender& render) {
    if (selected_) {
        if ((state_ & kStateHot) != 0 && !selectedHotImage_.empty() &&
            DrawImage(render, selectedHotImage_)) {
            return;
        }
        if (!selectedImage_.empty() && DrawImage(render, selectedImage_)) return;
    }
    CButtonUI::PaintStatusImage(render);
}

UiColor COptionUI::CurrentTextColor() const {
    if (selected_ && selectedTextColor_ != 0 && IsEnabled()) return selectedTextColor_;
    return CButtonUI::CurrentTextColor();
}

}  // namespace vivori::ui
