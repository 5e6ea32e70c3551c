#include "panels/CUpdatePageUI.h"

#include <algorithm>
#include <thread>

#include "panels/CUpdateInfoListItemUI.h"
#include "platform/Debug.h"
#include "ui/core/CListUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/CTabLayoutUI.h"
#include "ui/message/Messages.h"
#include "update/Downloader.h"
#include "update/HttpClient.h"

namespace vivori::panels {
namespace {

using update::CheckedRow;

constexpr const char* kOverallText[] = {"GetUpdateInfoText", "HaveUpdateInfoText",
                                        "NoUpdateInfoText",  "ISUpdateINGText",
                                        "UpdateIsLastText",  "UpdateDownloadedText"};

std::string Text(std::string_view key) {
    return ui::CResourceManager::GetInstance().GetText(key).value_or(std::string(key));
}

// The row's name in the current language, or the catalogue's own.
std::string ShownName(const CheckedRow& row) {
    return row.nameKey.empty() ? row.displayName : Text(row.nameKey);
}

}  // namespace

CUpdatePageUI::CUpdatePageUI() = default;

CUpdatePageUI::~CUpdatePageUI() {
    StopCheck();
}

void* CUpdatePageUI::GetInterface(std::string_view name) {
    return name == kInterface ? this : CVerticalLayoutUI::GetInterface(name);
}

ui::CControlUI* CUpdatePageUI::Find(std::string_view name) const {
    ui::CPaintManagerUI* manager = GetManager();
    return manager ? manager->FindSubControlByName(const_cast<CUpdatePageUI*>(this), name)
                   : nullptr;
}

CUpdateInfoListItemUI* CUpdatePageUI::Row(size_t index) const {
    auto* list = dynamic_cast<ui::CListUI*>(Find("device_update_list_info"));
    return list ? dynamic_cast<CUpdateInfoListItemUI*>(list->GetItemAt(int(index))) : nullptr;
}

void CUpdatePageUI::StopCheck() {
    if (cancel_) {
        cancel_->store(true);
        update::CancelHttpRequests();
        cancel_.reset();
    }
}

void CUpdatePageUI::StartCheck(ui::HWND window, const std::string& endpoint,
                               std::vector<update::CatalogueRow> rows,
                               profiles::DataFolders folders) {
    StopCheck();
    folders_ = std::move(folders);
    ++check_;
    answered_ = 0;
    rows_.clear();
    auto* list = dynamic_cast<ui::CListUI*>(Find("device_update_list_info"));
    if (list) list->RemoveAll();
    // The date of the last check that got an answer; only an answer changes it.
    checkDate_ = update::ReadCheckDate(folders_).value_or(std::string());
    for (const update::CatalogueRow& row : rows) {
        rows_.push_back(update::InitialRow(row));
        auto* item = new CUpdateInfoListItemUI;
        if (list && item->Build(GetManager()) && list->Add(item)) {
            FillRow(rows_.size() - 1);
        } else {
            delete item;
        }
    }
    if (ui::CControlUI* note = Find("update_file_note")) note->SetText("");
    if (endpoint.empty()) {
        // Nothing was asked: the rows stay "not checked" and nothing is offered.
        overall_ = update::kOverallUnreachable;
        if (ui::CControlUI* ring = Find("update_status_ring")) ring->SetVisible(false);
        if (ui::CControlUI* text = Find("Update_Status_text")) text->SetText("UpdateNoAddressText");
        return;
    }
    SetOverall(update::kOverallChecking);
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    const unsigned check = check_ & 0xFFFF;
    std::thread([window, endpoint, rows = std::move(rows), folder = folders_.UpdateFolder(),
                 cancel = cancel_, check] {
        // Only the posted answers reach the page: no control is touched here.
        for (size_t i = 0; i < rows.size(); ++i) {
            if (cancel->load()) return;
            auto* answer = new CheckedRow(update::CheckRow(endpoint, rows[i], folder));
            if (cancel->load() ||
                !ui::PostMessage(window, kMsgRowChecked, ui::WPARAM(check) << 16 | i,
                                 reinterpret_cast<ui::LPARAM>(answer))) {
                delete answer;
                return;
            }
        }
        ui::PostMessage(window, kMsgCheckDone, check, 0);
    }).detach();
}

bool CUpdatePageUI::OnCheckMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam) {
    if (msg == kMsgRowChecked) {
        std::unique_ptr<CheckedRow> answer(reinterpret_cast<CheckedRow*>(lParam));
        const size_t index = wParam & 0xFFFF;
        if ((wParam >> 16) != (check_ & 0xFFFF) || !answer || index >= rows_.size()) return true;
        rows_[index] = *answer;
        FillRow(index);
        ++answered_;
        if (!answer->failed) {
            checkDate_ = update::TodayText();
            update::WriteCheckDate(folders_, checkDate_);
        }
        return true;
    }
    if (msg == kMsgCheckDone) {
        if (wParam == (check_ & 0xFFFF)) Finish();
        return true;
    }
    return false;
}

