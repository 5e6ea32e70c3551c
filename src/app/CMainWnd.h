#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppControlFactory.h"
#include "app/AudioLightState.h"
#include "app/DeviceSelector.h"
#include "app/SdkLink.h"
#include "app/WorkerSlots.h"
#include "app/handlers/Handlers.h"
#include "devices/DeviceManager.h"
#include "devices/DeviceUploads.h"
#include "devices/IDeviceHost.h"
#include "input/CDeviceHook.h"
#include "lighting/AudioBands.h"
#include "lighting/SyncLighting.h"
#include "macros/MacroRecorder.h"
#include "profiles/ProfileListModel.h"
#include "ui/core/WindowImplBase.h"
#include "ui/message/FolderWatch.h"
#include "ui/qt/CTrayIcon.h"
#include "update/UpdateCheck.h"

namespace vivori::app {
class LanguageFonts;
struct SkinChangedParam;
struct UpdateSetup;
}  // namespace vivori::app

namespace vivori::panels {
class CMacroControlUI;
class CDeviceProfileUI;
}  // namespace vivori::panels

namespace vivori::app {

struct MainWndOptions {
    std::shared_ptr<hid::HidBus> bus;  // null: the process default bus
    // Tried before the window's own control factory (tests: device kinds of their own).
    ui::ControlFactoryCallback createControl;
    // How long after the last game light event the device's own lighting comes back.
    int gameRestoreMs = 5000;
    // How often mice and keyboards read their power.
    unsigned powerPeriodMs = 5000;
    // How often the headset's battery is read (it shows none in the header).
    unsigned headsetPowerPeriodMs = 60000;
    // Settings writes go to each device's own thread, so a silent device never holds
    // up the window. Tests that check the device right after a click turn it off.
    bool queueDeviceWrites = true;
    // The tray icon; tests without a desktop leave it out.
    bool trayIcon = true;
    // Tests: act as if the notification area held the icon (the close button then
    // hides the window instead of minimising it).
    bool assumeTray = false;
    // The program's fonts; the CJK ones are added when a language needs them.
    LanguageFonts* fonts = nullptr;
    // Where recordings and key captures take their input; null: the desktop's.
    std::shared_ptr<input::ICaptureBackend> capture;
    // Chooses a profile file instead of the file dialogs (tests): true and the path
    // when one was chosen.
    std::function<bool(bool save, std::string* path)> chooseFile;
    // Other lighting programs may drive the devices for this run (the command line);
    // nothing: as the settings say.
    std::optional<sdk::ServerOptions> sdkServer;
};

// The application's top-level window and controller: it builds the pages of the
// attached devices, routes every notification of its controls by name, handles the
// window messages of the devices and of other programs, keeps the application in the
// tray, and runs the worker slots (slot 0: device discovery).
class CMainWnd : public ui::WindowImplBase, public devices::IDeviceHost {
  public:
    // Window timers.
    static constexpr ui::UINT_PTR kTimerDpi = 1011;
    static constexpr ui::UINT_PTR kTimerTrayMenu = 1032;
    static constexpr ui::UINT_PTR kTimerProfileSwitch = 1055;
    static constexpr ui::UINT_PTR kTimerGameRestore = 1066;
    static constexpr ui::UINT_PTR kTimerRaise = 1077;
    static constexpr ui::UINT_PTR kTimerRecorder = 1088;
    static constexpr ui::UINT_PTR kTimerPageNote = 1099;
    // How long a page's "Saved" or "Written to …" note stays.
    static constexpr unsigned kPageNoteMs = 2500;
    // The largest copy-data taken: spectrum frames and short level frames.
    static constexpr size_t kSpectrumBytes = 4200;
    static constexpr size_t kShortFrameBytes = 156;

    explicit CMainWnd(MainWndOptions options = {});
    ~CMainWnd() override;

    std::string GetSkinFile() override { return "XML_MAIN"; }
    std::string_view GetWindowClassName() const override { return "MainWnd"; }
    ui::CControlUI* CreateControl(std::string_view name) override;
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    ui::LRESULT HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                    bool& handled) override;

