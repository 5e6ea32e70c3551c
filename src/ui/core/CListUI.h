#pragma once

#include <vector>

#include "ui/core/CVerticalLayoutUI.h"
#include "ui/core/IListItemUI.h"

namespace vivori::ui {

// A scrolling column of list elements with single or multiple selection. Selecting
// sends "itemselect" (wParam the new index, lParam the old one); elements send
// "itemclick" and, on a double click, "itemactivate".
class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
  public:
    CListUI();
    std::string_view GetClass() const override { return "ListUI"; }
    void* GetInterface(std::string_view name) override;

    bool AddAt(CControlUI* control, int index) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    const ListInfo& GetListInfo() const override { return info_; }
    int GetCurSel() const override { return current_; }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    bool SelectItemWithKeys(int index, unsigned keyState) override;
    bool IsMultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool multiSelect);
    bool SelectMultiItem(int index, bool takeFocus = false);
    bool UnSelectItem(int index);
    void SelectAllItems();
    void UnSelectAllItems();
    std::vector<int> GetSelectedItems() const { return selected_; }
    // Scrolls so the element at index is wholly in view.
    void EnsureVisible(int index);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  private:
    IListItemUI* ItemAt(int index) const;
    void Reindex(int from);
    // Selects the element at index as the current one, scrolled into view; false when
    // it is hidden, disabled or not an element.
    bool AddToSelection(int index, bool takeFocus);

    ListInfo info_;
    int current_ = -1;
    bool multiSelect_ = false;
    std::vector<int> selected_;
};

// Reads the "item…" attributes that lists and combos share into info; false when the
// attribute is not one of them.
bool SetListInfoAttribute(ListInfo& info, std::string_view name, std::string_view value);
// Gives every element from index on its position and owner.
void IndexListItems(const CContainerUI& container, IListOwnerUI* owner, int from);

}  // namespace vivori::ui
