#include "devices/CQuorvaneRI6533Device.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "panels/CMagicControlUI.h"
#include "panels/CVoice6533ControlUI.h"
#include "platform/CaseFold.h"
#include "platform/Debug.h"
#include "platform/Time.h"

namespace vivori::devices {
namespace {

// The LED pairs of the headset's picture that light together in the group chase.
const std::vector<std::pair<int, int>> kHeadsetGroups = {{1, 14}, {2, 13}, {3, 12}, {4, 11},
                                                         {5, 10}, {6, 9},  {7, 8}};

constexpr int kPlaybackTypes[] = {1, 12, 7, 4};  // in order of preference
constexpr int kRecordingType = 2;
constexpr size_t kFeatureFields = 7;
constexpr size_t kFeatureField[3] = {0, 4, 6};
constexpr int kCustomEq = profiles::kCustomEqType;

constexpr int32_t kPresets[12][profiles::kEqBands] = {
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},      {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},          {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},     {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},     {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},     {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
};

// The start-up restore: each property read, and set to 0 when the read fails.
struct RestoreEntry {
    const char* name;
    bool playback;
    audio::Parameter parameter;
    bool parameterOnWrite;
};
const RestoreEntry kRestore[] = {
    {"VirtualSurroundEffectControl", true, {4, -1, 0}, true},
    {"Enable_ENC_LFX", false, {}, false},
    {"VolumeControl", false, {-1}, true},
    {"Enable_EQ_GFX", true, {}, false},
    {"EQ_Slider1", true, {}, false},
    {"EQ_Slider2", true, {}, false},
    {"EQ_Slider3", true, {}, false},
    {"EQ_Slider4", true, {}, false},
    {"EQ_Slider5", true, {}, false},
    {"EQ_Slider6", true, {}, false},
    {"EQ_Slider7", true, {}, false},
    {"EQ_Slider8", true, {}, false},
    {"EQ_Slider9", true, {}, false},
    {"EQ_Slider10", true, {}, false},
    {"Enable_RFX_GFX", true, {}, false},
    {"RFX_ENVIRONMENT", true, {}, false},
    {"RFX_ROOMSIZE", true, {}, false},
    {"MuteControl", false, {}, false},
    {"VolumeScalarControl", false, {-1}, true},
    {"AAVolumeControl", false, {0}, true},
    {"AAMuteControl", false, {}, false},
    {"AAVolumeScalarControl", false, {0}, true},
    {"Enable_MAGICVOICE", false, {}, false},
    {"MagicVoice_Selection", false, {}, false},
};

constexpr uint32_t kEqualiserCheckMs = 500;

const audio::Parameter kMicChannel = {-1};
const audio::Parameter kMonitorChannel = {0};

std::string BandName(int band) {
    return "EQ_Slider" + std::to_string(band + 1);
}

uint8_t Channel(uint8_t component, uint8_t brightness) {
    return static_cast<uint8_t>(std::min<int>(component * brightness / 256, kLedChannelCap));
}

}  // namespace

std::array<LedReport, kLedReportsPerRound> BuildLedReports(std::span<const LedColour> colours) {
    // Each colour channel goes out in two halves (LEDs 0-6, LEDs 7-12) to each of the
    // two controllers, red first.
    static constexpr std::pair<uint8_t, uint8_t> kOrder[kLedReportsPerRound] = {
        {0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
        {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    std::array<LedReport, kLedReportsPerRound> reports{};
    for (size_t r = 0; r < reports.size(); ++r) {
        const auto [controller, reg] = kOrder[r];
        LedReport& report = reports[r];
        report[0] = 0xFF;
        report[1] = controller;
        report[2] = reg;
        const int channel = (reg - 0xAA) % 3;  // 0 red, 1 green, 2 blue
        const int firstLed = reg >= 0xAD ? 7 : 0;
        const int count = reg >= 0xAD ? 6 : 7;
        for (int k = 0; k < count; ++k) {
            const size_t led = size_t(firstLed + k);
            if (led >= colours.size()) continue;  // LEDs the list lacks are sent as 0
            const LedColour& c = colours[led];
            const uint8_t component = channel == 0 ? c.red : channel == 1 ? c.green : c.blue;
            report[size_t(4 + k)] = Channel(component, c.brightness);
        }
    }
    return reports;
}

CQuorvaneRI6533Device::CQuorvaneRI6533Device(std::shared_ptr<hid::HidBus> bus)
    : CVendorBlockDevice(std::move(bus), lighting::PreviewWave::Headset, kHeadsetGroups),
      audioSource_([] { return audio::LoadAudioLibrary(); }) {
    deviceKind_ = kKindHeadset;
    SetDataFolderName(std::string(profiles::kHeadsetFolder));
    SetPageValue(3);  // the headset's light table
}

CQuorvaneRI6533Device::~CQuorvaneRI6533Device() {
    StopPreview();
    if (library_) library_->ConfLibUnInit();
}

void* CQuorvaneRI6533Device::GetInterface(std::string_view name) {
    if (name == "QuorvaneRI6533Device") return this;
    return CVendorBlockDevice::GetInterface(name);
}

void CQuorvaneRI6533Device::InitPage() {
    CVendorBlockDevice::InitPage();
    StartAudio();
}

void CQuorvaneRI6533Device::BuildPage() {
    CVendorBlockDevice::BuildPage();
    auto panel = [this](std::string_view name, const char* kind) -> void* {
        ui::CControlUI* control = FindChild(name);
        return control ? control->GetInterface(kind) : nullptr;
    };
    voicePanel_ = static_cast<panels::CVoice6533ControlUI*>(panel("Voice6533ControlItem", "Voice6533Control"));
    magicPanel_ = static_cast<panels::CMagicControlUI*>(panel("MagicControlItem", "MagicControl"));
}

void CQuorvaneRI6533Device::ShowMessage(const std::string& text) {
    DebugOutput(text);
    if (messageSink_) messageSink_(text);
}

// ---- profile ----

void CQuorvaneRI6533Device::AfterProfileLoaded() {
    settings_ = profile_.GetSystemSetStages();
    customNames_ = profile_.GetCustomEqNames();
    const int count = static_cast<int>(customNames_.size());
    const int index = settings_.customEqSelectIndex;
    if (settings_.eqType != kCustomEq) {
        bands_ = profile_.GetEqValues(settings_.eqType);
    } else if (index >= 0 && index < count) {
        bands_ = profile_.GetCustomEqValues(index);
    } else if (auto unnamed = profile_.GetUnnamedCustomEq()) {
        settings_.customEqSelectIndex = kUnnamedCustomEq;
        bands_ = *unnamed;
    } else if (count > 0) {
        // An index from the file: only one the list holds.
        settings_.customEqSelectIndex = std::clamp(index, 0, count - 1);
        bands_ = profile_.GetCustomEqValues(settings_.customEqSelectIndex);
    } else {
        // Custom with no curve behind it (an older save): the first preset is what
        // plays, so it is what the page shows.
        settings_.eqType = 1;
        bands_ = profile_.GetEqValues(1);
    }
    bands_.resize(profiles::kEqBands, 0);
}

void CQuorvaneRI6533Device::ReloadDefaults() {
    CVendorBlockDevice::ReloadDefaults();
    WriteProfileExtras();
}

void CQuorvaneRI6533Device::WriteProfileExtras() {
    if (!library_) return;
    SendBands();
    if (SetRecording("MuteControl", settings_.micInSelect != 0 ? 0 : 1))
        micMuted_ = settings_.micInSelect == 0;
    SetRecordingLevel("VolumeScalarControl", settings_.micInValue, kMicChannel);
    if (SetRecording("AAMuteControl", settings_.micMonitorSelect != 0 ? 0 : 1))
        monitorMuted_ = settings_.micMonitorSelect == 0;
    SetRecordingLevel("AAVolumeScalarControl", settings_.micMonitorValue, kMonitorChannel);
    SetRecording("Enable_MAGICVOICE", settings_.magicEnable != 0 ? 1 : 0);
    if (settings_.magicEnable != 0) SetRecording("Enable_MICECHO", 0);
    if (settings_.magicType >= 1 && settings_.magicType <= panels::CMagicControlUI::kEffects)
        SetRecording("MagicVoice_Selection", settings_.magicType - 1);
}

void CQuorvaneRI6533Device::SaveAudioSettings() {
    profile_.SetSystemSetStages(settings_);
    SaveProfile();
}

void CQuorvaneRI6533Device::OnConnectedReads() {
    ReadAudioState();
    SendBands();
}

void CQuorvaneRI6533Device::OnDetached() {
    if (library_) library_->ConfLibUnInit();
}

void CQuorvaneRI6533Device::UpdateEqualiserNote() {
    lastEqCheckMs_ = GetTickCount();
    const bool unavailable = library_ && playback_.present &&
                             !audio::GetText(*library_, playback_.record, "Enable_EQ_GFX");
    if (unavailable == eqNoteShown_) return;
    eqNoteShown_ = unavailable;
    if (ui::CControlUI* note = FindChild("eq_server_note")) note->SetVisible(unavailable);
}

void CQuorvaneRI6533Device::RefreshPage() {
    UpdateEqualiserNote();
    LoadNameLists();
    ShowLightParameters();
    if (magicPanel_ != nullptr) {
        magicPanel_->SetEffectOn(settings_.magicEnable != 0);
        magicPanel_->SelectEffect(settings_.magicType);
    }
    if (voicePanel_ == nullptr) return;
    voicePanel_->SetMicOn(settings_.micInSelect != 0);
    voicePanel_->SetMicLevel(settings_.micInValue);
    voicePanel_->SetMonitorOn(settings_.micMonitorSelect != 0);
    voicePanel_->SetMonitorLevel(settings_.micMonitorValue);
    voicePanel_->SelectEqOption(settings_.eqType);
    voicePanel_->ClearCustomNames();
    for (const std::string& name : customNames_) voicePanel_->AddCustomName(name);
    voicePanel_->SelectCustomName(settings_.eqType == kCustomEq ? settings_.customEqSelectIndex : -1);
    voicePanel_->EnableCustomEq(settings_.eqType == kCustomEq);
    ShowBands();
}

void CQuorvaneRI6533Device::ShowBands() {
    if (voicePanel_ == nullptr) return;
    for (int band = 0; band < profiles::kEqBands; ++band)
        voicePanel_->SetBandSlider(band, bands_[size_t(band)]);
}

// ---- LEDs ----

int CQuorvaneRI6533Device::SendLedRound() {
    if (!commands_.IsOpen()) return CMD_NO_REPLY;
    if (!HostLightControl()) return CMD_NO_REPLY;
    std::vector<LedColour> colours;
    {
        CriticalSectionLock lock(lightLock_);
        colours = ledColours_;
    }
    int result = CMD_OK;
    for (const LedReport& report : BuildLedReports(colours)) {
        const bool sent = commands_.Wired().SendOutputReport(report.data(), report.size()) == 1;
        if (!sent && result == CMD_OK) result = CMD_WRITE_FAILED;
    }
    lastSent_ = std::move(colours);
    ++ledRounds_;
    return result;
}

void CQuorvaneRI6533Device::RefreshLights() {
    if (!commands_.IsOpen()) return;
    std::vector<LedColour> colours;
    {
        CriticalSectionLock lock(lightLock_);
        colours = ledColours_;
    }
    const bool controlled = HostLightControl();
    // The timer runs at the output's rate; the page needs no more pictures than the
    // screen shows.
    const uint32_t now = GetTickCount();
    // The equaliser's server may come or go while the page is up.
    if (now - lastEqCheckMs_ >= kEqualiserCheckMs) UpdateEqualiserNote();
    if (IsWindowActive() && now - lastPaintMs_ >= PreviewPeriodMs()) {
        lastPaintMs_ = now;
        PaintLedButtons(colours, controlled);
    }
    if (!controlled) {
        lastSent_.clear();  // the next round after the host takes over goes out whole
        return;
    }
    // A round that repeats the last one would only load the bus.
    if (colours != lastSent_) SendLedRound();
}

void CQuorvaneRI6533Device::SendChangedLeds(bool whole) {
    if (whole) lastSent_.clear();
    if (!commands_.IsOpen() || !HostLightControl()) return;
    bool changed = false;
    {
        CriticalSectionLock lock(lightLock_);
        changed = ledColours_ != lastSent_;
    }
    if (changed) SendLedRound();
}

// ---- audio: start ----

bool CQuorvaneRI6533Device::StartAudio() {
    if (audioStarted_) return audioReady_;
    audioStarted_ = true;
    library_ = audioSource_ ? audioSource_() : nullptr;
    if (library_ && !library_->Loaded()) library_.reset();
    if (!library_) {
        DebugOutput("audio library not loaded: the headset's audio settings stay as stored");
        return false;
    }
    if (library_->ConfLibInit() != 0) ShowMessage("ConfLibInit called failed!");
    library_->CreateDeviceList();
    int count = 0;
    if (library_->GetDeviceCount(audio::kFlowPlayback, count) != audio::kAudioOk || count < 1)
        return false;
    SelectAudioDevices();
    audioReady_ = playback_.present || recording_.present;
    RestoreAudioDefaults();
    ReadAudioState();
    return audioReady_;
}

void CQuorvaneRI6533Device::SelectAudioDevices() {
    if (!library_) return;
    auto walk = [this](int flow, const std::function<bool(const audio::DeviceRecord&)>& wanted,
                       AudioDevice& into) {
        int count = 0;
        if (library_->GetDeviceCount(flow, count) != audio::kAudioOk) return false;
        for (int i = 0; i < count; ++i) {
            audio::DeviceRecord record;
            if (library_->GetDeviceById(flow, i, record) != audio::kAudioOk) continue;
            if (!wanted(record)) continue;
            into.record = record;
            into.present = true;
            return true;
        }
        return false;
    };
    for (int type : kPlaybackTypes)
        if (walk(audio::kFlowPlayback,
                 [type](const audio::DeviceRecord& r) { return r.type == type && r.state == 1; },
                 playback_))
            break;
    walk(audio::kFlowRecording,
         [](const audio::DeviceRecord& r) { return r.type == kRecordingType; }, recording_);
    if (playback_.present) QueryFeatures(playback_);
    if (recording_.present) QueryFeatures(recording_);
}

void CQuorvaneRI6533Device::QueryFeatures(AudioDevice& device) {
    const std::optional<std::string> text =
        audio::GetText(*library_, device.record, "GetSupportFeature");
    std::vector<std::string> fields;
    if (text) {
        size_t start = 0;
        while (true) {
            const size_t comma = text->find(',', start);
            fields.push_back(text->substr(start, comma == std::string::npos ? comma : comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    if (fields.size() < kFeatureFields) {
        ShowMessage("UpdateAPOAvailable failed!");
        return;
    }
    for (size_t i = 0; i < 3; ++i)
        device.features[i] = static_cast<int32_t>(std::strtol(fields[kFeatureField[i]].c_str(), nullptr, 10));
}

void CQuorvaneRI6533Device::RestoreAudioDefaults() {
    if (!library_) return;
    for (const RestoreEntry& entry : kRestore) {
        const AudioDevice& device = entry.playback ? playback_ : recording_;
        if (!device.present) continue;
        const audio::Parameter* parameter = entry.parameter.empty() ? nullptr : &entry.parameter;
        if (audio::GetText(*library_, device.record, entry.name, parameter)) continue;
        const audio::Parameter* onWrite = entry.parameterOnWrite ? parameter : nullptr;
        if (std::string_view(entry.name).find("VolumeScalar") != std::string_view::npos)
            audio::SetFloat(*library_, device.record, entry.name, 0.0f, onWrite);
        else
            audio::SetInt(*library_, device.record, entry.name, 0, onWrite);
    }
}

void CQuorvaneRI6533Device::ReadAudioState() {
    if (!library_ || !recording_.present) return;
    audio::IAudioLibrary& lib = *library_;
    const audio::DeviceRecord& rec = recording_.record;
    if (auto v = audio::GetNumber(lib, rec, "MuteControl")) {
        micMuted_ = *v != 0;
        settings_.micInSelect = micMuted_ ? 0 : 1;
    }
    if (auto v = audio::GetNumber(lib, rec, "VolumeScalarControl", &kMicChannel))
        settings_.micInValue = static_cast<int32_t>(std::trunc(*v * 100));
    if (audio::GetText(lib, rec, "GetAAMaxVol")) {
        if (auto v = audio::GetNumber(lib, rec, "AAMuteControl")) {
            monitorMuted_ = *v != 0;
            settings_.micMonitorSelect = monitorMuted_ ? 0 : 1;
        }
        if (auto v = audio::GetNumber(lib, rec, "AAVolumeScalarControl", &kMonitorChannel))
            settings_.micMonitorValue = static_cast<int32_t>(std::trunc(*v * 100));
    }
    if (uint32_t(recording_.features[0]) & kVoiceEffectFeature)
        if (auto v = audio::GetNumber(lib, rec, "Enable_MAGICVOICE"))
            settings_.magicEnable = static_cast<int32_t>(*v);
    if (auto v = audio::GetNumber(lib, rec, "MagicVoice_Selection"))
        if (*v >= 0 && *v <= 3) settings_.magicType = static_cast<int32_t>(*v) + 1;
}

// ---- audio: the panels' actions ----

bool CQuorvaneRI6533Device::SetRecording(std::string_view name, int32_t value,
                                         const audio::Parameter* p) {
    return library_ && recording_.present &&
           audio::SetInt(*library_, recording_.record, name, value, p);
}

bool CQuorvaneRI6533Device::SetPlayback(std::string_view name, int32_t value) {
    return library_ && playback_.present && audio::SetInt(*library_, playback_.record, name, value);
}

void CQuorvaneRI6533Device::ToggleMute(bool& muted, std::string_view property, int32_t& select,
                                       bool monitor) {
    const bool wanted = !muted;
    if (SetRecording(property, wanted ? 1 : 0)) {
        muted = wanted;
        select = muted ? 0 : 1;
        SaveAudioSettings();
    }
    // The option shows what the chip has, whether or not it took the change.
    if (voicePanel_ == nullptr) return;
    if (monitor)
        voicePanel_->SetMonitorOn(!muted);
    else
        voicePanel_->SetMicOn(!muted);
}

void CQuorvaneRI6533Device::ToggleMicMute() {
    ToggleMute(micMuted_, "MuteControl", settings_.micInSelect, false);
}

void CQuorvaneRI6533Device::ToggleMonitorMute() {
    ToggleMute(monitorMuted_, "AAMuteControl", settings_.micMonitorSelect, true);
}

bool CQuorvaneRI6533Device::SetRecordingLevel(std::string_view name, int value,
                                              const audio::Parameter& channel) {
    return library_ && recording_.present &&
           audio::SetFloat(*library_, recording_.record, name, float(value) / 100.0f, &channel);
}

void CQuorvaneRI6533Device::SetMicLevel(int value) {
    value = std::clamp(value, 0, 100);
    if (!SetRecordingLevel("VolumeScalarControl", value, kMicChannel)) return;
    settings_.micInValue = value;
    SaveAudioSettings();
}

void CQuorvaneRI6533Device::SetMonitorLevel(int value) {
    value = std::clamp(value, 0, 100);
    if (!SetRecordingLevel("AAVolumeScalarControl", value, kMonitorChannel)) return;
    settings_.micMonitorValue = value;
    SaveAudioSettings();
}

void CQuorvaneRI6533Device::SetVoiceEffect(bool on) {
    if (magicPanel_ != nullptr) magicPanel_->SetEffectOn(on);
    SetRecording("Enable_MAGICVOICE", on ? 1 : 0);
    // The effect and the microphone echo do not go together.
    if (on) SetRecording("Enable_MICECHO", 0);
    settings_.magicEnable = on ? 1 : 0;
    SaveAudioSettings();
}

void CQuorvaneRI6533Device::SelectVoiceEffect(int n) {
    if (n < 1 || n > panels::CMagicControlUI::kEffects) return;
    SetRecording("MagicVoice_Selection", n - 1);
    settings_.magicType = n;
    if (magicPanel_ != nullptr) magicPanel_->SelectEffect(n);
    SaveAudioSettings();
}

void CQuorvaneRI6533Device::SendBands() {
    SetPlayback("Enable_EQ_GFX", 1);
    for (int band = 0; band < profiles::kEqBands; ++band) {
        if (voicePanel_ != nullptr) voicePanel_->SetBandSlider(band, bands_[size_t(band)]);
        SetPlayback(BandName(band), bands_[size_t(band)]);
    }
}

void CQuorvaneRI6533Device::ApplyPreset(int n) {
    if (n == kCustomEq) return SelectCustomEq();
    if (n < 1 || n > 12) return;
    bands_.assign(std::begin(kPresets[n - 1]), std::end(kPresets[n - 1]));
    SendBands();
    settings_.eqType = n;
    if (voicePanel_ != nullptr) {
        voicePanel_->SelectEqOption(n);
        voicePanel_->EnableCustomEq(false);
    }
    profile_.SetEqValues(bands_, n);
    SaveAudioSettings();
}

void CQuorvaneRI6533Device::SelectCustomEq() {
    settings_.eqType = kCustomEq;
    if (voicePanel_ != nullptr) {
        voicePanel_->SelectEqOption(kCustomEq);
        voicePanel_->EnableCustomEq(true);
    }
    // Without a named setting chosen, the curve playing now is the custom one.
    if (!ApplyCustom()) KeepUnnamedCustomEq();
    SaveAudioSettings();
}

void CQuorvaneRI6533Device::KeepUnnamedCustomEq() {
    settings_.customEqSelectIndex = kUnnamedCustomEq;
    profile_.SetUnnamedCustomEq(bands_);
    profile_.SetSystemSetStages(settings_);
}

bool CQuorvaneRI6533Device::ApplyCustom() {
    const int selected = voicePanel_ != nullptr ? voicePanel_->GetCustomSelection()
                                                : settings_.customEqSelectIndex;
    if (selected < 0 || selected >= static_cast<int>(customNames_.size())) return false;
    bands_ = profile_.GetCustomEqValues(selected);
    bands_.resize(profiles::kEqBands, 0);
    SendBands();
    settings_.customEqSelectIndex = selected;
    SaveAudioSettings();
    return true;
}

void CQuorvaneRI6533Device::SetBand(int band, int value) {
    if (band < 0 || band >= profiles::kEqBands) return;
    if (settings_.eqType != kCustomEq) {
        settings_.eqType = kCustomEq;
        if (voicePanel_ != nullptr) {
            voicePanel_->SelectEqOption(kCustomEq);
            voicePanel_->SelectCustomName(-1);
            voicePanel_->EnableCustomEq(true);
        }
        settings_.customEqSelectIndex = kUnnamedCustomEq;
    }
    bands_[size_t(band)] = value;
    SetPlayback(BandName(band), value);
    // Not saved yet, as a slider moves often; but the next save of anything keeps
    // this curve as the custom one, so the profile never names a curve it lacks.
    if (settings_.customEqSelectIndex == kUnnamedCustomEq) KeepUnnamedCustomEq();
}

int CQuorvaneRI6533Device::SaveCustom() {
    const std::string name = voicePanel_ != nullptr ? voicePanel_->GetCustomName() : std::string();
    const int selected = voicePanel_ != nullptr ? voicePanel_->GetCustomSelection() : -1;
    auto readSliders = [this] {
        for (int band = 0; band < profiles::kEqBands; ++band)
            if (int v = voicePanel_ ? voicePanel_->GetBandSlider(band) : -1; voicePanel_ && v != -1)
                bands_[size_t(band)] = v;
    };
    if (name.empty()) {
        if (selected < 0 || selected >= static_cast<int>(customNames_.size())) return -1;
        readSliders();
        settings_.customEqSelectIndex = selected;
        profile_.SetCustomEqValues(bands_, selected);
        SaveAudioSettings();
        return 1;
    }
    if (static_cast<int>(customNames_.size()) >= kMaxCustomEqs) return -1;
    for (const std::string& existing : customNames_)
        if (EqualIgnoringCase(existing, name)) return 0;
    customNames_.push_back(name);
    voicePanel_->AddCustomName(name);
    readSliders();
    const int index = static_cast<int>(customNames_.size()) - 1;
    voicePanel_->SelectCustomName(index);
    settings_.customEqSelectIndex = index;
    profile_.SetCustomEqNames(customNames_);
    profile_.SetCustomEqValues(bands_, index);
    SaveAudioSettings();
    return 1;
}

void CQuorvaneRI6533Device::DeleteCustom() {
    const int selected = voicePanel_ != nullptr ? voicePanel_->GetCustomSelection()
                                                : (settings_.eqType == kCustomEq ? settings_.customEqSelectIndex : -1);
    if (selected < 0 || selected >= static_cast<int>(customNames_.size())) return;
    // The name and its band values go together, so the settings after it keep theirs.
    customNames_.erase(customNames_.begin() + selected);
    profile_.DeleteCustomEq(selected);
    if (voicePanel_ != nullptr) voicePanel_->RemoveCustomName(selected);
    if (customNames_.empty()) {
        settings_.eqType = 1;
        bands_ = profile_.GetEqValues(1);
        bands_.resize(profiles::kEqBands, 0);
        if (voicePanel_ != nullptr) {
            voicePanel_->SelectEqOption(1);
            voicePanel_->EnableCustomEq(false);
        }
    } else {
        settings_.customEqSelectIndex = 0;
        if (voicePanel_ != nullptr) voicePanel_->SelectCustomName(0);
        bands_ = profile_.GetCustomEqValues(0);
        bands_.resize(profiles::kEqBands, 0);
    }
    // The equaliser plays what the panel now shows.
    SendBands();
    SaveAudioSettings();
}

}  // namespace vivori::devices
