#pragma once

#include <memory>
#include <string>

#include "audio/AudioLibrary.h"
#include "audio/HeadsetEqualiser.h"

namespace vivori::audio {

// The headset's USB sound card (found by its USB ids) through the ALSA mixer. It has
// one playback and one recording device and maps the microphone's level and mute and
// the monitor path's level and mute to the card's "Mic" capture and playback controls.
// The card has no equaliser: "Enable_EQ_GFX" and "EQ_Slider1" ... "EQ_Slider10" on the
// playback device drive our software equaliser in the sound server instead
// (HeadsetEqualiser); they fail while it cannot run (no server, no sink for the
// headset). Every other property fails its read (the card has no surround or voice
// effect of its own), and its feature list is all zero.
//
// The playback device is there when the card is, or when VIVORI_HEADSET_SINK names
// the headset's sink (for set-ups where the card cannot be found by its USB ids, and
// for tests); the recording device only with the card.
class AlsaAudioLibrary : public IAudioLibrary {
  public:
    static constexpr const char* kHeadsetUsbId = "0c76:1630";

    explicit AlsaAudioLibrary(std::string usbId = kHeadsetUsbId) : usbId_(std::move(usbId)) {}
    ~AlsaAudioLibrary() override;

    int ConfLibInit() override;
    void CreateDeviceList() override;
    int GetDeviceCount(int flow, int& count) override;
    int GetDeviceById(int flow, int index, DeviceRecord& record) override;
    int PropertyControl(const DeviceRecord& record, std::string_view name, ValueBuffer& value,
                        const Parameter* parameter, bool set) override;
    void ConfLibUnInit() override;

    // The card's ALSA name ("hw:2"); empty when the headset is not plugged in.
    const std::string& Card() const { return card_; }
    // The software equaliser, once an equaliser property was used; else null.
    HeadsetEqualiser* Equaliser() const { return equaliser_.get(); }

  private:
    bool HasPlayback() const { return !card_.empty() || !sinkName_.empty(); }
    int EqualiserProperty(std::string_view name, ValueBuffer& value, bool set);

    std::string usbId_;
    std::string card_;
    std::string sinkName_;
    std::unique_ptr<HeadsetEqualiser> equaliser_;
};

}  // namespace vivori::audio
