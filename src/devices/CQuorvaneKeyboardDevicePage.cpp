// The keyboard's page and its notifications: what runs on the UI thread to show the
// device object's state, and the reader side that hands codes over to it.

#include <string>

#include "devices/AssignmentLabel.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/DeviceMessages.h"
#include "devices/IDeviceKeyButton.h"
#include "macros/KeyCodeTable.h"
#include "panels/CKeySetControlUI.h"
#include "platform/CaseFold.h"
#include "platform/Debug.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/message/Messages.h"

namespace vivori::devices {
namespace {

// Posted to the device's own window: a notification code (wParam) from a reader.
constexpr ui::UINT kMsgNotificationCode = ui::WM_USER + 1;
// Logical key 110 (the FN key) takes assignments only on the first two pages.
constexpr int kFunctionKey = 110;
constexpr int kOptionCount = 4;
constexpr int kRepeatDelayStepMs = 250;

}  // namespace

void CQuorvaneKeyboardDevice::BuildPage() {
    // Reader threads post here: the window must belong to the UI thread.
    postWindow_.Create();
    // Looked up once: every key label asks it for two or three texts.
    textLabel_ = FindChild("text_test");
    LoadNameLists();
    ui::CControlUI* panel = FindControl(
        [](ui::CControlUI* c) { return c->GetInterface("KeySetControl") ? c : nullptr; },
        ui::kFindAll);
    if (auto* keys =
            panel ? static_cast<panels::CKeySetControlUI*>(panel->GetInterface("KeySetControl"))
                  : nullptr) {
        keys->SetDeviceKind(panels::CKeySetControlUI::kKindKeyboard);
        keys->SetMacroNames(macroNames_);
    }
}

void CQuorvaneKeyboardDevice::ShowTip(int page) {
    CQuorvaneUSBDevice::ShowTip(page);
    if (ui::CControlUI* button = KeyButton(kFunctionKey))
        button->SetEnabled(page == 1 || page == 2);
}

void CQuorvaneKeyboardDevice::SelectKey(int index) {
    auto mark = [this](int key, bool current) {
        ui::CControlUI* button = KeyButton(key);
        if (auto* key = button
                            ? static_cast<IDeviceKeyButton*>(button->GetInterface(kDeviceKeyButton))
                            : nullptr)
            key->SetCurrentKey(current);
    };
    mark(SelectedKey(), false);
    CQuorvaneUSBDevice::SelectKey(index);
    mark(index, true);
}

std::string CQuorvaneKeyboardDevice::Translate(const std::string& key) {
    if (textLabel_ == nullptr) return key;
    textLabel_->SetText(key);
    return textLabel_->GetText();
}

void CQuorvaneKeyboardDevice::RefreshPage() {
    LoadNameLists();
    RefreshKeyLabels();
    ShowLightParameters();
    const LightParameters light = Light();
    SetCurrentColour(light.red, light.green, light.blue);
    ShowSettings();
}

void CQuorvaneKeyboardDevice::RefreshKeyLabels() {
    const TextOf text = [this](std::string_view key) { return Translate(std::string(key)); };
    for (size_t key = 0; key < keys_.size() && key < size_t(KeyCount()); ++key)
        if (auto label = AssignmentLabel(keys_[key].current, text, macroNames_))
            ShowKeyLabel(int(key), *label);
}

void CQuorvaneKeyboardDevice::ShowKeyLabel(int keyIndex, const std::string& label) {
    ui::CControlUI* button = KeyButton(keyIndex);
    if (button == nullptr) return;
    const uint32_t code = KeyIdentityCode(keyIndex);
    const auto row = macros::FindKeyByCode(uint8_t(code >> 16), uint8_t(code >> 8), uint8_t(code));
    const std::string legend =
        row ? Translate(std::string(macros::KeyCodeTable()[*row].nameKey)) : std::string();
    if (auto* key = static_cast<IDeviceKeyButton*>(button->GetInterface(kDeviceKeyButton))) {
        key->SetToolTipTitle(legend);
        key->SetDefaultAssignment(EqualIgnoringCase(legend, label));
    }
    button->SetToolTip(legend + Translate("Key_Set") + label);
}

void CQuorvaneKeyboardDevice::ShowSettings() {
    auto select = [this](const std::string& name, bool on) {
        if (auto* option = dynamic_cast<ui::COptionUI*>(FindChild(name)))
            option->Selected(on, false);
    };
    select("wflag_option", system_.wFlag != 0);
    select("6flag_option", system_.key6Flag != 0);
    select("winlockflag_option", system_.winFlag != 0);
    for (int n = 0; n < kOptionCount; ++n) {
        select("polling_rate_option_" + std::to_string(n), system_.pollingRate == n);
        select("repeat_delay_check_" + std::to_string(n), system_.repeatDelay == n);
    }
    if (auto* slider = dynamic_cast<ui::CProgressUI*>(FindChild("repeat_rate_slider")))
        slider->SetValue(system_.repeat);
    if (ui::CControlUI* label = FindChild("repeat_delay_time_label1"))
        label->SetText(
            Translate("Repeat_Delay_Time") +
            std::to_string(system_.repeatDelay * kRepeatDelayStepMs + kRepeatDelayStepMs) + "ms");
}

void CQuorvaneKeyboardDevice::OnNotificationReport(const std::vector<HidDataItem>& items,
                                                   bool receiverWay) {
    const std::optional<uint16_t> code = NotificationButtonCode(items);
    if (!code) return;
    DebugOutput("接收到自动添加设备的同步信息要求  TEST");
    if (const auto key = lighting::KeySlotEventOfNotification(*code)) {
        // Key presses only feed the key-reactive effects: no page, no commands.
        CriticalSectionLock lock(lightLock_);
        engine_.OnKeySlotEvent(key->slot, key->action, locations_.slot);
        return;
    }
    // Everything the code asks for touches the page or the commands: the UI thread does it.
    postWindow_.Post(kMsgNotificationCode, *code, receiverWay ? 1 : 0);
}

void CQuorvaneKeyboardDevice::HandleWindowMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) {
    (void)l;
    if (msg == kMsgNotificationCode) {
        OnNotificationCode(static_cast<uint16_t>(w));
    } else if (msg == ui::WM_TIMER && w == kSyncTimer) {
        ui::KillTimer(postWindow_.Handle(), kSyncTimer);
        SyncFromDevice();
    }
}

void CQuorvaneKeyboardDevice::OnNotificationCode(uint16_t code) {
    if (code == kCodeSync || code == kCodeProfileSwitched) {
        DebugOutput("接收到自动添加设备的同步信息要求");
        lastSyncCode_ = code;
        if (code == kCodeProfileSwitched) reloadProfilePending_ = true;
        // Several requests in a row make one re-read.
        ui::SetTimer(postWindow_.Handle(), kSyncTimer, kSyncDelayMs);
        return;
    }
    if (code <= kCodeProfileSwitched || code == kCodeIgnored || !commands_.IsOpen()) return;
    const int high = code >> 8;
    if (high != 0x10 && high != 0x11) return;  // key presses and the rest: not ours
    {
        CriticalSectionLock lock(lightLock_);
        lightSlot_ = code & 0x0F;
        if (high == 0x11) lightBlock_[light_byte::kSecondary] = (code >> 4) & 0x0F;
    }
    RefreshPage();
}

}  // namespace vivori::devices
