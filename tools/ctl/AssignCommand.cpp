// vivori-ctl assign: the key assignments of the current keyboard or mouse profile.
// "show" lists them, "set" and "default" change one key, store it in the profile and
// write the key table to the device with the macros it numbers.

#include <cstdio>
#include <memory>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "DeviceObjects.h"
#include "KeysAndMacros.h"
#include "Text.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/KeyIdentity.h"
#include "macros/AssignmentCodes.h"
#include "macros/KeyCodeTable.h"
#include "macros/MacroAssignments.h"
#include "profiles/JsonFile.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage =
    "usage: assign show | assign set INDEX CODE [--yes] | assign default INDEX [--yes] (with "
    "--kind keyboard|mouse)";

std::unique_ptr<devices::CQuorvaneUSBDevice> DeviceOfKind(const std::string& kind,
                                                          std::shared_ptr<hid::HidBus> bus) {
    if (kind == "keyboard") return std::make_unique<devices::CQuorvaneKeyboardDevice>(bus);
    if (kind == "mouse") return std::make_unique<devices::CQuorvaneMouseDevice>(bus);
    return nullptr;
}

std::string KeyName(const std::string& kind, size_t index) {
    if (kind == "mouse") {
        const auto& functions = devices::CQuorvaneMouseDevice::ButtonFunctions();
        return index < functions.size() ? functions[index].nameKey
                                        : "button_" + std::to_string(index);
    }
    const uint32_t code = devices::KeyIdentityCode(int(index));
    const auto row = macros::FindKeyByCode(uint8_t(code >> 16), uint8_t(code >> 8), uint8_t(code));
    return row ? std::string(macros::KeyCodeTable()[*row].nameKey) : "key_" + std::to_string(index);
}

std::string CodeText(uint32_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "%06x", code);
    return text;
}

int ShowJson(const std::string& kind, devices::CQuorvaneUSBDevice& device) {
    Json::Value document(Json::objectValue);
    document["kind"] = kind;
    const std::string profile = device.GetProfileName();
    document["profile"] = profile.empty() ? Json::Value() : Json::Value(profile);
    Json::Value& keys = document["keys"] = Json::Value(Json::arrayValue);
    const auto list = device.KeyAssignments();
    for (size_t i = 0; i < list.size(); ++i) {
        const uint32_t code = list[i].current.Code();
        Json::Value key(Json::objectValue);
        key["index"] = Json::UInt(i);
        key["name"] = KeyName(kind, i);
        key["code"] = Json::UInt(code);
        key["codeText"] = CodeText(code);
        key["function"] = macros::DescribeAssignment(code);
        key["changed"] = code != list[i].defaultAssign.Code();
        keys.append(key);
    }
    PrintJson(document);
    return 0;
}

int Show(const std::string& kind, devices::CQuorvaneUSBDevice& device) {
    const std::string profile = device.GetProfileName();
    std::printf("profile: %s\n",
                profile.empty() ? "(none selected: the default)" : profile.c_str());
    const auto keys = device.KeyAssignments();
    for (size_t i = 0; i < keys.size(); ++i) {
        const uint32_t code = keys[i].current.Code();
        std::printf("%3zu  %-24s %06x  %s%s\n", i, KeyName(kind, i).c_str(), code,
                    macros::DescribeAssignment(code).c_str(),
                    code == keys[i].defaultAssign.Code() ? "" : "  (changed)");
    }
    return 0;
}

