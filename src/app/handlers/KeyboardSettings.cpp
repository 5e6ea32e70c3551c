#include "app/handlers/KeyboardSettings.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>

#include "app/CMainWnd.h"
#include "app/NotifyRoutes.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/IDeviceKeyButton.h"
#include "platform/Debug.h"
#include "platform/Process.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CSliderUI.h"

namespace vivori::app {
namespace {

using devices::CQuorvaneKeyboardDevice;
using ui::TNotifyUI;

constexpr int kOptionCount = 4;  // polling rates and repeat delays

CQuorvaneKeyboardDevice* CurrentKeyboard(const CMainWnd& window) {
    devices::CQuorvaneUSBDevice* device = window.CurrentDevice();
    return device ? static_cast<CQuorvaneKeyboardDevice*>(
                        device->GetInterface("QuorvaneKeyboardDevice"))
                  : nullptr;
}

bool SenderSelected(const TNotifyUI& msg) {
    auto* option =
        msg.pSender ? static_cast<ui::COptionUI*>(msg.pSender->GetInterface("Option")) : nullptr;
    return option != nullptr && option->IsSelected();
}

// The logical keys of the selection panel's buttons that the last drag covered.
std::vector<int> KeysInSelection(ui::CControlUI* panel) {
    auto* container =
        panel ? static_cast<ui::CContainerUI*>(panel->GetInterface("Container")) : nullptr;
    std::set<int> keys;
    for (int i = 0; container && i < container->GetCount(); ++i) {
        ui::CControlUI* child = container->GetItemAt(i);
        auto* button = child ? static_cast<devices::IDeviceKeyButton*>(
                                   child->GetInterface(devices::kDeviceKeyButton))
                             : nullptr;
        if (button == nullptr || !button->InSelection()) continue;
        const auto split = SplitIndexedName(child->GetName());
        if (split && (split->prefix == "key_" || split->prefix == "light_"))
            keys.insert(split->index);
    }
    return {keys.begin(), keys.end()};
}

// A settings change of the current keyboard: the handler edits a copy of its
// settings, and the keyboard takes it over (fields, profile, file, device).
template <typename Edit>
NotifyHandler ChangeSettings(CMainWnd& window, Edit edit) {
    return [&window, edit](TNotifyUI& msg, int index) {
        CQuorvaneKeyboardDevice* keyboard = CurrentKeyboard(window);
        if (keyboard == nullptr) return;
        profiles::KeyboardSystemStages stages = keyboard->SystemSettings();
        if (edit(msg, index, stages)) keyboard->ChangeSystemSettings(stages);
    };
}

NotifyHandler Paint(CMainWnd& window, CQuorvaneKeyboardDevice::PaintTool tool) {
    return [&window, tool](TNotifyUI&, int) {
        CQuorvaneKeyboardDevice* keyboard = CurrentKeyboard(window);
        if (keyboard == nullptr) return;
        keyboard->SetPaintTool(tool);
        // Keys already selected take the new paint at once.
        keyboard->PaintKeys(KeysInSelection(
            window.PaintManager().FindSubControlByName(keyboard, "device_key_light")));
    };
}

void FactoryReset(CMainWnd& window) {
    devices::CQuorvaneUSBDevice* device = window.CurrentDevice();
    if (device == nullptr) return;
    if (window.Ask("message_text_22", true) != 1) return;
    device->ReloadDefaults();
    // The defaults go to the device as a whole: settings, then the macros and the key
    // table that plays them.
    device->WriteSettings();
    window.WriteMacrosAndKeys(*device);
    if (CQuorvaneKeyboardDevice* keyboard = CurrentKeyboard(window)) keyboard->WriteKeyColours();
}

void OpenDesktopInputSettings(CMainWnd& window, int which) {
    if (which != 0 && which != 1) return;
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const auto command = DesktopInputSettingsCommand(which, desktop ? desktop : "", FindProgram);
    if (command && StartDetached(*command)) return;
    DebugPrintf("desktop input settings not started (%s)",
                command ? command->front().c_str() : "none installed");
    window.Ask("input_settings_missing_text");
}

}  // namespace

std::optional<std::vector<std::string>> DesktopInputSettingsCommand(
    int which, std::string_view currentDesktop,
    const std::function<std::optional<std::string>(std::string_view program)>& find) {
    struct Desktop {
        std::string_view name;                                    // as XDG_CURRENT_DESKTOP names it
        std::array<std::array<std::string_view, 2>, 2> commands;  // keyboard, mouse
    };
    static constexpr std::array<Desktop, 3> kDesktops = {{
        {"GNOME", {{{"gnome-control-center", "keyboard"}, {"gnome-control-center", "mouse"}}}},
        {"KDE", {{{"systemsettings", "kcm_keyboard"}, {"systemsettings", "kcm_mouse"}}}},
        {"XFCE", {{{"xfce4-keyboard-settings", ""}, {"xfce4-mouse-settings", ""}}}},
    }};
    if (which != 0 && which != 1) return std::nullopt;
    auto current = [&](const Desktop& desktop) {
        size_t start = 0;
        while (start <= currentDesktop.size()) {
            size_t end = currentDesktop.find(':', start);
            if (end == std::string_view::npos) end = currentDesktop.size();
            if (ui::EqualNoCase(currentDesktop.substr(start, end - start), desktop.name))
                return true;
            start = end + 1;
        }
        return false;
    };
    std::vector<const Desktop*> order;
    for (const Desktop& desktop : kDesktops)
        if (current(desktop)) order.push_back(&desktop);
    for (const Desktop& desktop : kDesktops)
        if (!current(desktop)) order.push_back(&desktop);
    for (const Desktop* desktop : order) {
        const auto& [program, argument] = desktop->commands[size_t(which)];
        if (auto path = find(program)) {
            std::vector<std::string> command = {*path};
            if (!argument.empty()) command.emplace_back(argument);
            return command;
        }
    }
    return std::nullopt;
}

void AddKeyboardSettingsHandlers(CMainWnd& window, HandlerTable& handlers) {
    using Stages = profiles::KeyboardSystemStages;
    handlers["KeyRepeatRate"] = ChangeSettings(window, [](TNotifyUI& msg, int, Stages& s) {
        auto* slider = static_cast<ui::CSliderUI*>(msg.pSender->GetInterface("Slider"));
        if (slider == nullptr) return false;
        s.repeat = static_cast<uint16_t>(std::max(0, slider->GetValue()));
        return true;
    });
    handlers["KeyRepeatDelay"] = ChangeSettings(window, [](TNotifyUI& msg, int n, Stages& s) {
        // The option group also reports the option that was left.
        if (!SenderSelected(msg) || n < 0 || n >= kOptionCount) return false;
        s.repeatDelay = static_cast<uint16_t>(n);
        return true;
    });
    handlers["KeyboardLockFlag"] = ChangeSettings(window, [](TNotifyUI& msg, int, Stages& s) {
        const std::string name = msg.pSender->GetName();
        const uint16_t on = SenderSelected(msg) ? 1 : 0;
        if (ui::EqualNoCase(name, "winlockflag_option"))
            s.winFlag = on;
        else if (ui::EqualNoCase(name, "wflag_option"))
            s.wFlag = on;
        else if (ui::EqualNoCase(name, "6flag_option"))
            s.key6Flag = on;
        else
            return false;
        return true;
    });
    const NotifyHandler keyboardRate = ChangeSettings(window, [](TNotifyUI& msg, int n, Stages& s) {
        if (!SenderSelected(msg) || n < 0 || n >= kOptionCount) return false;
        s.pollingRate = static_cast<uint16_t>(n);
        return true;
    });
    // The mouse page binds the same route first; the keyboard takes its own clicks only.
    auto mouseRate = handlers.count("ReportRate") != 0 ? handlers["ReportRate"] : nullptr;
    handlers["ReportRate"] = [&window, keyboardRate, mouseRate](TNotifyUI& msg, int n) {
        if (CurrentKeyboard(window) != nullptr) return keyboardRate(msg, n);
        if (mouseRate) return mouseRate(msg, n);
        window.Pending("MouseReportRate");
    };
    handlers["ResetKeyRepeat"] = [&window](TNotifyUI&, int) {
        if (CQuorvaneKeyboardDevice* keyboard = CurrentKeyboard(window)) keyboard->ResetKeyRepeat();
    };
    handlers["FactoryReset"] = [&window](TNotifyUI&, int) { FactoryReset(window); };
    handlers["CustomPaintLit"] = Paint(window, CQuorvaneKeyboardDevice::PaintTool::Lit);
    handlers["CustomPaintOff"] = Paint(window, CQuorvaneKeyboardDevice::PaintTool::Off);
    handlers["KeyLightSelection"] = [&window](TNotifyUI& msg, int) {
        if (CQuorvaneKeyboardDevice* keyboard = CurrentKeyboard(window))
            keyboard->PaintKeys(KeysInSelection(msg.pSender));
    };
    // The key-assignment panel binds the same route first and fills in the chosen key.
    auto assign = handlers.count("KeyButtonClicked") != 0 ? handlers["KeyButtonClicked"] : nullptr;
    handlers["KeyButtonClicked"] = [&window, assign](TNotifyUI& msg, int n) {
        if (devices::CQuorvaneUSBDevice* device = window.CurrentDevice()) device->SelectKey(n);
        if (assign) assign(msg, n);
    };
    handlers["SystemInputSettings"] = [&window](TNotifyUI&, int n) {
        OpenDesktopInputSettings(window, n);
    };
}

}  // namespace vivori::app
