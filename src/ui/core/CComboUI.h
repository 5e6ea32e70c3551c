#pragma once

#include "ui/core/CContainerUI.h"
#include "ui/core/IListItemUI.h"

namespace vivori::ui {

class CComboDropUI;

// A closed box showing the selected element's text; a click drops the element list
// down over the window, and picking an element closes it and sends "itemselect"
// (wParam the new index, lParam the old one).
class CComboUI : public CContainerUI, public IListOwnerUI {
  public:
    CComboUI();
    ~CComboUI() override;
    std::string_view GetClass() const override { return "ComboUI"; }
    void* GetInterface(std::string_view name) override;

    bool AddAt(CControlUI* control, int index) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    const ListInfo& GetListInfo() const override { return info_; }
    int GetCurSel() const override { return current_; }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    std::string GetText() const override;

    bool Activate() override;
    bool IsDropped() const;
    void CloseDrop();
    UiSize GetDropBoxSize() const { return dropBoxSize_; }

    CControlUI* FindControlAt(UiPoint point, unsigned flags) override;
    void SetPos(const UiRect& rect, bool needInvalidate = true) override;
    void DoPaint(IRender& render, const UiRect& paintRect) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  private:
    ListInfo info_;
    int current_ = -1;
    UiSize dropBoxSize_{0, 150};
    UiRect textPadding_{4, 0, 20, 0};
    UiColor textColor_ = 0;
    int font_ = -1;
    std::string normalImage_;
    std::string dropBoxAttributes_;
    CComboDropUI* drop_ = nullptr;
};

}  // namespace vivori::ui
