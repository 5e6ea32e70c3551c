#pragma once

#include <json/value.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/CommandTransport.h"
#include "device/SupportedDevices.h"
#include "devices/DeviceMessageWindow.h"
#include "devices/DeviceWorker.h"
#include "devices/DeviceUploads.h"
#include "devices/LightRecords.h"
#include "devices/NotificationChannel.h"
#include "devices/PowerStatus.h"
#include "lighting/ColumnRing.h"
#include "macros/MacroUpload.h"
#include "platform/CriticalSection.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/DataFolders.h"
#include "profiles/LightNameLists.h"
#include "profiles/ProfileRecords.h"
#include "ui/core/CColorPaletteUI.h"
#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/CNotifyPump.h"
#include "ui/message/MessageTypes.h"

namespace vivori::panels {
class CLightControlUI;
}

namespace vivori::devices {

inline constexpr size_t kKeyLevelCount = 170;
inline constexpr size_t kDeviceMapSize = 512;

// One device: its page (a toolkit container built from the device's layout file) and
// its driver (the command transport, the notification channels, the copies of the
// device's blocks and the lighting state). The keyboard, mouse, mouse pad and
// headset derive from it and fill in the hooks.
//
// Threads: the UI thread calls everything; the lighting thread calls the lighting
// operations under the light lock; the notification readers call only
// OnNotificationReport. Device operations do nothing on a closed transport.
class CQuorvaneUSBDevice : public ui::CHorizontalLayoutUI,
                           public ui::CNotifyPump,
                           public ui::INotifyUI {
  public:
    CQuorvaneUSBDevice(std::shared_ptr<hid::HidBus> bus = nullptr);
    ~CQuorvaneUSBDevice() override;

    std::string_view GetClass() const override { return "QuorvaneUSBDevice"; }
    void* GetInterface(std::string_view name) override;
    // Routes the page's own notifications to the handlers registered on the pump.
    void Notify(ui::TNotifyUI& msg) override;
    void SetManager(ui::CPaintManagerUI* manager, ui::CControlUI* parent,
                    bool init = true) override;

    // ---- virtual operations, in slot order ----

    // After the page's controls exist (UI thread, once). Indexes the "key_" N and
    // "light_" N buttons of "SelectPanel", registers the page with its manager and
    // runs BuildPage. Touches no device.
    virtual void InitPage();
    // When the profile or its lighting changed (UI thread): load the profile's light
    // parameters and records into the lighting state under the light and LED record
    // locks. Must not write the device; WriteSettings does.
    virtual void ApplyProfileLighting() {}
    // The effect file the lighting last found damaged, once; empty when none was.
    std::string TakeDamagedLightFile() {
        profiles::CBasicProfiledata* profile = LightProfile();
        return profile ? profile->TakeDamagedLightFile() : std::string();
    }
    // One animation step of light modes 5, 26, 6, 4, 23, 27 and 20, on the lighting
    // thread under the light lock. They compute colours only; no I/O, no page.
    virtual void StepBreathing() {}
    virtual void StepFourColourBreathing() {}
    virtual void StepStatic() {}
    virtual void StepColourCycle() {}
    virtual void StepBlink() {}
    virtual void StepFourColourBlink() {}
    virtual void StepOff() {}
    // After a step (lighting thread): show the LED colour list on the page's LED
    // buttons and, for host-driven modes, stream it. The base computes nothing.
    virtual void RefreshLights() {}
    // Any thread; out-of-range indexes are ignored (0 when read).
    virtual void SetLedColour(int index, LedColour colour);
    virtual LedColour GetLedColour(int index) const;
    // Once the transport is open (UI thread, from the selector's connection timer):
    // read everything (on the worker when writes are queued), load the profile, start
    // the device's threads, then FinishConnection. Must return promptly when the
    // transport is closed.
    virtual void OnConnected() {}
    // After a device notification or a link switch (UI thread): read the current
    // settings again (on the worker when writes are queued) and refresh the page.
    // Never from a reader thread.
    virtual void SyncFromDevice() {}
    // The power poll (UI thread timer): read the power record and show it on the power
    // control. Keyboards and mice read only while their poll is not paused and the
    // link answers; every kind ends quietly on a failure, keeping what it showed.
    virtual void ReadPowerStatus();
    // Receiver link check: true when open, on the receiver and the device answers.
    virtual bool IsWirelessOnline();
    // The same on the worker when writes are queued (else here); done(online) on the
    // UI thread.
    void QueueLinkCheck(std::function<void(bool)> done);
    // Read the current profile into the device object; no device I/O.
    virtual void LoadProfile() {}
    // Show the device object's state on the page (UI thread); no device I/O.
    virtual void RefreshPage() {}
    // Reset assignments whose macro no longer exists; saves, does not write.
    virtual void DropDeletedMacros() {}
    // Load, save and show the default profile.
    virtual void ReloadDefaults() {}
    // The macro indexes the key list uses (the same walk WriteKeyTable takes).
    virtual std::vector<int> CollectUsedMacros() { return {}; }
    // Writers (UI thread): build a block from the device object and write it. They
    // return a result code, 0 when nothing was written (closed transport).
    virtual int WriteKeyTable() { return 0; }
    virtual int WriteKeyTableFromProfile() { return 0; }
    virtual int WriteMacros() { return 0; }
    // The macros the key list uses, written as the device's macro image, with the
    // details the macro editor reports (link down, events too many).
    virtual macros::MacroUploadResult WriteUsedMacros() { return {}; }
    // The macros the keys play and the key table that numbers them, from one plan in
    // one run (the key table only once its macros are on the device). Every path the
    // user takes writes them this way, so the two the device holds belong together.
    KeysAndMacrosResult WriteKeysAndMacros();
    // The same on the device's worker when writes are queued (else here); done gets the
    // result on the UI thread. Nothing comes back when the device leaves meanwhile.
    void QueueKeysAndMacros(std::function<void(const KeysAndMacrosResult&)> done);
    virtual int WriteSettings() { return 0; }
    // After another profile was selected or the profile was reset: what the profile
    // holds beyond the settings the device's own writes carry (the headset's audio).
    virtual void WriteProfileExtras() {}
    // Shows these light settings on the device for a while (a game light event),
    // leaving the profile as it is: ApplyProfileLighting and WriteSettings bring the
    // profile's own back.
    virtual int WriteTemporaryLight(const LightParameters& light) {
        (void)light;
        return 0;
    }
    // Load the macro names and the light-mode name and value lists.
    virtual void LoadNameLists() {}
    virtual void SetThirdMap(std::map<int, int> map);
    // Key fade step of the key-reactive effects (lighting thread, under the light
    // lock); the lighting engine fills it in.
    virtual void FadeKey(int keyIndex, int fadeKind) { (void)keyIndex, (void)fadeKind; }
    // For ring positions 0-8 that are lit, sets the key level of the same index to 255.
    virtual void RingToKeyLevels();
    // Toward higher positions (the last byte moves to 0), or the other way.
    virtual void RotateColumnRing(bool towardHigher);
    virtual void ClearKeyLevels();
    // Selects a function page: stores it and switches the two function tabs.
    virtual void ShowTip(int page);
    virtual int GetFunctionPage() const { return functionPage_; }
    // Read the profile file and the light configuration; no device I/O.
    virtual void LoadProfileFiles() {}
    virtual std::string GetProfileName() const { return {}; }
    // Save the profile data (atomic file replace); no device I/O.
    virtual void SaveProfile() {}
    virtual void SetPageValue(int value) { pageValue_ = value; }
    virtual int GetPageValue() const { return pageValue_; }
    // Stores the light parameters, and the same into the profile's "LightInfo" (the
    // profile is what SaveProfile writes and ApplyProfileLighting reads back).
    virtual void SetLightParameters(uint32_t modeWord, uint32_t colourWord, uint32_t extra,
                                    uint32_t colourBlock);
    virtual void SetCurrentColour(int red, int green, int blue);
    virtual std::array<int, 3> GetCurrentColour() const;
    // The audio light settings (any thread); the keyboard's music styles draw with them.
    virtual void SetAudioLightWords(AudioLightWords words);
    AudioLightWords GetAudioLightWords() const;
    virtual void SelectKey(int index) { selectedKey_ = index; }
    // Audio light input from the audio light styles; any thread.
    virtual void SetMusicInput(const int* values, int count) { (void)values, (void)count; }
    virtual void SetLevelInput(const int* values, int count) { (void)values, (void)count; }

    // ---- added by the device kinds, in this order ----

    // The page set-up of the device kind, at the end of InitPage (UI thread).
    virtual void BuildPage() {}
    // Mode word, colour word and the two further values, as SetLightParameters takes.
    virtual std::array<uint32_t, 4> GetLightParameters() const;
    // Restart the running effect from its first step (under the light lock).
    virtual void ResetEffectState() {}
    // The key list: one assignment per key or button; empty for kinds without keys.
    virtual std::vector<profiles::KeyListEntry> KeyAssignments() const { return {}; }
    // Replaces the key list in the device object and its profile (no save, no write).
    virtual void SetKeyAssignments(std::vector<profiles::KeyListEntry> keys) { (void)keys; }
    // Reads what a key table write builds on (information block and key map).
    virtual int ReadKeyMaps() { return CMD_NO_REPLY; }
    // Uploads the macros at these macro-list positions as the device's macro image.
    virtual macros::MacroUploadResult WriteMacroList(const std::vector<int>& macroNumbers) {
        (void)macroNumbers;
        return {};
    }
    // A report of the notification collection, on that channel's reader thread.
    // Must not touch the page or wait for the UI thread: post to the main window.
    virtual void OnNotificationReport(const std::vector<HidDataItem>& items, bool receiverWay) {
        (void)items, (void)receiverWay;
    }

    // ---- non-virtual operations ----

    // The number of macros in the device folder's list; nothing while it cannot be read.
    std::optional<size_t> MacroCount() const;

    // "<data home>/VELTRA VIVORI Trivex V2/<data-folder name>/", created when missing.
    std::filesystem::path DataFolder() const;
    std::filesystem::path DefaultDataFolder() const;
    std::filesystem::path DefaultDataFile() const;
    // The shipped light-mode name lists every device kind shares.
    std::filesystem::path DefaultLightFile() const { return folders_.DefaultLightFile(); }
    void SetDataFolders(profiles::DataFolders folders) { folders_ = std::move(folders); }
    const profiles::DataFolders& Folders() const { return folders_; }

    // Stores the flag; on for a connected keyboard sends HostLightOn.
    void SetHostLightControl(bool on);
    bool HostLightControl() const { return hostLightControl_.load(); }
    void SetAllDevicesFlag(bool on) { allDevicesFlag_.store(on); }
    bool AllDevicesFlag() const { return allDevicesFlag_.load(); }

    // Colours another program sets LED by LED (in the LED colour list's order), shown in
    // place of the running effect until cleared; any thread. The keyboard's lighting
    // thread streams them as its host effect and the headset sends them in its LED
    // reports; the mouse and the pad run their effects in firmware and show none.
    void SetHostColours(std::span<const LedColour> colours);
    void ClearHostColours();
    bool HostColoursOn() const;

    // Keeps the descriptor; the device kind and link kind come from it.
    void SetDescriptor(const DeviceDescriptor& descriptor);
    const DeviceDescriptor& Descriptor() const { return descriptor_; }
    int DeviceKind() const { return deviceKind_; }
    int LinkKind() const { return linkKind_; }

    // Page set-up values from the device page tables.
    void SetLayoutName(std::string name) { layoutName_ = std::move(name); }
    const std::string& LayoutName() const { return layoutName_; }
    void SetPageTexts(std::string first, std::string second);
    void SetDataFolderName(std::string name) { dataFolderName_ = std::move(name); }
    const std::string& DataFolderName() const { return dataFolderName_; }
    void SetLightConfigName(std::string name) { lightConfigName_ = std::move(name); }
    const std::string& LightConfigName() const { return lightConfigName_; }
    void SetWindow(ui::HWND window) { window_ = window; }
    ui::HWND Window() const { return window_; }
    void SetPageRow(int row) { pageRow_ = row; }
    int PageRow() const { return pageRow_; }
    // Resize the button vectors, the LED colour list and the custom LED records.
    void SetKeyCount(int count);
    void SetLedCount(int count);
    int KeyCount() const { return static_cast<int>(keyButtons_.size()); }
    int LedCount() const { return static_cast<int>(ledButtons_.size()); }
    ui::CControlUI* KeyButton(int index) const;
    ui::CControlUI* LedButton(int index) const;

    void SetDeviceOption(ui::CControlUI* option) { deviceOption_ = option; }
    ui::CControlUI* DeviceOption() const { return deviceOption_; }
    void SetPowerPanel(ui::CControlUI* panel) { powerPanel_ = panel; }
    ui::CControlUI* PowerPanel() const { return powerPanel_; }
    void SetColourPanel(ui::CColorPaletteUI* panel) { colourPanel_ = panel; }
    void SetSelectorValue(int value) { selectorValue_ = value; }
    int SelectorValue() const { return selectorValue_; }
    int SelectedKey() const { return selectedKey_; }

    // Mice and keyboards show their power and poll it; mouse pads and headsets do not.
    void SetPowerDisplay(bool on) { powerDisplay_.store(on); }
    bool PowerDisplay() const { return powerDisplay_.load(); }
    // Only a device that polls can pause its poll (while the window is hidden).
    void SetPowerPollPause(bool pause);
    bool IsPowerPollPaused() const { return powerPollPause_.load(); }
    // The last power record read (UI thread); HasPowerRecord is false before the first.
    const devices::PowerRecord& PowerRecord() const { return powerRecord_; }
    bool HasPowerRecord() const { return hasPowerRecord_; }
    // Whether the device's page can be seen: the main window shown (not minimised, not
    // covered, focused or not) with this page in view. The light output repaints the
    // page only then.
    void SetWindowActive(bool active) {
        if (windowActive_.exchange(active) != active) WakeLightThreads();
    }
    bool IsWindowActive() const { return windowActive_.load(); }
    // The shortest time between two pictures of the page's light preview (ms): the
    // screen's own picture rate, or slower while the window is not the one in use.
    void SetPreviewPeriodMs(unsigned ms) { previewPeriodMs_.store(ms); }
    unsigned PreviewPeriodMs() const { return previewPeriodMs_.load(); }
    // The preview is told when a lighting step changed the colours, instead of looking
    // at every screen refresh whether they did: an effect steps more slowly than the
    // screen, and a still one not at all. `then` runs on the UI thread; the next change
    // is told again once LightsSeen was called.
    void SetLightsChangedHandler(std::function<void()> then) { lightsChanged_ = std::move(then); }
    void LightsSeen() { lightsPosted_.store(false); }
    // Whether this device tells its changes (else its preview looks at each refresh).
    bool TellsLightChanges() const { return tellsLightChanges_ && workerWindow_.Handle() != 0; }
    // True while the device takes its LED colours from the host (the headset under host
    // light control): they go out as its preview changes them, whether or not the
    // window can be seen.
    virtual bool HostSendsLeds() const { return false; }
    // The device's light threads look again at what they must do: the window was
    // shown or hidden, host light control taken or given back, another effect chosen.
    // A thread with nothing to do sleeps until then.
    virtual void WakeLightThreads() {}

    // The page's lighting panel (null when the layout has none), told the device's
    // type when the page is set up.
    panels::CLightControlUI* LightPanel();
    // Shows the light parameters, and the stored audio light words, in the lighting
    // panel.
    void ShowLightParameters();
    void ShowAudioLight();
    // The panel's device type code of this device's kind (receivers count as their device).
    int LightPanelType() const;

    // ---- I/O ----
    CommandTransport& Commands() { return commands_; }
    CommandTransport& Notifications() { return notifications_; }
    NotificationChannel& Channel(bool receiverWay) {
        return receiverWay ? receiverChannel_ : wiredChannel_;
    }
    // Opens one way's notification channel on path (reopening it when open); its
    // reader hands every report to OnNotificationReport.
    bool OpenNotificationChannel(bool receiverWay, const std::string& path);
    void CloseNotificationChannel(bool receiverWay) { Channel(receiverWay).Close(); }
    // Clears the open flag and closes both command connections, then OnDetached.
    void Detach();

    // ---- the device's own thread ----
    // On (the application): settings writes go to the device's worker and the caller
    // goes on at once; a device that leaves a command unanswered is marked as not
    // answering, fails further exchanges at once, and its settings are written again
    // when a power poll finds it answering. Off (the default): everything runs on the
    // caller's thread. UI thread, before the first write.
    void SetWritesQueued(bool on);
    bool WritesQueued() const { return writesQueued_; }
    // The device did not answer its last command; its settings wait to be written.
    bool NotAnswering() const { return !commands_.Answering(); }
    bool WritePending() const { return writePending_; }
    // After a (re)connection: settings a failed write left pending go out now.
    void ResumePendingWrites();
    // Shows whether the device answers on its selector entry and page (UI thread).
    void ShowAnswering();
    // The connection's reads are under way: the page says so and takes no input.
    bool Reading() const { return reading_; }
    // Waits until the worker has nothing to do (tests and shut-down).
    bool WaitWorkerIdle(int timeoutMs) { return worker_.WaitIdle(timeoutMs); }
    // Finishes the running job and drops the rest; the device kinds call it first
    // in their destructors, before what the jobs touch goes away.
    void StopWorker() { worker_.Stop(); }

    const std::array<uint8_t, kInfoSize>& InfoBlock() const { return info_; }
    CriticalSection& LightLock() { return lightLock_; }
    CriticalSection& LedRecordLock() { return ledRecordLock_; }
    LightParameters Light() const;
    // One lighting edit as every change stores it (the lighting page, the command-line
    // tool): the light words into the device object and its profile, the profile saved,
    // its lighting reapplied. Writing the device (WriteSettings) comes after.
    void StoreLightEdit(const std::array<uint32_t, 4>& words);
    lighting::ColumnRing ColumnRing() const;
    uint8_t KeyLevel(int keyIndex) const;

  protected:
    // The device left: what it set up outside itself is undone.
    virtual void OnDetached() {}
    // Writes a settings block at base inside a configuration sequence: on the worker
    // when writes are queued (the result comes back to the UI thread, CMD_OK is
    // returned at once), else here. onWritten runs after a good write, on the thread
    // that wrote, so it may touch only what is locked. A device not answering gets
    // nothing: the block is marked pending.
    int SendSettingsBlock(std::vector<uint8_t> block, uint16_t base,
                          std::function<void()> onWritten = {});
    // Any write the same way: exchange runs on the worker when writes are queued, else
    // here. It may touch only the transport, what it captured and what is locked.
    int QueueExchange(std::function<int()> exchange);
    // Reads the same way, and take runs on the UI thread with fetch's result once fetch
    // is done (at once when writes are not queued). fetch may touch only the transport
    // and what it captured. A failed write dropping what was queued behind it keeps
    // reads; a take for a connection the device has since left is not run.
    void FetchThenTake(std::function<int()> fetch, std::function<void(int)> take);
    // While the connection's reads are under way (UI thread).
    void ShowReading(bool reading);
    // The page's power display; null before the page is built.
    IPowerDisplay* PowerDisplayOfPage() const;
    // The end of a connection, after its reads and the profile (UI thread): the page
    // takes input again, and what a failed write left pending goes out.
    void FinishConnection();
    // What the key table and macro write of this kind sends; none for kinds without keys.
    virtual std::optional<KeysAndMacrosJob> KeysAndMacrosJobOf() { return std::nullopt; }
    // After that write, on the UI thread.
    virtual void AfterKeysAndMacros(const KeysAndMacrosResult&) {}
    // What a device that answers again is given: its settings from the profile.
    virtual void WritePendingState() { WriteSettings(); }
    // The profile whose "LightInfo" the light parameters are kept in; null for a kind
    // without one.
    virtual profiles::CBasicProfiledata* LightProfile() { return nullptr; }
    // Fills the lighting panel's mode list from the light name lists.
    void ShowModeList(const profiles::LightNameLists& lists);
    ui::CControlUI* FindChild(std::string_view name);
    // Tints the page's LED buttons with the colours (off when show is false), then
    // repaints the key-and-LED panel. UI thread.
    void PaintLedButtons(std::span<const LedColour> colours, bool show);
    void SelectTab(std::string_view tabName, int index);

    // I/O.
    CommandTransport commands_;
    CommandTransport notifications_;
    std::array<uint8_t, kInfoSize> info_{};
    std::array<uint8_t, kDeviceMapSize> keyMap_{};
    std::array<uint8_t, kDeviceMapSize> ledMap_{};
    DeviceDescriptor descriptor_;
    int deviceKind_ = 0;
    int linkKind_ = 0;

    // Page and controls.
    std::string layoutName_;
    std::string pageText1_;
    std::string pageText2_;
    std::string dataFolderName_;
    std::string lightConfigName_;
    int pageRow_ = -1;
    int pageValue_ = 0;
    std::vector<ui::CControlUI*> keyButtons_;
    std::vector<ui::CControlUI*> ledButtons_;
    ui::CControlUI* selectPanel_ = nullptr;  // the key-and-LED panel the light output repaints
    ui::CControlUI* deviceOption_ = nullptr;
    ui::CControlUI* powerPanel_ = nullptr;
    ui::CColorPaletteUI* colourPanel_ = nullptr;
    panels::CLightControlUI* lightPanel_ = nullptr;
    int functionPage_ = 1;
    ui::HWND window_ = 0;
    std::string notificationExitLine_;  // written by a notification reader as it ends
    int selectedKey_ = -1;
    int selectorValue_ = -1;
    bool notifierRegistered_ = false;

    // Lighting threads, after a step, with the colours it left (under the light lock).
    void StepDone(std::span<const LedColour> colours);
    bool tellsLightChanges_ = false;  // set by the kinds that call StepDone
    std::vector<LedColour> steppedColours_;  // the lighting thread's own
    std::atomic<bool> lightsPosted_{false};
    std::function<void()> lightsChanged_;

    // The worker and what it reports back to the UI thread.
    void OnWorkerMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l);
    void ApplyPowerRead(int result, const devices::PowerRecord& record);
    DeviceWorker worker_;
    DeviceMessageWindow workerWindow_{
        [this](ui::UINT msg, ui::WPARAM w, ui::LPARAM l) { OnWorkerMessage(msg, w, l); }};
    bool writesQueued_ = false;
    bool writePending_ = false;
    bool powerReadQueued_ = false;
    bool shownAnswering_ = true;
    bool reading_ = false;
    unsigned connection_ = 0;  // counts the device's departures (UI thread)
    std::mutex workerResultLock_;
    devices::PowerRecord workerPowerRecord_{};  // under workerResultLock_
    std::deque<std::function<void()>> takes_;   // under workerResultLock_

