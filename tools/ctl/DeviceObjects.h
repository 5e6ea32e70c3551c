#pragma once

// A device object at work as the application holds it once connected: its transport
// open, what its writes build on read, and the current profile of its kind loaded.
// The setters change it through the same calls the pages make.

#include <memory>
#include <string>

#include "Ctl.h"
#include "devices/CQuorvaneUSBDevice.h"

namespace vivori::sim {
class SimAudioChip;
}

namespace vivori::ctl {

struct DeviceObject {
    std::shared_ptr<hid::HidBus> bus;
    std::unique_ptr<devices::CQuorvaneUSBDevice> device;
    std::shared_ptr<sim::SimAudioChip> chip;  // the simulated headset's audio chip
};

// The device object of `kind` ("keyboard", "mouse", "pad", "headset") on --link. A data
// folder with no profile list yet gets its first profile, as the profile list makes it.
// 0, or the exit code after the error line.
int OpenDeviceObject(const Options& options, const std::string& kind, DeviceObject* out);

// The profile list of a kind as the application finds it: a data folder without one
// gets its first profile. 0, or the exit code after the error line.
int EnsureProfileList(const std::string& kind);

// The simulated headset has the simulated audio chip (returned); a real one its sound
// card (null).
std::shared_ptr<sim::SimAudioChip> ChooseAudioLibrary(const Options& options);

// With --debug, the audio chip's set calls as debug lines ("audio set NAME = VALUE"), so a
// script sees what the simulated headset received.
void ReportAudioSets(const Options& options, const DeviceObject& object);

// The profile line the setters and apply print.
void PrintProfileLine(const devices::CQuorvaneUSBDevice& device);

}  // namespace vivori::ctl
