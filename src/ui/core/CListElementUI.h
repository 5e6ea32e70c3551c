#pragma once

#include "ui/core/IListItemUI.h"

namespace vivori::ui {

// The list element part both element kinds share, on top of the control they are:
// index, owner, selection, the owner's colours and item height, and clicks turned
// into the owner's selection.
template <typename Base>
class CListElementUI : public Base, public IListItemUI {
  public:
    void* GetInterface(std::string_view name) override {
        if (name == "ListItem") return static_cast<IListItemUI*>(this);
        if (name == "ListElement") return this;
        return Base::GetInterface(name);
    }

    int GetIndex() const override { return item_.index; }
    void SetIndex(int index) override { item_.index = index; }
    IListOwnerUI* GetOwner() const override { return item_.owner; }
    void SetOwner(IListOwnerUI* owner) override { item_.owner = owner; }
    bool IsSelected() const override { return item_.selected; }
    bool Select(bool select = true) override {
        // Its own state: a disabled container stops clicks, not the program's choice.
        if (!this->IsOwnEnabled()) return false;
        item_.selected = select;
        this->SetState(select ? this->GetState() | kStateSelected
                              : this->GetState() & ~kStateSelected);
        this->Invalidate();
        return true;
    }

    UiSize EstimateSize(UiSize available) override {
        UiSize size = Base::EstimateSize(available);
        if (size.cy == 0 && item_.owner != nullptr) size.cy = item_.owner->GetListInfo().itemHeight;
        if (size.cy == 0) size.cy = kDefaultHeight;
        return size;
    }
    void DoEvent(TEventUI& event) override {
        if (!item_.HandleEvent(*this, event)) Base::DoEvent(event);
    }

  protected:
    static constexpr int kDefaultHeight = 24;

    void PaintBkColor(IRender& render) override {
        UiColor color = item_.BackgroundColor(*this);
        if (color != 0) render.FillRect(this->GetPos(), color);
    }

    ListItemBehaviour item_;
};

}  // namespace vivori::ui
