#include "app/CMainWnd.h"

#include <algorithm>
#include <cstring>

#include "app/AppMessages.h"
#include "app/ScreenRules.h"
#include "app/windows/CSkinFrame.h"
#include "device/SupportedDevices.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/DeviceMessages.h"
#include "devices/DevicePageTables.h"
#include "platform/Debug.h"
#include "platform/Time.h"
#include "profiles/LightNameLists.h"
#include "profiles/SdkSetting.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CMenuWnd.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"
#include "ui/qt/GuiApplication.h"

namespace vivori::app {

using devices::CQuorvaneUSBDevice;
using namespace ui;

namespace {

// The kinds with lights the host drives or previews: each follows "Lights: on/released"
// and the window's visibility.
constexpr std::initializer_list<uint16_t> kLitKinds = {kKindMouse, kKindMousePad, kKindKeyboard,
                                                       kKindHeadset};

constexpr int kDiscoverySlot = 0;
constexpr int kSyncLightingSlot = 2;

// The window takes its bus once: the device objects, their connections and the
// capture thread then all use the same one, whatever is set later.
MainWndOptions WithBus(MainWndOptions options) {
    if (!options.bus) options.bus = hid::DefaultHidBus();
    return options;
}

}  // namespace

CMainWnd::CMainWnd(MainWndOptions options)
    : options_(WithBus(std::move(options))),
      deviceHook_(options_.capture ? options_.capture : input::MakeDefaultCaptureBackend()),
      factory_(&pm_, options_.bus, options_.createControl),
      selector_(pm_, {[this](int shown) {
                          // Synchronised lighting needs two devices shown.
                          AllowSameMode(*this, shown >= 2);
                          // Another page may be in view: only its preview runs.
                          UpdatePreviewState();
                      },
                      [this] {
                          CloseChildWindows();
                          // A recording runs: end it before its device goes.
                          if (!selectorEnabled_) StopMacroRecording(false);
                      }}) {
    audioLight_ = std::make_unique<AudioLightState>(profiles::DataFolders::FromEnvironment());
    BindHandlers();
}

CMainWnd::~CMainWnd() {
    CSkinFrame::Subscribe(nullptr);
    if (menu_ != 0 && IsWindow(menu_)) SendMessage(menu_, WM_CLOSE, 0, 0);
    slots_.StopAll();
    devices_.reset();
}

void CMainWnd::Pending(std::string_view what) const {
    DebugPrintf("%s: not built yet", std::string(what).c_str());
}

CControlUI* CMainWnd::CreateControl(std::string_view name) {
    return factory_.Create(name);
}

void CMainWnd::InitWindow() {
    DebugOutput("InitWindow");
    ApplyLanguage(ReadStoredLanguage(), false);
    devices::DeviceManagerSetup setup;
    setup.manager = &pm_;
    setup.window = GetHWND();
    setup.bus = options_.bus;
    setup.createControl = [this](std::string_view name) { return factory_.Create(name); };
    setup.host = this;
    devices_ = std::make_unique<devices::DeviceManager>(std::move(setup));
    hasTray_ = options_.assumeTray ||
               (options_.trayIcon && tray_.CreateTrayIcon(GetHWND(), "tray.png", kApplicationName));
    if (!hasTray_) DebugOutput("no tray: the window alone shows the application");
}

void CMainWnd::OnWindowInit() {
    if (initialised_) return;
    const AppMessages& messages = Messages();
    PostMessage(HWND_BROADCAST, messages.lightControlAnnounce, 1, 1);
    RestoreSkin();
    devices_->CreateStartPages();
    if (host_) {
        const UiRect screen = host_->ScreenRect();
        screenWidth_ = screen.Width();
        screenHeight_ = screen.Height();
    }
    ShowWindow(false);
    if (devices_->StartCapture())
        slots_.Attach(kDiscoverySlot, [this] { return devices_->StopCapture(); });
    UpdateSyncGroup(*this);
    if (syncLighting_.Start())
        slots_.Attach(kSyncLightingSlot, [this] { return syncLighting_.Stop(); });
    SetTimer(GetHWND(), kTimerDpi, 100);
    initialised_ = true;
    LoadAudioStyles(*this);
    WatchAudioRecorder();
    std::optional<sdk::ServerOptions> sdk = options_.sdkServer;
    const profiles::SdkServerSetting stored =
        profiles::ReadSdkServerSetting(profiles::DataFolders::FromEnvironment());
    if (!sdk && stored.enabled)
        sdk = sdk::ServerOptions{.address = stored.address, .port = stored.port};
    if (sdk) SetSdkServer(sdk);
}

bool CMainWnd::SetSdkServer(std::optional<sdk::ServerOptions> options) {
    if (sdk_ && options && sdkOptions_ && sdkOptions_->address == options->address &&
        sdkOptions_->port == options->port)
        return true;
    sdk_.reset();
    sdkOptions_.reset();
    if (!options) return true;
    sdk_ = std::make_unique<SdkLink>(
        [this] { return devices_ ? devices_->Devices() : std::vector<CQuorvaneUSBDevice*>{}; },
        [this](bool controlled) {
            if (CControlUI* label = pm_.FindControl("sdk_control_status"))
                label->SetVisible(controlled);
        });
    if (!sdk_->Start(*options)) {
        sdkError_ = sdk_->LastError();
        sdk_.reset();
        return false;
    }
    sdkOptions_ = options;
    return true;
}

std::vector<CQuorvaneUSBDevice*> CMainWnd::DevicesOfKind(
    std::initializer_list<uint16_t> kinds) const {
    std::vector<CQuorvaneUSBDevice*> found;
    if (!devices_) return found;
    for (CQuorvaneUSBDevice* device : devices_->Devices())
        for (uint16_t kind : kinds)
            if (device->DeviceKind() == kind) found.push_back(device);
    return found;
}

CQuorvaneUSBDevice* CMainWnd::CurrentDevice() const {
    const int index = selector_.SelectedIndex();
    CDeviceOptionUI* entry = index >= 0 ? selector_.Entry(index) : nullptr;
    return entry ? entry->Device() : nullptr;
}

void CMainWnd::SetLightsControlled(bool controlled) {
    for (CQuorvaneUSBDevice* device : DevicesOfKind(kLitKinds))
        device->SetHostLightControl(controlled);
}

void CMainWnd::SetWindowActive(bool active) {
    windowActive_ = active;
    UpdatePreviewState();
}

namespace {

// One picture per screen refresh, at 30 to 60 a second whatever the screen says.
unsigned FramePeriodMs(int refreshRate) {
    const int rate = refreshRate > 0 ? std::clamp(refreshRate, 30, 60) : 60;
    return static_cast<unsigned>((1000 + rate - 1) / rate);
}

}  // namespace

void CMainWnd::UpdatePreviewState() {
    const bool seen = host_ ? host_->IsExposed() : IsWindowVisible();
    const bool inUse = windowActive_ || mouseInside_;
    const unsigned period =
        inUse ? FramePeriodMs(host_ ? host_->RefreshRate() : 0) : kUnfocusedPreviewMs;
    // A page not in view has no picture to animate: its preview sleeps.
    const CQuorvaneUSBDevice* current = CurrentDevice();
    for (CQuorvaneUSBDevice* device : DevicesOfKind(kLitKinds)) {
        device->SetPreviewPeriodMs(period);
        device->SetWindowActive(seen && device == current);
    }
    const bool appeared = seen && !windowSeen_;
    windowSeen_ = seen;
    if (!appeared) return;
    for (int i = 0; i < selector_.Count(); ++i)
        if (CDeviceOptionUI* entry = selector_.Entry(i)) entry->OnWindowShown();
}

void CMainWnd::SetWindowHidden(bool hidden) {
    for (CQuorvaneUSBDevice* device : DevicesOfKind({kKindMouse, kKindKeyboard}))
        device->SetPowerPollPause(hidden);
}

void CMainWnd::CloseChildWindows() {
    for (HWND child : childWindows_)
        if (child != 0 && IsWindow(child)) SendMessage(child, WM_CLOSE, 0, 0);
}

// ---- device pages and the selector ----

void CMainWnd::OnPageCreated(CQuorvaneUSBDevice& device, int pageRow) {
    const devices::DevicePageRow& row = devices::DevicePages()[static_cast<size_t>(pageRow)];
    auto build = [this](std::string_view layout) {
        return CDialogBuilder().Create(
            layout, [this](std::string_view name) { return factory_.Create(name); }, &pm_);
    };
    CControlUI* power = build(devices::kPowerControlLayout);
    CControlUI* built = build(row.selectorLayout);
    auto* entry =
        built ? static_cast<CDeviceOptionUI*>(built->GetInterface("DeviceOption")) : nullptr;
    auto* powerTabs = pm_.FindControl(row.powerSwitchName);
    auto* selectorLayout = pm_.FindControl("device_select_layout");
    auto container = [](CControlUI* c) {
        return c ? static_cast<CContainerUI*>(c->GetInterface("Container")) : nullptr;
    };
    if (power == nullptr || entry == nullptr || !container(powerTabs) ||
        !container(selectorLayout)) {
        DebugPrintf("selector entry of %s not built", std::string(row.deviceName).c_str());
        delete power;
        delete built;
        return;
    }
    container(powerTabs)->Add(power);
    container(selectorLayout)->Add(entry);
    const bool showsPower = row.selectorValues[1] >= 0;
    entry->Bind("device_switch", &device, std::string(row.powerSwitchName),
                showsPower ? power : nullptr);
    entry->SetVisible(false);
    entry->SetDeviceType(row.kind, row.link);
    entry->AttachDevice(&device);
    device.SetWritesQueued(options_.queueDeviceWrites);
    entry->SetPowerPeriod(options_.powerPeriodMs);
    entry->SetHeadsetPowerPeriod(options_.headsetPowerPeriodMs);
    entry->SetKeyPanel(pm_.FindSubControlByClass(&device, "SelectPanel"));
    device.SetPowerPanel(power);
    if (auto* mouse = dynamic_cast<devices::CQuorvaneMouseDevice*>(&device)) {
        const UiSize screen = PrimaryScreenSize();
        mouse->SetScreenSize(screen.cx, screen.cy);
    }
    if (auto* display =
            static_cast<devices::IPowerDisplay*>(power->GetInterface(devices::kPowerDisplay))) {
        display->SetDeviceType(row.kind, 0);
        display->ShowLayout(device.PowerDisplay());
        display->ShowPowerUnknown();
    }
    device.SetSelectorValue(container(selectorLayout)->GetItemIndex(entry));
    InitProfilePanel(device, row.kind);
    UpdateSyncGroup(*this);
}

void CMainWnd::OnDeviceAttached(CQuorvaneUSBDevice& device, bool throughReceiver) {
    const bool anyShown = selector_.ShownCount() > 0;
    ShowSelectorEntry(device.SelectorValue(), true, !throughReceiver || !anyShown);
    if (CDeviceOptionUI* entry = selector_.Entry(device.SelectorValue()))
        entry->StartConnectTimer();
    // One that arrives while the lights are released leaves them alone too.
    if (!lightsControlled_ || !systemAwake_) device.SetHostLightControl(false);
    // A device that arrives while the window is on screen previews at once.
    UpdatePreviewState();
    syncLighting_.Wake();
    UpdateAudioRecorder(*this);
}

void CMainWnd::WatchAudioRecorder() {
    SetTimer(GetHWND(), kTimerRecorder, 1000);
}

void CMainWnd::OnDeviceDetached(CQuorvaneUSBDevice& device) {
    if (CDeviceOptionUI* entry = selector_.Entry(device.SelectorValue()))
        entry->StopConnectionTimers();
    RemoveSelectorEntry(device.SelectorValue());
    UpdateAudioRecorder(*this);
    if (sdk_) sdk_->Refresh();
}

void CMainWnd::OnLinkSwitched(CQuorvaneUSBDevice& device, bool toReceiver) {
    CDeviceOptionUI* entry = selector_.Entry(device.SelectorValue());
    if (entry == nullptr) return;
    if (toReceiver) {
        device.Commands().ConfigBegin();
        entry->StartConnectTimer(2000);
    } else {
        entry->StartConnectTimer();
        PostMessage(GetHWND(), devices::kMsgShowSelectorEntry,
                    static_cast<WPARAM>(device.SelectorValue()), 1);
    }
}

void CMainWnd::ShowSelectorEntry(int index, bool show, bool select) {
    selector_.Show(index, show, select);
}

void CMainWnd::RemoveSelectorEntry(int index) {
    if (index < 0 || index >= selector_.Count()) return;
    selector_.Remove(index);
}

void CMainWnd::OnShowSelectorMessage(int index, bool reachable) {
    if (!reachable) {
        RemoveSelectorEntry(index);
        DebugOutput("2.4gcesvdfherhue 1");
        return;
    }
    CDeviceOptionUI* entry = selector_.Entry(index);
    if (entry && !entry->IsOwnVisible())
        ShowSelectorEntry(index, true, selector_.ShownCount() == 0);
}

// ---- battery ----

void CMainWnd::OnPowerRead() {
    auto text = [](std::string_view key, std::string_view fallback) {
        return CResourceManager::GetInstance().GetText(key).value_or(std::string(fallback));
    };
    std::vector<devices::BatteryLine> lines;
    for (CQuorvaneUSBDevice* device : DevicesOfKind({kKindKeyboard, kKindMouse, kKindHeadset})) {
        if (!device->HasPowerRecord() || !device->Commands().IsOpen()) continue;
        const uint16_t kind = static_cast<uint16_t>(device->DeviceKind());
        const std::string name = kind == kKindKeyboard ? text("battery_keyboard_text", "Keyboard")
                                 : kind == kKindMouse  ? text("battery_mouse_text", "Mouse")
                                                       : text("battery_headset_text", "Headset");
        lines.push_back({name, device->PowerRecord()});
        if (batteryWatch_.Update(device, device->PowerRecord())) {
            ++lowBatteryNotices_;
            const std::string level =
                std::to_string(device->PowerRecord()[devices::power_byte::kLevel]) + " %";
            tray_.ShowMessage(
                text("battery_low_title", "Battery low"),
                name + ": " + level + ". " + text("battery_low_text", "Connect it to charge."));
        }
    }
    batteryText_ = devices::BatteryToolTip(std::string(kApplicationName), lines);
    tray_.SetToolTip(batteryText_);
}

// ---- showing, hiding, the tray ----

void CMainWnd::ShowAndRaise() {
    if (CControlUI* notice = pm_.FindControl("No_device_Link"))
        notice->SetVisible(selector_.ShownCount() == 0);
    SetWindowHidden(false);
    ShowWindow(true);
    SendMessage(GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0);
    if (host_) host_->SetTopMost(true);
    SetTimer(GetHWND(), kTimerRaise, 10);
}

void CMainWnd::ReportDamagedFile(const std::string& path) {
    if (!path.empty()) Ask("damaged_file_text", false, path);
}

void CMainWnd::ShowPageNote(std::string_view key) {
    CControlUI* note = pm_.FindControl("page_done_note");
    if (note == nullptr) return;
    note->SetText(key);  // resolved in the current language when drawn
    note->SetVisible(true);
    SetTimer(GetHWND(), kTimerPageNote, kPageNoteMs);
}

void CMainWnd::NoteWritten(const devices::CQuorvaneUSBDevice& device) {
    switch (device.DeviceKind()) {
        case kKindKeyboard:
            return ShowPageNote("written_keyboard_text");
        case kKindMouse:
            return ShowPageNote("written_mouse_text");
        default:
            return ShowPageNote("written_device_text");
    }
}

void CMainWnd::HideToTray() {
    CloseChildWindows();
    // Hidden without a tray icon, nothing could show the window again or end the
    // application: it goes to the taskbar instead.
    if (!hasTray_) {
        SendMessage(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return;
    }
    ShowWindow(false);
    SetWindowHidden(true);
}

void CMainWnd::ToggleTray() {
    if (CControlUI* notice = pm_.FindControl("No_device_Link"))
        notice->SetVisible(selector_.ShownCount() == 0);
    const bool visible = IsWindowVisible() && !(host_ && host_->IsMinimized());
    CloseChildWindows();
    if (visible) {
        ShowWindow(false);
        SetWindowHidden(true);
        return;
    }
    ShowWindow(true);
    SetupDpi();
    if (host_) {
        host_->SysCommand(SC_RESTORE);
        host_->SetTopMost(true);
    }
    SetTimer(GetHWND(), kTimerRaise, 10);
    SetWindowHidden(false);
    if (CControlUI* root = pm_.GetRoot()) root->NeedUpdate();
    pm_.NeedUpdate();
}

void CMainWnd::OpenTrayMenu() {
    if (menu_ != 0 && IsWindow(menu_)) SendMessage(menu_, WM_CLOSE, 0, 0);
    menu_ = 0;
    // No taskbar window to ask on this desktop: the menu opens at the cursor.
    const MenuPlacement placement = PlaceTrayMenu(GetCursorPos(), std::nullopt);
    auto* menu = new CMenuWnd;
    if (menu->Init(GetHWND(), "menu.xml", placement.point, placement.alignment, dpi_))
        menu_ = menu->GetHWND();
}

void CMainWnd::OnMenuCommand(std::string_view name) {
    if (EqualNoCase(name, "exit")) {
        CloseChildWindows();
        Close(0);
    } else if (EqualNoCase(name, "show_menu")) {
        ShowAndRaise();
    } else if (EqualNoCase(name, "about_menu")) {
        OpenAboutWindow();
    } else if (EqualNoCase(name, "setwnd_menu")) {
        OpenSettingsWindow(false);
    } else if (!OnMacroMenuCommand(name)) {
        DebugPrintf("menu item %s: no action", std::string(name).c_str());
    }
}

void CMainWnd::SetupDpi() {
    if (!host_) return;
    const bool visible = IsWindowVisible() && !host_->IsMinimized();
    if (!visible) host_->SysCommand(SC_RESTORE);
    dpi_ = ValidDpi(ChooseDpi(host_->ScreenRect()));
    pm_.SetDPI(96);
    host_->SetRect({0, 0, 1000, 640});
    pm_.SetDPI(dpi_);
    host_->SetRect({0, 0, pm_.Scale(1000), pm_.Scale(640)});
    CenterWindow();
    ShowWindow(visible, false);
}

// ---- lights ----

void CMainWnd::SetLightControlText(bool controlled) {
    if (CControlUI* status = pm_.FindControl("control_light_status"))
        status->SetText(controlled ? "控制灯光" : "不控制灯光");
}

void CMainWnd::ToggleLightControl() {
    lightsControlled_ = !lightsControlled_;
    PostMessage(HWND_BROADCAST, Messages().lightControlAnnounce, 1, lightsControlled_ ? 1 : 0);
    SetLightControlText(lightsControlled_);
    SetLightsControlled(lightsControlled_);
}

void CMainWnd::SelectLightMode(CQuorvaneUSBDevice& device, int mode) {
    CControlUI* control = pm_.FindSubControlByName(&device, "light_combo_modeSelect");
    auto* combo = control ? static_cast<CComboUI*>(control->GetInterface("Combo")) : nullptr;
    if (combo && mode < combo->GetCount()) combo->SelectItem(mode, false, false);
}

void CMainWnd::OnGameLightEvent(WPARAM wParam, LPARAM lParam) {
    CQuorvaneUSBDevice* device = CurrentDevice();
    if (device && wParam <= 2) {
        // The mode comes from another program: only a mode the device's list holds.
        profiles::LightNameLists lists;
        profiles::LoadDefaultLightNames(device->DefaultLightFile(), device->GetPageValue(), lists);
        if (lParam >= 0 && static_cast<size_t>(lParam) < lists.modeNames.size()) {
            device->Commands().SetSyncLighting(false);
            SelectLightMode(*device, static_cast<int>(lParam));
            devices::LightParameters light = device->Light();
            light.mode = static_cast<uint8_t>(lParam);
            // Not stored in the profile: it keeps the user's own lighting, which the
            // restore brings back.
            device->WriteTemporaryLight(light);
        } else {
            DebugPrintf("game light mode %lld refused", static_cast<long long>(lParam));
        }
    }
    SetTimer(GetHWND(), kTimerGameRestore, static_cast<UINT>(options_.gameRestoreMs));
}

void CMainWnd::RestoreGameLighting() {
    CQuorvaneUSBDevice* device = CurrentDevice();
    if (device == nullptr) return;
    device->Commands().SetSyncLighting(false);
    // The profile as the device object holds it: reading the file again would put the
    // shipped default over a keyboard whose own lighting no stored profile holds yet.
    device->ApplyProfileLighting();
    SelectLightMode(*device, device->Light().mode);
    // A mouse's profile block carries the screen size, as it is now.
    if (auto* mouse = dynamic_cast<devices::CQuorvaneMouseDevice*>(device)) {
        const UiSize screen = PrimaryScreenSize();
        mouse->SetScreenSize(screen.cx, screen.cy);
    }
    device->WriteSettings();
}

bool CMainWnd::OnCopyData(const COPYDATASTRUCT& data) {
    const std::span<const uint8_t> payload(data.data.data(), data.data.size());
    if (data.dwData == 1) {
        const lighting::SpectrumFrame frame = lighting::ReadSpectrumFrame(payload, kSpectrumBytes);
        if (frame.verdict == lighting::SpectrumFrame::Verdict::TooLarge)
            DebugPrintf("spectrum frame of %zu bytes refused", payload.size());
        if (frame.verdict == lighting::SpectrumFrame::Verdict::TooShort)
            DebugPrintf("short spectrum frame of %zu bytes ignored", payload.size());
        if (frame.verdict != lighting::SpectrumFrame::Verdict::Taken) return false;
        if (!spectrumBands_.Add(frame.values)) return true;
        const std::vector<CQuorvaneUSBDevice*> keyboards = DevicesOfKind({kKindKeyboard});
        if (keyboards.empty()) return true;
        std::array<int, lighting::kSpectrumValues> block{};
        std::copy(spectrumBands_.Means().begin(), spectrumBands_.Means().end(), block.begin());
        keyboards.front()->SetMusicInput(block.data(), int(block.size()));
        return true;
    }
    if (data.dwData == 2) {
        const auto levels = lighting::ReadLevelFrame(payload, kShortFrameBytes);
        if (!levels) {
            if (!payload.empty()) DebugPrintf("level frame of %zu bytes refused", payload.size());
            return false;
        }
        const std::vector<CQuorvaneUSBDevice*> keyboards = DevicesOfKind({kKindKeyboard});
        if (!keyboards.empty()) keyboards.front()->SetLevelInput(levels->data(), 6);
        return true;
    }
    return false;
}

// ---- messages ----

LRESULT CMainWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    const AppMessages& messages = Messages();
    handled = false;
    if (msg == WM_ACTIVATE) {
        mouseInside_ = wParam != 0;
        SetWindowActive(wParam != 0);
    } else if (msg == WM_VISIBILITYCHANGED) {
        UpdatePreviewState();
    } else if (msg == WM_MOUSELEAVE) {
        DebugOutput("鼠标移出");
        mouseInside_ = false;
        UpdatePreviewState();
    } else if (msg == WM_MOUSEHOVER) {
        DebugOutput("鼠标移入");
        mouseInside_ = true;
        UpdatePreviewState();
    } else if (msg == messages.appInstance && msg != 0) {
        DebugPrintf("软件标示 %d，%xd%xd", static_cast<int>(msg), static_cast<unsigned>(wParam),
                    static_cast<unsigned>(lParam));
        ShowAndRaise();
    } else if (msg == messages.setWindowForward && msg != 0) {
        if (childWindows_[0] != 0) PostMessage(childWindows_[0], kMsgUpdaterEvent, wParam, lParam);
    } else if (msg == messages.lightControlRequest && msg != 0) {
        if (wParam == 1 && (lParam == 0 || lParam == 1)) {
            lightsControlled_ = lParam == 1;
            SetLightControlText(lightsControlled_);
        }
        if (wParam == 1) SetLightsControlled(lightsControlled_);
    } else if (msg == messages.audioToolQuery && msg != 0) {
        if (!SendWorkToolDeviceList()) DebugOutput("no work tool to send the device list to");
    } else if (msg == WM_DESTROY) {
        DebugOutput("退出测试");
        Shutdown();
        PostQuitMessage(0);
        handled = true;
        return 0;
    } else if (msg == kMsgProfileFolderChanged) {
        FollowProfileLists();
        handled = true;
    } else if (msg == kMsgEndRequested) {
        DebugPrintf("ending on signal %d", static_cast<int>(wParam));
        OnMenuCommand("exit");
        handled = true;
    } else if (msg == WM_POWERBROADCAST) {
        if (wParam == PBT_APMRESUMEAUTOMATIC) {
            systemAwake_ = true;
            SetLightsControlled(lightsControlled_);
        } else if (wParam == PBT_APMSUSPEND) {
            systemAwake_ = false;
            SetLightsControlled(false);
        }
    } else if (msg == WM_COPYDATA) {
        // The answer tells the sender whether the frame was taken.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        handled = true;
        return systemAwake_ && data && OnCopyData(*data) ? 1 : 0;
    } else if (systemAwake_) {
        handled = HandleAwakeMessage(msg, wParam, lParam);
    }
    return 0;
}

bool CMainWnd::HandleAwakeMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const AppMessages& messages = Messages();
    if (messages.IsHook(msg)) {
        if (msg == messages.hook[2]) DebugOutput("WM_HOOK_KEY_MSMACRO");
        DispatchHook(msg, wParam, lParam);
    } else if (messages.IsGame(msg)) {
        OnGameLightEvent(wParam, lParam);
    } else if (msg == WM_DISPLAYCHANGE) {
        DebugOutput("显示器分辨率发生变化");
        displayChanged_ = true;
        SetupDpi();
    } else if (msg == WM_TIMER) {
        OnTimer(wParam);
    } else if (msg == WM_DPICHANGED) {
        pm_.SetDPI(static_cast<int>(wParam & 0xFFFF));
        // lParam: the rectangle the desktop suggests for the new DPI.
        if (const auto* suggested = reinterpret_cast<const UiRect*>(lParam); suggested && host_)
            host_->SetRect(*suggested);
        CenterWindow();
        if (CControlUI* root = pm_.GetRoot()) root->NeedUpdate();
        DebugOutput("界面 DPI 发生变化");
    } else if (msg == WM_TRAYICON) {
        if (lParam == WM_LBUTTONUP) ToggleTray();
        if (lParam == WM_RBUTTONUP) SetTimer(GetHWND(), kTimerTrayMenu, 10);
    } else if (msg == kMsgInputHook) {
        // The key field of the key-assignment panel captures the next key.
        if (wParam)
            deviceHook_.Install(input::kHookSingleKey, GetHWND(), true, true);
        else
            deviceHook_.Uninstall();
    } else if (msg == WM_MENUCLICK) {
        std::unique_ptr<MenuCmd> command(reinterpret_cast<MenuCmd*>(wParam));
        if (command) OnMenuCommand(command->name);
        return true;
    } else if (msg == kMsgDpiChangedNote) {
        DebugOutput("界面 DPI 1发生变化");
    } else if (msg == kMsgShowProgress) {
        if (CControlUI* progress = pm_.FindControl("setting_progress")) progress->SetVisible(true);
    } else if (msg == kMsgLanguageChanged) {
        ApplyLanguage(static_cast<int>(wParam), true);
    } else if (msg == devices::kMsgDeviceArrived) {
        if (devices_) devices_->DeviceArrived(static_cast<int>(wParam));
        ShowAndRaise();
    } else if (msg == devices::kMsgDeviceRemoved) {
        if (devices_) devices_->DeviceRemoved(static_cast<int>(wParam));
    } else if (msg == kMsgOpenSettings) {
        OpenSettingsWindow(false);
    } else if (msg == kMsgClearUpdateBadge) {
        if (CControlUI* button = pm_.FindControl("setbtn")) button->SetForeImage("");
    } else if (msg == devices::kMsgShowSelectorEntry) {
        OnShowSelectorMessage(static_cast<int>(wParam), lParam != 0);
    } else if (msg == devices::kMsgPowerByte) {
        OnPowerRead();
    } else if (msg == devices::kMsgDeviceAnswering) {
        if (CDeviceOptionUI* entry = selector_.Entry(static_cast<int>(wParam)))
            entry->ShowAnswering(lParam != 0);
    } else if (msg == devices::kMsgDeviceReading) {
        if (CDeviceOptionUI* entry = selector_.Entry(static_cast<int>(wParam)))
            entry->ShowReading(lParam != 0);
    }
    return false;
}