void CUpdatePageUI::FillRow(size_t index) {
    CUpdateInfoListItemUI* item = Row(index);
    if (item == nullptr) return;
    const CheckedRow& row = rows_[index];
    const bool noNews = row.state == update::kStateUpToDate || row.state == update::kStateNotChecked;
    item->SetTexts(ShownName(row), row.currentVersionText,
                   noNews ? std::string() : row.newVersionText);
    item->SetState(row.state);
    item->SetUserData(row.downloadPath);
    item->SetTickable(false);
}

void CUpdatePageUI::Finish() {
    cancel_.reset();
    update::MakeLocalFilesDistinct(rows_);
    bool any = false;
    std::string refused;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i].refusal.empty()) {
            // Said once, with the names of the rows it concerns.
            if (refused.empty()) refused = Text(rows_[i].refusal);
            refused.append(" ").append(ShownName(rows_[i]));
            if (CUpdateInfoListItemUI* item = Row(i)) item->SetTickable(false);
        }
        if (!update::Offered(rows_[i])) continue;
        any = true;
        if (CUpdateInfoListItemUI* item = Row(i)) {
            item->SetTickable(true);
            item->SetTicked(true);
        }
    }
    if (ui::CControlUI* note = Find("update_file_note"); note && !refused.empty())
        note->SetText(refused);
    if (ui::CControlUI* button = Find("update_fw_and_ap")) {
        button->SetEnabled(any);
        button->SetVisible(any);
    }
    SetOverall(update::OverallOf(rows_));
}

void CUpdatePageUI::SetOverall(int status) {
    overall_ = status;
    if (ui::CControlUI* ring = Find("update_status_ring"))
        ring->SetVisible(status == update::kOverallChecking);
    if (ui::CControlUI* image = Find("update_status_image"))
        image->SetVisible(status != update::kOverallChecking);
    if (ui::CControlUI* text = Find("Update_Status_text")) {
        const char* key = kOverallText[std::clamp(status, 0, int(std::size(kOverallText)) - 1)];
        text->SetText(status == update::kOverallUpToDate ? Text(key) + checkDate_ : key);
    }
}

bool CUpdatePageUI::OnNotify(const ui::TNotifyUI& msg) {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (msg.sType == ui::kNotifyClick &&
        (name == "update_fw_and_ap" || name == "update_cancel_btn")) {
        ShowConfirmation(name == "update_fw_and_ap");
        return true;
    }
    if (msg.sType == ui::kNotifySelectChanged && name == "check_name_select") {
        RowTicked();
        return true;
    }
    return false;
}

void CUpdatePageUI::FailConfirmed() {
    while (CurrentDownload() >= 0) OnProgress(update::kEventFailed, 0);
}

void CUpdatePageUI::UpdaterEnded(int exitCode) {
    if (CurrentDownload() < 0) return;
    DebugPrintf("the updater ended with %d before reporting every row", exitCode);
    while (CurrentDownload() >= 0)
        SetRowState(size_t(CurrentDownload()),
                    exitCode == 0 ? update::kStateDownloadDone : update::kStateFailed);
    if (exitCode != 0)
        if (ui::CControlUI* note = Find("update_file_note"))
            note->SetText(Text("update_updater_ended_text"));
    AfterDownloads();
}

