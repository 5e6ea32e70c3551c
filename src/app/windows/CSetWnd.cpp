#include "app/windows/CSetWnd.h"

#include "app/AppMessages.h"
#include "app/ScreenRules.h"
#include "app/windows/CAboutWnd.h"
#include "platform/Debug.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using namespace ui;

HWND CSetWnd::Open(HWND owner, std::vector<std::string> languageTexts, int currentLanguage,
                   int dpi) {
    auto* window = new CSetWnd(std::move(languageTexts), currentLanguage);
    const HWND hwnd = window->Create(owner, "setwnd", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 630, 500);
    if (hwnd == 0) {
        delete window;
        return 0;
    }
    window->SetDpi(dpi);
    window->CenterWindow();
    window->ShowWindow(true);
    return hwnd;
}

void CSetWnd::InitWindow() {
    CControlUI* found = pm_.FindControl("Language_combox_info");
    auto* combo = found ? static_cast<CComboUI*>(found->GetInterface("Combo")) : nullptr;
    if (combo == nullptr) return;
    for (const std::string& text : languageTexts_) {
        auto* row = new CListLabelElementUI;
        row->SetFixedHeight(30);
        row->SetAttribute("textpadding", "8,0,8,0");
        row->SetText(text);  // a language key, resolved when shown
        combo->Add(row);
    }
    if (currentLanguage_ >= 0) combo->SelectItem(currentLanguage_, false, false);
}

void CSetWnd::SetDpi(int dpi) {
    if (ValidDpi(dpi) != dpi) DebugOutput("SET_WND DPI SET ERROR");
    pm_.SetDPI(ValidDpi(dpi));
}

void CSetWnd::Notify(TNotifyUI& msg) {
    if (msg.pSender != nullptr) {
        const std::string name = msg.pSender->GetName();
        if (msg.sType == kNotifyClick && name == "laterbtn") return Close(IDCANCEL);
        if (msg.sType == kNotifyClick && HandleCaptionClick(*this, name)) return;
        if (msg.sType == kNotifyItemSelect && name == "Language_combox_info") {
            currentLanguage_ = int(msg.wParam);
            if (GetOwner() != 0) PostMessage(GetOwner(), kMsgLanguageChanged, msg.wParam, 0);
            return;
        }
    }
    WindowImplBase::Notify(msg);
}

LRESULT CSetWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (msg == kMsgLanguageChanged) {
        if (CControlUI* root = pm_.GetRoot()) root->NeedUpdate();
        pm_.NeedUpdate();
        handled = true;
        return 0;
    }
    return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CSetWnd::OnFinalMessage(HWND) {
    delete this;
}

}  // namespace vivori::app
