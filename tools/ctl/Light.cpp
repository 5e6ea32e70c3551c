// vivori-ctl light run: the keyboard lighting effects computed offline, one line of
// LED colours per step, so an effect can be checked or diffed without a device.
// light sync-run: the synchronised lighting steps, one line per step with the value
// every LED of every synchronised device is given.
// light set: one lighting edit of a device, stored and written as the lighting page
// stores and writes it.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "DeviceObjects.h"
#include "Text.h"
#include "devices/CQuorvaneUSBDevice.h"
#include "lighting/LightEngine.h"
#include "lighting/LightPacer.h"
#include "lighting/SyncLighting.h"
#include "profiles/DataFolders.h"
#include "profiles/LightNameLists.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage =
    "light run --mode M --steps N [--speed S --direction D --colourful C --brightness B "
    "--colour RRGGBB --seed N --music-style S --music V1,V2,... --music-base RRGGBB "
    "--music-peak RRGGBB --music-colourful C]\n"
    "  light sync-run --kind K --steps N [--speed S --direction D --colourful C --brightness B "
    "--colour RRGGBB]\n"
    "  light set --device D [--effect NAME|NUMBER] [--colour RRGGBB] [--brightness B] "
    "[--speed S] [--direction D] [--colourful 0|1]";
constexpr uint32_t kMaxSteps = 1000000;

void PrintColours(const lighting::LedColourList& colours) {
    std::string line;
    line.reserve(colours.size() * 9);
    char entry[10];
    for (const auto& c : colours) {
        std::snprintf(entry, sizeof entry, "%s%02x%02x%02x%02x", line.empty() ? "" : " ", c.red,
                      c.green, c.blue, c.brightness);
        line += entry;
    }
    std::puts(line.c_str());
}

struct RunOptions {
    lighting::LightSettings settings;
    lighting::MusicSettings music;
    std::vector<int> musicValues;
    uint32_t steps = 0;
    uint32_t seed = 1;
};

// "V1,V2,..." of up to 25 signed 32-bit values.
bool ParseMusicValues(const std::string& text, std::vector<int>* values) {
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find(',', at), text.size());
        int value = 0;
        const char* first = text.data() + at;
        const char* last = text.data() + end;
        auto [ptr, ec] = std::from_chars(first, last, value);
        if (ec != std::errc() || ptr != last || first == last) return false;
        values->push_back(value);
        if (values->size() > static_cast<size_t>(lighting::kMusicValueCount)) return false;
        at = end + 1;
    }
    return true;
}

// Reads "--name value" pairs; every error is a usage error naming the option.
// `what` names the effect option: "mode" for run, "kind" for sync-run, which takes no
// music options.
bool ParseRunOptions(const std::vector<std::string>& args, const std::string& what, RunOptions* out,
                     std::string* error) {
    const std::string command = "light " + args[0];
    std::map<std::string, std::string> values;
    for (size_t i = 1; i < args.size(); i += 2) {
        if (args[i].rfind("--", 0) != 0 || i + 1 >= args.size()) {
            *error = command + ": expected --option value at " + args[i];
            return false;
        }
        values[args[i].substr(2)] = args[i + 1];
    }
    auto number = [&](const std::string& name, uint32_t max, int* into) {
        auto it = values.find(name);
        if (it == values.end()) return true;
        auto value = ParseNumber(it->second, max);
        if (!value) *error = "bad --" + name + " " + it->second;
        if (value) *into = static_cast<int>(*value);
        values.erase(it);
        return value.has_value();
    };
    const bool music = what == "mode";
    for (const char* option :
         {"music-style", "music", "music-base", "music-peak", "music-colourful"})
        if (!music && values.count(option)) {
            *error = command + ": unknown option --" + option;
            return false;
        }
    if (!values.count(what) || !values.count("steps")) {
        *error = std::string("usage: ") + kUsage;
        return false;
    }
    auto colour = [&](const std::string& name, lighting::Rgb* into) {
        auto it = values.find(name);
        if (it == values.end()) return true;
        auto bytes = ParseHexBytes({it->second});
        if (!bytes || bytes->size() != 3) {
            *error = "bad --" + name + " " + it->second + " (RRGGBB)";
            return false;
        }
        *into = {(*bytes)[0], (*bytes)[1], (*bytes)[2]};
        values.erase(it);
        return true;
    };
    auto& s = out->settings;
    auto& m = out->music;
    int steps = 0, colourful = 1, seed = 1, peakColourful = 0;
    if (!number(what, music ? 255 : lighting::kSyncKindCount - 1, &s.mode) ||
        !number("steps", kMaxSteps, &steps) || !number("speed", 4, &s.speed) ||
        !number("direction", 255, &s.direction) || !number("colourful", 1, &colourful) ||
        !number("brightness", 4, &s.brightness) || !number("seed", 0x7FFFFFFF, &seed) ||
        !number("music-style", 255, &m.style) || !number("music-colourful", 1, &peakColourful) ||
        !colour("colour", &s.colour) || !colour("music-base", &m.base) ||
        !colour("music-peak", &m.peak))
        return false;
    s.colourful = colourful != 0;
    m.peakColourful = peakColourful != 0;
    out->steps = static_cast<uint32_t>(steps);
    out->seed = static_cast<uint32_t>(seed);
    if (auto it = values.find("music"); it != values.end()) {
        if (!ParseMusicValues(it->second, &out->musicValues)) {
            *error = "bad --music " + it->second + " (up to 25 comma-separated integers)";
            return false;
        }
        values.erase(it);
    }
    if (!values.empty()) {
        *error = command + ": unknown option --" + values.begin()->first;
        return false;
    }
    return true;
}

