#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "devices/CQuorvaneUSBDevice.h"
#include "devices/DeviceMessageWindow.h"
#include "lighting/LightProgram.h"
#include "lighting/VendorPreview.h"
#include "platform/WorkerThread.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/LightNameLists.h"

namespace vivori::devices {

// The 21-byte settings block of the mouse pad and the headset.
inline constexpr size_t kVendorBlockSize = 21;
using VendorBlock = std::array<uint8_t, kVendorBlockSize>;
namespace vendor_byte {
inline constexpr size_t kProfile = 0;
inline constexpr size_t kMode = 1;  // light-mode index here, the device's mode code on the wire
inline constexpr size_t kBrightness = 2;
inline constexpr size_t kSpeed = 3;  // speed here, 4 - speed on the wire
inline constexpr size_t kDirection = 4;
inline constexpr size_t kColourful = 5;
inline constexpr size_t kRed = 6;
inline constexpr size_t kGreen = 7;
inline constexpr size_t kBlue = 8;
}  // namespace vendor_byte
// The current settings are read at profile x 33 (34 bytes) and written at profile x 64.
inline constexpr int kVendorReadStride = 33;
inline constexpr size_t kVendorReadLength = 34;
inline constexpr int kVendorWriteStride = 64;
// Light-mode indexes of 9 and more are written as the map's first entry.
inline constexpr int kVendorModeLimit = 9;

// The wire form of the settings image: byte 1 the mode code of the index, byte 3
// 4 - speed. An index without a code (or past the limit) sends the first code.
VendorBlock EncodeVendorBlock(const VendorBlock& image, const std::vector<int>& modeMap);
// The image form of a block read from the device: the mode code back to its index
// (kept when the map lacks it) and the speed back.
VendorBlock DecodeVendorBlock(const VendorBlock& wire, const std::vector<int>& modeMap);

// The vendor side the mouse pad and the headset share: the settings block, its read
// and write, the lighting preview of the page's LED picture (a thread paced by the
// light tick), and the notification that asks for a read-back. The device kinds add
// their profile data, their wave and LED groups, and what they do beyond it.
//
// Threads: the UI thread calls everything; the preview thread steps the preview under
// the light lock; the notification reader posts to the device's window and touches
// nothing else. Writers return a result code, 0 when the transport is closed.
class CVendorBlockDevice : public CQuorvaneUSBDevice {
  public:
    static constexpr uint16_t kCodeSync = 0x0401;
    static constexpr ui::UINT_PTR kSyncTimer = 1002;
    static constexpr ui::UINT kSyncDelayMs = 500;
    static constexpr int kPreviewStopMs = 1000;

    CVendorBlockDevice(std::shared_ptr<hid::HidBus> bus, lighting::PreviewWave wave,
                       std::vector<std::pair<int, int>> groups);
    ~CVendorBlockDevice() override;

    // ---- base operations ----
    void OnConnected() override;
    void SyncFromDevice() override;
    void LoadProfile() override;
    void ReloadDefaults() override;
    void ApplyProfileLighting() override;
    void LoadNameLists() override;
    void SaveProfile() override;
    std::string GetProfileName() const override { return profileName_; }
    int WriteSettings() override { return WriteSettings(0); }
    int WriteTemporaryLight(const LightParameters& light) override;
    void SetLightParameters(uint32_t modeWord, uint32_t colourWord, uint32_t extra,
                            uint32_t colourBlock) override;
    void RefreshLights() override;
    void WakeLightThreads() override { previewWake_.Set(); }
    void ResetEffectState() override;
    void OnNotificationReport(const std::vector<HidDataItem>& items, bool receiverWay) override;
    void BuildPage() override;

    // ---- the shared block ----

    // Reads the profile index P (1 byte at 0) and the block at P x 33. On success the
    // image and the light parameters take it over and P is given back; on a failure
    // the image stays as it was and the failing result comes back.
    int ReadCurrentSettings(int& profileIndex);
    // Writes the image at p x 64 inside a configuration. 0 on a closed transport.
    int WriteSettings(int profile);
    VendorBlock Image() const;
    const std::vector<int>& ModeMap();

    // The preview thread (started by OnConnected, stopped with the device).
    void StartPreview();
    void StopPreview();
    bool PreviewRunning() const { return previewThread_.Running(); }
    uint64_t PreviewSteps() const { return previewSteps_.load(); }
    // One light tick of the preview, as the thread runs it (tests step it by hand).
    void PreviewTick(uint32_t nowMs, int ticks = 1);
    // Light ticks until the preview's next step can change a colour (1: every tick).
    int PreviewTicksToStep();

    virtual profiles::CBasicProfiledata& ProfileData() = 0;

  protected:
    profiles::CBasicProfiledata* LightProfile() override { return &ProfileData(); }
    // After the profile was loaded or reset to the defaults: the kinds take over what
    // else their profile holds.
    virtual void AfterProfileLoaded() {}
    // At connection, after the profile: what the kind reads beyond the settings block.
    virtual void OnConnectedReads() {}
    // Kinds that read their information block at connection, before the settings.
    virtual bool ReadsInfoAtConnection() const { return false; }
    // ConfigBegin, ReadInfo, ConfigEnd into info: transport only.
    int FetchInfo(std::array<uint8_t, kInfoSize>& info);
    void SetImageFromLight();
    void LoadLightProgram();
    void HandleWindowMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l);
    // UI thread: the LED colours changed while the device takes them from the host
    // (whole: send all of them, whatever went before). The kinds that send do so here.
    virtual void SendChangedLeds(bool whole) { (void)whole; }

    VendorBlock image_{};  // under the light lock
    bool imageRead_ = false;
    bool profileSelected_ = false;
    std::string profileName_;

  private:
    void PreviewLoop(Event& stop);
    lighting::PreviewSettings PreviewSettingsLocked() const;
    void PostLedChange(bool whole);
    // The block as the device holds it at P x 33, byte 0 set to P: transport only.
    int ReadBlock(VendorBlock& wire, int& profileIndex);
    // The image and the light parameters take a block read over.
    void TakeBlock(const VendorBlock& wire);

    profiles::LightNameLists nameLists_;
    bool nameListsLoaded_ = false;
    lighting::VendorPreview preview_;            // under the light lock
    lighting::LedColourList previewColours_{};  // under the light lock
    lighting::LightProgram program_;  // steps: light lock; records: LED record lock
    std::atomic<uint64_t> previewSteps_{0};
    WorkerThread previewThread_;
    Event previewWake_{ResetMode::Auto};
    std::vector<LedColour> postedColours_;  // under the light lock
    std::atomic<bool> ledChangePosted_{false};
    std::atomic<bool> wholeLedRound_{false};
    DeviceMessageWindow postWindow_{
        [this](ui::UINT msg, ui::WPARAM w, ui::LPARAM l) { HandleWindowMessage(msg, w, l); }};
};

}  // namespace vivori::devices
