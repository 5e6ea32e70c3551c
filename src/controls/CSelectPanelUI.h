#pragma once

#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::controls {

// The panel under a device picture: a drag across it marks the key buttons the drag
// rectangle touches and ends with "click_select_end". It draws no rectangle of its own.
class CSelectPanelUI : public ui::CVerticalLayoutUI {
  public:
    static constexpr const char* kNotifySelectEnd = "click_select_end";

    std::string_view GetClass() const override { return "SelectPanel"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(ui::TEventUI& event) override;

    const ui::UiRect& SelectionRect() const { return selection_; }
    bool IsDragging() const { return dragging_; }

  private:
    void EndDrag();

    bool pressed_ = false;
    bool dragging_ = false;
    ui::UiPoint start_;
    ui::UiPoint current_;
    ui::UiRect selection_;
};

}  // namespace vivori::controls