    // IDeviceHost.
    void OnPageCreated(devices::CQuorvaneUSBDevice& device, int pageRow) override;
    void OnDeviceAttached(devices::CQuorvaneUSBDevice& device, bool throughReceiver) override;
    void OnDeviceDetached(devices::CQuorvaneUSBDevice& device) override;
    void OnLinkSwitched(devices::CQuorvaneUSBDevice& device, bool toReceiver) override;

    void ShowSelectorEntry(int index, bool show, bool select);
    void RemoveSelectorEntry(int index);
    void ShowAndRaise();
    // Hides the window into the tray, as its close button does.
    void HideToTrayNow() { HideToTray(); }
    void SetLightsControlled(bool controlled);
    // Focus (or the mouse over the window) sets the preview's picture rate; whether the
    // window can be seen decides whether it paints at all.
    void SetWindowActive(bool active);
    // Reads the window's visibility from its host and passes it to the devices.
    void UpdatePreviewState();
    // The preview's period while the window is not in use (ms): 20 pictures a second.
    static constexpr unsigned kUnfocusedPreviewMs = 50;
    void CloseChildWindows();
    // Destroys the window now (shut-down included), as closing it from the tray does.
    void DestroyNow() { DestroyWindow(); }

    DeviceSelector& Selector() { return selector_; }
    int LanguageIndex() const { return languageIndex_; }
    // The child windows: 0 settings, 1 about, 2 colour palette, 3 audio styles.
    ui::HWND ChildWindow(int which) const { return childWindows_[std::size_t(which)]; }
    devices::DeviceManager* Devices() const { return devices_.get(); }
    // The device whose page is selected; null when none.
    devices::CQuorvaneUSBDevice* CurrentDevice() const;
    bool LightsControlled() const { return lightsControlled_; }
    int Dpi() const { return dpi_; }
    // How long the last shut-down took to stop the workers (ms).
    int LastStopMs() const { return lastStopMs_; }
    bool WorkersRunning() const { return slots_.Running(0); }
    // The text of the last message shown to the user (language text, formatted).
    const std::string& LastMessage() const { return lastMessage_; }
    static constexpr int kNoMessageValue = -1;
    // Shows a language text, formatted with value when one is given.
    void ShowMessageText(std::string_view key, int value = kNoMessageValue);
    input::CDeviceHook& DeviceHook() { return deviceHook_; }
    // The macro editor of the current device, its folder set; null when there is none.
    panels::CMacroControlUI* MacroPanel();
    // The tray's battery text, and how many low-battery notices were shown.
    const std::string& BatteryText() const { return batteryText_; }
    int LowBatteryNotices() const { return lowBatteryNotices_; }
    // The last message given to the user, by its language key.
    const std::string& LastMessageText() const { return lastMessageText_; }
    // The route handlers the window has no code for yet.
    static std::vector<std::string_view> PendingHandlers();
    std::vector<devices::CQuorvaneUSBDevice*> DevicesOfKind(
        std::initializer_list<uint16_t> kinds) const;