// The group's steps on a clock that moves one step interval per step, from phase,
// wheel index and flash position 0.
int RunSync(const RunOptions& run) {
    const lighting::LightSettings& s = run.settings;
    const lighting::SyncSettings sync{.kind = lighting::SyncKind(s.mode),
                                      .brightness = s.brightness,
                                      .speed = s.speed,
                                      .direction = s.direction,
                                      .colourful = s.colourful,
                                      .colour = s.colour};
    lighting::SyncAnimator animator;
    const uint32_t interval = lighting::SyncStepMs(sync.speed);
    for (uint32_t i = 1; i <= run.steps; ++i) {
        const lighting::LedColour c = animator.Step(sync, i * interval);
        std::printf("%02x%02x%02x%02x\n", c.red, c.green, c.blue, c.brightness);
    }
    return 0;
}

// The light-name list of each device's page (default_light.json's table index).
int LightTableOf(const std::string& device) {
    if (device == "mouse") return 0;
    if (device == "keyboard") return 1;
    return device == "pad" ? 2 : 3;
}

// Names compare without regard to case, "-" and "_" standing for blanks ("colour-cycle").
std::string Folded(std::string text) {
    for (char& c : text) c = c == '-' || c == '_' ? ' ' : char(std::tolower((unsigned char)c));
    return text;
}

// The light-mode index of NAME or NUMBER among the modes the device's page offers;
// -1 after the usage error line.
int FindEffect(const std::string& device, const std::string& wanted,
               const profiles::LightNameLists& lists) {
    const auto& names = lists.modeNames;
    auto offered = [&](size_t i) { return i < lists.modeVisible.size() && lists.modeVisible[i]; };
    std::optional<uint32_t> index = ParseNumber(wanted, 255);
    if (!index)
        for (size_t i = 0; i < names.size(); ++i)
            if (Folded(names[i]) == Folded(wanted)) index = uint32_t(i);
    if (index && *index < names.size() && offered(*index)) return int(*index);
    std::string list;
    for (size_t i = 0; i < names.size(); ++i)
        if (offered(i)) list += "\n  " + std::to_string(i) + "  " + names[i];
    Fail("the " + device + " offers no effect \"" + wanted + "\"; it offers:" + list);
    return -1;
}

int RunSet(const Options& options) {
    OptionValues values;
    if (int refused = ParseOptionValues(
            options.args, 1,
            {"--effect", "--colour", "--brightness", "--speed", "--direction", "--colourful"},
            &values))
        return refused;
    if (values.values.empty())
        return Fail(
                   "light set needs at least one of --effect, --colour, --brightness, --speed, "
                   "--direction, --colourful"),
               kExitUsage;
    // Everything is checked before the device is touched.
    int brightness = -1, speed = -1, direction = -1, colourful = -1;
    if (int bad = NumberOption(values, "brightness", 4, &brightness)) return bad;
    if (int bad = NumberOption(values, "speed", 4, &speed)) return bad;
    if (int bad = NumberOption(values, "direction", 1, &direction)) return bad;
    if (int bad = NumberOption(values, "colourful", 1, &colourful)) return bad;
    std::optional<std::vector<uint8_t>> colour;
    if (values.Has("colour") && !(colour = ParseColour(values.values.at("colour"))))
        return Fail("--colour takes RRGGBB in hexadecimal, not \"" + values.values.at("colour") +
                    "\""),
               kExitUsage;
    profiles::LightNameLists lists;
    profiles::LoadDefaultLightNames(profiles::DataFolders::FromEnvironment().DefaultLightFile(),
                                    LightTableOf(options.device), lists);
    int effect = -1;
    if (values.Has("effect") &&
        (effect = FindEffect(options.device, values.values.at("effect"), lists)) < 0)
        return kExitUsage;

    DeviceObject object;
    if (int failed = OpenDeviceObject(options, options.device, &object)) return failed;
    devices::CQuorvaneUSBDevice& device = *object.device;
    // As the page's edit: the device leaves the synchronised group, the change is
    // stored, saved and reapplied, then the device is written.
    device.Commands().SetSyncLighting(false);
    devices::LightParameters p = device.Light();
    if (effect >= 0) p.mode = uint8_t(effect);
    if (brightness >= 0) p.brightness = uint8_t(brightness);
    if (speed >= 0) p.speed = uint8_t(speed);
    if (direction >= 0) p.direction = uint8_t(direction);
    if (colour) {  // one colour: not colourful, unless asked for too
        p.colourful = 0;
        p.red = (*colour)[0], p.green = (*colour)[1], p.blue = (*colour)[2];
    }
    if (colourful >= 0) p.colourful = uint8_t(colourful);
    device.StoreLightEdit(devices::LightWordsOf(p));
    const devices::LightParameters stored = device.Light();
    PrintProfileLine(device);
    const std::string name =
        stored.mode < lists.modeNames.size() ? " (" + lists.modeNames[stored.mode] + ")" : "";
    std::printf(
        "stored:           effect %u%s, brightness %u, speed %u, direction %u, "
        "colourful %u, colour %s\n",
        stored.mode, name.c_str(), stored.brightness, stored.speed, stored.direction,
        stored.colourful, HexColour(stored.red, stored.green, stored.blue).c_str());
    if (int r = device.WriteSettings(); r != CMD_OK) return CommandFailed("settings", r);
    std::printf("written to the %s\n", options.device.c_str());
    return 0;
}

