#pragma once

// The settings window: the language list and the update page. Choosing a language
// tells the owner (message 3089 with the language index), which applies it to every
// open window. The update page checks when the window opens, hands the confirmed rows
// to the updater and follows its progress (the owner forwards the updater's messages);
// the window does not close while a row waits for or is in its download. When the
// updater ends, whatever it left unfinished has failed and the window can close.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "profiles/SdkSetting.h"
#include "ui/core/WindowImplBase.h"
#include "update/UpdateCheck.h"

namespace vivori::panels {
class CUpdatePageUI;
}

namespace vivori::app {

// What the update page checks, and how the confirmed rows reach the updater.
struct UpdateSetup {
    // reportTo gets kMsgUpdaterEnded when the updater ends, however it ends.
    // Empty when the updater started, else why it did not.
    using StartUpdater =
        std::function<std::string(const std::vector<update::CheckedRow>& rows, ui::HWND reportTo)>;
    std::string endpoint;  // empty: nothing is asked and the page says so
    std::vector<update::CatalogueRow> rows;
    profiles::DataFolders folders{profiles::FolderRoots{}};
    StartUpdater startUpdater;
};

// The setting that lets other lighting programs drive the devices, and how the owner
// carries out a change (false: the server could not listen).
struct SdkSetup {
    profiles::SdkServerSetting setting;
    // Empty when the setting took, else why not.
    std::function<std::string(const profiles::SdkServerSetting&)> apply;
};

class CSetWnd : public ui::WindowImplBase {
  public:
    // `languageTexts`: the caption key of each language, in index order.
    CSetWnd(std::vector<std::string> languageTexts, int currentLanguage, UpdateSetup update)
        : languageTexts_(std::move(languageTexts)),
          currentLanguage_(currentLanguage),
          update_(std::move(update)) {}

    // A new settings window owned by `owner`, shown and started (the language list,
    // then the update check); it deletes itself when closed. Its top-right corner goes
    // to `topRight`, else it is centred. 0 when the layout cannot be built.
    static ui::HWND Open(ui::HWND owner, std::vector<std::string> languageTexts,
                         int currentLanguage, int dpi, UpdateSetup update,
                         std::optional<ui::UiPoint> topRight = std::nullopt, SdkSetup sdk = {});

    std::string GetSkinFile() override { return "setwnd.xml"; }
    std::string_view GetWindowClassName() const override { return "SetWnd"; }
    ui::CControlUI* CreateControl(std::string_view name) override;
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    ui::LRESULT HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                    bool& handled) override;
    void OnFinalMessage(ui::HWND hwnd) override;
    // 48, 72, 96, 120, 144, 168 or 192; anything else is taken as 96.
    void SetDpi(int dpi);
    panels::CUpdatePageUI* UpdatePage() const { return page_; }

  private:
    void StartUpdateCheck();
    void StartDownload();
    // The page changed: an all-current status clears the owner's update badge.
    void AfterPageChange();
    void ApplyUpdaterEnd();
    void ShowSdkSetting();
    // Takes the check box and the two edits; a value that is not one is put back.
    void CommitSdkSetting();
    // Writes or removes the session's autostart entry as the check box says.
    void CommitAutostart();

    std::vector<std::string> languageTexts_;
    int currentLanguage_;
    UpdateSetup update_;
    SdkSetup sdk_;
    panels::CUpdatePageUI* page_ = nullptr;
    int dpi_ = 96;
    int updaterExit_ = 0;  // the ended updater's status, applied after its last reports
};

}  // namespace vivori::app
