#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/message/MessageTypes.h"

class QSystemTrayIcon;

namespace vivori::ui {

// The message a tray icon posts to its window; lParam says what happened
// (WM_LBUTTONUP or WM_RBUTTONUP).
inline constexpr UINT WM_TRAYICON = WM_USER + 1;

// An icon in the notification area. Without a tray (no desktop, or one without a
// notification area) CreateTrayIcon returns false and the program carries on.
class CTrayIcon {
  public:
    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // iconFile is resolved against the resource folder unless absolute.
    bool CreateTrayIcon(HWND window, std::string_view iconFile, std::string_view toolTip);
    void DeleteTrayIcon();
    void SetToolTip(std::string_view toolTip);
    // A desktop notification from the icon (the desktop decides how it shows).
    void ShowMessage(std::string_view title, std::string_view text);
    bool IsVisible() const;

  private:
    std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace vivori::ui
