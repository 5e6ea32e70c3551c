#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/CVerticalLayoutUI.h"
#include "ui/message/MessageTypes.h"
#include "update/UpdateCheck.h"

namespace vivori::panels {

class CUpdateInfoListItemUI;

// The update page of the settings window: a check thread asks the update service about
// every row and posts each answer to the page's window, which hands it back here; the
// page shows the rows, their states and the overall status, and lets the user tick rows
// and confirm the download.
class CUpdatePageUI : public ui::CVerticalLayoutUI {
  public:
    static constexpr std::string_view kInterface = "UpdatePage";
    // Posted by the check thread to the page's window: a checked row (wParam: check
    // number << 16 | row, lParam: an update::CheckedRow* the window's page takes over)
    // and the end of the check (wParam: check number).
    static constexpr ui::UINT kMsgRowChecked = ui::WM_USER + 260;
    static constexpr ui::UINT kMsgCheckDone = ui::WM_USER + 261;

    CUpdatePageUI();
    ~CUpdatePageUI() override;
    std::string_view GetClass() const override { return "UpdatePageUI"; }
    void* GetInterface(std::string_view name) override;

    // Lists the rows with their own values and starts the check thread; with no
    // address nothing is asked and the page says so.
    void StartCheck(ui::HWND window, const std::string& endpoint,
                    std::vector<update::CatalogueRow> rows, profiles::DataFolders folders);
    // Ends a running check at once (its late answers are dropped).
    void StopCheck();
    // The window passes the check thread's messages; true when it was one of them.
    bool OnCheckMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam);
    // The updater's progress for the row being downloaded (the forward message).
    void OnProgress(int event, int value);

    // The page's own clicks and ticks ("update_fw_and_ap", "update_cancel_btn",
    // "check_name_select"); true when the notification was one of them. The window
    // handles "update_OK_btn", since it starts the updater.
    bool OnNotify(const ui::TNotifyUI& msg);
    // Every confirmed row failed (the updater could not start).
    void FailConfirmed();
    // The updater ended: with status 0 it downloaded every row (its reports may have
    // been lost), otherwise what it left unfinished failed. Either way nothing waits.
    void UpdaterEnded(int exitCode);
    // After a language change: the up-to-date line carries a language text.
    void RefreshTexts();

    void RowTicked();
    void ShowConfirmation(bool show);
    // The ticked rows go to state 3; the others can no longer be ticked. Returns them.
    std::vector<update::CheckedRow> Confirm();
    // False while a row is being downloaded or waits for it.
    bool CanClose() const;

    int Overall() const { return overall_; }
    size_t RowCount() const { return rows_.size(); }
    CUpdateInfoListItemUI* Row(size_t index) const;
    const update::CheckedRow& Data(size_t index) const { return rows_[index]; }

  private:
    ui::CControlUI* Find(std::string_view name) const;
    void SetOverall(int status);
    void FillRow(size_t index);
    void Finish();
    // The row the updater is working on: the first waiting or downloading one.
    int CurrentDownload() const;
    // No row left for the updater: the rows that can be chosen again and the status.
    void AfterDownloads();
    // A row's state, in the data and on its list row.
    void SetRowState(size_t index, int state);

    std::vector<update::CheckedRow> rows_;
    std::string checkDate_;
    profiles::DataFolders folders_{profiles::FolderRoots{}};
    int overall_ = update::kOverallChecking;
    unsigned check_ = 0;
    size_t answered_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
};

}  // namespace vivori::panels
