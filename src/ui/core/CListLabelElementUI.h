#pragma once

#include "ui/core/CLabelUI.h"
#include "ui/core/IListItemUI.h"

namespace vivori::ui {

// A list row that is a line of text.
class CListLabelElementUI : public CLabelUI, public IListItemUI {
  public:
    std::string_view GetClass() const override { return "ListLabelElementUI"; }
    void* GetInterface(std::string_view name) override;

    int GetIndex() const override { return item_.index; }
    void SetIndex(int index) override { item_.index = index; }
    IListOwnerUI* GetOwner() const override { return item_.owner; }
    void SetOwner(IListOwnerUI* owner) override { item_.owner = owner; }
    bool IsSelected() const override { return item_.selected; }
    bool Select(bool select = true) override;

    UiSize EstimateSize(UiSize available) override;
    void DoEvent(TEventUI& event) override;

  protected:
    void PaintBkColor(IRender& render) override;
    void PaintText(IRender& render) override;

  private:
    ListItemBehaviour item_;
};

}  // namespace vivori::ui
