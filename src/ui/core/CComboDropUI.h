#pragma once

#include "ui/core/CContainerUI.h"

namespace vivori::ui {

class CComboUI;

// The dropped-down list of a combo. It lays out, paints and hit-tests the combo's own
// elements without owning them, so they keep the combo as their parent.
class CComboDropUI : public CContainerUI {
  public:
    explicit CComboDropUI(CComboUI& combo);
    ~CComboDropUI() override;
    std::string_view GetClass() const override { return "ComboDropUI"; }

    void SetPos(const UiRect& rect, bool needInvalidate = true) override;
    void SetScrollPos(UiSize pos) override;
    CControlUI* FindControlAt(UiPoint point, unsigned flags) override;
    void DoPaint(IRender& render, const UiRect& paintRect) override;

  private:
    // Places the combo's elements from the current scroll position on.
    void Arrange();

    CComboUI& combo_;
};

}  // namespace vivori::ui
