// The main window's handlers for key assignment: choosing a key or button, the
// assignment panel's lists and fields, and saving assignments to the profile and the
// device. The panel builds the code; the device keeps it and writes it.

#include "app/CMainWnd.h"
#include "app/windows/CMsgWnd.h"
#include "device/SupportedDevices.h"
#include "input/HookTypes.h"
#include "macros/KeyCodeTable.h"
#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "panels/CKeySetControlUI.h"
#include "platform/Debug.h"
#include "ui/core/CResourceManager.h"

namespace vivori::app {

using devices::CQuorvaneUSBDevice;
using panels::CKeySetControlUI;
using ui::TNotifyUI;

namespace {

constexpr int kKeyPage = 2;
constexpr uint32_t kExtendedKey = 0x01;  // the hook record's extended-key flag

CKeySetControlUI* PanelOf(CQuorvaneUSBDevice* device) {
    if (device == nullptr) return nullptr;
    ui::CControlUI* panel = device->FindControl(
        [](ui::CControlUI* c) { return c->GetInterface("KeySetControl") ? c : nullptr; },
        ui::kFindAll);
    return panel ? static_cast<CKeySetControlUI*>(panel->GetInterface("KeySetControl")) : nullptr;
}

std::vector<std::string> MacroNames(const CQuorvaneUSBDevice& device) {
    std::vector<std::string> names;
    for (const auto& entry : macros::MacroLibrary(device.DataFolder()).List())
        names.push_back(entry.name);
    return names;
}

}  // namespace

void CMainWnd::ShowMessageText(std::string_view key, int value) {
    lastMessageText_ = std::string(key);
    std::string text = value != kNoMessageValue
                           ? CMsgWnd::FormatText(key, value)
                           : ui::CResourceManager::GetInstance().GetText(key).value_or(std::string(key));
    lastMessage_ = text;
    DebugOutput(text);
    CMsgWnd::ShowMessage(GetHWND(), "", text, dpi_, false, MsgButtons::Confirm);
}

void CMainWnd::BindKeyHandlers() {
    auto current = [this]() -> std::pair<CQuorvaneUSBDevice*, CKeySetControlUI*> {
        CQuorvaneUSBDevice* device = CurrentDevice();
        return {device, PanelOf(device)};
    };
    // The panel's key into the device: its list, the profile file, the key labels.
    auto save = [this, current] {
        auto [device, panel] = current();
        if (device == nullptr || panel == nullptr || !panel->HasKey()) return;
        std::vector<profiles::KeyListEntry> keys = device->KeyAssignments();
        const profiles::KeyListEntry entry = panel->BuildAssignment();
        if (entry.current.keyIndex >= keys.size()) return;
        keys[entry.current.keyIndex].current = entry.current;
        device->SetKeyAssignments(std::move(keys));
        device->SaveProfile();
        device->RefreshPage();
        ShowPageNote("saved_note_text");
    };
    // The macros the keys use, then the key table; the profile is saved.
    auto writeToDevice = [this, current] {
        auto [device, panel] = current();
        if (device == nullptr) return;
        // Macros too large stop here; otherwise the profile is saved whatever the device did.
        WriteMacrosAndKeys(*device, nullptr, [this, device](const devices::KeysAndMacrosResult& written) {
            if (written.macros.eventsTooMany > 0) return;
            device->SaveProfile();
            // A failure has been told by a message; only what arrived is confirmed.
            if (written.Result() == CMD_OK && written.macroListProblem.empty() &&
                device->Commands().IsOpen())
                NoteWritten(*device);
        });
    };
    handlers_["KeyButtonClicked"] = [this, current](TNotifyUI&, int index) {
        auto [device, panel] = current();
        if (device == nullptr || index < 0) return;
        const bool mouse = device->DeviceKind() == kKindMouse;
        if (!mouse && device->GetFunctionPage() != kKeyPage) return;
        const std::vector<profiles::KeyListEntry> keys = device->KeyAssignments();
        if (size_t(index) >= keys.size()) return;
        if (mouse && macros::IsLastLeftButton(keys, size_t(index))) {
            ShowMessageText("message_text_6");
            return;
        }
        device->SelectKey(index);
        if (panel == nullptr) return;
        panel->SetDeviceKind(mouse ? CKeySetControlUI::kKindMouse
                                   : CKeySetControlUI::kKindKeyboard);
        panel->SetMacroNames(MacroNames(*device));
        panel->ShowKey(keys[size_t(index)]);
    };
    handlers_["KeyAssignmentSave"] = [save](TNotifyUI&, int) { save(); };
    handlers_["KeyAssignmentDefault"] = [current, save, writeToDevice](TNotifyUI&, int) {
        auto [device, panel] = current();
        if (panel == nullptr) return;
        panel->RestoreDefault();
        save();
        writeToDevice();
    };
    handlers_["KeyAssignmentCancel"] = [current](TNotifyUI&, int) {
        if (CKeySetControlUI* panel = current().second) panel->Cancel();
    };
    handlers_["KeyAssignmentSaveToProfile"] = [writeToDevice](TNotifyUI&, int) { writeToDevice(); };
    handlers_["KeyFunctionType"] = [current](TNotifyUI&, int) {
        if (CKeySetControlUI* panel = current().second) panel->OnCategoryChosen();
    };
    handlers_["MacroEndMode"] = [current](TNotifyUI&, int) {
        if (CKeySetControlUI* panel = current().second) panel->OnPlayModeChosen();
    };
    // The single-key capture while the key field has the focus: each key pressed is
    // taken into the panel and the assignment handed to the device at once.
    hookHandlers_["WM_HOOK_KEY_SINGLEKEY_MSG"] = [current, save](ui::WPARAM wParam,
                                                                 ui::LPARAM lParam) {
        if (lParam == 0 || !input::IsKeyDownMessage(uint32_t(wParam))) return;
        const auto& record = *reinterpret_cast<const input::KeyHookRecord*>(lParam);
        const auto row =
            macros::FindKeyByScanCode(uint8_t(record.scanCode), (record.flags & kExtendedKey) != 0);
        CKeySetControlUI* panel = current().second;
        if (!row || panel == nullptr || !panel->HasKey() || !panel->CaptureKey(*row)) return;
        save();
    };
    handlers_["KeyComboModifier"] = [save](TNotifyUI& msg, int) {
        auto* option = static_cast<ui::COptionUI*>(msg.pSender->GetInterface("Option"));
        if (option == nullptr || option->IsSelected()) save();
    };
}

}  // namespace vivori::app
