#include "app/windows/CAboutWnd.h"

#include "app/AppMessages.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using namespace ui;

bool HandleCaptionClick(WindowImplBase& window, std::string_view name) {
    WPARAM command = 0;
    if (name == "closebtn")
        command = SC_CLOSE;
    else if (name == "minbtn")
        command = SC_MINIMIZE;
    else if (name == "maxbtn")
        command = SC_MAXIMIZE;
    else if (name == "restorebtn")
        command = SC_RESTORE;
    else
        return false;
    // The system close of a child window closes that window only.
    if (command == SC_CLOSE)
        window.Close(IDCANCEL);
    else
        SendMessage(window.GetHWND(), WM_SYSCOMMAND, command, 0);
    return true;
}

HWND CAboutWnd::Open(HWND owner, std::string version, int dpi) {
    auto* window = new CAboutWnd(std::move(version));
    const HWND hwnd = window->Create(owner, "about", WS_POPUP, WS_EX_TOOLWINDOW);
    if (hwnd == 0) {
        delete window;
        return 0;
    }
    window->ScaleWindow(dpi);
    window->CenterWindow();
    window->ShowWindow(true);
    return hwnd;
}

void CAboutWnd::InitWindow() {
    ShowVersion();
}

std::string CAboutWnd::VersionLine() const {
    const CControlUI* label = const_cast<CPaintManagerUI&>(pm_).FindControl("software_ver_label");
    return label ? label->GetText() : std::string();
}

void CAboutWnd::ShowVersion() {
    // The caption comes from the language text read back through the hidden label.
    CControlUI* probe = pm_.FindControl("text_test");
    CControlUI* label = pm_.FindControl("software_ver_label");
    if (probe == nullptr || label == nullptr) return;
    probe->SetText("software_rev_text");
    label->SetText(probe->GetText() + version_);
}

void CAboutWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyClick && msg.pSender != nullptr &&
        HandleCaptionClick(*this, msg.pSender->GetName()))
        return;
    WindowImplBase::Notify(msg);
}

LRESULT CAboutWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (msg == kMsgLanguageChanged) {
        ShowVersion();
        if (CControlUI* root = pm_.GetRoot()) root->NeedUpdate();
        pm_.NeedUpdate();
        handled = true;
        return 0;
    }
    return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CAboutWnd::OnFinalMessage(HWND) {
    delete this;
}

}  // namespace vivori::app
