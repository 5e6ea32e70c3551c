#pragma once

#include <string>

#include "ui/core/WindowImplBase.h"
#include "ui/qt/CTrayIcon.h"

namespace vivori::gallery {

// The gallery layout in a real window: every notification is printed on stdout, the
// caption buttons work, and the tray icon hides and shows the window.
class GalleryWindow : public ui::WindowImplBase {
  public:
    explicit GalleryWindow(std::string layout) : layout_(std::move(layout)) {}

    std::string GetSkinFile() override { return layout_; }
    std::string_view GetWindowClassName() const override { return "GalleryWnd"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    ui::LRESULT HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                    bool& handled) override;
    void OnFinalMessage(ui::HWND hwnd) override;

  private:
    // A small menu at a point of the screen; its clicks come back as WM_MENUCLICK.
    void OpenMenu(ui::UiPoint screenPoint);

    std::string layout_;
    ui::CTrayIcon tray_;
    ui::UINT wakeMessage_ = 0;
};

}  // namespace vivori::gallery
