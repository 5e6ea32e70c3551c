#pragma once

#include "ui/core/CControlUI.h"

namespace vivori::ui {

class CContainerUI;

// The scroll bar of a container: two arrow buttons, a track and a thumb whose length
// shows how much of the content is in view. Dragging the thumb scrolls the owner.
class CScrollBarUI : public CControlUI {
  public:
    CScrollBarUI();

    std::string_view GetClass() const override { return "ScrollBarUI"; }
    void* GetInterface(std::string_view name) override;

    void SetOwner(CContainerUI* owner) { owner_ = owner; }
    CContainerUI* GetOwner() const { return owner_; }
    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal);
    int GetScrollRange() const { return range_; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return scrollPos_; }
    void SetScrollPos(int pos);
    int GetLineSize() const { return lineSize_; }
    void SetLineSize(int size) { lineSize_ = size > 0 ? size : 1; }

    const UiRect& GetThumbRect() const { return thumb_; }
    void SetPos(const UiRect& rect, bool needInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  protected:
    void PaintStatusImage(IRender& render) override;

  private:
    void UpdateThumb();
    // Moves the owner's content, or this bar alone when it has no owner.
    void ScrollTo(int pos);

    CContainerUI* owner_ = nullptr;
    bool horizontal_ = false;
    int range_ = 0;
    int scrollPos_ = 0;
    int lineSize_ = 8;
    UiRect button1_;
    UiRect button2_;
    UiRect thumb_;
    bool dragging_ = false;
    UiPoint dragStart_;
    int dragStartPos_ = 0;
    UiColor thumbColor_ = 0xFF5A5A5A;
    UiColor trackColor_ = 0x00000000;
    int buttonSize_ = 0;
};

}  // namespace vivori::ui
