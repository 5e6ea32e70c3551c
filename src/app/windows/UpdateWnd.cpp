#include "app/windows/UpdateWnd.h"

#include "app/AppMessages.h"
#include "panels/CUpdatePageUI.h"
#include "ui/message/Messages.h"
#include "update/Downloader.h"

namespace vivori::app {

CUpdateWnd::CUpdateWnd(StartUpdater startUpdater, ui::HWND owner)
    : startUpdater_(std::move(startUpdater)), owner_(owner) {}

ui::CControlUI* CUpdateWnd::CreateControl(std::string_view name) {
    if (name == "UpdatePage") return new panels::CUpdatePageUI;
    return nullptr;
}

void CUpdateWnd::InitWindow() {
    if (ui::CControlUI* found = pm_.FindControl("update_info_list"))
        for (ui::CControlUI* c = found; c != nullptr; c = c->GetParent())
            if (auto* page = static_cast<panels::CUpdatePageUI*>(
                    c->GetInterface(panels::CUpdatePageUI::kInterface))) {
                page_ = page;
                break;
            }
    forward_ = ui::RegisterWindowMessage(update::kSetWindowForwardMessage);
}

void CUpdateWnd::StartCheck(const std::string& endpoint, std::vector<update::CatalogueRow> rows,
                            profiles::DataFolders folders) {
    if (page_) page_->StartCheck(GetHWND(), endpoint, std::move(rows), std::move(folders));
}

void CUpdateWnd::Notify(ui::TNotifyUI& msg) {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (page_ && msg.sType == "click") {
        if (name == "update_fw_and_ap") return page_->ShowConfirmation(true);
        if (name == "update_cancel_btn") return page_->ShowConfirmation(false);
        if (name == "update_OK_btn") {
            const auto rows = page_->Confirm();
            // An updater that cannot start fails its rows at once.
            if (!rows.empty() && (!startUpdater_ || !startUpdater_(rows)))
                for (size_t i = 0; i < rows.size(); ++i) page_->OnProgress(update::kEventFailed, 0);
            return;
        }
        if (name == "closebtn") return Close(ui::IDCANCEL);
    }
    if (page_ && msg.sType == "selectchanged" && name == "check_name_select") page_->RowTicked();
    WindowImplBase::Notify(msg);
}

ui::LRESULT CUpdateWnd::HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                            bool& handled) {
    if (page_ && page_->OnCheckMessage(msg, wParam, lParam)) {
        handled = true;
        // Everything is current: the settings button loses its badge.
        if (page_->Overall() == update::kOverallUpToDate)
            ui::PostMessage(owner_, kMsgClearUpdateBadge, 0, 0);
        return 0;
    }
    if (page_ && forward_ != 0 && msg == forward_) {
        page_->OnProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        handled = true;
        return 0;
    }
    if (msg == ui::WM_CLOSE && page_ && !page_->CanClose()) {
        handled = true;  // a download is under way
        return 0;
    }
    if (msg == ui::WM_CLOSE && page_) page_->StopCheck();
    return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CUpdateWnd::OnFinalMessage(ui::HWND) {
    delete this;
}

}  // namespace vivori::app
