// vivori-ctl pad: the mouse pad device object at work. "read" shows the pad's settings
// block as it reads it at connection; "apply" writes the current profile's lighting.

#include <cstdio>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "Text.h"
#include "devices/CQuorvaneMousePadDevice.h"

namespace vivori::ctl {
namespace {

using devices::CQuorvaneMousePadDevice;
namespace vb = devices::vendor_byte;

void PrintBlock(CQuorvaneMousePadDevice& pad, int profile) {
    const devices::VendorBlock image = pad.Image();
    std::printf("profile index:    %d (block read at %d)\n", profile,
                profile * devices::kVendorReadStride);
    std::printf("settings block (as the page holds it):\n");
    PrintBytes(image.data(), image.size());
    const devices::VendorBlock wire = devices::EncodeVendorBlock(image, pad.ModeMap());
    const struct {
        const char* name;
        size_t byte;
    } fields[] = {{"light mode", vb::kMode},      {"brightness", vb::kBrightness},
                  {"speed", vb::kSpeed},          {"direction", vb::kDirection},
                  {"colourful", vb::kColourful},  {"red", vb::kRed},
                  {"green", vb::kGreen},          {"blue", vb::kBlue}};
    for (const auto& f : fields)
        std::printf("  %-12s %3u   (device %u)\n", f.name, image[f.byte], wire[f.byte]);
}

int Read(CQuorvaneMousePadDevice& pad) {
    if (int r = pad.ReadDeviceInfo(); r != CMD_OK) return CommandFailed("ReadInfo", r);
    int profile = 0;
    if (int r = pad.ReadCurrentSettings(profile); r != CMD_OK)
        return CommandFailed("settings block", r);
    PrintBlock(pad, profile);
    return 0;
}

int Apply(CQuorvaneMousePadDevice& pad) {
    int profile = 0;
    if (int r = pad.ReadCurrentSettings(profile); r != CMD_OK)
        return CommandFailed("settings block", r);
    pad.LoadProfile();
    const std::string name = pad.GetProfileName();
    std::printf("profile:          %s\n", name.empty() ? "(none selected: the default)" : name.c_str());
    if (int r = pad.WriteSettings(); r != CMD_OK) return CommandFailed("settings", r);
    std::printf("settings:         written at %d\n", 0);
    PrintBlock(pad, profile);
    return 0;
}

int RunPad(const Options& given) {
    const std::string action = given.args.size() == 1 ? given.args[0] : "";
    if (action != "read" && action != "apply")
        return Fail("usage: pad read | pad apply"), kExitUsage;
    Options options = given;
    options.device = "pad";
    options.link = "cable";
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    CQuorvaneMousePadDevice pad(bus);
    if (!OpenCommandTransport(options, bus, pad.Commands(), &error)) return Fail(error);
    return action == "read" ? Read(pad) : Apply(pad);
}

const Registrar registrar({"pad", "pad read|apply",
                           "the mouse pad's settings block; apply writes the current profile",
                           &RunPad});

}  // namespace
}  // namespace vivori::ctl
