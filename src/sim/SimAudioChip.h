#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "audio/AudioLibrary.h"

namespace vivori::sim {

// The headset's audio chip as the audio library shows it: playback and recording
// devices with their types and states, and every property the headset uses, each
// answering get and set. Tests change its devices, read what was set, and inject the
// failures the headset must live with.
class SimAudioChip : public audio::IAudioLibrary {
  public:
    struct Device {
        int32_t type = 0;
        int32_t state = 1;
    };
    // One set call as the chip received it.
    struct SetCall {
        int flow = 0;
        std::string name;
        double value = 0;
        bool isFloat = false;
        audio::Parameter parameter;
    };

    SimAudioChip();

    // ---- the library's calls ----
    bool Loaded() const override;
    int ConfLibInit() override;
    void CreateDeviceList() override;
    int GetDeviceCount(int flow, int& count) override;
    int GetDeviceById(int flow, int index, audio::DeviceRecord& record) override;
    int PropertyControl(const audio::DeviceRecord& record, std::string_view name,
                        audio::ValueBuffer& value, const audio::Parameter* parameter,
                        bool set) override;

    // ---- set-up and failures ----
    void SetDevices(int flow, std::vector<Device> devices);
    // The library cannot be loaded at all.
    void SetMissing(bool missing);
    // ConfLibInit answers this (0 is success).
    void SetInitResult(int result);
    // The "GetSupportFeature" text of a flow, e.g. six fields, or bit 0x20000 cleared.
    void SetFeatureText(int flow, std::string text);
    // Reads (or writes) of this property fail from now on.
    void FailRead(const std::string& name);
    void FailWrite(const std::string& name);
    // Takes a property out altogether (the chip has no such control).
    void Remove(int flow, const std::string& name);
    void SetValue(int flow, const std::string& name, double value);

    // ---- what the host did ----
    std::optional<double> Value(int flow, const std::string& name) const;
    std::vector<SetCall> Sets() const;
    // The set calls of one property, in order.
    std::vector<SetCall> SetsOf(const std::string& name) const;
    void ClearSets();
    int InitCalls() const;

  private:
    mutable std::mutex mutex_;
    bool missing_ = false;
    int initResult_ = 0;
    int initCalls_ = 0;
    std::vector<Device> devices_[2];
    std::map<std::string, double> values_[2];
    std::string features_[2];
    std::set<std::string> failReads_;
    std::set<std::string> failWrites_;
    std::vector<SetCall> sets_;
};

}  // namespace vivori::sim
