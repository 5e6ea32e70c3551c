#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/AudioLibrary.h"
#include "devices/CVendorBlockDevice.h"
#include "profiles/CRi6533Profiledata.h"

namespace vivori::panels {
class CMagicControlUI;
class CVoice6533ControlUI;
}  // namespace vivori::panels

namespace vivori::devices {

// One LED output report of the headset: 0xFF, controller, channel register, 0, seven
// channel values (six for LEDs 7-12), zeros.
inline constexpr size_t kLedReportSize = 17;
using LedReport = std::array<uint8_t, kLedReportSize>;
inline constexpr int kHeadsetLedCount = 13;
inline constexpr int kLedReportsPerRound = 12;
// Channel values are capped: the LED controllers take no more.
inline constexpr uint8_t kLedChannelCap = 247;
// The twelve reports that show colours on the headset's two LED controllers.
std::array<LedReport, kLedReportsPerRound> BuildLedReports(std::span<const LedColour> colours);

// The headset: the vendor side it shares with the mouse pad (settings block, preview,
// notification), LEDs driven by HID output reports while the host drives the lights,
// and the audio side through the audio library: microphone, monitoring, equaliser and
// voice effect, read at the start and set from the voice and effect panels.
//
// Audio calls are made on the UI thread only. Each panel action changes the chip
// first and keeps a setting only when the chip took it.
class CQuorvaneRI6533Device : public CVendorBlockDevice {
  public:
    static constexpr uint32_t kVoiceEffectFeature = 0x20000;
    static constexpr int kMaxCustomEqs = 20;
    // The custom-EQ index of a curve set with the sliders and never named.
    static constexpr int kUnnamedCustomEq = -1;
    using AudioSource = std::function<std::shared_ptr<audio::IAudioLibrary>()>;
    using MessageSink = std::function<void(const std::string&)>;

    explicit CQuorvaneRI6533Device(std::shared_ptr<hid::HidBus> bus = nullptr);
    ~CQuorvaneRI6533Device() override;

    std::string_view GetClass() const override { return "QuorvaneRI6533Device"; }
    void* GetInterface(std::string_view name) override;

    void InitPage() override;
    void BuildPage() override;
    void RefreshPage() override;
    void ReloadDefaults() override;
    // The profile's audio settings to the audio library: equaliser, microphone and
    // monitoring level and mute, voice effect.
    void WriteProfileExtras() override;
    void RefreshLights() override;
    bool HostSendsLeds() const override { return HostLightControl(); }
    profiles::CBasicProfiledata& ProfileData() override { return profile_; }
    profiles::CRi6533Profiledata& Profile() { return profile_; }

    // ---- LEDs ----
    // One round of the twelve reports from the LED colour list, sent on the wired
    // connection. CMD_OK, or the first failure (nothing sent while the host light
    // control flag is clear: CMD_NO_REPLY).
    int SendLedRound();
    uint64_t LedRoundsSent() const { return ledRounds_; }

    // ---- audio ----
    void SetAudioSource(AudioSource source) { audioSource_ = std::move(source); }
    // Where "ConfLibInit called failed!" and "UpdateAPOAvailable failed!" go.
    void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }
    // Loads and starts the library once; true when it has a playback device.
    bool StartAudio();
    void SelectAudioDevices();
    void RestoreAudioDefaults();
    void ReadAudioState();
    bool AudioReady() const { return audioReady_; }
    const audio::DeviceRecord& PlaybackDevice() const { return playback_.record; }
    const audio::DeviceRecord& RecordingDevice() const { return recording_.record; }
    const std::array<int32_t, 3>& PlaybackFeatures() const { return playback_.features; }
    const std::array<int32_t, 3>& RecordingFeatures() const { return recording_.features; }

    // ---- the panels' actions ----
    void ToggleMicMute();
    void SetMicLevel(int value);
    void ToggleMonitorMute();
    void SetMonitorLevel(int value);
    void SetVoiceEffect(bool on);
    void SelectVoiceEffect(int n);
    // Presets 1-12; 13 is the custom setting (SelectCustomEq).
    void ApplyPreset(int n);
    void SelectCustomEq();
    // False when no named custom setting is chosen (nothing changes then).
    bool ApplyCustom();
    void SetBand(int band, int value);
    // -1 nothing to save (no name and no selection, or the list is full), 0 the name is
    // taken, 1 saved.
    int SaveCustom();
    void DeleteCustom();

    const profiles::SystemSetStages& AudioSettings() const { return settings_; }
    const std::vector<int32_t>& EqBands() const { return bands_; }
    const std::vector<std::string>& CustomEqNames() const { return customNames_; }
    bool MicMuted() const { return micMuted_; }
    bool MonitorMuted() const { return monitorMuted_; }

    // Whether the page says that the equaliser cannot play (no sound server for it).
    bool EqualiserNoteShown() const { return eqNoteShown_; }

  protected:
    void AfterProfileLoaded() override;
    // The library's settings, and the profile's curve to the equaliser: one that
    // runs on this computer (not in the headset) starts flat.
    void OnConnectedReads() override;
    void OnDetached() override;
    void SendChangedLeds(bool whole) override;

  private:
    struct AudioDevice {
        audio::DeviceRecord record;
        std::array<int32_t, 3> features{};
        bool present = false;
    };
    void ShowMessage(const std::string& text);
    void QueryFeatures(AudioDevice& device);
    void ShowBands();
    // Sends the bands to the equaliser, turning it on first.
    void SendBands();
    void SaveAudioSettings();
    bool SetRecording(std::string_view name, int32_t value, const audio::Parameter* p = nullptr);
    bool SetPlayback(std::string_view name, int32_t value);
    bool SetRecordingLevel(std::string_view name, int value, const audio::Parameter& channel);
    // The bands playing now become the unnamed custom curve, in the profile document.
    void KeepUnnamedCustomEq();
    void ToggleMute(bool& muted, std::string_view property, int32_t& select, bool monitor);
    // Shows the page's note while the library's equaliser cannot play.
    void UpdateEqualiserNote();

    profiles::CRi6533Profiledata profile_;
    panels::CVoice6533ControlUI* voicePanel_ = nullptr;
    panels::CMagicControlUI* magicPanel_ = nullptr;
    profiles::SystemSetStages settings_;
    std::vector<int32_t> bands_ = std::vector<int32_t>(profiles::kEqBands, 0);
    std::vector<std::string> customNames_;
    bool micMuted_ = false;
    bool monitorMuted_ = false;

    AudioSource audioSource_;
    MessageSink messageSink_;
    std::shared_ptr<audio::IAudioLibrary> library_;
    bool audioStarted_ = false;
    bool audioReady_ = false;
    AudioDevice playback_;
    AudioDevice recording_;

    std::vector<LedColour> lastSent_;
    uint64_t ledRounds_ = 0;
    uint32_t lastPaintMs_ = 0;  // UI thread
    uint32_t lastEqCheckMs_ = 0;
    bool eqNoteShown_ = false;
};

}  // namespace vivori::devices
