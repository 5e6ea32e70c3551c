#pragma once

#include <string>

#include "ui/core/WindowImplBase.h"

namespace vivori::app {

// A modal box on the message layout: a text and OK, or OK and Cancel. The main
// window's questions and results go through it until the full message window lands.
class CAskWnd : public ui::WindowImplBase {
  public:
    CAskWnd(std::string text, bool withCancel);
    std::string GetSkinFile() override { return "msgwnd.xml"; }
    std::string_view GetWindowClassName() const override { return "AskWnd"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;

    // Shows the box over owner and waits; true when the user confirmed.
    static bool Run(ui::HWND owner, std::string text, bool withCancel);

  private:
    std::string text_;
    bool withCancel_;
};

}  // namespace vivori::app
