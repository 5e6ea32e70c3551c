#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "devices/CQuorvaneUSBDevice.h"
#include "devices/DeviceMessageWindow.h"
#include "devices/KeyColourBlock.h"
#include "devices/KeyIdentity.h"
#include "devices/KeyboardSettingsBlock.h"
#include "devices/ProfileBinding.h"
#include "lighting/LightEngine.h"
#include "lighting/LightProgram.h"
#include "lighting/LightingDriver.h"
#include "macros/MacroUpload.h"
#include "platform/WorkerThread.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/LightNameLists.h"

namespace vivori::devices {

// The keyboard: identifies its keys, reads and writes its key map, macro memory,
// lighting-and-settings block and per-key colours, and follows what the keyboard
// reports on its notification collection.
//
// Threads: everything runs on the UI thread except OnNotificationReport (a reader
// thread), which feeds key presses to the lighting engine and posts every other code
// to the device's window, and the lighting engine's steps on the lighting thread. Writers return a
// result code: 0 when the transport is closed, CMD_LINK_DOWN when the receiver's keyboard is away
// (nothing is sent then), else the first failing command's code or CMD_OK.
class CQuorvaneKeyboardDevice : public CQuorvaneUSBDevice {
  public:
    // The notification codes the keyboard sends.
    static constexpr uint16_t kCodeSync = 0x0401;
    static constexpr uint16_t kCodeProfileSwitched = 0x0402;
    static constexpr uint16_t kCodeIgnored = 0x0404;
    // The UI-thread timer that coalesces sync requests into one SyncFromDevice.
    static constexpr ui::UINT_PTR kSyncTimer = 1002;
    static constexpr ui::UINT kSyncDelayMs = 50;
    static constexpr int kLightingStopMs = 1000;

    explicit CQuorvaneKeyboardDevice(std::shared_ptr<hid::HidBus> bus = nullptr);
    ~CQuorvaneKeyboardDevice() override;

    std::string_view GetClass() const override { return "QuorvaneKeyboardDevice"; }
    void* GetInterface(std::string_view name) override;

    // ---- base operations ----
    void ApplyProfileLighting() override;
    void OnConnected() override;
    void SyncFromDevice() override;
    bool IsWirelessOnline() override;
    void LoadProfile() override;
    void RefreshPage() override;
    void DropDeletedMacros() override;
    void ReloadDefaults() override;
    std::vector<int> CollectUsedMacros() override;
    int WriteKeyTable() override { return WriteKeyTableFromProfile(); }
    int WriteKeyTableFromProfile() override;
    int WriteMacros() override;
    macros::MacroUploadResult WriteUsedMacros() override {
        return WriteMacroList(CollectUsedMacros());
    }
    int WriteSettings() override { return WriteSettings(0, 0); }
    int WriteTemporaryLight(const LightParameters& light) override;
    void LoadNameLists() override;
    void ShowTip(int page) override;
    void SaveProfile() override;
    std::string GetProfileName() const override { return binding_.name; }
    void SetMusicInput(const int* values, int count) override;
    void SetLevelInput(const int* values, int count) override;
    void SetAudioLightWords(AudioLightWords words) override;
    // Marks the key's button as the one being edited (and no other).
    void SelectKey(int index) override;
    void BuildPage() override;
    void OnNotificationReport(const std::vector<HidDataItem>& items, bool receiverWay) override;
    void ResetEffectState() override;
    void SetLedColour(int index, LedColour colour) override;
    LedColour GetLedColour(int index) const override;
    // The light output (UI thread, from the selector's light timer): paints the LED
    // buttons while the main window is shown. The lighting thread streams the frames
    // of the host-driven modes, dropping one that meets a busy transport.
    void RefreshLights() override;
    void WakeLightThreads() override { lightingDriver_.Wake(); }

    // ---- keyboard operations ----

