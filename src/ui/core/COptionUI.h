#pragma once

#include "ui/core/CButtonUI.h"

namespace vivori::ui {

// A button with a selected state. Options of one group are exclusive; an option may
// be bound to a tab layout, which then shows the bound page when it is selected.
class COptionUI : public CButtonUI {
  public:
    std::string_view GetClass() const override { return "OptionUI"; }
    void* GetInterface(std::string_view name) override;

    const std::string& GetGroup() const { return group_; }
    void SetGroup(std::string_view group);
    bool IsSelected() const { return selected_; }
    // Selects or clears; triggerEvent sends "selectchanged" (in a group only the option
    // that becomes selected sends it).
    virtual void Selected(bool selected, bool triggerEvent = true);
    bool Activate() override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    int GetBindTabIndex() const { return bindTabIndex_; }
    void SetBindTab(std::string_view layoutName, int index);
    const std::string& GetBindTabLayoutName() const { return bindTabLayout_; }

  protected:
    void PaintBkColor(IRender& render) override;
    void PaintStatusImage(IRender& render) override;
    UiColor CurrentTextColor() const override;

    bool selected_ = false;
    std::string group_;
    std::string selectedImage_;
    std::string selectedHotImage_;
    UiColor selectedBkColor_ = 0;
    UiColor selectedTextColor_ = 0;
    int bindTabIndex_ = -1;
    std::string bindTabLayout_;
};

// An option outside any group: each click toggles it.
class CCheckBoxUI : public COptionUI {
  public:
    std::string_view GetClass() const override { return "CheckBoxUI"; }
    void* GetInterface(std::string_view name) override {
        return name == "CheckBox" ? this : COptionUI::GetInterface(name);
    }
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool triggerEvent = true) { Selected(check, triggerEvent); }
};

}  // namespace vivori::ui
