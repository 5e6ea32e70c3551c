#pragma once

#include <functional>
#include <string>

#include "ui/core/WindowImplBase.h"

namespace vivori::app {

// What a message box shows.
struct MessageRequest {
    ui::HWND owner = 0;
    std::string title;  // empty: the layout's own title
    std::string text;
    int dpi = 96;
    bool textIsKey = true;  // the text is a language key
    int buttons = 0;        // 0: "confirm_btn" only; 1: "confirm_btn" and "cancel_btn"
};

// The message box: a small modal window that confirms an action or reports a result.
// It owns itself once shown and goes away when its window is destroyed.
class CMsgWnd : public ui::WindowImplBase {
  public:
    explicit CMsgWnd(MessageRequest request) : request_(std::move(request)) {}

    std::string GetSkinFile() override { return "XML_MSG"; }
    std::string_view GetWindowClassName() const override { return "MsgWnd"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnFinalMessage(ui::HWND hwnd) override;

  private:
    MessageRequest request_;
};

// Shows the box modally: 1 when "confirm_btn" was clicked, 0 otherwise.
int ShowMessage(const MessageRequest& request);

// Tests answer the boxes instead of a user: while set, ShowMessage shows nothing and
// returns what the answerer says.
using MessageAnswerer = std::function<int(const MessageRequest& request)>;
void SetMessageAnswerer(MessageAnswerer answerer);

}  // namespace vivori::app
