// The main window's macro editor handlers: recording and editing through the input
// hook, the macro list and file operations, and the upload after a save.

#include <algorithm>
#include <filesystem>

#include "app/CMainWnd.h"
#include "app/windows/CMsgWnd.h"
#include "device/SupportedDevices.h"
#include "macros/MacroAssignments.h"
#include "panels/CMacroControlUI.h"
#include "platform/Debug.h"
#include "ui/core/CListUI.h"
#include "ui/core/CMenuWnd.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"
#include "ui/qt/FileDialogs.h"
#include "ui/qt/GuiApplication.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::app {

using macros::InsertPosition;
using macros::TimingMode;
using panels::CMacroControlUI;
using namespace ui;

namespace {

constexpr const char* kMacroFilter = "Macro Files(*.mac)|*.mac;|";
constexpr const char* kActionMenu = "XML/Menus/macro_action_menu.xml";

struct RecordItem {
    std::string_view name;
    TimingMode timing;
    int hookMode;
};
constexpr RecordItem kRecordItems[] = {
    {"redio_previous_record_time", TimingMode::RealTime, input::kHookMacroBefore},
    {"redio_previous_constant_time", TimingMode::Constant, input::kHookMacroBefore},
    {"redio_previous_ignore_time", TimingMode::NoTime, input::kHookMacroBefore},
    {"redio_later_record_time", TimingMode::RealTime, input::kHookMacroAfter},
    {"redio_later_constant_time", TimingMode::Constant, input::kHookMacroAfter},
    {"redio_later_ignore_time", TimingMode::NoTime, input::kHookMacroAfter},
    {"macro_action_edit", TimingMode::NoTime, input::kHookMacroReplace},
};

// Menu items that insert mouse actions: the button, its down message, and the variant
// that tells the extra buttons apart (0 forward, 1 back).
struct ButtonItem {
    std::string_view button;
    std::uint32_t downMessage;
    int variant;
};
constexpr ButtonItem kButtonItems[] = {
    {"left", input::kLeftDown, 0},   {"middle", input::kMiddleDown, 0},
    {"right", input::kRightDown, 0}, {"forward", input::kExtraDown, 0},
    {"back", input::kExtraDown, 1},
};

struct HookRoute {
    std::string_view message;
    InsertPosition position;
    bool keyboard;
    bool replace;
};
constexpr HookRoute kHookRoutes[] = {
    {"WM_HOOK_KEY_KBMACRO_MSG", InsertPosition::End, true, false},
    {"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", InsertPosition::Before, true, false},
    {"WM_HOOK_KEY_KBMACROLATER_MSG", InsertPosition::After, true, false},
    {"WM_HOOK_KEY_KBMACROSINGLE_MSG", InsertPosition::End, true, true},
    {"WM_HOOK_KEY_MSMACRO_MSG", InsertPosition::End, false, false},
    {"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", InsertPosition::Before, false, false},
    {"WM_HOOK_KEY_MSMACROLATER_MSG", InsertPosition::After, false, false},
    {"WM_HOOK_KEY_MSMACROSINGLE_MSG", InsertPosition::End, false, true},
};

}  // namespace

CMacroControlUI* CMainWnd::MacroPanel() {
    devices::CQuorvaneUSBDevice* device = CurrentDevice();
    if (device == nullptr) return nullptr;
    CControlUI* found = pm_.FindSubControlByName(device, "MacroControlItem");
    auto* panel =
        found ? static_cast<CMacroControlUI*>(found->GetInterface(CMacroControlUI::kInterface))
              : nullptr;
    if (panel != nullptr && !panel->HasFolder()) panel->SetDeviceFolder(device->DataFolder());
    return panel;
}

bool CMainWnd::InsideStopButton(const input::MouseHookRecord& record) {
    CMacroControlUI* panel = MacroPanel();
    CControlUI* stop = panel ? panel->Find("macro_btn_stopredio") : nullptr;
    if (stop == nullptr || !stop->IsVisible()) return false;
    pm_.LayoutIfNeeded();
    UiPoint point{record.x, record.y};
    // The hook gives screen coordinates; the controls are laid out in window units.
    if (host_ != nullptr) {
        const UiRect window = host_->GetRect();
        const double scale = WindowScale(pm_);
        point = {static_cast<int>((record.x - window.left) / scale),
                 static_cast<int>((record.y - window.top) / scale)};
    }
    return stop->GetPos().Contains(point);
}

