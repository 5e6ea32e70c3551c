#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/core/WindowImplBase.h"
#include "update/UpdateCheck.h"

namespace vivori::panels {
class CUpdatePageUI;
}

namespace vivori::app {

// The update page in a small window of its own: it runs the check when it opens,
// hands the confirmed rows to the updater, follows its progress, and refuses to close
// while a download is under way.
class CUpdateWnd : public ui::WindowImplBase {
  public:
    using StartUpdater = std::function<bool(const std::vector<update::CheckedRow>& rows)>;

    CUpdateWnd(StartUpdater startUpdater, ui::HWND owner);
    std::string GetSkinFile() override { return "updatewnd.xml"; }
    std::string_view GetWindowClassName() const override { return "UpdateWnd"; }
    ui::CControlUI* CreateControl(std::string_view name) override;
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    ui::LRESULT HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                    bool& handled) override;
    void OnFinalMessage(ui::HWND hwnd) override;

    void StartCheck(const std::string& endpoint, std::vector<update::CatalogueRow> rows,
                    profiles::DataFolders folders);
    panels::CUpdatePageUI* Page() const { return page_; }

  private:
    StartUpdater startUpdater_;
    ui::HWND owner_;
    panels::CUpdatePageUI* page_ = nullptr;
    ui::UINT forward_ = 0;
};

}  // namespace vivori::app
