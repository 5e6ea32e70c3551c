#pragma once

#include <string>

#include "ui/core/IWindowHost.h"

namespace vivori::ui {

// A window host with no screen: it remembers what it was told.
class HeadlessWindowHost : public IWindowHost {
  public:
    void Show(bool show, bool activate) override;
    bool IsVisible() const override { return visible_; }
    void SysCommand(WPARAM command) override;
    bool IsMinimized() const override { return minimized_; }
    bool IsExposed() const override { return visible_ && !minimized_; }
    int RefreshRate() const override { return 60; }
    void SetTopMost(bool topMost) override { topMost_ = topMost; }
    bool IsTopMost() const override { return topMost_; }
    void SetTitle(std::string_view title) override { title_ = title; }
    void SetRect(const UiRect& rect) override { rect_ = rect; }
    UiRect GetRect() const override { return rect_; }
    UiRect ScreenRect() const override { return {0, 0, 1920, 1080}; }
    int ScreenDpi() const override { return 96; }
    void Invalidate(const UiRect& rect) override { (void)rect; }
    void Activate() override { active_ = true; }
    bool IsActive() const { return active_; }

  private:
    bool visible_ = false;
    bool minimized_ = false;
    bool maximized_ = false;
    bool topMost_ = false;
    bool active_ = false;
    std::string title_;
    UiRect rect_;
};

}  // namespace vivori::ui