int Change(const Options& options, devices::CQuorvaneUSBDevice& device,
           const std::shared_ptr<hid::HidBus>& bus, size_t index, std::optional<uint32_t> code,
           bool confirmed) {
    if (device.GetProfileName().empty())
        return Fail("no profile is selected for this kind: nothing to store the assignment in");
    auto keys = device.KeyAssignments();
    if (index >= keys.size())
        return Fail("index " + std::to_string(index) + " is past the key list (" +
                    std::to_string(keys.size()) + " keys)"),
               kExitUsage;
    const uint32_t wanted = code.value_or(keys[index].defaultAssign.Code());
    // The application refuses this too: a mouse without a left click cannot be used.
    if (options.kind == "mouse" && wanted != macros::kLeftClickCode &&
        macros::IsLastLeftButton(keys, index) && !confirmed)
        return Fail("button " + std::to_string(index) +
                    " is the last with the left-click function; without it the mouse cannot "
                    "click. Add --yes to change it anyway");
    keys[index].current = profiles::KeyAssign::FromCode(keys[index].current.keyIndex, wanted);
    device.SetKeyAssignments(keys);
    device.SaveProfile();
    std::printf("stored:    %3zu  %06x  %s\n", index, keys[index].current.Code(),
                macros::DescribeAssignment(keys[index].current.Code()).c_str());
    std::string error;
    if (!OpenCommandTransport(options, bus, device.Commands(), &error)) return Fail(error);
    if (int r = device.ReadKeyMaps(); r != CMD_OK) return CommandFailed("key map read", r);
    // Writing the table renumbers the macros keys play, so the macros go with it.
    const KeysWritten written = WriteKeysAndMacros(device, options.kind);
    if (written == KeysWritten::Nothing) return kExitFailure;
    std::printf("written to the %s%s\n", options.device.c_str(),
                written == KeysWritten::Partly ? ", except the keys named above" : "");
    return written == KeysWritten::All ? 0 : kExitFailure;
}

int RunAssign(const Options& given) {
    const Arguments split = SplitArguments(given.args);
    if (int refused = RefuseUnknownFlags(split, {"--yes"})) return refused;
    const auto& args = split.words;
    const std::string action = args.empty() ? "" : args[0];
    Options options = given;
    if (options.kind != "keyboard" && options.kind != "mouse")
        return Fail("assign needs --kind keyboard or --kind mouse"), kExitUsage;
    options.device = options.kind;
    std::optional<uint32_t> index, code;
    if (args.size() >= 2) index = ParseNumber(args[1], 255);
    if (args.size() >= 3) code = ParseCode(args[2]);
    const bool valid = (action == "show" && args.size() == 1) ||
                       (action == "set" && args.size() == 3 && index && code) ||
                       (action == "default" && args.size() == 2 && index);
    if (!valid) {
        if (action == "set" && args.size() == 3 && index && !code)
            return Fail("bad code " + args[2] +
                        ": six hexadecimal digits as assign show prints them (20003e, 0x20003e), "
                        "or #decimal"),
                   kExitUsage;
        return Fail(kUsage), kExitUsage;
    }
    if (options.json && action != "show") return Fail("--json goes with assign show"), kExitUsage;
    std::string error;
    const auto bus = action == "show" ? nullptr : SelectDeviceBus(options, &error);
    if (action != "show" && !bus) return Fail(error);
    // A change needs a profile to go into, as the application makes the first one.
    if (action != "show")
        if (int failed = EnsureProfileList(options.kind)) return failed;
    auto device = DeviceOfKind(options.kind, bus);
    device->LoadProfile();
    if (action == "show")
        return options.json ? ShowJson(options.kind, *device) : Show(options.kind, *device);
    return Change(options, *device, bus, *index, action == "set" ? code : std::nullopt,
                  split.Has("--yes"));
}

const Registrar registrar(
    {.name = "assign",
     .usage = "assign show|set INDEX CODE|default INDEX",
     .summary = "the key assignments of the current --kind profile; set and default store one "
                "and write the key table with the macros it plays",
     .run = &RunAssign,
     .help = "  --kind keyboard|mouse  whose current profile (required)\n"
             "  show                   one line per key: index, name, code, what it does\n"
             "  set INDEX CODE         INDEX as show prints it; CODE in hexadecimal as show\n"
             "                         prints it (20003e or 0x20003e), decimal only as #N\n"
             "  default INDEX          the key's default code back\n"
             "  --yes                  take the left click from the last mouse button with it\n"
             "examples:\n"
             "  vivori-ctl --kind keyboard assign show\n"
             "  vivori-ctl --simulate keyboard --kind keyboard assign set 64 200005\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
