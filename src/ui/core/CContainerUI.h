#pragma once

#include <vector>

#include "ui/core/CControlUI.h"

namespace vivori::ui {

class CScrollBarUI;

// A control holding others. Each child gets the inset area unless it floats; layouts
// override SetPos. Children are owned and deleted with the container.
class CContainerUI : public CControlUI {
  public:
    CContainerUI();
    ~CContainerUI() override;

    std::string_view GetClass() const override { return "ContainerUI"; }
    void* GetInterface(std::string_view name) override;

    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;
    bool SetItemIndex(CControlUI* control, int index);
    int GetCount() const { return static_cast<int>(items_.size()); }
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    // Removes and deletes the child (after the current event when attached), unless
    // doNotDestroy keeps it alive for the caller.
    virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
    virtual bool RemoveAt(int index, bool doNotDestroy = false);
    virtual void RemoveAll();
    void SetAutoDestroy(bool autoDestroy) { autoDestroy_ = autoDestroy; }

    const UiRect& GetInset() const { return inset_; }
    void SetInset(const UiRect& inset);
    int GetChildPadding() const { return childPadding_; }
    void SetChildPadding(int padding);
    bool IsMouseChildEnabled() const { return mouseChildEnabled_; }
    void SetMouseChildEnabled(bool enabled) { mouseChildEnabled_ = enabled; }

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    CControlUI* FindControl(const FindControlProc& proc, unsigned flags) override;
    CControlUI* FindControlAt(UiPoint point, unsigned flags) override;
    void SetPos(const UiRect& rect, bool needInvalidate = true) override;
    void DoPaint(IRender& render, const UiRect& paintRect) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    // Scrolling of the content; positions are how far it is moved up and left.
    UiSize GetScrollPos() const;
    UiSize GetScrollRange() const;
    virtual void SetScrollPos(UiSize pos);
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void HomeUp();
    void EndDown();
    void EnableScrollBar(bool vertical, bool horizontal);
    CScrollBarUI* GetVerticalScrollBar() const { return verticalBar_; }
    CScrollBarUI* GetHorizontalScrollBar() const { return horizontalBar_; }

  protected:
    // The area children are laid out in: the position less inset and scroll bars.
    UiRect ClientRect() const;
    // Shows the scroll bars when the children need more than the client area.
    void ProcessScrollBar(const UiRect& rect, int requiredWidth, int requiredHeight);
    void SetFloatPos(int index);
    // Whether a child may show at all; a tab layout shows only its selected child.
    virtual bool ShowsChild(const CControlUI* child) const {
        (void)child;
        return true;
    }
    void UpdateChildVisibility();
    // Lets go of a child taken out of items_: deleted (after the current event when
    // attached) when destroy is set, else only detached from this tree.
    void ReleaseChild(CControlUI* control, bool destroy);
    // Creates or deletes one of the scroll bars.
    void SetScrollBar(CScrollBarUI*& bar, bool wanted, bool horizontal);

    std::vector<CControlUI*> items_;
    UiRect inset_;
    int childPadding_ = 0;
    bool autoDestroy_ = true;
    bool mouseChildEnabled_ = true;
    CScrollBarUI* verticalBar_ = nullptr;
    CScrollBarUI* horizontalBar_ = nullptr;
};

}  // namespace vivori::ui
