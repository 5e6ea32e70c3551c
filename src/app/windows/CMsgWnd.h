#pragma once

// The message box every refusal and confirmation goes through: a title, a text (a
// language key or plain text) and one or two buttons, shown modally over its owner.

#include <functional>
#include <string>
#include <string_view>

#include "ui/core/WindowImplBase.h"

namespace vivori::app {

enum class MsgButtons { Confirm = 0, ConfirmCancel = 1 };

struct MessageRequest {
    ui::HWND owner = 0;
    std::string title;  // empty: the layout's title
    std::string text;   // a language key when textIsKey
    int dpi = 96;
    bool textIsKey = true;
    MsgButtons buttons = MsgButtons::Confirm;
};

class CMsgWnd : public ui::WindowImplBase {
  public:
    // 1 when "confirm_btn" was clicked, 0 otherwise.
    static int ShowMessage(ui::HWND owner, std::string_view title, std::string_view text, int dpi,
                           bool textIsKey, MsgButtons buttons);
    static int ShowMessage(const MessageRequest& request);
    // A language text used as a printf format with one integer ("message_text_16").
    static std::string FormatText(std::string_view key, int value);

    // Tests answer message boxes without a modal loop: while set, ShowMessage hands
    // the request to it and returns its answer.
    using Answer = std::function<int(const MessageRequest&)>;
    static void SetAnswerForTests(Answer answer);

    std::string GetSkinFile() override { return "XML_MSG"; }
    std::string_view GetWindowClassName() const override { return "MsgWnd"; }
    void Notify(ui::TNotifyUI& msg) override;

  private:
    CMsgWnd() = default;
    void Apply(const MessageRequest& request);
};

}  // namespace vivori::app
