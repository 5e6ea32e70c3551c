#include "app/windows/CMsgWnd.h"

#include <algorithm>
#include <memory>

#include "platform/Debug.h"
#include "ui/core/CLabelUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::app {

using namespace ui;

namespace {

CMsgWnd::Answer& TestAnswer() {
    static CMsgWnd::Answer answer;
    return answer;
}

// The box's layout size, and what around the text takes of it (title, insets, buttons).
constexpr UiSize kLayoutSize{420, 200};
constexpr int kAroundTextWidth = 42;
constexpr int kAroundTextHeight = 116;
// It grows with its text up to this, wider first once it reaches the height.
constexpr UiSize kLargest{640, 560};

int AcceptedDpi(int dpi) {
    for (int accepted : {48, 72, 96, 120, 144, 168, 192})
        if (dpi == accepted) return dpi;
    DebugOutput("MSG_WND DPI SET ERROR");
    return 96;
}

}  // namespace

void CMsgWnd::SetAnswerForTests(Answer answer) {
    TestAnswer() = std::move(answer);
}

std::string CMsgWnd::FormatText(std::string_view key, int value) {
    const std::string format = CResourceManager::GetInstance().ResolveText(key);
    // The language text is ours, but only one %d is let through to printf.
    std::string out;
    bool used = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'd' && !used) {
            out += std::to_string(value);
            used = true;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

int CMsgWnd::ShowMessage(HWND owner, std::string_view title, std::string_view text, int dpi,
                         bool textIsKey, MsgButtons buttons) {
    return ShowMessage({owner, std::string(title), std::string(text), dpi, textIsKey, buttons});
}

int CMsgWnd::ShowMessage(const MessageRequest& request) {
    MessageRequest checked = request;
    checked.dpi = AcceptedDpi(request.dpi);
    if (TestAnswer()) return TestAnswer()(checked);
    // Owned here rather than deleting itself: the modal run still uses the object
    // after its window is destroyed.
    std::unique_ptr<CMsgWnd> window(new CMsgWnd);
    if (window->Create(request.owner, "msgwnd", WS_POPUP, WS_EX_TOOLWINDOW) == 0) return 0;
    window->Apply(checked);
    window->CenterWindow();
    return window->ShowModal() == IDOK ? 1 : 0;
}

void CMsgWnd::Apply(const MessageRequest& request) {
    if (CControlUI* title = pm_.FindControl("MessageTitle"); title && !request.title.empty())
        title->SetText(request.title);
    UiSize size = kLayoutSize;
    if (CControlUI* text = pm_.FindControl("MessageText"); text && !request.text.empty()) {
        text->SetText(request.text);
        // The whole text is shown: the box grows to hold it, wider once it is tall.
        const std::string shown = request.textIsKey
                                      ? CResourceManager::GetInstance().ResolveText(request.text)
                                      : request.text;
        auto heightFor = [&](int width) {
            auto* label = static_cast<CLabelUI*>(text->GetInterface("Label"));
            const int font = label != nullptr ? label->GetFont() : -1;
            const int lines = MeasureTextBox(pm_, shown, font, width - kAroundTextWidth).cy;
            return std::max(kLayoutSize.cy, lines + 4 + kAroundTextHeight);
        };
        size.cy = heightFor(size.cx);
        if (size.cy > kLargest.cy) {
            size.cx = kLargest.cx;
            size.cy = std::min(heightFor(size.cx), kLargest.cy);
        }
    }
    SetLayoutSize(size);
    ScaleWindow(request.dpi);
    if (CControlUI* cancel = pm_.FindControl("cancel_btn"))
        cancel->SetVisible(request.buttons == MsgButtons::ConfirmCancel);
    if (CControlUI* confirm = pm_.FindControl("confirm_btn")) confirm->SetVisible(true);
}

void CMsgWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyClick && msg.pSender != nullptr) {
        const std::string name = msg.pSender->GetName();
        if (name == "confirm_btn") return Close(IDOK);
        if (name == "closebtn" || name == "cancel_btn") return Close(IDCANCEL);
        if (name == "minbtn") return void(SendMessage(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0));
        if (name == "maxbtn") return void(SendMessage(GetHWND(), WM_SYSCOMMAND, SC_MAXIMIZE, 0));
        if (name == "restorebtn") return void(SendMessage(GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0));
    }
    WindowImplBase::Notify(msg);
}

}  // namespace vivori::app
