#include "audio/AlsaAudioLibrary.h"

#include <alsa/asoundlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace vivori::audio {
namespace {

constexpr const char* kMicElement = "Mic";
constexpr int32_t kTypeSpeaker = 1;
constexpr int32_t kTypeMicrophone = 2;

// The ALSA name of the card whose USB id is usbId ("hw:N"); empty when none.
std::string FindCard(const std::string& usbId) {
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        std::ifstream id("/proc/asound/card" + std::to_string(card) + "/usbid");
        std::string text;
        if (id >> text && text == usbId) return "hw:" + std::to_string(card);
    }
    return {};
}

struct MixerClose {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using Mixer = std::unique_ptr<snd_mixer_t, MixerClose>;

Mixer OpenMixer(const std::string& card) {
    snd_mixer_t* raw = nullptr;
    if (card.empty() || snd_mixer_open(&raw, 0) < 0) return nullptr;
    Mixer mixer(raw);
    if (snd_mixer_attach(raw, card.c_str()) < 0 || snd_mixer_selem_register(raw, nullptr, nullptr) < 0 ||
        snd_mixer_load(raw) < 0)
        return nullptr;
    return mixer;
}

snd_mixer_elem_t* MicElement(snd_mixer_t* mixer) {
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, kMicElement);
    return snd_mixer_find_selem(mixer, id);
}

// One of the four controls the card offers: the microphone (capture) or the monitor
// path (playback), its level or its switch.
struct Control {
    bool capture = false;
    bool level = false;
};

std::optional<Control> ControlOf(std::string_view name) {
    if (name == "VolumeScalarControl") return Control{true, true};
    if (name == "MuteControl") return Control{true, false};
    if (name == "AAVolumeScalarControl") return Control{false, true};
    if (name == "AAMuteControl") return Control{false, false};
    return std::nullopt;
}

bool HasControl(snd_mixer_elem_t* e, const Control& c) {
    if (c.capture) return c.level ? snd_mixer_selem_has_capture_volume(e) : snd_mixer_selem_has_capture_switch(e);
    return c.level ? snd_mixer_selem_has_playback_volume(e) : snd_mixer_selem_has_playback_switch(e);
}

std::optional<double> ReadControl(snd_mixer_elem_t* e, const Control& c) {
    const auto channel = SND_MIXER_SCHN_FRONT_LEFT;
    if (c.level) {
        long low = 0, high = 0, value = 0;
        const int r = c.capture ? snd_mixer_selem_get_capture_volume_range(e, &low, &high)
                                : snd_mixer_selem_get_playback_volume_range(e, &low, &high);
        if (r < 0 || high <= low) return std::nullopt;
        if ((c.capture ? snd_mixer_selem_get_capture_volume(e, channel, &value)
                       : snd_mixer_selem_get_playback_volume(e, channel, &value)) < 0)
            return std::nullopt;
        return double(value - low) / double(high - low);
    }
    int on = 0;
    if ((c.capture ? snd_mixer_selem_get_capture_switch(e, channel, &on)
                   : snd_mixer_selem_get_playback_switch(e, channel, &on)) < 0)
        return std::nullopt;
    return on ? 0.0 : 1.0;  // the library's value is "muted"
}

bool WriteControl(snd_mixer_elem_t* e, const Control& c, const ValueBuffer& value) {
    if (c.level) {
        const float scalar = TakeFloat(value);
        if (!std::isfinite(scalar)) return false;
        long low = 0, high = 0;
        if ((c.capture ? snd_mixer_selem_get_capture_volume_range(e, &low, &high)
                       : snd_mixer_selem_get_playback_volume_range(e, &low, &high)) < 0)
            return false;
        const double clamped = std::min(1.0, std::max(0.0, double(scalar)));
        const long v = low + std::lround(clamped * double(high - low));
        return (c.capture ? snd_mixer_selem_set_capture_volume_all(e, v)
                          : snd_mixer_selem_set_playback_volume_all(e, v)) >= 0;
    }
    const int on = TakeInt(value) == 0 ? 1 : 0;
    return (c.capture ? snd_mixer_selem_set_capture_switch_all(e, on)
                      : snd_mixer_selem_set_playback_switch_all(e, on)) >= 0;
}

