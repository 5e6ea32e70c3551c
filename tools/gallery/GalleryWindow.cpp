#include "GalleryWindow.h"

#include <cstdio>

#include "ui/core/CSliderUI.h"
#include "ui/message/Messages.h"

namespace vivori::gallery {

using namespace vivori::ui;

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

LRESULT GalleryWindow::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (msg == WM_TRAYICON) {
        std::printf("tray %s\n", lParam == WM_LBUTTONUP ? "left" : "right");
        if (lParam == WM_LBUTTONUP) ShowWindow(!IsWindowVisible());
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
