// vivori-ctl headset: the headset device object at work. "read" shows its settings
// block and its audio state; "leds" sets every LED and sends one round of LED reports.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "Text.h"
#include "audio/AudioLibrary.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "sim/SimAudioChip.h"

namespace vivori::ctl {
namespace {

using devices::CQuorvaneRI6533Device;
namespace vb = devices::vendor_byte;

// The simulated headset has the simulated audio chip; a real one has its sound card.
void ChooseAudioLibrary(const Options& options) {
    std::string simulate = options.simulate;
    if (simulate.empty())
        if (const char* env = std::getenv("VIVORI_SIMULATE")) simulate = env;
    if (simulate.find("headset") != std::string::npos)
        audio::SetAudioLibrary(std::make_shared<sim::SimAudioChip>());
}

int Read(CQuorvaneRI6533Device& headset) {
    int profile = 0;
    if (int r = headset.ReadCurrentSettings(profile); r != CMD_OK)
        return CommandFailed("settings block", r);
    const devices::VendorBlock image = headset.Image();
    std::printf("profile index:    %d (block read at %d)\n", profile,
                profile * devices::kVendorReadStride);
    std::printf("settings block (as the page holds it):\n");
    PrintBytes(image.data(), image.size());
    std::printf("light:            mode %u, brightness %u, speed %u, direction %u, colourful %u, "
                "colour %02x%02x%02x\n",
                image[vb::kMode], image[vb::kBrightness], image[vb::kSpeed], image[vb::kDirection],
                image[vb::kColourful], image[vb::kRed], image[vb::kGreen], image[vb::kBlue]);
    if (!headset.StartAudio()) {
        std::printf("audio:            no audio device (the settings stay as stored)\n");
        return 0;
    }
    const profiles::SystemSetStages& a = headset.AudioSettings();
    std::printf("audio features:   playback %d %d %d, recording %d %d %d\n",
                headset.PlaybackFeatures()[0], headset.PlaybackFeatures()[1],
                headset.PlaybackFeatures()[2], headset.RecordingFeatures()[0],
                headset.RecordingFeatures()[1], headset.RecordingFeatures()[2]);
    std::printf("microphone:       %s, level %d\n", a.micInSelect ? "on" : "muted", a.micInValue);
    std::printf("monitoring:       %s, level %d\n", a.micMonitorSelect ? "on" : "off",
                a.micMonitorValue);
    std::printf("voice effect:     %s, effect %d\n", a.magicEnable ? "on" : "off", a.magicType);
    return 0;
}

int Leds(CQuorvaneRI6533Device& headset, const std::vector<std::string>& args) {
    std::string colour = "ffffff";
    int brightness = 255;
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--colour")
            colour = args[i + 1];
        else if (args[i] == "--brightness")
            brightness = std::atoi(args[i + 1].c_str());
        else
            return Fail("unknown option " + args[i]), kExitUsage;
    }
    if ((args.size() - 1) % 2 != 0) return Fail("usage: headset leds --colour RRGGBB --brightness B"), kExitUsage;
    char* end = nullptr;
    const unsigned long rgb = std::strtoul(colour.c_str(), &end, 16);
    if (colour.size() != 6 || end != colour.c_str() + 6)
        return Fail("colour must be RRGGBB in hexadecimal: " + colour), kExitUsage;
    if (brightness < 0 || brightness > 255)
        return Fail("brightness must be 0-255: " + std::to_string(brightness)), kExitUsage;
    headset.SetLedCount(devices::kHeadsetLedCount);
    for (int led = 0; led < devices::kHeadsetLedCount; ++led)
        headset.SetLedColour(led, {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb),
                                   uint8_t(brightness)});
    headset.SetHostLightControl(true);
    std::vector<devices::LedColour> colours;
    for (int led = 0; led < devices::kHeadsetLedCount; ++led) colours.push_back(headset.GetLedColour(led));
    if (int r = headset.SendLedRound(); r != CMD_OK) return CommandFailed("LED report", r);
    for (const devices::LedReport& report : devices::BuildLedReports(colours)) {
        for (size_t i = 0; i < report.size(); ++i) std::printf(i ? " %02x" : "%02x", report[i]);
        std::printf("\n");
    }
    return 0;
}

int RunHeadset(const Options& given) {
    const std::string action = given.args.empty() ? "" : given.args[0];
    if (!(action == "read" && given.args.size() == 1) && action != "leds")
        return Fail("usage: headset read | headset leds --colour RRGGBB --brightness B"),
               kExitUsage;
    Options options = given;
    options.device = "headset";
    options.link = "cable";
    ChooseAudioLibrary(options);
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    CQuorvaneRI6533Device headset(bus);
    if (!OpenCommandTransport(options, bus, headset.Commands(), &error)) return Fail(error);
    return action == "read" ? Read(headset) : Leds(headset, given.args);
}

const Registrar registrar({"headset", "headset read|leds [--colour RRGGBB --brightness B]",
                           "the headset's settings block and audio state; leds sets every LED",
                           &RunHeadset});

}  // namespace
}  // namespace vivori::ctl