    // The full read: information block, key map and LED map, then key
    // identification. On a failure the copies read before stay as they were.
    int ReadDevice();
    int ReadKeyMaps() override { return ReadDevice(); }
    // Reads the light slot and its block and takes over the light parameters and the
    // system flags it holds; a failure keeps the old ones. Touches no profile.
    int ReadLightBlock();
    // The read light block and what follows from it: light parameters and system
    // settings taken over, the effect restarted, custom colours read in mode 19, and
    // all of it stored in the profile.
    int SyncLightBlock();
    int WriteKeyTable(int block, const std::vector<profiles::KeyListEntry>& keys);
    // Keys whose assignment the last key-table write could not place: they have no
    // slot on this keyboard (known or by factory code).
    const std::vector<int>& UnplacedKeys() const { return unplacedKeys_; }
    // Uploads the listed macros (macro list positions) as the device's macro image.
    // A set too large for the device's memory is refused before anything is sent.
    macros::MacroUploadResult WriteMacroList(const std::vector<int>& macroNumbers) override;
    // Writes the settings block built from the profile at slot x 33, byte 0 = value.
    int WriteSettings(int slot, int value);
    // Per-key colours of light mode 19, in the block the light block names.
    int ReadKeyColours();
    int WriteKeyColours();

    // ---- the settings tab and the custom colours (UI thread) ----

    // Every change takes the same order: the device object, the profile document, the
    // saved file, then the keyboard. Returns the settings write's result.
    int ChangeSystemSettings(const profiles::KeyboardSystemStages& stages);
    // The repeat rate and delay of the shipped default profile.
    int ResetKeyRepeat();
    // The custom-colour painting tool: keys dragged over are painted lit (in the
    // current colour) or off, or nothing is painted.
    enum class PaintTool { None, Lit, Off };
    void SetPaintTool(PaintTool tool) { paintTool_ = tool; }
    PaintTool GetPaintTool() const { return paintTool_; }
    // Paints the keys (logical indexes; others are ignored) with the tool, stores the
    // per-key colours in the profile, switches to the custom-colour mode and writes
    // the colours to the keyboard. CMD_OK without a tool or keys.
    int PaintKeys(const std::vector<int>& keys);
    std::vector<LedColour> CustomKeyColours() const;

    // Shows every key's assignment on its button (UI thread).
    void RefreshKeyLabels();
    void ShowKeyLabel(int keyIndex, const std::string& label);

    // The lighting thread steps the engine into the LED colour list at its mode's pace.
    void RestartLightingThread();
    void StopLightingThread();
    bool LightingThreadRunning() const { return lightingDriver_.Running(); }
    uint64_t LightFramesSent() const { return lightingDriver_.FramesSent(); }

    const KeyLocations& Locations() const { return locations_; }
    int KeySlotCount() const { return slotCount_; }
    uint8_t LightSlot() const;
    LightBlock CurrentLightBlock() const;
    const profiles::KeyboardSystemStages& SystemSettings() const { return system_; }
    std::vector<profiles::KeyListEntry> KeyAssignments() const override { return keys_; }
    void SetKeyAssignments(std::vector<profiles::KeyListEntry> keys) override;
    profiles::CKeyboardProfiledata& Profile() { return profile_; }
    const std::vector<int>& ModeMap();
    const std::vector<std::string>& CustomLightNames() const { return nameLists_.customNames; }
    uint16_t LastSyncCode() const { return lastSyncCode_; }

  protected:
    profiles::CBasicProfiledata* LightProfile() override { return &profile_; }
    std::optional<KeysAndMacrosJob> KeysAndMacrosJobOf() override;
    void AfterKeysAndMacros(const KeysAndMacrosResult& written) override;