void CMainWnd::OnTimer(UINT_PTR id) {
    switch (id) {
        case kTimerDpi:
            KillTimer(GetHWND(), id);
            SetupDpi();
            pm_.Invalidate({0, 0, pm_.GetClientSize().cx, pm_.GetClientSize().cy});
            break;
        case kTimerTrayMenu:
            KillTimer(GetHWND(), id);
            OpenTrayMenu();
            break;
        case kTimerProfileSwitch:
            KillTimer(GetHWND(), id);
            SwitchProfile();
            break;
        case kTimerGameRestore:
            KillTimer(GetHWND(), id);
            RestoreGameLighting();
            break;
        case kTimerRecorder:
            // The music mode can also come from the keyboard itself (its own read).
            UpdateAudioRecorder(*this);
            CheckAudioRecorder(*this);
            break;
        case kTimerPageNote:
            KillTimer(GetHWND(), id);
            if (CControlUI* note = pm_.FindControl("page_done_note")) note->SetVisible(false);
            break;
        case kTimerRaise:
            KillTimer(GetHWND(), id);
            if (host_) host_->SetTopMost(false);
            break;
        default:
            break;
    }
}

void CMainWnd::Shutdown() {
    ShowWindow(false);
    sdk_.reset();  // clients go, and the devices they drove get their own lighting back
    deviceHook_.Uninstall();
    const uint32_t start = GetTickCount();
    slots_.StopAll();
    lastStopMs_ = static_cast<int>(GetTickCount() - start);
    EndAudioRecorder(*this);
    tray_.DeleteTrayIcon();
}

}  // namespace vivori::app
