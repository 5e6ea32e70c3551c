// The main window's profile handlers: the profile panel's menu, the drop-down's
// profile switch and the panel set-up of each device page.

#include <cstdlib>
#include <string>
#include <vector>

#include "app/AppMessages.h"
#include "app/CMainWnd.h"
#include "app/handlers/Handlers.h"
#include "app/windows/CMsgWnd.h"
#include "device/SupportedDevices.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneUSBDevice.h"
#include "panels/CDeviceProfileUI.h"
#include "platform/Debug.h"
#include "profiles/ProfileNames.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"
#include "ui/qt/FileDialogs.h"

namespace vivori::app {

using devices::CQuorvaneUSBDevice;
using panels::CDeviceProfileUI;
using profiles::ProfileOutcome;
using profiles::ProfileStatus;
using namespace ui;

namespace {

constexpr std::string_view kProfileFilter = "Profile Files(*.json)|*.json;|";

CDeviceProfileUI* PanelOf(CQuorvaneUSBDevice* device) {
    if (device == nullptr) return nullptr;
    CControlUI* found = device->FindControl(
        [](CControlUI* c) { return c->GetInterface("DeviceProfile") ? c : nullptr; }, kFindAll);
    return found ? static_cast<CDeviceProfileUI*>(found->GetInterface("DeviceProfile")) : nullptr;
}

bool UsesMacros(const CQuorvaneUSBDevice& device) {
    return device.DeviceKind() == kKindKeyboard || device.DeviceKind() == kKindMouse;
}

}  // namespace

int CMainWnd::Ask(std::string_view key, bool withCancel, std::string_view detail) {
    std::string text = CResourceManager::GetInstance().ResolveText(key);
    if (!detail.empty()) text.append("\n").append(detail);
    return CMsgWnd::ShowMessage(GetHWND(), "", text, dpi_, false,
                                withCancel ? MsgButtons::ConfirmCancel : MsgButtons::Confirm);
}

bool CMainWnd::ReportProfileOutcome(const ProfileOutcome& outcome) {
    switch (outcome.status) {
        case ProfileStatus::Ok:
            return true;
        case ProfileStatus::Duplicate:
            Ask("message_text_5");
            break;
        case ProfileStatus::Blank:
            Ask("message_text_25");
            break;
        case ProfileStatus::BadName:
            Ask("profile_name_refused_text", false, outcome.message);
            break;
        case ProfileStatus::BadFile:
        case ProfileStatus::ReadFailed:
            Ask("profile_import_refused_text", false, outcome.message);
            break;
        case ProfileStatus::Limit:
            Ask("profile_limit_text");
            break;
        case ProfileStatus::LastProfile:
            Ask("profile_last_text");
            break;
        case ProfileStatus::Refused:
        case ProfileStatus::Exists:
        case ProfileStatus::WriteFailed:
            Ask("profile_write_failed_text", false, outcome.message);
            break;
    }
    return false;
}

void CMainWnd::SwitchProfile() {
    CQuorvaneUSBDevice* device = CurrentDevice();
    CDeviceProfileUI* panel = PanelOf(device);
    if (panel == nullptr) return;
    const ProfileOutcome selected = panel->SelectProfile(panel->GetSelectedIndex(), false);
    if (!selected) ReportProfileOutcome(selected);
    TakeSelectedProfile(*device);
}

void CMainWnd::TakeSelectedProfile(CQuorvaneUSBDevice& device) {
    // The device finds the selected profile through "ProfileList.ini".
    device.LoadProfile();
    // The effect running on the host (and any frames it streams) is the new profile's
    // before the page shows it.
    device.ApplyProfileLighting();
    ReportDamagedFile(device.TakeDamagedLightFile());
    device.DropDeletedMacros();
    device.RefreshPage();
    device.WriteSettings();
    device.WriteProfileExtras();
    if (UsesMacros(device)) WriteMacrosAndKeys(device);
    UpdateAudioRecorder(*this);
}

void CMainWnd::FollowProfileLists() {
    const std::set<std::filesystem::path> folders = std::move(changedProfileFolders_);
    changedProfileFolders_.clear();
    if (!devices_) return;
    for (CQuorvaneUSBDevice* device : devices_->Devices()) {
        if (device == nullptr || folders.count(device->DataFolder()) == 0) continue;
        // A folder removed and made anew needs a new watch.
        if (profileWatch_) profileWatch_->Watch(device->DataFolder());
        CDeviceProfileUI* panel = PanelOf(device);
        if (panel != nullptr && panel->FollowList().selection) TakeSelectedProfile(*device);
    }
}

void CMainWnd::SelectProfilePanelTab(int page) {
    if (CDeviceProfileUI* panel = PanelOf(CurrentDevice())) panel->SelectTab(page);
}

void CMainWnd::InitProfilePanel(CQuorvaneUSBDevice& device, int kind) {
    CDeviceProfileUI* panel = PanelOf(&device);
    if (panel == nullptr) return;
    // The device's own folders, so a page and its panel always agree on the files.
    panel->SetFolders(device.DataFolder(), device.DefaultDataFile());
    panel->SetDeviceKind(kind);
    const ProfileOutcome loaded = panel->InitProfiles();
    if (!loaded)
        DebugPrintf("profile list of %s: %s\n", device.DataFolderName().c_str(),
                    loaded.message.c_str());
    if (!profileWatch_)
        profileWatch_ = std::make_unique<FolderWatch>([this](const std::filesystem::path& folder) {
            changedProfileFolders_.insert(folder);
            PostMessage(GetHWND(), kMsgProfileFolderChanged, 0, 0);
        });
    if (!profileWatch_->Watch(device.DataFolder()))
        DebugPrintf("profile folder not watched: %s\n", device.DataFolder().c_str());
}

void CMainWnd::BindProfileHandlers() {
    // Each handler works on the current device's panel and does nothing without one.
    auto withPanel = [this](void (CMainWnd::*run)(CQuorvaneUSBDevice&, CDeviceProfileUI&)) {
        return [this, run](TNotifyUI&, int) {
            CQuorvaneUSBDevice* device = CurrentDevice();
            if (CDeviceProfileUI* panel = PanelOf(device)) (this->*run)(*device, *panel);
        };
    };
    handlers_["ProfileSwitch"] = [this](TNotifyUI&, int) { SwitchProfile(); };
    handlers_["ProfilePanelFold"] = [this](TNotifyUI&, int) {
        if (CDeviceProfileUI* panel = PanelOf(CurrentDevice()))
            panel->ShowProfileMenu(!panel->IsProfileMenuShown());
    };
    handlers_["ProfileAdd"] = withPanel(&CMainWnd::AddProfile);
    handlers_["ProfileCopy"] = withPanel(&CMainWnd::CopyProfile);
    handlers_["ProfileDelete"] = withPanel(&CMainWnd::DeleteProfile);
    handlers_["ProfileRename"] = withPanel(&CMainWnd::RenameProfile);
    handlers_["ProfileImport"] = withPanel(&CMainWnd::ImportProfile);
    handlers_["ProfileExport"] = withPanel(&CMainWnd::ExportProfile);
    handlers_["ProfileReset"] = withPanel(&CMainWnd::ResetProfile);
}

void CMainWnd::AddProfile(CQuorvaneUSBDevice&, CDeviceProfileUI& panel) {
    // The new profile is the selected one in the list; the device follows it.
    if (ReportProfileOutcome(panel.AddProfile())) SwitchProfile();
}

void CMainWnd::CopyProfile(CQuorvaneUSBDevice&, CDeviceProfileUI& panel) {
    ReportProfileOutcome(panel.CopyProfile());
}

void CMainWnd::DeleteProfile(CQuorvaneUSBDevice&, CDeviceProfileUI& panel) {
    // The last profile is refused without a question.
    const profiles::ProfileListModel* model = panel.Model();
    if (model != nullptr && model->Entries().size() > 1 &&
        Ask("profile_delete_ask_text", true, panel.GetSelectedName()) != 1)
        return;
    if (ReportProfileOutcome(panel.DeleteProfile())) SwitchProfile();
}

void CMainWnd::RenameProfile(CQuorvaneUSBDevice&, CDeviceProfileUI& panel) {
    const std::string name = panel.GetNameText();
    if (!name.empty() && ReportProfileOutcome(panel.RenameProfile(name)))
        ShowPageNote("saved_note_text");
}

void CMainWnd::ImportProfile(CQuorvaneUSBDevice&, CDeviceProfileUI& panel) {
    std::string path;
    if (ChooseProfileFile(false, &path)) ReportProfileOutcome(panel.ImportProfile(path));
}

void CMainWnd::ExportProfile(CQuorvaneUSBDevice&, CDeviceProfileUI& panel) {
    std::string path = profiles::ProfileFileName(panel.GetSelectedName());
    // The save dialog has already asked before replacing a file.
    if (ChooseProfileFile(true, &path) && !path.empty())
        ReportProfileOutcome(panel.ExportProfile(path, true));
}

void CMainWnd::ResetProfile(CQuorvaneUSBDevice& device, CDeviceProfileUI& panel) {
    if (Ask("message_text_22", true) != 1) return;
    if (!ReportProfileOutcome(panel.ResetProfile())) return;
    TakeSelectedProfile(device);
    if (CControlUI* editor = pm_.FindSubControlByName(&device, "keyset_layout"))
        editor->SetVisible(false);
}

bool CMainWnd::ChooseProfileFile(bool save, std::string* path) {
    if (!options_.chooseFile)
        return save ? SaveFileDialog(kProfileFilter, GetHWND(), path)
                    : OpenFileDialog(kProfileFilter, GetHWND(), path);
    // A stand-in for the dialogs sees the suggestion where the dialog would start, and
    // its answer gets what the dialog adds.
    const char* home = std::getenv("HOME");
    *path = DialogStart(*path, home != nullptr ? home : "");
    if (!options_.chooseFile(save, path)) return false;
    if (save) *path = WithDefaultSuffix(*path, DefaultSuffix(kProfileFilter));
    return true;
}

}  // namespace vivori::app
