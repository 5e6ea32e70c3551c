#pragma once

#include <string>

#include "audio/AudioLibrary.h"

namespace vivori::audio {

// The headset's USB sound card (found by its USB ids) through the ALSA mixer. It has
// one playback and one recording device and maps the microphone's level and mute and
// the monitor path's level and mute to the card's "Mic" capture and playback controls.
// Every other property fails its read (the card has no equaliser, surround or voice
// effect of its own), and its feature list is all zero.
class AlsaAudioLibrary : public IAudioLibrary {
  public:
    static constexpr const char* kHeadsetUsbId = "0c76:1630";

    explicit AlsaAudioLibrary(std::string usbId = kHeadsetUsbId) : usbId_(std::move(usbId)) {}

    int ConfLibInit() override;
    void CreateDeviceList() override;
    int GetDeviceCount(int flow, int& count) override;
    int GetDeviceById(int flow, int index, DeviceRecord& record) override;
    int PropertyControl(const DeviceRecord& record, std::string_view name, ValueBuffer& value,
                        const Parameter* parameter, bool set) override;

    // The card's ALSA name ("hw:2"); empty when the headset is not plugged in.
    const std::string& Card() const { return card_; }

  private:
    std::string usbId_;
    std::string card_;
};

}  // namespace vivori::audio
