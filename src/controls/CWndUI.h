#pragma once

#include "ui/core/CControlUI.h"
#include "ui/core/IWindowHost.h"

namespace vivori::controls {

// A place in a layout that a separate window is kept over: the window follows the
// control's rectangle and visibility.
class CWndUI : public ui::CControlUI {
  public:
    std::string_view GetClass() const override { return "Wnd"; }
    void* GetInterface(std::string_view name) override;

    // hosted: the window kept over the control (null: none). owner: the host of the
    // control's own window when hosted is a separate top-level window, so the rectangle
    // is moved into screen coordinates; null when hosted lives in the control's window.
    void Attach(ui::IWindowHost* hosted, const ui::IWindowHost* owner = nullptr);
    ui::IWindowHost* Hosted() const { return hosted_; }

    void SetPos(const ui::UiRect& rect, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;

  private:
    void Follow();

    ui::IWindowHost* hosted_ = nullptr;
    const ui::IWindowHost* owner_ = nullptr;
};

}  // namespace vivori::controls