void CUpdatePageUI::SetRowState(size_t index, int state) {
    rows_[index].state = state;
    if (CUpdateInfoListItemUI* item = Row(index)) item->SetState(state);
}

void CUpdatePageUI::RefreshTexts() {
    if (overall_ == update::kOverallUpToDate) SetOverall(overall_);
}

void CUpdatePageUI::RowTicked() {
    bool any = false;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (CUpdateInfoListItemUI* item = Row(i)) any = any || item->Ticked();
    if (ui::CControlUI* button = Find("update_fw_and_ap")) {
        button->SetEnabled(any);
        button->SetVisible(any);
    }
}

void CUpdatePageUI::ShowConfirmation(bool show) {
    if (auto* tabs = dynamic_cast<ui::CTabLayoutUI*>(Find("get_update_tab_layout")))
        tabs->SelectItem(show ? 1 : 0);
}

std::vector<CheckedRow> CUpdatePageUI::Confirm() {
    std::vector<CheckedRow> confirmed;
    for (size_t i = 0; i < rows_.size(); ++i) {
        CUpdateInfoListItemUI* item = Row(i);
        if (item == nullptr) continue;
        const int state = rows_[i].state;
        if (state != update::kStateNeedUpdate && state != update::kStateNeedUpdate2) continue;
        if (item->Ticked()) {
            rows_[i].state = update::kStateDownloadWait;
            item->SetState(rows_[i].state);
            confirmed.push_back(rows_[i]);
        } else {
            item->SetTickable(false);
        }
    }
    if (ui::CControlUI* button = Find("update_fw_and_ap")) button->SetEnabled(false);
    if (!confirmed.empty()) SetOverall(update::kOverallUpdating);
    ShowConfirmation(false);
    return confirmed;
}

int CUpdatePageUI::CurrentDownload() const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].state == update::kStateDownloading || rows_[i].state == update::kStateUpdating)
            return int(i);
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].state == update::kStateDownloadWait) return int(i);
    return -1;
}

void CUpdatePageUI::OnProgress(int event, int value) {
    const int current = CurrentDownload();
    if (current < 0) return;
    const auto index = size_t(current);
    CheckedRow& row = rows_[index];
    CUpdateInfoListItemUI* item = Row(index);
    auto setState = [&](int state) {
        row.state = state;
        if (item) item->SetState(state);
    };
    switch (event) {
        case update::kEventProgress:
            setState(update::kStateDownloading);
            if (item) item->SetProgress(std::clamp(value, 0, 100));
            return;
        case update::kEventDownloaded:
            setState(update::kStateDownloadDone);
            if (ui::CControlUI* note = Find("update_file_note"))
                note->SetText(Text("update_file_at_text") + row.localFile.string());
            break;
        case update::kEventFinished:
            row.currentVersionText = row.newVersionText;
            row.newVersionText.clear();
            setState(update::kStateUpToDate);
            if (item) {
                item->SetTexts(ShownName(row), row.currentVersionText, "");
                item->SetTicked(false);
            }
            break;
        case update::kEventFailed:
        case update::kEventFailedOther:
            setState(update::kStateFailed);
            break;
        default:
            return;
    }
    if (CurrentDownload() >= 0) return;  // the updater goes on with the next row
    AfterDownloads();
}

void CUpdatePageUI::AfterDownloads() {
    bool pending = false, downloaded = false;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const int state = rows_[i].state;
        downloaded = downloaded || state == update::kStateDownloadDone;
        const bool offered = rows_[i].refusal.empty() && !rows_[i].failed;
        if (offered && (state == update::kStateNeedUpdate || state == update::kStateNeedUpdate2 ||
                        state == update::kStateFailed)) {
            pending = true;
            if (CUpdateInfoListItemUI* other = Row(i)) other->SetTickable(true);
        }
    }
    SetOverall(pending      ? update::kOverallUpdates
               : downloaded ? update::kOverallDownloaded
                            : update::OverallOf(rows_));
}

bool CUpdatePageUI::CanClose() const {
    for (const CheckedRow& row : rows_)
        if (row.state == update::kStateDownloadWait || row.state == update::kStateDownloading ||
            row.state == update::kStateUpdating)
            return false;
    return true;
}

}  // namespace vivori::panels
