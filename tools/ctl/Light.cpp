// vivori-ctl light run: the keyboard lighting effects computed offline, one line of
// LED colours per step, so an effect can be checked or diffed without a device.
// light sync-run: the synchronised lighting steps, one line per step with the value
// every LED of every synchronised device is given.
#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Ctl.h"
#include "Text.h"
#include "lighting/LightEngine.h"
#include "lighting/LightPacer.h"
#include "lighting/SyncLighting.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage =
    "light run --mode M --steps N [--speed S --direction D --colourful C --brightness B "
    "--colour RRGGBB --seed N --music-style S --music V1,V2,... --music-base RRGGBB "
    "--music-peak RRGGBB --music-colourful C]\n"
    "  light sync-run --kind K --steps N [--speed S --direction D --colourful C --brightness B "
    "--colour RRGGBB]";
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

int RunLight(const Options& options) {
    const auto& args = options.args;
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

const Registrar registrar({"light", kUsage, "run a keyboard lighting effect offline", &RunLight});

}  // namespace
}  // namespace vivori::ctl