    // The child windows, one of each at a time.
    enum ChildSlot { kChildSettings, kChildAbout, kChildPalette, kChildAudioStyles };
    ui::HWND& ChildWindow(ChildSlot slot) { return childWindows_[slot]; }
    // Worker slot 2: synchronised lighting.
    lighting::SyncLightingDriver& SyncLighting() { return syncLighting_; }
    // The debug line of a route or step whose code is still to come.
    void Pending(std::string_view what) const;
    // Writes the macros the keys play and the key table from one plan (the table only
    // once its macros are written), and tells the user what did not reach the device:
    // in the macro editor's hint line when `panel` is given, else in a message. A
    // device that did not answer and macros too large are always messages. The write
    // runs on the device's thread; then (UI thread) gets its result after the telling.
    void WriteMacrosAndKeys(
        devices::CQuorvaneUSBDevice& device, panels::CMacroControlUI* panel = nullptr,
        std::function<void(const devices::KeysAndMacrosResult&)> then = {});
    void TellKeysAndMacros(devices::CQuorvaneUSBDevice& device, panels::CMacroControlUI* panel,
                           const devices::KeysAndMacrosResult& written);
    // A message box with the language text of `key` (and a detail line): 1 on confirm.
    int Ask(std::string_view key, bool withCancel = false, std::string_view detail = {});
    // Names a file that was found damaged and left as it is; nothing for an empty path.
    void ReportDamagedFile(const std::string& path);
    // A short confirmation at the foot of the page, gone after kPageNoteMs: a text key.
    void ShowPageNote(std::string_view key);
    // "Written to the keyboard" (or mouse, ...) for the device's kind.
    void NoteWritten(const devices::CQuorvaneUSBDevice& device);
    // The audio light styles and the audio recorder.
    AudioLightState& AudioLight() { return *audioLight_; }
    // Once a second: whether a keyboard runs the music mode, and how the recorder is.
    void WatchAudioRecorder();
    // The server other lighting programs connect to; null while it is off.
    SdkLink* Sdk() const { return sdk_.get(); }
    // Starts (on a new address or port: restarts) or stops it; false when it was asked
    // for and could not listen.
    bool SetSdkServer(std::optional<sdk::ServerOptions> options);

  private:
    using Handler = NotifyHandler;
    // Receives a hook message (by its registered name) with its wParam and lParam.
    using HookHandler = std::function<void(ui::WPARAM wParam, ui::LPARAM lParam)>;

