#pragma once

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "devices/CQuorvaneUSBDevice.h"
#include "devices/DeviceMessageWindow.h"
#include "devices/KeyIdentity.h"
#include "devices/MouseDpiScale.h"
#include "devices/MouseSettingsBlock.h"
#include "devices/ProfileBinding.h"
#include "lighting/LightingDriver.h"
#include "lighting/MouseLightEffects.h"
#include "macros/MacroUpload.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/LightNameLists.h"

namespace vivori::ui {
class CEditUI;
class COptionUI;
class CSliderUI;
}  // namespace vivori::ui

namespace vivori::devices {

// The mouse: its eleven button functions, five DPI stages, polling rate, pointer and
// wheel settings, the profile block it keeps per on-device profile, its macro and
// recoil memory, and its page with the lighting preview of its 15 LEDs.
//
// Threads: everything runs on the UI thread except OnNotificationReport (a reader
// thread, which posts what it reads to the device's window) and the preview steps on
// the preview thread, under the light lock. Writers return a result code: 0 when the
// transport is closed, CMD_LINK_DOWN when the receiver's mouse is away (nothing is sent
// then), else the first failing command's code or CMD_OK.
class CQuorvaneMouseDevice : public CQuorvaneUSBDevice {
  public:
    // The notification codes the mouse sends.
    static constexpr uint16_t kCodeSync = 0x0401;
    static constexpr uint16_t kCodeFade = 0x0403;
    static constexpr ui::UINT_PTR kSyncTimer = 1002;
    static constexpr ui::UINT kSyncDelayMs = 50;
    static constexpr int kButtonCount = 11;
    static constexpr int kStageCount = kMouseStageCount;
    static constexpr int kPollingOptions = 5;
    static constexpr int kSettingsTabs = 3;
    // A button whose factory code the key map does not hold.
    static constexpr uint8_t kNoButtonSlot = 0xAA;
    static constexpr int kPreviewStopMs = 1000;

    // One row of the fixed button table: its name text and factory code.
    struct ButtonFunction {
        const char* nameKey;
        uint32_t defaultCode;
    };
    static const std::array<ButtonFunction, kButtonCount>& ButtonFunctions();

    explicit CQuorvaneMouseDevice(std::shared_ptr<hid::HidBus> bus = nullptr);
    ~CQuorvaneMouseDevice() override;

    std::string_view GetClass() const override { return "QuorvaneMouseDevice"; }
    void* GetInterface(std::string_view name) override;

    // ---- base operations ----
    void ApplyProfileLighting() override;
    void OnConnected() override;
    // Also reads the information block when the connection could not.
    void SyncFromDevice() override;
    // The base's power read; while the information block is unread, it is tried again.
    void ReadPowerStatus() override;
    void LoadProfile() override;
    void RefreshPage() override;
    void DropDeletedMacros() override;
    void ReloadDefaults() override;
    std::vector<int> CollectUsedMacros() override;
    int WriteKeyTable() override { return WriteKeyTableFromProfile(); }
    int WriteKeyTableFromProfile() override { return WriteKeyTable(keys_); }
    int WriteMacros() override;
    int WriteSettings() override;
    int WriteTemporaryLight(const LightParameters& light) override;
    void LoadNameLists() override;
    void ShowTip(int page) override;
    void SaveProfile() override;
    std::string GetProfileName() const override { return binding_.name; }
    void SelectKey(int index) override;
    void BuildPage() override;
    void OnNotificationReport(const std::vector<HidDataItem>& items, bool receiverWay) override;
    void ResetEffectState() override;
    void SetLedColour(int index, LedColour colour) override;
    LedColour GetLedColour(int index) const override;
    // The light output (UI thread, from the selector's light timer): paints the LED
    // controls while the main window is shown. The mouse runs its effects itself, so
    // nothing is painted, and nothing computed, while the window is hidden.
    void RefreshLights() override;
    void WakeLightThreads() override { previewDriver_.Wake(); }

    // ---- mouse operations ----

    // Information block and key map; the default-key map and the DPI ranges follow.
    // A failure keeps what the last good read found. Until one read succeeds the DPI
    // stages cannot be changed (InfoRead is false).
    int ReadDeviceInfo();
    bool InfoRead() const { return infoRead_; }
    int ReadKeyMaps() override { return ReadDeviceInfo(); }
    // The current profile's block: its light record and current DPI stage become the
    // profile's, and the profile is saved. A failure keeps the old image.
    int ReadCurrentSettings(int* profileIndex = nullptr);
    int WriteKeyTable(const std::vector<profiles::KeyListEntry>& keys);
    // Uploads the listed macros (macro list positions) as the mouse's macro image; an
    // empty list sends nothing. A set too large for its memory is refused before the
    // image is sent.
    macros::MacroUploadResult WriteMacroList(const std::vector<int>& macroNumbers) override;
    // The four recoil patterns as the mouse's recoil image.
    macros::MacroUploadResult WriteShootData();
    // The same on the mouse's worker when writes are queued; done on the UI thread.
    void QueueShootData(std::function<void(const macros::MacroUploadResult&)> done);
    // The 66-byte block of profile `profile` at profile x 128.
    int WriteSettings(int profile, int value, int flag, int screenWidth, int screenHeight);

    void SetScreenSize(int width, int height);
    void SetDpiStages(std::vector<profiles::DpiStage> stages);
    const std::vector<profiles::DpiStage>& GetDpiStages() const { return stages_; }
    // First: pointer speed << 16 | double-click; second: page scroll << 16 | pointer
    // precision; third: polling option << 16 | scroll speed.
    void SetSystemSettings(uint32_t first, uint32_t second, uint32_t third);
    std::array<uint32_t, 3> GetSystemSettings() const;
    const profiles::MouseSystemStages& SystemSettings() const { return system_; }
    std::vector<profiles::KeyListEntry> KeyAssignments() const override { return keys_; }
    void SetKeyAssignments(std::vector<profiles::KeyListEntry> keys) override;
    profiles::CMouseProfiledata& Profile() { return profile_; }

