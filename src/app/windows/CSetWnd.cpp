#include "app/windows/CSetWnd.h"

#include <arpa/inet.h>

#include <cstdlib>

#include "app/AppMessages.h"
#include "app/ScreenRules.h"
#include "app/windows/CAboutWnd.h"
#include "app/windows/CMsgWnd.h"
#include "panels/CUpdatePageUI.h"
#include "platform/Debug.h"
#include "platform/InstallFolders.h"
#include "profiles/Autostart.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/COptionUI.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using namespace ui;

namespace {

constexpr UINT_PTR kTimerUpdaterEnded = 1;
constexpr UINT kUpdaterEndGraceMs = 300;

}  // namespace

HWND CSetWnd::Open(HWND owner, std::vector<std::string> languageTexts, int currentLanguage, int dpi,
                   UpdateSetup update, std::optional<UiPoint> topRight, SdkSetup sdk) {
    auto* window = new CSetWnd(std::move(languageTexts), currentLanguage, std::move(update));
    window->sdk_ = std::move(sdk);
    const HWND hwnd = window->Create(owner, "setwnd", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 630, 572);
    if (hwnd == 0) {
        delete window;
        return 0;
    }
    window->SetDpi(dpi);
    if (topRight && window->Host()) {
        const UiRect rect = window->Host()->GetRect();
        window->Host()->SetRect(
            {topRight->x - rect.Width(), topRight->y, topRight->x, topRight->y + rect.Height()});
    } else {
        window->CenterWindow();
    }
    window->ShowWindow(true);
    window->StartUpdateCheck();
    return hwnd;
}

CControlUI* CSetWnd::CreateControl(std::string_view name) {
    if (name == panels::CUpdatePageUI::kInterface) return new panels::CUpdatePageUI;
    return nullptr;
}

void CSetWnd::ShowSdkSetting() {
    if (auto* check = dynamic_cast<COptionUI*>(pm_.FindControl("sdk_allow_check")))
        check->Selected(sdk_.setting.enabled, false);
    if (CControlUI* port = pm_.FindControl("sdk_port_edit"))
        port->SetText(std::to_string(sdk_.setting.port));
    if (CControlUI* address = pm_.FindControl("sdk_address_edit"))
        address->SetText(sdk_.setting.address);
}

void CSetWnd::CommitSdkSetting() {
    profiles::SdkServerSetting wanted = sdk_.setting;
    if (auto* check = dynamic_cast<COptionUI*>(pm_.FindControl("sdk_allow_check")))
        wanted.enabled = check->IsSelected();
    if (CControlUI* port = pm_.FindControl("sdk_port_edit")) {
        char* end = nullptr;
        const std::string text = port->GetText();
        const long value = std::strtol(text.c_str(), &end, 10);
        if (!text.empty() && *end == '\0' && value >= 1 && value <= 65535)
            wanted.port = uint16_t(value);
    }
    if (CControlUI* address = pm_.FindControl("sdk_address_edit")) {
        in6_addr parsed{};
        const std::string text = address->GetText();
        if (inet_pton(AF_INET, text.c_str(), &parsed) == 1 ||
            inet_pton(AF_INET6, text.c_str(), &parsed) == 1)
            wanted.address = text;
    }
    const bool changed = !(wanted == sdk_.setting);
    sdk_.setting = wanted;
    ShowSdkSetting();
    if (!changed || !sdk_.apply) return;
    if (const std::string why = sdk_.apply(wanted); !why.empty())
        CMsgWnd::ShowMessage(GetHWND(), "",
                             CResourceManager::GetInstance().ResolveText("sdk_listen_failed_text") +
                                 "\n" + why,
                             dpi_, false,
                             MsgButtons::Confirm);
}

void CSetWnd::CommitAutostart() {
    auto* check = dynamic_cast<COptionUI*>(pm_.FindControl("autostart_check"));
    if (check == nullptr) return;
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    const std::string failed = profiles::SetAutostart(folders, check->IsSelected(), ExecutablePath());
    if (failed.empty()) return;
    check->Selected(profiles::AutostartEnabled(folders), false);
    CMsgWnd::ShowMessage(GetHWND(), "",
                         CResourceManager::GetInstance().ResolveText("settings_write_failed_text") + "\n" + failed, dpi_, false,
                         MsgButtons::Confirm);
}

