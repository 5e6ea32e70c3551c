#pragma once

#include <vector>

#include "ui/core/CControlUI.h"

namespace vivori::ui {

// Colours and text settings a list gives its elements.
struct ListInfo {
    UiColor textColor = 0;
    UiColor bkColor = 0;
    UiColor hotTextColor = 0;
    UiColor hotBkColor = 0;
    UiColor selectedTextColor = 0;
    UiColor selectedBkColor = 0;
    UiColor disabledTextColor = 0;
    UiRect textPadding;
    unsigned textStyle = 0x4 | 0x20;
    int font = -1;
    int itemHeight = 0;
};

// What list elements need from the list or combo that holds them.
class IListOwnerUI {
  public:
    virtual ~IListOwnerUI() = default;
    virtual const ListInfo& GetListInfo() const = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
    // A click with modifier keys, for owners that select several elements.
    virtual bool SelectItemWithKeys(int index, unsigned keyState) {
        (void)keyState;
        return SelectItem(index, true);
    }
    virtual void DoEvent(TEventUI& event) = 0;
};

// The element side: its index in the owner, its owner and its selected state.
class IListItemUI {
  public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() const = 0;
    virtual void SetOwner(IListOwnerUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
};

// The list element behaviour both element kinds share: selection state, and turning
// clicks into the owner's selection and the "itemclick"/"itemactivate" notifications.
class ListItemBehaviour {
  public:
    // Returns true when the event was a list gesture and is now handled.
    bool HandleEvent(CControlUI& self, TEventUI& event);
    UiColor BackgroundColor(const CControlUI& self) const;
    UiColor TextColor(const CControlUI& self) const;

    int index = -1;
    IListOwnerUI* owner = nullptr;
    bool selected = false;
};

}  // namespace vivori::ui
