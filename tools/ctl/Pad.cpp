// vivori-ctl pad: the mouse pad device object at work. "read" shows the pad's settings
// block as it reads it at connection; "apply" writes the current profile's lighting.

#include <cstdio>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "JsonOut.h"
#include "Text.h"
#include "devices/CQuorvaneMousePadDevice.h"

namespace vivori::ctl {
namespace {

using devices::CQuorvaneMousePadDevice;
namespace vb = devices::vendor_byte;

struct Field {
    const char* name;
    const char* key;  // its --json key
    size_t byte;
};
constexpr Field kFields[] = {{"light mode", "mode", vb::kMode},
                             {"brightness", "brightness", vb::kBrightness},
                             {"speed", "speed", vb::kSpeed},
                             {"direction", "direction", vb::kDirection},
                             {"colourful", "colourful", vb::kColourful},
                             {"red", "red", vb::kRed},
                             {"green", "green", vb::kGreen},
                             {"blue", "blue", vb::kBlue}};

void PrintJsonBlock(CQuorvaneMousePadDevice& pad, int profile) {
    const devices::VendorBlock image = pad.Image();
    const devices::VendorBlock wire = devices::EncodeVendorBlock(image, pad.ModeMap());
    Json::Value document(Json::objectValue);
    document["profileIndex"] = profile;
    document["block"] = BytesJson(image.data(), image.size());
    for (const Field& f : kFields) {
        document["fields"][f.key]["value"] = image[f.byte];
        document["fields"][f.key]["device"] = wire[f.byte];
    }
    PrintJson(document);
}

void PrintBlock(CQuorvaneMousePadDevice& pad, int profile) {
    const devices::VendorBlock image = pad.Image();
    std::printf("profile index:    %d (block read at %d)\n", profile,
                profile * devices::kVendorReadStride);
    std::printf("settings block (as the page holds it):\n");
    PrintBytes(image.data(), image.size());
    const devices::VendorBlock wire = devices::EncodeVendorBlock(image, pad.ModeMap());
    for (const Field& f : kFields)
        std::printf("  %-12s %3u   (device %u)\n", f.name, image[f.byte], wire[f.byte]);
}

int Read(CQuorvaneMousePadDevice& pad, bool json) {
    if (int r = pad.ReadDeviceInfo(); r != CMD_OK) return CommandFailed("ReadInfo", r);
    int profile = 0;
    if (int r = pad.ReadCurrentSettings(profile); r != CMD_OK)
        return CommandFailed("settings block", r);
    if (json) return PrintJsonBlock(pad, profile), 0;
    PrintBlock(pad, profile);
    return 0;
}

int Apply(CQuorvaneMousePadDevice& pad) {
    int profile = 0;
    if (int r = pad.ReadCurrentSettings(profile); r != CMD_OK)
        return CommandFailed("settings block", r);
    pad.LoadProfile();
    const std::string name = pad.GetProfileName();
    std::printf("profile:          %s\n",
                name.empty() ? "(none selected: the default)" : name.c_str());
    if (int r = pad.WriteSettings(); r != CMD_OK) return CommandFailed("settings", r);
    std::printf("settings:         written at %d\n", 0);
    PrintBlock(pad, profile);
    return 0;
}

int RunPad(const Options& given) {
    const std::string action = given.args.size() == 1 ? given.args[0] : "";
    if (action != "read" && action != "apply")
        return Fail("usage: pad read | pad apply"), kExitUsage;
    if (given.json && action != "read") return Fail("--json goes with pad read"), kExitUsage;
    Options options = given;
    options.device = "pad";
    options.link = "cable";
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    CQuorvaneMousePadDevice pad(bus);
    if (!OpenCommandTransport(options, bus, pad.Commands(), &error)) return Fail(error);
    return action == "read" ? Read(pad, given.json) : Apply(pad);
}

const Registrar registrar(
    {.name = "pad",
     .usage = "pad read|apply",
     .summary = "the mouse pad's settings block; apply writes the current profile",
     .run = &RunPad,
     .help = "  read   the information block, then the settings block as the page holds it,\n"
             "         field by field with the value the pad holds\n"
             "  apply  writes the current pad profile's lighting into the settings block\n"
             "  (the pad's lighting alone: vivori-ctl light set --device pad ...)\n"
             "example:\n"
             "  vivori-ctl --simulate pad pad read\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