    DpiScale Scale() const;
    const std::array<uint8_t, kButtonCount>& DefaultKeyMap() const { return defaultKeyMap_; }
    int KeySlotCount() const { return slotCount_; }
    // The code the key map read last holds at a slot; 0 outside it.
    uint32_t SlotCode(int slot) const;
    int CurrentProfileIndex() const { return block_[mouse_byte::kValue]; }
    int CurrentDpiStage() const { return profile_.GetActiveDpiStage(); }
    const MouseBlockImage& BlockImage() const { return block_; }
    const std::vector<int>& ModeMap();

    // ---- page operations ----
    void SelectDpiStage(int index);
    void SetStageLayout(int index, bool enabled);
    bool IsStageEnabled(int index);
    void ShowStageValue(int index, int position);
    int GetSliderPosition(int index);
    int EditToSliderPosition(int index);
    void SetStageColourControl(int index, ui::UiColor colour);
    ui::UiColor GetStageColourControl(int index);
    void SelectPollingOption(int index);
    void SetScrollControls(bool page, int speed);
    void SelectSettingsTab(int index);
    ui::CSliderUI* PointerSpeedSlider();
    ui::COptionUI* PointerPrecisionCheck();
    ui::COptionUI* ScrollPageCheck();
    ui::CSliderUI* ScrollSpeedSlider();
    ui::CSliderUI* DoubleClickSlider();

    // ---- page reactions; each that changes a setting saves and writes ----
    // Stage i's slider let go, or its edit confirmed: the position becomes the stage's.
    int CommitStagePosition(int index, int position);
    int OnStageSelected(int index);
    int OnStageEnabled(int index);
    int OnStageColour(int index, ui::UiColor colour);
    int OnPollingOption(int index);
    // The pointer and wheel controls: stored in the profile only (the named control).
    void OnSystemControl(std::string_view name);

    // ---- the preview ----
    void RestartPreview();
    void StopPreview();
    bool PreviewRunning() const { return previewDriver_.Running(); }
    uint64_t PreviewSteps() const { return previewDriver_.StepsRun(); }
    uint8_t PreviewPosition() const;
    uint8_t PreviewLevel(int led) const;

    // The button summary's rows: name text and assignment, as shown.
    std::vector<std::pair<std::string, std::string>> ButtonSummary();
    const std::string& LightSummary() const { return summary_; }

  protected:
    profiles::CBasicProfiledata* LightProfile() override { return &profile_; }
    std::optional<KeysAndMacrosJob> KeysAndMacrosJobOf() override;

  private:
    // The information block and key map, fetched on the worker, taken on the UI thread.
    struct InfoBlockRead {
        std::array<uint8_t, kInfoSize> info{};
        std::array<uint8_t, kDeviceMapSize> keyMap{};
    };
    int FetchDeviceInfo(InfoBlockRead& read);
    // The current profile's block, byte 0 its index: transport only.
    int FetchCurrentSettings(MouseBlockImage& block);
    void TakeCurrentSettings(MouseBlockImage block);
    void TakeDeviceInfo(const InfoBlockRead& read);
    // A read of the information block on the worker; then, when it was read, andThen.
    void QueueInfoRead(std::function<void()> andThen);
    bool infoReadQueued_ = false;  // UI thread
    void OnDetached() override { infoReadQueued_ = false; }
    // The 66-byte block with these light settings in place of the profile's.
    int WriteSettingsBlock(int profile, int value, int flag, int screenWidth, int screenHeight,
                           const profiles::LightInfo& light);
    void HandleWindowMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l);
    void OnNotificationCode(uint16_t code);
    std::string Translate(const std::string& key);
    KeyLocations ButtonLocations() const;
    void FindButtonSlots();
    int WriteAndSave();
    void ShowStages();
    void ShowSystemControls();
    void RefreshButtonSummary();
    void RefreshLightSummary();
    void SetDpiRanges();
    // The light parameters to the preview, the light lock held.
    void ApplyEffectsLocked();
    void StepPreview();
    void RunPreviewTick();
    void LoadLightProgram();
    template <typename T>
    T* Control(const std::string& name);
    template <typename T>
    T* StageControl(const char* prefix, int index);
    template <typename T>
    T* Panel(std::string_view interfaceName);

    profiles::CMouseProfiledata profile_;
    ProfileBinding binding_;
    profiles::LightNameLists nameLists_;
    bool nameListsLoaded_ = false;
    std::vector<std::string> macroNames_;
    ui::CControlUI* textLabel_ = nullptr;
    ui::CControlUI* logo_ = nullptr;
    std::string summary_;

    std::vector<profiles::KeyListEntry> keys_;
    std::vector<profiles::DpiStage> stages_;
    profiles::MouseSystemStages system_;
    std::array<uint8_t, kButtonCount> defaultKeyMap_{};
    int slotCount_ = 0;
    bool infoRead_ = false;
    MouseBlockImage block_{};
    int screenWidth_ = 1920;
    int screenHeight_ = 1080;
    int selectedLed_ = -1;

    lighting::MouseLightEffects effects_;  // under the light lock
    lighting::LightingDriver previewDriver_{commands_};
    DeviceMessageWindow postWindow_{
        [this](ui::UINT msg, ui::WPARAM w, ui::LPARAM l) { HandleWindowMessage(msg, w, l); }};
};

}  // namespace vivori::devices
