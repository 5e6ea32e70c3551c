#include "app/windows/CMsgWnd.h"

#include "app/ScreenRules.h"
#include "platform/Debug.h"
#include "ui/core/CControlUI.h"

namespace vivori::app {
namespace {

MessageAnswerer& Answerer() {
    static MessageAnswerer answerer;
    return answerer;
}

}  // namespace

void SetMessageAnswerer(MessageAnswerer answerer) {
    Answerer() = std::move(answerer);
}

void CMsgWnd::InitWindow() {
    if (!request_.title.empty())
        if (ui::CControlUI* title = pm_.FindControl("MessageTitle")) title->SetText(request_.title);
    // A language key resolves through the toolkit's texts as any control text does.
    if (!request_.text.empty())
        if (ui::CControlUI* text = pm_.FindControl("MessageText")) text->SetText(request_.text);
    if (ui::CControlUI* cancel = pm_.FindControl("cancel_btn"))
        cancel->SetVisible(request_.buttons == 1);
    if (ui::CControlUI* confirm = pm_.FindControl("confirm_btn")) confirm->SetVisible(true);
    if (!IsAcceptedDpi(request_.dpi)) DebugOutput("MSG_WND DPI SET ERROR");
    pm_.SetDPI(IsAcceptedDpi(request_.dpi) ? request_.dpi : 96);
}

void CMsgWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::kNotifyClick && msg.pSender != nullptr) {
        const std::string name = msg.pSender->GetName();
        if (name == "confirm_btn") return Close(1);
        if (name == "closebtn" || name == "cancel_btn") return Close(0);
    }
    WindowImplBase::Notify(msg);
}

void CMsgWnd::OnFinalMessage(ui::HWND) {
    delete this;
}

int ShowMessage(const MessageRequest& request) {
    if (Answerer()) return Answerer()(request);
    auto* box = new CMsgWnd(request);
    if (box->Create(request.owner, "msgwnd", ui::WS_POPUP, ui::WS_EX_TOOLWINDOW) == 0) {
        delete box;
        DebugOutput("message box not built");
        return 0;
    }
    box->CenterWindow();
    return box->ShowModal() == 1 ? 1 : 0;
}

}  // namespace vivori::app
