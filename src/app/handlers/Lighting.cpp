// The lighting panel's handlers: every edit takes the current device out of the
// synchronised group, stores the new light parameters, saves, reapplies and writes;
// "deng_same_mode" puts every attached device into the group; the colour palette
// window picks the panel's colour and the mouse's DPI stage colours.
#include <array>
#include <functional>

#include "app/CMainWnd.h"
#include "app/handlers/Handlers.h"
#include "app/windows/CColorSelectWnd.h"
#include "device/SupportedDevices.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "panels/CLightControlUI.h"
#include "panels/ColourText.h"
#include "panels/ModeControls.h"
#include "platform/Debug.h"
#include "profiles/PaletteOptions.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using devices::CQuorvaneUSBDevice;
using panels::CLightControlUI;
using namespace ui;

namespace {

// Mode word, colour word, extra value (the sub-mode index) and colour block.
using LightWords = std::array<uint32_t, 4>;

void SetByte(uint32_t& word, int byte, int value) {
    const int shift = 8 * byte;
    word = (word & ~(0xFFu << shift)) | uint32_t(value & 0xFF) << shift;
}

void SetRgb(LightWords& light, UiColor colour) {
    SetByte(light[1], 0, 0);  // one colour: not colourful
    SetByte(light[1], 1, panels::RedOf(colour));
    SetByte(light[1], 2, panels::GreenOf(colour));
    SetByte(light[1], 3, panels::BlueOf(colour));
}

UiColor ColourOf(const LightWords& light) {
    return panels::OpaqueColour(int(light[1] >> 8 & 0xFF), int(light[1] >> 16 & 0xFF),
                                int(light[1] >> 24 & 0xFF));
}

std::string NameOf(const TNotifyUI& msg) {
    return msg.pSender ? msg.pSender->GetName() : std::string();
}

int SliderValue(const TNotifyUI& msg) {
    auto* slider = dynamic_cast<CProgressUI*>(msg.pSender);
    return slider ? slider->GetValue() : 0;
}

int ComboIndex(const TNotifyUI& msg) {
    auto* combo = dynamic_cast<CComboUI*>(msg.pSender);
    return combo ? combo->GetCurSel() : -1;
}

// The device kinds in the order the group is walked.
constexpr std::initializer_list<uint16_t> kGroupKinds = {kKindKeyboard, kKindMouse, kKindMousePad,
                                                         kKindHeadset};

// Store, save and reapply: what every change does before the panel shows it.
void Store(CQuorvaneUSBDevice& device, const LightWords& light) {
    device.StoreLightEdit(light);
}

using Change = std::function<void(LightWords&, CLightControlUI&)>;
using Shown = std::function<void(CLightControlUI&, const LightWords&)>;

// One edit of the current device's lighting: the device leaves the group, the change
// is stored, saved and reapplied, the panel shows it, and the device is written.
void EditLight(CMainWnd& window, const Change& change, const Shown& shown = {}) {
    CQuorvaneUSBDevice* device = window.CurrentDevice();
    CLightControlUI* panel = device ? device->LightPanel() : nullptr;
    if (panel == nullptr) return;
    // The user's choice wins over another program's: the edit below writes it.
    if (SdkLink* sdk = window.Sdk()) sdk->Release(*device, false);
    device->Commands().SetSyncLighting(false);
    LightWords light = device->GetLightParameters();
    change(light, *panel);
    Store(*device, light);
    window.ReportDamagedFile(device->TakeDamagedLightFile());
    if (shown) shown(*panel, light);
    device->WriteSettings();
    UpdateAudioRecorder(window);
}

// The colour sources: edits, palette, presets and the palette window.
void EditColour(CMainWnd& window, UiColor colour, bool showOnEdits) {
    EditLight(
        window, [colour](LightWords& light, CLightControlUI&) { SetRgb(light, colour); },
        [showOnEdits](CLightControlUI& panel, const LightWords& light) {
            panel.SetColourful(false);
            if (showOnEdits)
                panel.ShowColour(ColourOf(light));
            else
                panel.ShowColourSample(ColourOf(light));
        });
}

void OnModeList(CMainWnd& window, TNotifyUI& msg) {
    const std::string name = NameOf(msg);
    const int index = ComboIndex(msg);
    if (index < 0) return;
    if (EqualNoCase(name, "light_combo_modeSelect")) {
        EditLight(window, [index](LightWords& light, CLightControlUI& panel) {
            SetByte(light[0], 0, index);
            panel.SelectMode(index);
        });
        // The music mode shows the audio settings in place of the colour.
        if (CQuorvaneUSBDevice* device = window.CurrentDevice()) device->ShowAudioLight();
        return;
    }
    CQuorvaneUSBDevice* device = window.CurrentDevice();
    if (device == nullptr || device->LightPanelType() != panels::kLightPanelKeyboard) return;
    if (EqualNoCase(name, "light_combo_ZZCCmodeSelect")) {
        EditLight(window,
                  [index](LightWords& light, CLightControlUI&) { light[2] = uint32_t(index); });
    } else if (EqualNoCase(name, "light_combo_custommodeSelect")) {
        // Storing the slot as the colour block makes the reapply load that slot's colours.
        EditLight(window,
                  [index](LightWords& light, CLightControlUI&) { light[3] = uint32_t(index); });
    }
}

void OnColourTyped(CMainWnd& window, TNotifyUI& msg) {
    const std::string name = NameOf(msg);
    if (name.empty() || msg.pSender == nullptr) return;
    const int byte = std::string_view("RGB").find(char(std::toupper(name.back()))) + 1;
    if (byte < 1 || byte > 3) return;
    const panels::ColourComponent typed = panels::ReadColourComponent(msg.pSender->GetText());
    if (typed.rewrite) msg.pSender->SetText(*typed.rewrite);
    EditLight(
        window,
        [&](LightWords& light, CLightControlUI&) {
            SetByte(light[1], 0, 0);
            SetByte(light[1], byte, typed.value);
        },
        [](CLightControlUI& panel, const LightWords& light) {
            panel.SetColourful(false);
            panel.ShowColourSample(ColourOf(light));
        });
}

// Opens the colour palette window on a colour; the chosen one, or nothing when the
// user cancelled or a palette window is open already.
std::optional<UiColor> PickColour(CMainWnd& window, UiColor initial) {
    HWND& open = window.ChildWindow(CMainWnd::kChildPalette);
    if (open != 0 && IsWindow(open)) return std::nullopt;
    CColorSelectWnd palette(profiles::PaletteFile(profiles::DataFolders::FromEnvironment()),
                            initial, window.Dpi());
    open = palette.CreateFor(window.GetHWND());
    if (open == 0) return std::nullopt;
    if (palette.FileDamaged()) window.ReportDamagedFile(palette.FilePath().string());
    const UINT result = palette.ShowModal();
    open = 0;
    if (result != CColorSelectWnd::kResultColour) return std::nullopt;
    return palette.Colour();
}

// The stage's colour button shows the chosen colour; the mouse stores it in its stage,
// saves the profile and writes the mouse.
void StoreDpiStageColour(CQuorvaneUSBDevice& device, int stage, UiColor colour,
                         CControlUI& button) {
    panels::PaintColourSample(&button, colour);
    if (auto* mouse =
            static_cast<devices::CQuorvaneMouseDevice*>(device.GetInterface("QuorvaneMouseDevice")))
        mouse->OnStageColour(stage, colour);
}

void OnSameMode(CMainWnd& window) {
    CQuorvaneUSBDevice* current = window.CurrentDevice();
    if (current == nullptr) return;
    const LightWords light = current->GetLightParameters();
    const auto kind = lighting::SyncKindOfMode(current->LightPanelType(), int(light[0] & 0xFF));
    if (!kind) return;
    lighting::SyncSettings settings;
    settings.kind = *kind;
    settings.brightness = int(light[0] >> 8 & 0xFF);
    settings.speed = int(light[0] >> 16 & 0xFF);
    settings.direction = int(light[0] >> 24 & 0xFF);
    settings.colourful = (light[1] & 0xFF) != 0;
    settings.colour = {uint8_t(light[1] >> 8), uint8_t(light[1] >> 16), uint8_t(light[1] >> 24)};
    window.SyncLighting().SetSettings(settings);
    for (uint16_t family : kGroupKinds) {
        for (CQuorvaneUSBDevice* device : window.DevicesOfKind({family})) {
            if (!device->Commands().IsOpen()) continue;
            LightWords joined = light;
            SetByte(joined[0], 0, lighting::ModeOfSyncKind(device->LightPanelType(), *kind));
            if (SdkLink* sdk = window.Sdk()) sdk->Release(*device, false);
            device->Commands().SetSyncLighting(true);
            if (CLightControlUI* panel = device->LightPanel())
                panel->SetLightInfo({joined[0], joined[1], joined[2] << 24});
            Store(*device, joined);
            device->WriteSettings();
        }
    }
    UpdateSyncGroup(window);
}

}  // namespace