void CMainWnd::StartMacroRecording(TimingMode timing, int hookMode) {
    CMacroControlUI* panel = MacroPanel();
    if (panel == nullptr || panel->Recording()) return;
    if (panel->GetSelectedMacro() < 0) {
        panel->ShowNote("macro_none_selected_text");
        return;
    }
    panel->StartRecording(timing);
    selectorEnabled_ = false;
    if (CControlUI* layout = pm_.FindControl("device_select_layout")) layout->SetEnabled(false);
    if (!deviceHook_.Install(hookMode, GetHWND(), true, true)) {
        // Nothing can be recorded: say so instead of waiting for keys that never come.
        StopMacroRecording(false);
        panel->ShowNote("macro_capture_failed_text");
        return;
    }
    const std::string notice = deviceHook_.Backend().TakeNotice();
    if (!notice.empty()) panel->ShowNote(notice);
}

void CMainWnd::EndRecordingOnLeave() {
    CMacroControlUI* panel = MacroPanel();
    if (panel != nullptr && panel->Recording()) StopMacroRecording(true);
}

void CMainWnd::StopMacroRecording(bool save) {
    CMacroControlUI* panel = MacroPanel();
    deviceHook_.Uninstall();
    selectorEnabled_ = true;
    if (CControlUI* layout = pm_.FindControl("device_select_layout")) layout->SetEnabled(true);
    if (panel == nullptr || !panel->Recording()) return;
    panel->StopRecording();
    if (save) SaveMacroAndUpload();
    panel->LoadMacroList();
}

void CMainWnd::WriteMacrosAndKeys(devices::CQuorvaneUSBDevice& device, CMacroControlUI* panel,
                                  std::function<void(const devices::KeysAndMacrosResult&)> then) {
    // The upload runs on the device's own thread; the editor says so until it ends.
    if (panel != nullptr) panel->ShowNote("setting_progress_text");
    device.QueueKeysAndMacros([this, &device, panel, then = std::move(then)](
                                  const devices::KeysAndMacrosResult& written) {
        TellKeysAndMacros(device, panel, written);
        if (then) then(written);
    });
}

void CMainWnd::TellKeysAndMacros(devices::CQuorvaneUSBDevice& device, CMacroControlUI* panel,
                                 const devices::KeysAndMacrosResult& written) {
    auto tell = [&](std::string_view key, const std::string& detail = {}) {
        if (panel != nullptr) {
            std::string text = CResourceManager::GetInstance().ResolveText(key);
            if (!detail.empty()) text.append(" ").append(detail);
            panel->ShowNote(text);
        } else {
            lastMessageText_ = std::string(key);
            Ask(key, false, detail);
        }
    };
    if (!written.macroListProblem.empty()) {
        tell("macro_list_unreadable_text");
    } else if (written.macros.linkDown) {
        ShowMessageText("message_text_7");
        if (panel != nullptr) panel->ShowNote("macro_upload_failed_text");
    } else if (written.macros.eventsTooMany > 0) {
        ShowMessageText("message_text_16", written.macros.eventsTooMany);
        if (panel != nullptr) panel->ShowNote("macro_upload_failed_text");
    } else if (!written.macros.unreadable.empty()) {
        tell("macro_file_unreadable_text", written.macros.unreadable);
    } else if (!device.Commands().IsOpen()) {
        // Nothing to tell outside the editor: the device is simply not there.
        if (panel != nullptr) panel->ShowNote("macro_saved_offline_text");
    } else if (written.Result() != CMD_OK) {
        tell("macro_upload_failed_text");
    } else if (panel != nullptr) {
        panel->ShowNote("macro_uploaded_text");
    }
}

void CMainWnd::SaveMacroAndUpload() {
    CMacroControlUI* panel = MacroPanel();
    devices::CQuorvaneUSBDevice* device = CurrentDevice();
    if (panel == nullptr || device == nullptr) return;
    if (!panel->SaveMacro()) {
        panel->ShowNote(panel->GetSelectedMacro() < 0 ? "macro_none_selected_text"
                                                      : "macro_save_failed_text");
        return;
    }
    // Only a macro a key plays is on the device; others need no upload.
    const int index = panel->GetSelectedMacro();
    const std::vector<int> used = device->CollectUsedMacros();
    if (std::find(used.begin(), used.end(), index) == used.end()) {
        panel->ShowNote("macro_saved_text");
        return;
    }
    // The image numbers macros by first use: the key table is written with it.
    WriteMacrosAndKeys(*device, panel);
}

