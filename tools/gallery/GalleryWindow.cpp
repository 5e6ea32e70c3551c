#include "GalleryWindow.h"

#include <cstdio>
#include <memory>

#include "ui/core/CMenuWnd.h"
#include "ui/core/CSliderUI.h"
#include "ui/message/Messages.h"
#include "ui/qt/GuiApplication.h"

namespace vivori::gallery {

using namespace vivori::ui;

namespace {

constexpr const char* kMenuLayout =
    "<Window><Menu bkcolor=\"#FF2A2C33\" bordercolor=\"#FF4A4D57\" bordersize=\"1\">"
    "<MenuElement name=\"about_menu\" text=\"About\" textcolor=\"#FFE6E6E6\"/>"
    "<MenuElement name=\"exit\" text=\"Exit\" textcolor=\"#FFE6E6E6\"/>"
    "</Menu></Window>";

}  // namespace

void GalleryWindow::InitWindow() {
    wakeMessage_ = RegisterWindowMessage("vivori-gallery");
    if (!tray_.CreateTrayIcon(GetHWND(), "button.png", "vivori gallery")) {
        std::printf("no tray: carrying on without it\n");
    }
}

void GalleryWindow::Notify(TNotifyUI& msg) {
    std::string name = msg.pSender != nullptr ? msg.pSender->GetName() : "";
    std::string text = msg.pSender != nullptr ? msg.pSender->GetText() : "";
    std::printf("notify %s %s wParam=%llu lParam=%lld text=\"%s\"\n", msg.sType.c_str(),
                name.c_str(), static_cast<unsigned long long>(msg.wParam),
                static_cast<long long>(msg.lParam), text.c_str());
    std::fflush(stdout);
    if (msg.sType == kNotifyClick && name == "closebtn") Close(IDOK);
    if (msg.sType == kNotifyClick && name == "minbtn")
        PostMessage(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (msg.sType == kNotifyValueChanged && name == "speed_slider") {
        if (CControlUI* label = pm_.FindControl("speed_value")) {
            label->SetText(std::to_string(static_cast<CSliderUI*>(msg.pSender)->GetValue()));
        }
    }
    WindowImplBase::Notify(msg);
}

void GalleryWindow::OpenMenu(UiPoint screenPoint) {
    auto* menu = new CMenuWnd;
    menu->Init(GetHWND(), kMenuLayout, screenPoint);
}

LRESULT GalleryWindow::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (msg == WM_TRAYICON) {
        std::printf("tray %s\n", lParam == WM_LBUTTONUP ? "left" : "right");
        if (lParam == WM_LBUTTONUP) ShowWindow(!IsWindowVisible());
        if (lParam == WM_RBUTTONUP) OpenMenu(GetCursorPos());
        handled = true;
    } else if (msg == WM_RBUTTONUP) {
        // The toolkit handles the click too; the menu comes on top.
        OpenMenu(GetCursorPos());
    } else if (msg == WM_MENUCLICK) {
        std::unique_ptr<MenuCmd> command(reinterpret_cast<MenuCmd*>(wParam));
        std::printf("menu %s\n", command->name.c_str());
        if (command->name == "exit") Close(IDOK);
        handled = true;
    } else if (msg == wakeMessage_ && wakeMessage_ != 0) {
        std::printf("woken by a second start\n");
        ShowWindow(true);
        if (Host() != nullptr) Host()->SysCommand(SC_RESTORE);
        handled = true;
    }
    std::fflush(stdout);
    return handled ? 0 : WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
}

void GalleryWindow::OnFinalMessage(HWND hwnd) {
    (void)hwnd;
    tray_.DeleteTrayIcon();
    PostQuitMessage(0);
}

}  // namespace vivori::gallery
