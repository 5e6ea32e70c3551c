#pragma once

#include "ui/core/CContainerUI.h"

namespace vivori::ui {

// Shows one child at a time, the selected one, over the whole inset area.
class CTabLayoutUI : public CContainerUI {
  public:
    std::string_view GetClass() const override { return "TabLayoutUI"; }
    void* GetInterface(std::string_view name) override;

    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    int GetCurSel() const { return current_; }
    // Shows the child at index; false when out of range. Sends "tabselect".
    bool SelectItem(int index);
    bool SelectItem(CControlUI* control);
    void SetPos(const UiRect& rect, bool needInvalidate = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  protected:
    bool ShowsChild(const CControlUI* child) const override;

  private:
    int current_ = -1;
};

}  // namespace vivori::ui