void CMainWnd::DeleteSelectedMacro() {
    CMacroControlUI* panel = MacroPanel();
    devices::CQuorvaneUSBDevice* device = CurrentDevice();
    if (panel == nullptr || device == nullptr || panel->Library() == nullptr) return;
    const int index = panel->GetSelectedMacro();
    if (index < 0) return;
    const auto position = static_cast<size_t>(index);
    // Every question comes before the first file changes, so "no" leaves all as it was.
    const macros::MacroDeletionPlan plan =
        macros::PlanMacroDeletion(device->Folders(), device->DataFolderName(), position);
    // Other profiles are named only when their keys do play the macro.
    std::string usedIn;
    if (!plan.otherProfilesUsingMacro.empty()) {
        usedIn = CResourceManager::GetInstance().ResolveText("macro_used_in_profiles_text");
        for (size_t i = 0; i < plan.otherProfilesUsingMacro.size(); ++i)
            usedIn.append(i == 0 ? " " : ", ").append(plan.otherProfilesUsingMacro[i]);
    }
    if (Ask("message_text_4", true, usedIn) != 1) return;
    if (plan.selectedProfileUsesMacro && !Ask("message_text_2", true)) return;
    const macros::MacroResult deleted = macros::DeleteMacroWithRepair(
        *panel->Library(), device->Folders(), device->DataFolderName(), plan, position);
    if (!deleted) {
        panel->ShowNote(CMacroControlUI::NoteOf(deleted));
        return;
    }
    panel->MacroDeleted();
    // The current profile's keys may have changed on disk: the device takes them over.
    device->LoadProfile();
    device->DropDeletedMacros();
    device->RefreshPage();
    if (device->Commands().IsOpen() && !plan.profilesToRepair.empty()) WriteMacrosAndKeys(*device);
}

void CMainWnd::MacroFileOperation(std::string_view name) {
    CMacroControlUI* panel = MacroPanel();
    devices::CQuorvaneUSBDevice* device = CurrentDevice();
    if (panel == nullptr || device == nullptr) return;
    if (EqualNoCase(name, "macro_btn_name_add")) {
        if (!panel->AddMacro().empty()) device->LoadNameLists();
    } else if (EqualNoCase(name, "macro_btn_name_sub")) {
        DeleteSelectedMacro();
    } else if (EqualNoCase(name, "macro_btn_name_edit")) {
        switch (panel->RenameMacro()) {
            case CMacroControlUI::RenameResult::Renamed:
                device->RefreshPage();  // key labels show macro names
                break;
            case CMacroControlUI::RenameResult::Duplicate:
                Ask("message_text_5", false);
                break;
            default:
                break;
        }
    } else if (EqualNoCase(name, "macro_btn_save")) {
        SaveMacroAndUpload();
    } else if (EqualNoCase(name, "macro_btn_cancel")) {
        panel->LoadEvents();
    } else if (EqualNoCase(name, "macro_btn_export")) {
        std::string path;
        if (panel->GetSelectedMacro() < 0 || !SaveFileDialog(kMacroFilter, GetHWND(), &path) ||
            path.empty())
            return;
        // The dialog asked before replacing a file.
        if (auto exported = panel->ExportMacro(path, true); !exported)
            panel->ShowNote(exported.message);
    } else if (EqualNoCase(name, "macro_btn_import")) {
        std::string path;
        if (!OpenFileDialog(kMacroFilter, GetHWND(), &path) || path.empty()) return;
        panel->ImportMacro(path);  // its hint line says how it went
        device->LoadNameLists();
    }
}

void CMainWnd::MacroActionEdit(std::string_view name) {
    CMacroControlUI* panel = MacroPanel();
    if (panel == nullptr) return;
    bool changed = true;
    if (EqualNoCase(name, "macro_btn_up"))
        changed = panel->MoveEventUp();
    else if (EqualNoCase(name, "macro_btn_down"))
        changed = panel->MoveEventDown();
    else if (EqualNoCase(name, "macro_btn_uptop"))
        changed = panel->MoveEventToTop();
    else if (EqualNoCase(name, "macro_btn_downbottom"))
        changed = panel->MoveEventToBottom();
    else if (EqualNoCase(name, "macro_btn_delete"))
        changed = panel->DeleteEvent();
    else if (EqualNoCase(name, "macro_btn_deleteall"))
        panel->DeleteAllEvents();
    if (changed) SaveMacroAndUpload();
    panel->LoadMacroList();
}