// "EQ_Slider1" ... "EQ_Slider10": the band's index; -1 for any other name.
int BandOf(std::string_view name) {
    constexpr std::string_view kPrefix = "EQ_Slider";
    if (name.substr(0, kPrefix.size()) != kPrefix) return -1;
    const std::string_view digits = name.substr(kPrefix.size());
    if (digits.empty() || digits.size() > 2 || digits[0] == '0') return -1;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= eq::kBands ? n - 1 : -1;
}

}  // namespace

AlsaAudioLibrary::~AlsaAudioLibrary() = default;

int AlsaAudioLibrary::ConfLibInit() {
    return kAudioOk;
}

void AlsaAudioLibrary::CreateDeviceList() {
    card_ = FindCard(usbId_);
    const char* sink = std::getenv("VIVORI_HEADSET_SINK");
    sinkName_ = sink ? sink : "";
}

void AlsaAudioLibrary::ConfLibUnInit() {
    if (equaliser_) equaliser_->Release();
}

int AlsaAudioLibrary::GetDeviceCount(int flow, int& count) {
    count = (flow == kFlowPlayback ? HasPlayback() : !card_.empty()) ? 1 : 0;
    return kAudioOk;
}

int AlsaAudioLibrary::EqualiserProperty(std::string_view name, ValueBuffer& value, bool set) {
    const int band = BandOf(name);
    if (band < 0 && name != "Enable_EQ_GFX") return kAudioFailed;
    if (!equaliser_) {
        HeadsetEqualiser::Options options;
        options.headsetSink = sinkName_;
        // "hw:N": the sound server's sink of card N.
        if (!card_.empty()) options.alsaCard = std::atoi(card_.c_str() + 3);
        const size_t colon = usbId_.find(':');
        options.usbVendor = usbId_.substr(0, colon);
        if (colon != std::string::npos) options.usbProduct = usbId_.substr(colon + 1);
        equaliser_ = std::make_unique<HeadsetEqualiser>(options);
    }
    using State = HeadsetEqualiser::State;
    const State state = equaliser_->GetState();
    const bool working = state == State::Off || state == State::Starting || state == State::Running;
    if (set) {
        // Kept either way, so the sink plays them once it can be made.
        if (band < 0)
            equaliser_->SetEnabled(TakeInt(value) != 0);
        else
            equaliser_->SetBand(band, double(TakeInt(value)));
        return working ? kAudioOk : kAudioFailed;
    }
    if (!working) {
        // The page asks now and then; each time may find a server that came since.
        equaliser_->Retry();
        return kAudioFailed;
    }
    const int read = band < 0 ? (equaliser_->Enabled() ? 1 : 0) : int(std::lround(equaliser_->Band(band)));
    PutText(value, std::to_string(read));
    return kAudioOk;
}

int AlsaAudioLibrary::GetDeviceById(int flow, int index, DeviceRecord& record) {
    if (index != 0 || (flow == kFlowPlayback ? !HasPlayback() : card_.empty())) return kAudioFailed;
    record = {.id = 0,
              .type = flow == kFlowPlayback ? kTypeSpeaker : kTypeMicrophone,
              .flow = flow,
              .state = 1};
    return kAudioOk;
}

int AlsaAudioLibrary::PropertyControl(const DeviceRecord& record, std::string_view name,
                                      ValueBuffer& value, const Parameter* parameter, bool set) {
    (void)parameter;
    if (name == "GetSupportFeature" && !set) {
        PutText(value, "0,0,0,0,0,0,0");
        return kAudioOk;
    }
    if (record.flow == kFlowPlayback && HasPlayback()) return EqualiserProperty(name, value, set);
    const std::optional<Control> control = ControlOf(name);
    const bool monitorProbe = name == "GetAAMaxVol" && !set;
    if (record.flow != kFlowRecording || (!control && !monitorProbe)) return kAudioFailed;
    Mixer mixer = OpenMixer(card_);
    snd_mixer_elem_t* element = mixer ? MicElement(mixer.get()) : nullptr;
    if (element == nullptr) return kAudioFailed;
    if (monitorProbe) {
        if (!snd_mixer_selem_has_playback_volume(element)) return kAudioFailed;
        PutText(value, "100");
        return kAudioOk;
    }
    if (!HasControl(element, *control)) return kAudioFailed;
    if (set) return WriteControl(element, *control, value) ? kAudioOk : kAudioFailed;
    const std::optional<double> read = ReadControl(element, *control);
    if (!read) return kAudioFailed;
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", *read);
    PutText(value, text);
    return kAudioOk;
}

}  // namespace vivori::audio
