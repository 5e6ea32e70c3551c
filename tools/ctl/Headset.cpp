// vivori-ctl headset: the headset device object at work. "read" shows its settings
// block and its audio state; "leds" sets every LED and sends one round of LED reports.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "DeviceObjects.h"
#include "JsonOut.h"
#include "Text.h"
#include "audio/AudioLibrary.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "sim/SimAudioChip.h"

namespace vivori::ctl {
namespace {

using devices::CQuorvaneRI6533Device;
namespace vb = devices::vendor_byte;

constexpr const char* kUsage =
    "usage: headset read | headset leds [--colour RRGGBB] [--brightness B] | headset eq "
    "--preset N | headset eq --band HZ:DB | headset mic [--level N] [--mute 0|1]";

// The equaliser bands in order, as the voice panel labels them.
constexpr int kBandHz[profiles::kEqBands] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr int kBandLimitDb = 20;  // the band sliders' range, either way
constexpr int kPresetCount = 13;  // 1-12 the presets, 13 the custom setting

std::string BandList(const std::vector<int32_t>& bands) {
    std::string text;
    for (size_t i = 0; i < bands.size() && i < std::size(kBandHz); ++i)
        text.append(text.empty() ? "" : " ")
            .append(std::to_string(kBandHz[i]))
            .append(":")
            .append(std::to_string(bands[i]));
    return text;
}

devices::LightParameters LightOfImage(const devices::VendorBlock& image) {
    devices::LightParameters p;
    p.mode = image[vb::kMode], p.brightness = image[vb::kBrightness], p.speed = image[vb::kSpeed];
    p.direction = image[vb::kDirection], p.colourful = image[vb::kColourful];
    p.red = image[vb::kRed], p.green = image[vb::kGreen], p.blue = image[vb::kBlue];
    return p;
}

Json::Value ReadJson(CQuorvaneRI6533Device& headset, int profile, bool audio) {
    const devices::VendorBlock image = headset.Image();
    Json::Value document(Json::objectValue);
    document["profileIndex"] = profile;
    document["block"] = BytesJson(image.data(), image.size());
    document["light"] = LightJson(LightOfImage(image));
    if (!audio) {
        document["audio"] = Json::Value();
        return document;
    }
    const profiles::SystemSetStages& a = headset.AudioSettings();
    Json::Value& out = document["audio"] = Json::Value(Json::objectValue);
    for (int i = 0; i < 3; ++i) {
        out["playbackFeatures"].append(headset.PlaybackFeatures()[size_t(i)]);
        out["recordingFeatures"].append(headset.RecordingFeatures()[size_t(i)]);
    }
    out["microphone"]["on"] = a.micInSelect != 0;
    out["microphone"]["level"] = a.micInValue;
    out["monitoring"]["on"] = a.micMonitorSelect != 0;
    out["monitoring"]["level"] = a.micMonitorValue;
    out["voiceEffect"]["on"] = a.magicEnable != 0;
    out["voiceEffect"]["effect"] = a.magicType;
    out["equaliser"]["preset"] = a.eqType;
    const auto& bands = headset.EqBands();
    for (size_t i = 0; i < bands.size() && i < std::size(kBandHz); ++i) {
        Json::Value band(Json::objectValue);
        band["hz"] = kBandHz[i];
        band["db"] = bands[i];
        out["equaliser"]["bands"].append(band);
    }
    return document;
}

int Read(CQuorvaneRI6533Device& headset, bool json) {
    int profile = 0;
    if (int r = headset.ReadCurrentSettings(profile); r != CMD_OK)
        return CommandFailed("settings block", r);
    const bool audio = headset.StartAudio();
    if (json) {
        PrintJson(ReadJson(headset, profile, audio));
        return 0;
    }
    const devices::VendorBlock image = headset.Image();
    std::printf("profile index:    %d (block read at %d)\n", profile,
                profile * devices::kVendorReadStride);
    std::printf("settings block (as the page holds it):\n");
    PrintBytes(image.data(), image.size());
    std::printf(
        "light:            mode %u, brightness %u, speed %u, direction %u, colourful %u, "
        "colour %02x%02x%02x\n",
        image[vb::kMode], image[vb::kBrightness], image[vb::kSpeed], image[vb::kDirection],
        image[vb::kColourful], image[vb::kRed], image[vb::kGreen], image[vb::kBlue]);
    if (!audio) {
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
    std::printf("equaliser:        %d, bands %s\n", a.eqType, BandList(headset.EqBands()).c_str());
    return 0;
}

int Leds(CQuorvaneRI6533Device& headset, const std::vector<std::string>& args) {
    OptionValues values;
    if (int refused = ParseOptionValues(args, 1, {"--colour", "--brightness"}, &values))
        return refused;
    int brightness = 255;
    if (int bad = NumberOption(values, "brightness", 255, &brightness)) return bad;
    const std::string colourText = values.Has("colour") ? values.values.at("colour") : "ffffff";
    const auto rgb = ParseColour(colourText);
    if (!rgb)
        return Fail("--colour takes RRGGBB in hexadecimal, not \"" + colourText + "\""), kExitUsage;
    headset.SetLedCount(devices::kHeadsetLedCount);
    for (int led = 0; led < devices::kHeadsetLedCount; ++led)
        headset.SetLedColour(led, {(*rgb)[0], (*rgb)[1], (*rgb)[2], uint8_t(brightness)});
    headset.SetHostLightControl(true);
    std::vector<devices::LedColour> colours;
    for (int led = 0; led < devices::kHeadsetLedCount; ++led)
        colours.push_back(headset.GetLedColour(led));
    if (int r = headset.SendLedRound(); r != CMD_OK) return CommandFailed("LED report", r);
    for (const devices::LedReport& report : devices::BuildLedReports(colours)) {
        for (size_t i = 0; i < report.size(); ++i) std::printf(i ? " %02x" : "%02x", report[i]);
        std::printf("\n");
    }
    return 0;
}

// The audio side as the voice panel changes it; each action saves the profile.
int Audio(const Options& options, const std::vector<std::string>& args) {
    const bool eq = args[0] == "eq";
    OptionValues values;
    if (int refused =
            ParseOptionValues(args, 1,
                              eq ? std::initializer_list<std::string_view>{"--preset", "--band"}
                                 : std::initializer_list<std::string_view>{"--level", "--mute"},
                              &values))
        return refused;
    int preset = -1, band = -1, gain = 0, level = -1, mute = -1;
    if (eq) {
        if (values.values.size() != 1)
            return Fail("usage: headset eq --preset N | headset eq --band HZ:DB"), kExitUsage;
        if (int bad = NumberOption(values, "preset", kPresetCount, &preset)) return bad;
        if (preset == 0)
            return Fail("--preset takes 1 to 12, or 13 for the custom setting"), kExitUsage;
        if (values.Has("band")) {
            const std::string& text = values.values.at("band");
            const size_t colon = text.find(':');
            const auto hz = ParseNumber(text.substr(0, colon), 0xFFFF);
            const auto db = colon == std::string::npos
                                ? std::nullopt
                                : ParseSigned(text.substr(colon + 1), -kBandLimitDb, kBandLimitDb);
            for (int i = 0; hz && i < profiles::kEqBands; ++i)
                if (kBandHz[i] == int(*hz)) band = i;
            if (band < 0 || !db)
                return Fail(
                           "--band takes HZ:DB, HZ one of 31 62 125 250 500 1000 2000 4000 8000 "
                           "16000 and DB from -20 to 20, not \"" +
                           text + "\""),
                       kExitUsage;
            gain = *db;
        }
    } else {
        if (values.values.empty())
            return Fail("usage: headset mic [--level N] [--mute 0|1]"), kExitUsage;
        if (int bad = NumberOption(values, "level", 100, &level)) return bad;
        if (int bad = NumberOption(values, "mute", 1, &mute)) return bad;
    }

    DeviceObject object;
    if (int failed = OpenDeviceObject(options, "headset", &object)) return failed;
    auto& headset = static_cast<CQuorvaneRI6533Device&>(*object.device);
    if (!headset.AudioReady()) return Fail("the headset has no audio device to set");
    PrintProfileLine(headset);
    int failed = 0;
    if (preset > 0) headset.ApplyPreset(preset);
    if (band >= 0) {
        headset.SetBand(band, gain);
        headset.SaveProfile();  // the page saves a slider's curve with its next change
    }
    if (level >= 0) {
        headset.SetMicLevel(level);
        if (headset.AudioSettings().micInValue != level)
            failed = Fail("the audio chip did not take the microphone level");
    }
    if (mute >= 0 && headset.MicMuted() != (mute == 1)) {
        headset.ToggleMicMute();
        if (headset.MicMuted() != (mute == 1))
            failed = Fail("the audio chip did not take the microphone mute");
    }
    ReportAudioSets(options, object);
    const profiles::SystemSetStages& a = headset.AudioSettings();
    if (eq)
        std::printf("stored:           equaliser %d%s, bands %s\n", a.eqType,
                    a.eqType == kPresetCount ? " (custom)" : "",
                    BandList(headset.EqBands()).c_str());
    else
        std::printf("stored:           microphone level %d, %s\n", a.micInValue,
                    headset.MicMuted() ? "muted" : "on");
    return failed;
}

int RunHeadset(const Options& given) {
    const std::string action = given.args.empty() ? "" : given.args[0];
    if (given.json && action != "read") return Fail("--json goes with headset read"), kExitUsage;
    if (action == "eq" || action == "mic") return Audio(given, given.args);
    if (!(action == "read" && given.args.size() == 1) && action != "leds")
        return Fail(kUsage), kExitUsage;
    Options options = given;
    options.device = "headset";
    options.link = "cable";
    ChooseAudioLibrary(options);
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    CQuorvaneRI6533Device headset(bus);
    if (!OpenCommandTransport(options, bus, headset.Commands(), &error)) return Fail(error);
    return action == "read" ? Read(headset, given.json) : Leds(headset, given.args);
}

const Registrar registrar(
    {.name = "headset",
     .usage = "headset read|leds|eq|mic ...",
     .summary = "the headset's settings block and audio state; leds sets every LED; eq and mic "
                "set the equaliser and the microphone as the voice panel does",
     .run = &RunHeadset,
     .help = "  read                        settings block, light, audio features, microphone,\n"
             "                              monitoring, voice effect, equaliser\n"
             "  leds [--colour RRGGBB] [--brightness B]\n"
             "                              all 13 LEDs (default ffffff, 255); prints the reports\n"
             "  eq --preset N               equaliser preset 1-12, or 13 the custom setting\n"
             "  eq --band HZ:DB             one band of the custom curve: HZ 31 62 125 250 500\n"
             "                              1000 2000 4000 8000 16000, DB -20 to 20\n"
             "  mic [--level N] [--mute 0|1] microphone level 0-100 and mute\n"
             "  eq and mic store in the current headset profile and set the audio chip;\n"
             "  --debug also prints each chip setting (\"audio set NAME = VALUE\").\n"
             "examples:\n"
             "  vivori-ctl --simulate headset headset eq --band 1000:-4\n"
             "  vivori-ctl --simulate headset headset mic --level 60 --mute 0\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
