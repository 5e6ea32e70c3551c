#include "app/windows/AskWnd.h"

#include "ui/core/CControlUI.h"

namespace vivori::app {

CAskWnd::CAskWnd(std::string text, bool withCancel)
    : text_(std::move(text)), withCancel_(withCancel) {}

void CAskWnd::InitWindow() {
    if (ui::CControlUI* text = pm_.FindControl("MessageText")) text->SetText(text_);
    if (ui::CControlUI* cancel = pm_.FindControl("cancel_btn")) cancel->SetVisible(withCancel_);
}

void CAskWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == "click" && msg.pSender != nullptr) {
        const std::string name = msg.pSender->GetName();
        if (name == "confirm_btn") return Close(ui::IDOK);
        if (name == "cancel_btn" || name == "closebtn") return Close(ui::IDCANCEL);
    }
    WindowImplBase::Notify(msg);
}

bool CAskWnd::Run(ui::HWND owner, std::string text, bool withCancel) {
    CAskWnd box(std::move(text), withCancel);
    if (box.Create(owner, "", ui::WS_POPUP, 0) == 0) return false;
    box.CenterWindow();
    return box.ShowModal() == ui::IDOK;
}

}  // namespace vivori::app
