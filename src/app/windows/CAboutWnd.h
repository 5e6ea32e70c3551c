#pragma once

// The about window: the program's name and version, in the current language.

#include <string>

#include "ui/core/WindowImplBase.h"

namespace vivori::app {

class CAboutWnd : public ui::WindowImplBase {
  public:
    explicit CAboutWnd(std::string version) : version_(std::move(version)) {}

    // A new about window owned by `owner`, shown and centred; it deletes itself when
    // closed. 0 when the layout cannot be built.
    static ui::HWND Open(ui::HWND owner, std::string version, int dpi = 96);

    std::string GetSkinFile() override { return "AboutWnd.xml"; }
    std::string_view GetWindowClassName() const override { return "AboutWnd"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    ui::LRESULT HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                    bool& handled) override;
    void OnFinalMessage(ui::HWND hwnd) override;

    std::string VersionLine() const;

  private:
    void ShowVersion();

    std::string version_;
};

// The caption buttons every child window shares: "closebtn" closes, "minbtn",
// "maxbtn" and "restorebtn" send their system commands. True when `name` was one.
bool HandleCaptionClick(ui::WindowImplBase& window, std::string_view name);

}  // namespace vivori::app