    // Lighting state, under the light lock (custom LED records: the LED record lock).
    std::map<int, int> thirdMap_;
    std::vector<LedColour> ledColours_;
    bool hostColoursOn_ = false;
    std::vector<LedColour> hostColours_;
    LightParameters light_;
    std::vector<profiles::LightStep> lightSteps_;
    std::vector<profiles::LightInfo> customLedRecords_;
    uint8_t step_ = 0;
    uint8_t colourIndex_ = 0;
    uint8_t blinkPhase_ = 0;
    uint32_t lastBlinkTime_ = 0;
    std::array<uint8_t, kKeyLevelCount> keyLevels_{};
    std::array<uint8_t, kKeyLevelCount> keyColours_{};
    lighting::ColumnRing columnRing_;
    std::atomic<bool> hostLightControl_{true};
    std::atomic<bool> allDevicesFlag_{true};
    mutable CriticalSection lightLock_;
    mutable CriticalSection ledRecordLock_;
    std::array<int, 3> currentColour_{};
    AudioLightWords audioWords_;  // under the light lock
    std::atomic<bool> powerDisplay_{false};
    std::atomic<bool> powerPollPause_{false};
    std::atomic<bool> windowActive_{false};
    std::atomic<unsigned> previewPeriodMs_{0};
    devices::PowerRecord powerRecord_{};
    bool hasPowerRecord_ = false;

    // Profile work of the device kinds: the profile, the light configuration and the
    // default profile documents.
    Json::Value profileDocument_;
    Json::Value lightDocument_;
    Json::Value defaultDocument_;

    profiles::DataFolders folders_;

  private:
    // Declared last so the readers stop before anything they use goes away.
    NotificationChannel wiredChannel_{notifications_, false};
    NotificationChannel receiverChannel_{notifications_, true};
};

}  // namespace vivori::devices