bool CMainWnd::OnMacroMenuCommand(std::string_view name) {
    for (const RecordItem& item : kRecordItems)
        if (EqualNoCase(name, item.name)) {
            StartMacroRecording(item.timing, item.hookMode);
            return true;
        }
    CMacroControlUI* panel = MacroPanel();
    for (const ButtonItem& item : kButtonItems) {
        const std::string prefix = std::string(item.button) + "_";
        if (name.size() <= prefix.size() || !EqualNoCase(name.substr(0, prefix.size()), prefix))
            continue;
        const std::string_view action = name.substr(prefix.size());
        const bool down = EqualNoCase(action, "down") || EqualNoCase(action, "click");
        const bool up = EqualNoCase(action, "up") || EqualNoCase(action, "click");
        if (!down && !up) return false;
        if (panel == nullptr) return true;
        if (down) panel->InsertMouseAction(item.downMessage, item.variant);
        if (up) panel->InsertMouseAction(item.downMessage + 1, item.variant);
        SaveMacroAndUpload();
        return true;
    }
    return false;
}

void CMainWnd::OpenMacroActionMenu() {
    if (menu_ != 0 && IsWindow(menu_)) SendMessage(menu_, WM_CLOSE, 0, 0);
    menu_ = 0;
    auto* menu = new CMenuWnd;
    if (menu->Init(GetHWND(), kActionMenu, GetCursorPos(),
                   eMenuAlignment_Left | eMenuAlignment_Top, dpi_)) menu_ = menu->GetHWND();
}

void CMainWnd::BindMacroHandlers() {
    handlers_["MacroRecordStart"] = [this](TNotifyUI&, int) {
        CMacroControlUI* panel = MacroPanel();
        if (panel == nullptr) return;
        StartMacroRecording(panel->UsesConstantTime() ? TimingMode::Constant : TimingMode::RealTime,
                            input::kHookMacroEnd);
    };
    handlers_["MacroRecordStop"] = [this](TNotifyUI&, int) { StopMacroRecording(true); };
    handlers_["MacroFileOperation"] = [this](TNotifyUI& msg, int) {
        if (msg.pSender) MacroFileOperation(msg.pSender->GetName());
    };
    handlers_["MacroActionEdit"] = [this](TNotifyUI& msg, int) {
        if (msg.pSender) MacroActionEdit(msg.pSender->GetName());
    };
    handlers_["MacroInsertMove"] = [this](TNotifyUI& msg, int) {
        CMacroControlUI* panel = MacroPanel();
        if (panel == nullptr || msg.pSender == nullptr) return;
        constexpr std::string_view kMoves[] = {
            "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
            "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"};
        for (int variant = 0; variant < 4; ++variant)
            if (msg.pSender->GetName() == kMoves[variant]) {
                panel->InsertMouseAction(0x200, variant);
                SaveMacroAndUpload();
            }
    };
    handlers_["MacroChosen"] = [this](TNotifyUI&, int) {
        CMacroControlUI* panel = MacroPanel();
        if (panel && !panel->Recording()) panel->SelectMacro(panel->GetSelectedMacro());
    };
    handlers_["MacroDelayTyped"] = [this](TNotifyUI& msg, int) {
        CMacroControlUI* panel = MacroPanel();
        if (panel == nullptr) return;
        panel->DelayTyped(msg.pSender);
        SaveMacroAndUpload();
    };
    handlers_["EditMacroAction"] = [this](TNotifyUI&, int) {
        CMacroControlUI* panel = MacroPanel();
        if (panel && !panel->Recording()) OpenMacroActionMenu();
    };

    for (const HookRoute& route : kHookRoutes) {
        hookHandlers_[route.message] = [this, route](WPARAM wParam, LPARAM lParam) {
            CMacroControlUI* panel = MacroPanel();
            if (panel == nullptr || !panel->Recording() || lParam == 0) return;
            const bool replacing = deviceHook_.Mode() == input::kHookMacroReplace;
            if (route.replace != replacing) return;
            const auto message = static_cast<std::uint32_t>(wParam);
            if (route.keyboard) {
                const auto& record = *reinterpret_cast<const input::KeyHookRecord*>(lParam);
                if (route.replace)
                    panel->ReplaceKeyEvent(message, record);
                else
                    panel->AddKeyEvent(message, record, route.position);
            } else {
                const auto& record = *reinterpret_cast<const input::MouseHookRecord*>(lParam);
                if (route.replace)
                    panel->ReplaceMouseEvent(message, record, InsideStopButton(record));
                else
                    panel->AddMouseEvent(message, record, route.position, InsideStopButton(record));
            }
        };
    }
}

}  // namespace vivori::app
