#include "sim/SimAudioChip.h"

#include <cstdio>

namespace vivori::sim {
namespace {

using audio::kFlowPlayback;
using audio::kFlowRecording;

bool IsScalar(std::string_view name) {
    return name.find("VolumeScalar") != std::string_view::npos;
}

bool ValidFlow(int flow) {
    return flow == kFlowPlayback || flow == kFlowRecording;
}

}  // namespace

SimAudioChip::SimAudioChip() {
    // A headset as it comes: its speakers and its microphone, usable.
    devices_[kFlowPlayback] = {{1, 1}};
    devices_[kFlowRecording] = {{2, 1}};
    // Field 0 of the recording features carries 0x20000: the voice effect is there.
    features_[kFlowPlayback] = "3,0,0,0,1,0,2";
    features_[kFlowRecording] = "131072,0,0,0,5,0,7";
    values_[kFlowPlayback] = {{"Enable_EQ_GFX", 0},          {"Enable_RFX_GFX", 0},
                              {"RFX_ENVIRONMENT", 0},        {"RFX_ROOMSIZE", 0},
                              {"VirtualSurroundEffectControl", 0}};
    for (int band = 1; band <= 10; ++band)
        values_[kFlowPlayback]["EQ_Slider" + std::to_string(band)] = 0;
    values_[kFlowRecording] = {{"MuteControl", 0},
                               {"AAMuteControl", 1},
                               {"VolumeScalarControl", 0.8},
                               {"AAVolumeScalarControl", 0.5},
                               {"VolumeControl", 80},
                               {"AAVolumeControl", 50},
                               {"GetAAMaxVol", 100},
                               {"Enable_ENC_LFX", 0},
                               {"Enable_MAGICVOICE", 0},
                               {"Enable_MICECHO", 1},
                               {"MagicVoice_Selection", 0}};
}

bool SimAudioChip::Loaded() const {
    std::lock_guard lock(mutex_);
    return !missing_;
}

int SimAudioChip::ConfLibInit() {
    std::lock_guard lock(mutex_);
    ++initCalls_;
    return initResult_;
}

void SimAudioChip::CreateDeviceList() {}

int SimAudioChip::GetDeviceCount(int flow, int& count) {
    std::lock_guard lock(mutex_);
    if (!ValidFlow(flow)) return audio::kAudioFailed;
    count = static_cast<int>(devices_[flow].size());
    return audio::kAudioOk;
}

int SimAudioChip::GetDeviceById(int flow, int index, audio::DeviceRecord& record) {
    std::lock_guard lock(mutex_);
    if (!ValidFlow(flow) || index < 0 || static_cast<size_t>(index) >= devices_[flow].size())
        return audio::kAudioFailed;
    const Device& d = devices_[flow][static_cast<size_t>(index)];
    record = {.id = index, .type = d.type, .flow = flow, .state = d.state};
    return audio::kAudioOk;
}

int SimAudioChip::PropertyControl(const audio::DeviceRecord& record, std::string_view name,
                                  audio::ValueBuffer& value, const audio::Parameter* parameter,
                                  bool set) {
    std::lock_guard lock(mutex_);
    const int flow = record.flow;
    if (!ValidFlow(flow)) return audio::kAudioFailed;
    const std::string key(name);
    if (!set && key == "GetSupportFeature") {
        if (failReads_.count(key)) return audio::kAudioFailed;
        audio::PutText(value, features_[flow]);
        return audio::kAudioOk;
    }
    auto found = values_[flow].find(key);
    if (found == values_[flow].end()) return audio::kAudioFailed;
    if (set) {
        if (failWrites_.count(key)) return audio::kAudioFailed;
        SetCall call{flow, key, 0, IsScalar(key), parameter ? *parameter : audio::Parameter{}};
        call.value = call.isFloat ? double(audio::TakeFloat(value)) : double(audio::TakeInt(value));
        found->second = call.value;
        sets_.push_back(std::move(call));
        return audio::kAudioOk;
    }
    if (failReads_.count(key)) return audio::kAudioFailed;
    char text[64];
    if (IsScalar(key))
        std::snprintf(text, sizeof text, "%f", found->second);
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(found->second));
    audio::PutText(value, text);
    return audio::kAudioOk;
}

void SimAudioChip::SetDevices(int flow, std::vector<Device> devices) {
    std::lock_guard lock(mutex_);
    if (ValidFlow(flow)) devices_[flow] = std::move(devices);
}

void SimAudioChip::SetMissing(bool missing) {
    std::lock_guard lock(mutex_);
    missing_ = missing;
}

void SimAudioChip::SetInitResult(int result) {
    std::lock_guard lock(mutex_);
    initResult_ = result;
}

void SimAudioChip::SetFeatureText(int flow, std::string text) {
    std::lock_guard lock(mutex_);
    if (ValidFlow(flow)) features_[flow] = std::move(text);
}

void SimAudioChip::FailRead(const std::string& name) {
    std::lock_guard lock(mutex_);
    failReads_.insert(name);
}

void SimAudioChip::FailWrite(const std::string& name) {
    std::lock_guard lock(mutex_);
    failWrites_.insert(name);
}

void SimAudioChip::Remove(int flow, const std::string& name) {
    std::lock_guard lock(mutex_);
    if (ValidFlow(flow)) values_[flow].erase(name);
}

void SimAudioChip::SetValue(int flow, const std::string& name, double value) {
    std::lock_guard lock(mutex_);
    if (ValidFlow(flow)) values_[flow][name] = value;
}

std::optional<double> SimAudioChip::Value(int flow, const std::string& name) const {
    std::lock_guard lock(mutex_);
    if (!ValidFlow(flow)) return std::nullopt;
    auto found = values_[flow].find(name);
    if (found == values_[flow].end()) return std::nullopt;
    return found->second;
}

std::vector<SimAudioChip::SetCall> SimAudioChip::Sets() const {
    std::lock_guard lock(mutex_);
    return sets_;
}

std::vector<SimAudioChip::SetCall> SimAudioChip::SetsOf(const std::string& name) const {
    std::lock_guard lock(mutex_);
    std::vector<SetCall> found;
    for (const SetCall& call : sets_)
        if (call.name == name) found.push_back(call);
    return found;
}

void SimAudioChip::ClearSets() {
    std::lock_guard lock(mutex_);
    sets_.clear();
}

int SimAudioChip::InitCalls() const {
    std::lock_guard lock(mutex_);
    return initCalls_;
}

}  // namespace vivori::sim