  private:
    void BindHandlers();
    // One area's handlers each (src/app/handlers/), called by BindHandlers.
    void BindMouseHandlers();
    void BindKeyHandlers();
    void BindRecoilHandlers();
    // One area's handlers each, in src/app/handlers/.
    void BindMacroHandlers();
    // ---- macro editor (handlers/Macros.cpp) ----
    void StartMacroRecording(macros::TimingMode timing, int hookMode);
    // Leaving the macro tab or the window while recording stops it and keeps what was
    // recorded, so the keyboard is never left captured without a Stop button.
    void EndRecordingOnLeave();
    void StopMacroRecording(bool save);
    void SaveMacroAndUpload();
    void DeleteSelectedMacro();
    void MacroFileOperation(std::string_view name);
    void MacroActionEdit(std::string_view name);
    bool OnMacroMenuCommand(std::string_view name);
    void OpenMacroActionMenu();
    bool InsideStopButton(const input::MouseHookRecord& record);
    // ---- updates (handlers/Update.cpp) ----
    std::vector<update::AttachedDevice> AttachedForUpdate() const;
    // Empty when it started, else why not.
    std::string StartUpdater(const std::vector<update::CheckedRow>& rows, ui::HWND reportTo);
    // The settings window's update rows, filled with the attached devices' versions.
    UpdateSetup PrepareUpdateCheck();
    void Dispatch(std::string_view handler, ui::TNotifyUI& msg, int index);
    void DispatchHook(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam);
    void OnWindowInit();
    void OnTimer(ui::UINT_PTR id);
    bool HandleAwakeMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam);
    void Shutdown();
    void SetupDpi();
    void HideToTray();
    void ToggleTray();
    void OpenTrayMenu();
    void OnMenuCommand(std::string_view name);
    void ToggleLightControl();
    void SetLightControlText(bool controlled);
    void OnGameLightEvent(ui::WPARAM wParam, ui::LPARAM lParam);
    void RestoreGameLighting();
    bool OnCopyData(const ui::COPYDATASTRUCT& data);
    void OnShowSelectorMessage(int index, bool reachable);
    // After a power read: the tray's battery list and the low-battery notice.
    void OnPowerRead();
    void SetWindowHidden(bool hidden);
    // The light mode list of the device's lighting panel, selected at mode.
    void SelectLightMode(devices::CQuorvaneUSBDevice& device, int mode);

    // Profiles (handlers/Profiles.cpp).
    void BindProfileHandlers();
    void InitProfilePanel(devices::CQuorvaneUSBDevice& device, int kind);
    // The selected profile of the current device's panel to the device and the hardware.
    void SwitchProfile();
    // The device takes over the selected profile: loads it, runs its lighting, shows
    // it and writes it, with its macros and keys where the kind has them.
    void TakeSelectedProfile(devices::CQuorvaneUSBDevice& device);
    // The panels of the changed folders follow their lists; a device whose selected
    // profile is another one now loads it. Other programs (vivori-ctl) change the lists.
    void FollowProfileLists();
    void SelectProfilePanelTab(int page);
    // Shows the message of a refused or failed operation; true when it succeeded.
    bool ReportProfileOutcome(const profiles::ProfileOutcome& outcome);
    bool ChooseProfileFile(bool save, std::string* path);
    void AddProfile(devices::CQuorvaneUSBDevice& device, panels::CDeviceProfileUI& panel);
    void CopyProfile(devices::CQuorvaneUSBDevice& device, panels::CDeviceProfileUI& panel);
    void DeleteProfile(devices::CQuorvaneUSBDevice& device, panels::CDeviceProfileUI& panel);
    void RenameProfile(devices::CQuorvaneUSBDevice& device, panels::CDeviceProfileUI& panel);
    void ImportProfile(devices::CQuorvaneUSBDevice& device, panels::CDeviceProfileUI& panel);
    void ExportProfile(devices::CQuorvaneUSBDevice& device, panels::CDeviceProfileUI& panel);
    void ResetProfile(devices::CQuorvaneUSBDevice& device, panels::CDeviceProfileUI& panel);
    // Language, settings, about and skin (handlers/Language.cpp, handlers/Shell.cpp).
    void BindShellHandlers();
    // The language index to start with: the stored choice, else the locale's, else 0.
    int ReadStoredLanguage() const;
    // Fonts, texts of every open window and, when `store`, the settings file.
    void ApplyLanguage(int index, bool store);
    void SetUIFonts(std::string_view face);
    // At the settings button when anchored, else centred on the screen.
    void OpenSettingsWindow(bool anchored);
    void OpenAboutWindow();
    void OpenSkinWindow();
    void OnSkinChanged(const SkinChangedParam& param);
    void RestoreSkin();

    MainWndOptions options_;
    input::CDeviceHook deviceHook_;
    AppControlFactory factory_;
    DeviceSelector selector_;
    std::unique_ptr<devices::DeviceManager> devices_;
    WorkerSlots slots_;
    ui::CTrayIcon tray_;
    ui::HWND menu_ = 0;
    HandlerTable handlers_;
    std::map<std::string_view, HookHandler> hookHandlers_;
    std::array<ui::HWND, 4> childWindows_{};  // settings, about, palette, audio styles

    bool lightsControlled_ = true;
    bool windowActive_ = false;
    bool mouseInside_ = false;
    bool windowSeen_ = false;
    bool displayChanged_ = false;
    bool initialised_ = false;
    bool hasTray_ = false;  // the icon is in a notification area: hiding can be undone
    bool systemAwake_ = true;
    // Cleared while a macro recording runs; the selector is disabled meanwhile.
    bool selectorEnabled_ = true;
    int languageIndex_ = -1;
    ui::HWND skinFrame_ = 0;
    int dpi_ = 96;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    int lastStopMs_ = 0;
    std::string lastMessage_;
    lighting::SpectrumReducer spectrumBands_;
    std::unique_ptr<AudioLightState> audioLight_;
    // Stopped through its worker slot before the devices it drives go.
    lighting::SyncLightingDriver syncLighting_;
    std::unique_ptr<SdkLink> sdk_;
    std::optional<sdk::ServerOptions> sdkOptions_;
    std::string sdkError_;  // why the server last failed to listen
    devices::BatteryWatch batteryWatch_;
    std::string batteryText_;
    int lowBatteryNotices_ = 0;
    std::string lastMessageText_;
    // The device folders whose profile lists the panels follow, and those changed since
    // the last look.
    std::unique_ptr<ui::FolderWatch> profileWatch_;
    std::set<std::filesystem::path> changedProfileFolders_;
};

}  // namespace vivori::app