void CSetWnd::InitWindow() {
    ShowSdkSetting();
    if (auto* check = dynamic_cast<COptionUI*>(pm_.FindControl("autostart_check")))
        check->Selected(profiles::AutostartEnabled(profiles::DataFolders::FromEnvironment()),
                        false);
    if (CControlUI* page = pm_.FindControl("update_page"))
        page_ = static_cast<panels::CUpdatePageUI*>(
            page->GetInterface(panels::CUpdatePageUI::kInterface));
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

void CSetWnd::StartUpdateCheck() {
    if (page_)
        page_->StartCheck(GetHWND(), update_.endpoint, std::move(update_.rows), update_.folders);
}

void CSetWnd::SetDpi(int dpi) {
    if (ValidDpi(dpi) != dpi) DebugOutput("SET_WND DPI SET ERROR");
    dpi_ = ValidDpi(dpi);
    ScaleWindow(dpi_);
}

void CSetWnd::StartDownload() {
    const auto rows = page_->Confirm();
    if (rows.empty()) return;
    const std::string why =
        update_.startUpdater ? update_.startUpdater(rows, GetHWND()) : std::string("no updater");
    if (why.empty()) return;
    page_->FailConfirmed();
    CMsgWnd::ShowMessage(
        GetHWND(), "",
        CResourceManager::GetInstance().ResolveText("update_start_failed_text") + "\n" + why, dpi_,
        false, MsgButtons::Confirm);
}

void CSetWnd::AfterPageChange() {
    if (page_ && page_->Overall() == update::kOverallUpToDate && GetOwner() != 0)
        PostMessage(GetOwner(), kMsgClearUpdateBadge, 0, 0);
}

void CSetWnd::Notify(TNotifyUI& msg) {
    if (msg.pSender != nullptr) {
        const std::string name = msg.pSender->GetName();
        const bool click = msg.sType == kNotifyClick;
        if (click && (name == "laterbtn" || name == "closebtn") && page_ && !page_->CanClose()) {
            // Closing would lose the download's progress: say why nothing happens.
            CMsgWnd::ShowMessage(GetHWND(), "", "update_busy_text", dpi_, true,
                                 MsgButtons::Confirm);
            return;
        }
        if (click && name == "laterbtn") return Close(IDCANCEL);
        if (click && HandleCaptionClick(*this, name)) return;
        if (click && name == "update_OK_btn" && page_) return StartDownload();
        if (page_ && page_->OnNotify(msg)) return;
        if (msg.sType == kNotifySelectChanged && name == "autostart_check")
            return CommitAutostart();
        if ((msg.sType == kNotifySelectChanged && name == "sdk_allow_check") ||
            ((msg.sType == kNotifyReturn || msg.sType == kNotifyKillFocus) &&
             (name == "sdk_port_edit" || name == "sdk_address_edit")))
            return CommitSdkSetting();
        if (msg.sType == kNotifyItemSelect && name == "Language_combox_info") {
            currentLanguage_ = int(msg.wParam);
            if (GetOwner() != 0) PostMessage(GetOwner(), kMsgLanguageChanged, msg.wParam, 0);
            return;
        }
    }
    WindowImplBase::Notify(msg);
}

void CSetWnd::ApplyUpdaterEnd() {
    if (!page_) return;
    page_->UpdaterEnded(updaterExit_);
    AfterPageChange();
}

LRESULT CSetWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (msg == kMsgUpdaterEnded) {
        // Its last reports travel over the socket and may come just after this notice:
        // they are taken first.
        updaterExit_ = static_cast<int>(wParam);
        SetTimer(GetHWND(), kTimerUpdaterEnded, kUpdaterEndGraceMs);
        handled = true;
        return 0;
    }
    if (msg == WM_TIMER && wParam == kTimerUpdaterEnded) {
        KillTimer(GetHWND(), kTimerUpdaterEnded);
        ApplyUpdaterEnd();
        handled = true;
        return 0;
    }
    if (page_ && (page_->OnCheckMessage(msg, wParam, lParam) || msg == kMsgUpdaterEvent)) {
        if (msg == kMsgUpdaterEvent)
            page_->OnProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        AfterPageChange();
        handled = true;
        return 0;
    }
    if (msg == WM_CLOSE && page_) {
        // Swallowed while a row waits for or is in its download.
        if (!page_->CanClose()) {
            handled = true;
            return 0;
        }
        page_->StopCheck();  // a slow service does not hold the window open
    }
    if (msg == kMsgLanguageChanged) {
        if (page_) page_->RefreshTexts();
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
