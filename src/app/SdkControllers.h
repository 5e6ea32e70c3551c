#pragma once

#include <optional>
#include <string>
#include <vector>

#include "devices/CQuorvaneUSBDevice.h"
#include "sdk/SdkProtocol.h"

// How an attached device looks to the lighting clients, and how what they set reaches
// it. UI thread.
namespace vivori::app {

// One device's way in: which entry of its LED colour list each controller LED is,
// and what its Direct mode drives.
struct SdkRoute {
    enum class Kind { Keyboard, Mouse, Pad, Headset };
    devices::CQuorvaneUSBDevice* device = nullptr;
    Kind kind = Kind::Keyboard;
    std::vector<int> ledTargets;  // colour-list entry of each controller LED
    size_t colourListSize = 0;
    // The mouse and the pad run their effects in firmware and take no colours LED by
    // LED: their Direct mode shows the first LED's colour in their static mode.
    int staticMode = -1;

    // What the client runs on the device now (UI thread).
    bool controlled = false;
    bool direct = false;
    // The user chose the device's own lighting on its page: colours alone do not take
    // it back, a mode from a client does.
    bool released = false;
    std::optional<devices::LightParameters> lastLight;
};

struct SdkDescription {
    sdk::Controller controller;
    SdkRoute route;
};

// Nothing for a device that is not open or not read yet (a keyboard whose keys are
// still unknown).
std::optional<SdkDescription> DescribeForClients(devices::CQuorvaneUSBDevice& device);

// What the description of a device depends on, cheaply: when it is unchanged, so is
// the description (the list is looked at several times a second).
std::string DescriptionSignature(devices::CQuorvaneUSBDevice& device);

// The light parameters of an effect mode a client chose, over the device's own.
devices::LightParameters LightOfMode(const sdk::Mode& mode, devices::LightParameters light);

// The controller's LED colours as the device's LED colour list (full brightness).
std::vector<devices::LedColour> ColourListOf(const SdkRoute& route,
                                             const std::vector<sdk::Colour>& colours);

}  // namespace vivori::app