  private:
    // What the connection reads, fetched on the worker and taken on the UI thread.
    struct ConnectionRead {
        int mapsResult = CMD_NO_REPLY;
        std::array<uint8_t, kInfoSize> info{};
        std::array<uint8_t, kDeviceMapSize> keyMap{};
        std::array<uint8_t, kDeviceMapSize> ledMap{};
        int lightResult = CMD_NO_REPLY;
        uint8_t slot = 0;
        LightBlock block{};
        bool coloursRead = false;  // only in the custom-colour mode
        int coloursResult = CMD_NO_REPLY;
        KeyColourBuffer colours{};
    };
    // The exchanges of ReadDevice, ReadLightBlock and ReadKeyColours: transport only.
    int FetchDeviceMaps(ConnectionRead& read);
    int FetchLightBlock(uint8_t& slot, LightBlock& block);
    int FetchKeyColours(KeyColourBuffer& colours, size_t length, int block);
    // The reads of a connection (withMaps) or of a sync, in their order, on the worker;
    // then take on the UI thread.
    void QueueDeviceRead(bool withMaps, std::function<void(const ConnectionRead&)> take);
    // modeMap, pageMode and slots are the UI thread's, taken before.
    int FetchDeviceRead(ConnectionRead& read, bool withMaps, const std::vector<int>& modeMap,
                        int pageMode, int slots);
    // The light block read and what follows from it: settings taken over, the custom
    // colours in mode 19, all of it stored in the profile.
    void TakeLightRead(const ConnectionRead& read);
    // What follows from the reads (UI thread).
    void TakeDeviceMaps(const ConnectionRead& read);
    void TakeLightBlock(uint8_t slot, const LightBlock& block);
    int TakeKeyColours(const KeyColourBuffer& colours);
    void TakeConnection(const ConnectionRead& read);
    void KeepPreviousLightBlock();
    void StoreLightBlockInProfile();
    void HandleWindowMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l);
    void OnNotificationCode(uint16_t code);
    void SetIdentifiedKeys(const KeyLocations& locations, int slotCount);
    void TakeOverDecodedSettings(const LightBlock& block);
    // Writes the settings block of these light settings and the profile's system
    // settings at slot x 33, byte 0 = value.
    int WriteSettingsBlock(int slot, int value, const profiles::LightInfo& light);
    void ShowSettings();
    std::string Translate(const std::string& key);
    // Engine upkeep, the light lock held: new settings (a restart when the mode
    // changed or is 19), or a restart from the first step.
    void UpdateEngineLocked();
    void RestartEngineLocked();
    void GiveEngineCustomColoursLocked();
    void StepEngine();
    // Builds and sends one light frame (lighting thread); a command result.
    int StreamLightFrame();
    // The profile's custom step program and light list, for mode 28 and the LED layer.
    void LoadLightProgram();
    // Once per light tick (lighting thread): the step program in mode 28 and modes
    // outside 1-30, then the custom LED layer over every mode.
    void RunLightTick();

    profiles::CKeyboardProfiledata profile_;
    ProfileBinding binding_;
    profiles::LightNameLists nameLists_;
    bool nameListsLoaded_ = false;
    std::vector<std::string> macroNames_;
    ui::CControlUI* textLabel_ = nullptr;  // the page's hidden "text_test", for Translate
    uint8_t lightSlot_ = 0;
    LightBlock lightBlock_{};
    std::array<uint8_t, 23> previousLightBlock_{};
    profiles::KeyboardSystemStages system_;
    std::vector<profiles::KeyListEntry> keys_;
    KeyLocations locations_;
    int slotCount_ = 0;  // written under the light lock: the lighting thread reads it
    bool infoRead_ = false;
    uint16_t lastSyncCode_ = 0;     // UI thread only
    PaintTool paintTool_ = PaintTool::None;
    // A profile switch on the keyboard (0x0402) asks for the profile to be loaded at
    // the next sync; a sync request (0x0401) arriving before it runs must not undo it.
    bool reloadProfilePending_ = false;  // UI thread only
    std::vector<int> unplacedKeys_;

    // Mode 19's per-key colours as the keyboard's colour block holds them (each with
    // its own brightness); the LED colour list is the running effect's preview.
    std::vector<LedColour> customKeyColours_ = std::vector<LedColour>(kLogicalKeyCount);
    lighting::LightEngine engine_;  // under the light lock
    // Steps under the light lock, LED records under the LED record lock.
    lighting::LightProgram program_;
    std::vector<uint8_t> lightFrame_;  // lighting thread
    lighting::LightingDriver lightingDriver_{commands_};
    DeviceMessageWindow postWindow_{
        [this](ui::UINT msg, ui::WPARAM w, ui::LPARAM l) { HandleWindowMessage(msg, w, l); }};
};

}  // namespace vivori::devices