int RunLight(const Options& options) {
    const auto& args = options.args;
    if (!args.empty() && args[0] == "set") return RunSet(options);
    const bool sync = !args.empty() && args[0] == "sync-run";
    if (args.empty() || (args[0] != "run" && !sync))
        return Fail(std::string("usage: ") + kUsage), kExitUsage;
    RunOptions run;
    run.settings.speed = 4;
    run.settings.direction = 1;
    run.settings.brightness = 4;
    run.settings.colour = {0xFF, 0, 0};
    std::string error;
    if (!ParseRunOptions(args, sync ? "kind" : "mode", &run, &error))
        return Fail(error), kExitUsage;
    if (sync) return RunSync(run);

    // No thread: the clock moves by the mode's step interval, which paces blinking.
    lighting::LightEngine engine(run.seed);
    engine.SetMusicSettings(run.music);
    engine.Start(run.settings);
    PrintColours(engine.Colours());
    const uint32_t interval = lighting::StepIntervalMs(run.settings.mode, run.settings.speed);
    uint32_t now = 0;
    for (uint32_t i = 0; i < run.steps; ++i) {
        now += interval;
        if (!run.musicValues.empty()) engine.SetMusicInput(run.musicValues);
        engine.Step(now);
        PrintColours(engine.Colours());
    }
    return 0;
}

const Registrar registrar(
    {.name = "light",
     .usage = "light run|sync-run|set ...",
     .summary = "run a keyboard lighting effect or the synchronised lighting offline; set one "
                "device's lighting",
     .run = &RunLight,
     .help =
         "  run --mode M --steps N      keyboard light mode M (0-255), N steps (no device);\n"
         "                              one line per step: 170 LED colours as rrggbbaa\n"
         "  sync-run --kind K --steps N synchronised lighting kind K: 0 breathing, 1 steady,\n"
         "                              2 flashing, 3 colour cycle, 4 off (no device)\n"
         "  --speed S, --brightness B   0-4 (default 4)\n"
         "  --direction D               0-255 for run and sync-run (default 1)\n"
         "  --colourful C               0 or 1 (default 1)\n"
         "  --colour RRGGBB             hexadecimal (default ff0000)\n"
         "  --seed N                    run's random seed (default 1)\n"
         "  --music-style S, --music V1,V2,..., --music-base RRGGBB, --music-peak RRGGBB,\n"
         "  --music-colourful C         run's music style input (mode 29)\n"
         "  set --device D              D's lighting (keyboard, mouse, pad, headset), stored\n"
         "                              in its current profile and written to it:\n"
         "    --effect NAME|NUMBER      a light mode the device's page offers (a wrong one\n"
         "                              lists them); names ignore case, - for blanks\n"
         "    --colour RRGGBB           one colour (colourful 0 unless --colourful 1)\n"
         "    --brightness B, --speed S 0-4;  --direction D 0 or 1;  --colourful 0|1\n"
         "examples:\n"
         "  vivori-ctl light sync-run --kind 0 --steps 3\n"
         "  vivori-ctl --simulate mouse light set --device mouse --effect static --colour 00ff00\n",
     .ownOptions = "--kind"});

}  // namespace
}  // namespace vivori::ctl
