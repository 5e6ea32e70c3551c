// vivori-ctl mouse: the mouse device object at work. "read" shows what the mouse
// holds, "apply" writes the current profile as the page does after a change, and
// "dpi" converts between slider positions and DPI as the page does.

#include <cstdio>
#include <map>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "DeviceObjects.h"
#include "JsonOut.h"
#include "KeysAndMacros.h"
#include "Text.h"
#include "devices/AssignmentLabel.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/MouseDpiScale.h"

namespace vivori::ctl {
namespace {

using devices::CQuorvaneMouseDevice;
namespace mb = devices::mouse_byte;

constexpr const char* kUsage =
    "usage: mouse read | mouse apply [--screen WxH] | mouse set [--stage N --dpi D] "
    "[--active-stage N] [--rate HZ] | mouse dpi --sensor C --step S --base B --max M "
    "(--position N | --text T)";

// The page's report-rate options in order (polling option index).
constexpr int kRates[CQuorvaneMouseDevice::kPollingOptions] = {125, 250, 500, 1000, 2000};

int Word(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8;
}

void PrintButtons(const CQuorvaneMouseDevice& mouse) {
    std::printf("buttons:\n");
    const devices::TextOf name = [](std::string_view key) { return std::string(key); };
    for (int j = 0; j < CQuorvaneMouseDevice::kButtonCount; ++j) {
        const auto& function = CQuorvaneMouseDevice::ButtonFunctions()[size_t(j)];
        const uint8_t slot = mouse.DefaultKeyMap()[size_t(j)];
        if (slot == CQuorvaneMouseDevice::kNoButtonSlot) {
            std::printf("  %2d  %-20s slot --  (factory code %06x not in the key map)\n", j,
                        function.nameKey, function.defaultCode);
            continue;
        }
        const uint32_t code = mouse.SlotCode(slot);
        const auto label =
            devices::AssignmentLabel(profiles::KeyAssign::FromCode(uint16_t(j), code), name, {});
        std::printf("  %2d  %-20s slot %2u  code %06x  %s\n", j, function.nameKey, slot, code,
                    label.value_or("").c_str());
    }
}

void PrintJsonRead(CQuorvaneMouseDevice& mouse, int profile) {
    const devices::DpiScale scale = mouse.Scale();
    const devices::MouseBlockImage& block = mouse.BlockImage();
    Json::Value document(Json::objectValue);
    document["sensor"] = scale.sensor;
    document["dpiStep"] = scale.step;
    document["dpiBase"] = scale.base;
    document["highestPosition"] = scale.highest;
    document["profileIndex"] = profile;
    document["currentStage"] = block[mb::kDpiStage];
    Json::Value& stages = document["stages"] = Json::Value(Json::arrayValue);
    for (int i = 0; i < devices::kMouseStageCount; ++i) {
        const uint8_t* stage = block.data() + mb::kStages + size_t(i) * mb::kStageSize;
        Json::Value entry(Json::objectValue);
        entry["index"] = i;
        entry["active"] = stage[0];
        entry["position"] = Word(stage + 2);
        entry["dpi"] = devices::PositionToDpi(scale, Word(stage + 2));
        entry["colour"] = HexColour(stage[6], stage[7], stage[8]);
        stages.append(entry);
    }
    document["pollingIndex"] = block[mb::kPollingRate];
    const int polling = block[mb::kPollingRate];
    document["reportRate"] = polling < CQuorvaneMouseDevice::kPollingOptions
                                 ? Json::Value(kRates[polling])
                                 : Json::Value();
    document["light"] = LightJson(mouse.Light());
    Json::Value& buttons = document["buttons"] = Json::Value(Json::arrayValue);
    const devices::TextOf name = [](std::string_view key) { return std::string(key); };
    for (int j = 0; j < CQuorvaneMouseDevice::kButtonCount; ++j) {
        const auto& function = CQuorvaneMouseDevice::ButtonFunctions()[size_t(j)];
        const uint8_t slot = mouse.DefaultKeyMap()[size_t(j)];
        Json::Value entry(Json::objectValue);
        entry["index"] = j;
        entry["name"] = function.nameKey;
        const bool placed = slot != CQuorvaneMouseDevice::kNoButtonSlot;
        entry["slot"] = placed ? Json::Value(slot) : Json::Value();
        const uint32_t code = placed ? mouse.SlotCode(slot) : function.defaultCode;
        entry["code"] = Json::UInt(code);
        entry["function"] = placed ? devices::AssignmentLabel(
                                         profiles::KeyAssign::FromCode(uint16_t(j), code), name, {})
                                         .value_or("")
                                   : "";
        buttons.append(entry);
    }
    PrintJson(document);
}

int Read(CQuorvaneMouseDevice& mouse, bool json) {
    if (int r = mouse.ReadDeviceInfo(); r != CMD_OK) return CommandFailed("information", r);
    int profile = 0;
    if (int r = mouse.ReadCurrentSettings(&profile); r != CMD_OK)
        return CommandFailed("current settings", r);
    if (json) return PrintJsonRead(mouse, profile), 0;
    const devices::DpiScale scale = mouse.Scale();
    std::printf("sensor:           0x%04x\n", scale.sensor);
    std::printf("DPI step:         %d\n", scale.step);
    std::printf("DPI base:         %d\n", scale.base);
    std::printf("highest position: %d\n", scale.highest);
    std::printf("current profile:  %d\n", profile);
    const devices::MouseBlockImage& block = mouse.BlockImage();
    std::printf("current stage:    %u\n", block[mb::kDpiStage]);
    std::printf("stages:\n");
    for (int i = 0; i < devices::kMouseStageCount; ++i) {
        const uint8_t* stage = block.data() + mb::kStages + size_t(i) * mb::kStageSize;
        const int position = Word(stage + 2);
        std::printf("  %d  active %u  X position %4d  DPI %6d  colour %02x%02x%02x\n", i, stage[0],
                    position, devices::PositionToDpi(scale, position), stage[6], stage[7],
                    stage[8]);
    }
    std::printf("polling index:    %u\n", block[mb::kPollingRate]);
    const devices::LightParameters p = mouse.Light();
    std::printf(
        "light parameters: mode %u, brightness %u, speed %u, direction %u, colourful %u, "
        "colour %02x%02x%02x\n",
        p.mode, p.brightness, p.speed, p.direction, p.colourful, p.red, p.green, p.blue);
    PrintButtons(mouse);
    return 0;
}

bool ParseScreen(const std::string& text, int& width, int& height) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    const auto w = ParseNumber(text.substr(0, x), 0xFFFF);
    const auto h = ParseNumber(text.substr(x + 1), 0xFFFF);
    if (!w || !h || *w == 0 || *h == 0) return false;
    width = int(*w);
    height = int(*h);
    return true;
}

int Apply(CQuorvaneMouseDevice& mouse, int width, int height) {
    if (int r = mouse.ReadDeviceInfo(); r != CMD_OK) return CommandFailed("information", r);
    mouse.LoadProfile();
    mouse.SetScreenSize(width, height);
    const std::string profile = mouse.GetProfileName();
    std::printf("profile:          %s\n",
                profile.empty() ? "(none selected: the default)" : profile.c_str());
    const KeysWritten written = WriteKeysAndMacros(mouse, "mouse");
    if (written == KeysWritten::Nothing) return kExitFailure;
    const macros::MacroUploadResult recoil = mouse.WriteShootData();
    if (recoil.eventsTooMany > 0)
        return Fail("the recoil patterns pass the image's 16-bit limit by " +
                    std::to_string(recoil.eventsTooMany) + " events");
    if (recoil.result != CMD_OK) return CommandFailed("recoil patterns", recoil.result);
    std::printf("recoil image:     written (%zu bytes)\n", recoil.bytes);
    if (int r = mouse.WriteSettings(); r != CMD_OK) return CommandFailed("settings", r);
    std::printf("settings:         written (screen %dx%d)\n", width, height);
    return written == KeysWritten::All ? 0 : kExitFailure;
}

// "--name value" pairs after the action.
std::optional<std::map<std::string, std::string>> Pairs(const std::vector<std::string>& args) {
    std::map<std::string, std::string> pairs;
    for (size_t i = 1; i < args.size(); i += 2) {
        if (args[i].rfind("--", 0) != 0 || i + 1 >= args.size()) return std::nullopt;
        pairs[args[i].substr(2)] = args[i + 1];
    }
    return pairs;
}

int Dpi(const std::map<std::string, std::string>& pairs) {
    auto number = [&](const char* key, uint32_t max) -> std::optional<uint32_t> {
        const auto found = pairs.find(key);
        return found == pairs.end() ? std::nullopt : ParseNumber(found->second, max);
    };
    // The sensor is a code, hexadecimal as mouse read prints it.
    const auto found = pairs.find("sensor");
    const auto sensor = found == pairs.end() ? std::nullopt : ParseCode(found->second, 0xFFFF);
    const auto step = number("step", 0xFF),
               base = number("base", 0xFFFF), highest = number("max", 0xFFFF);
    const bool byPosition = pairs.count("position") != 0, byText = pairs.count("text") != 0;
    if (!sensor || !step || !base || !highest || byPosition == byText || pairs.size() != 5)
        return Fail(kUsage), kExitUsage;
    const devices::DpiScale scale{int(*step), int(*base), int(*highest), uint16_t(*sensor)};
    if (byText) {
        if (!ParseNumber(pairs.at("text"), 0xFFFFFF) || pairs.at("text").rfind("0x", 0) == 0)
            return Fail("--text takes a DPI in decimal, not \"" + pairs.at("text") + "\""),
                   kExitUsage;
        std::printf("%d\n", devices::DpiTextToPosition(scale, pairs.at("text")));
        return 0;
    }
    const auto position = number("position", *highest);
    if (!position) return Fail("the position must be a number from 0 to the highest"), kExitUsage;
    std::printf("%d\n", devices::PositionToDpi(scale, int(*position)));
    return 0;
}

// Each change is the page's reaction to it (each saves the profile and writes the mouse).
int Set(const Options& options, const std::vector<std::string>& args) {
    OptionValues values;
    if (int refused =
            ParseOptionValues(args, 1, {"--stage", "--dpi", "--active-stage", "--rate"}, &values))
        return refused;
    if (values.values.empty())
        return Fail("mouse set needs --stage N --dpi D, --active-stage N or --rate HZ"), kExitUsage;
    if (values.Has("stage") != values.Has("dpi"))
        return Fail("--stage and --dpi go together"), kExitUsage;
    int stage = -1, dpi = -1, active = -1, rate = -1;
    if (int bad = NumberOption(values, "stage", devices::kMouseStageCount - 1, &stage)) return bad;
    if (int bad = NumberOption(values, "dpi", 0xFFFF, &dpi)) return bad;
    if (int bad = NumberOption(values, "active-stage", devices::kMouseStageCount - 1, &active))
        return bad;
    if (int bad = NumberOption(values, "rate", 0xFFFF, &rate)) return bad;
    int option = -1;
    for (int i = 0; i < CQuorvaneMouseDevice::kPollingOptions; ++i)
        if (kRates[i] == rate) option = i;
    if (rate >= 0 && option < 0)
        return Fail("--rate takes 125, 250, 500, 1000 or 2000 (Hz), not " + std::to_string(rate)),
               kExitUsage;

    DeviceObject object;
    if (int failed = OpenDeviceObject(options, "mouse", &object)) return failed;
    auto& mouse = static_cast<CQuorvaneMouseDevice&>(*object.device);
    PrintProfileLine(mouse);
    const devices::DpiScale scale = mouse.Scale();
    if (stage >= 0) {
        const int position = devices::DpiTextToPosition(scale, std::to_string(dpi));
        if (int r = mouse.CommitStagePosition(stage, position); r != CMD_OK)
            return CommandFailed("stage " + std::to_string(stage), r);
        const int stored = mouse.GetDpiStages()[size_t(stage)].dpiX;
        std::printf("stored:           stage %d DPI %d (position %d)\n", stage,
                    devices::PositionToDpi(scale, stored), stored);
    }
    if (active >= 0) {
        if (int r = mouse.OnStageSelected(active); r != CMD_OK)
            return CommandFailed("stage selection", r);
        std::printf("stored:           active stage %d\n", mouse.CurrentDpiStage());
    }
    if (option >= 0) {
        if (int r = mouse.OnPollingOption(option); r != CMD_OK)
            return CommandFailed("report rate", r);
        std::printf("stored:           report rate %d Hz (option %d)\n", kRates[option],
                    int(mouse.SystemSettings().reportRate));
    }
    std::printf("written to the mouse\n");
    return 0;
}

int RunMouse(const Options& given) {
    const std::string action = given.args.empty() ? "" : given.args[0];
    if (given.json && action != "read") return Fail("--json goes with mouse read"), kExitUsage;
    if (action == "set") return Set(given, given.args);
    const auto pairs = Pairs(given.args);
    if (!pairs) return Fail(kUsage), kExitUsage;
    if (action == "dpi") return Dpi(*pairs);
    int width = 1920, height = 1080;
    if (action == "apply") {
        for (const auto& [key, value] : *pairs)
            if (key != "screen" || !ParseScreen(value, width, height))
                return Fail("apply takes --screen WxH (default 1920x1080)"), kExitUsage;
    } else if (action != "read" || !pairs->empty()) {
        return Fail(kUsage), kExitUsage;
    }
    Options options = given;
    options.device = "mouse";
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    CQuorvaneMouseDevice mouse(bus);
    if (!OpenCommandTransport(options, bus, mouse.Commands(), &error)) return Fail(error);
    return action == "read" ? Read(mouse, given.json) : Apply(mouse, width, height);
}

const Registrar registrar(
    {.name = "mouse",
     .usage = "mouse read|apply|set|dpi ...",
     .summary = "the mouse's stages and buttons; apply writes the current profile; set changes "
                "DPI stages and report rate; dpi converts slider positions and DPI",
     .run = &RunMouse,
     .help = "  read                    DPI scale, current profile index and stage, the five\n"
             "                          stages (0-4), polling index, light, the eleven buttons\n"
             "  apply [--screen WxH]    writes the current mouse profile (default 1920x1080)\n"
             "  set                     stores in the current mouse profile and writes the\n"
             "                          mouse, as the page does; any of:\n"
             "    --stage N --dpi D     stage N (0-4) to the slider position of D DPI\n"
             "    --active-stage N      stage N (0-4) becomes the current one\n"
             "    --rate HZ             report rate 125, 250, 500, 1000 or 2000\n"
             "  dpi --sensor C --step S --base B --max M (--position N | --text T)\n"
             "                          slider position N to DPI, or DPI text T to position;\n"
             "                          C the sensor code in hexadecimal as read prints it\n"
             "examples:\n"
             "  vivori-ctl --simulate mouse mouse set --stage 1 --dpi 1600 --rate 500\n"
             "  vivori-ctl mouse dpi --sensor 0x3325 --step 100 --base 100 --max 120 --text 5100\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