void UpdateSyncGroup(CMainWnd& window) {
    std::vector<lighting::SyncLightingDriver::Member> members;
    for (CQuorvaneUSBDevice* device : window.DevicesOfKind(kGroupKinds)) {
        members.push_back(
            {[device] { return device->Commands().IsOpen() && device->Commands().SyncLighting(); },
             [device](lighting::LedColour colour) {
                 for (int i = 0; i < device->LedCount(); ++i) device->SetLedColour(i, colour);
             }});
    }
    window.SyncLighting().SetMembers(std::move(members));
}

void AllowSameMode(CMainWnd& window, bool allowed) {
    for (CQuorvaneUSBDevice* device : window.DevicesOfKind(kGroupKinds)) {
        if (!allowed) device->Commands().SetSyncLighting(false);
        if (CLightControlUI* panel = device->LightPanel()) panel->SetSameModeAllowed(allowed);
    }
}

void AddLightingHandlers(CMainWnd& window, HandlerTable& handlers) {
    CMainWnd* w = &window;
    handlers["LightModeList"] = [w](TNotifyUI& msg, int) { OnModeList(*w, msg); };
    handlers["LightBrightness"] = [w](TNotifyUI& msg, int) {
        const int value = SliderValue(msg);
        EditLight(*w, [value](LightWords& light, CLightControlUI& panel) {
            SetByte(light[0], 1, value);
            panel.SetBrightness(value);
        });
    };
    handlers["LightSpeed"] = [w](TNotifyUI& msg, int) {
        const int value = SliderValue(msg);
        EditLight(*w, [value](LightWords& light, CLightControlUI& panel) {
            SetByte(light[0], 2, value);
            panel.SetSpeed(value);
        });
    };
    handlers["LightDirection"] = [w](TNotifyUI& msg, int) {
        const int direction = EqualNoCase(NameOf(msg), "deng_FXL_check") ? 1 : 0;
        EditLight(*w, [direction](LightWords& light, CLightControlUI& panel) {
            panel.SetDirection(direction);
            SetByte(light[0], 3, direction);
        });
    };
    handlers["LightColourful"] = [w](TNotifyUI& msg, int) {
        auto* check = dynamic_cast<COptionUI*>(msg.pSender);
        const bool on = check && check->IsSelected();
        EditLight(*w, [on](LightWords& light, CLightControlUI& panel) {
            SetByte(light[1], 0, on ? 1 : 0);
            panel.SetColourful(on);
        });
    };
    handlers["LightColourTyped"] = [w](TNotifyUI& msg, int) { OnColourTyped(*w, msg); };
    handlers["LightPanelColour"] = [w](TNotifyUI&, int) {
        CQuorvaneUSBDevice* device = w->CurrentDevice();
        CLightControlUI* panel = device ? device->LightPanel() : nullptr;
        if (panel) EditColour(*w, panel->GetPaletteColour(), true);
    };
    handlers["PresetColour"] = [w](TNotifyUI&, int index) {
        CQuorvaneUSBDevice* device = w->CurrentDevice();
        CLightControlUI* panel = device ? device->LightPanel() : nullptr;
        if (panel) EditColour(*w, panel->GetPresetColour(index), true);
    };
    handlers["OpenLightPalette"] = [w](TNotifyUI&, int) {
        CQuorvaneUSBDevice* device = w->CurrentDevice();
        if (device == nullptr) return;
        if (auto colour = PickColour(*w, ColourOf(device->GetLightParameters())))
            EditColour(*w, *colour, true);
    };
    handlers["DpiStageColour"] = [w](TNotifyUI& msg, int index) {
        CQuorvaneUSBDevice* device = w->CurrentDevice();
        if (device == nullptr || msg.pSender == nullptr) return;
        if (auto colour = PickColour(*w, msg.pSender->GetBkColor()))
            StoreDpiStageColour(*device, index, *colour, *msg.pSender);
    };
    handlers["SynchronisedLighting"] = [w](TNotifyUI&, int) { OnSameMode(*w); };
}

}  // namespace vivori::app
