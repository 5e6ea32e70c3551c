// vivori-ctl keyboard: the keyboard device object at work. "read" does its full read
// and shows what it found; "apply" writes the current profile's key table, macros
// and settings, as the page does after a change.

#include <cstdio>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "JsonOut.h"
#include "KeysAndMacros.h"
#include "Text.h"
#include "devices/CQuorvaneKeyboardDevice.h"

namespace vivori::ctl {
namespace {

using devices::CQuorvaneKeyboardDevice;
using devices::LightBlock;
namespace lb = devices::light_byte;

void PrintKeys(const CQuorvaneKeyboardDevice& keyboard) {
    const devices::KeyLocations& keys = keyboard.Locations();
    int found = 0;
    for (uint8_t slot : keys.slot) found += slot != devices::kNoSlot;
    std::printf("identified keys:  %d of %d (key slots: %d)\n", found, devices::kLogicalKeyCount,
                keyboard.KeySlotCount());
    for (int key = 0; key < devices::kLogicalKeyCount; ++key) {
        const uint8_t slot = keys.slot[size_t(key)];
        if (slot == devices::kNoSlot) continue;
        const uint32_t code = devices::KeyIdentityCode(key);
        std::printf("  key %3d  slot %3u  LED %3u  code %02x %02x %02x\n", key, slot,
                    keys.led[size_t(key)], code >> 16, code >> 8 & 0xFF, code & 0xFF);
    }
}

struct Field {
    const char* name;
    const char* key;  // its --json key
    size_t byte;
};
constexpr Field kFields[] = {{"value", "value", lb::kValue},
                             {"mode code", "modeCode", lb::kMode},
                             {"brightness", "brightness", lb::kBrightness},
                             {"speed (4 - page)", "speed", lb::kSpeed},
                             {"direction", "direction", lb::kDirection},
                             {"colourful", "colourful", lb::kColourful},
                             {"red", "red", lb::kRed},
                             {"green", "green", lb::kGreen},
                             {"blue", "blue", lb::kBlue},
                             {"secondary", "secondary", lb::kSecondary},
                             {"further", "further", lb::kFurther},
                             {"W flag", "wFlag", lb::kWFlag},
                             {"6-key flag", "sixKey", lb::kSixKey},
                             {"Windows-key lock", "windowsLock", lb::kWindowsLock},
                             {"polling rate", "pollingRate", lb::kPollingRate},
                             {"colour block", "colourBlock", lb::kColourBlock}};

void PrintJsonRead(CQuorvaneKeyboardDevice& keyboard) {
    Json::Value document(Json::objectValue);
    const devices::KeyLocations& locations = keyboard.Locations();
    document["keySlots"] = keyboard.KeySlotCount();
    Json::Value& keys = document["keys"] = Json::Value(Json::arrayValue);
    for (int key = 0; key < devices::kLogicalKeyCount; ++key) {
        const uint8_t slot = locations.slot[size_t(key)];
        if (slot == devices::kNoSlot) continue;
        Json::Value entry(Json::objectValue);
        entry["key"] = key;
        entry["slot"] = slot;
        entry["led"] = locations.led[size_t(key)];
        entry["code"] = Json::UInt(devices::KeyIdentityCode(key));
        keys.append(entry);
    }
    const LightBlock block = keyboard.CurrentLightBlock();
    document["lightSlot"] = keyboard.LightSlot();
    document["block"] = BytesJson(block.data(), block.size());
    for (const Field& f : kFields) document["fields"][f.key] = block[f.byte];
    const devices::LightParameters p = keyboard.Light();
    Json::Value light = LightJson(p);
    light["further"] = Json::UInt(p.extra);
    light["colourBlock"] = Json::UInt(p.colourBlock);
    document["light"] = light;
    PrintJson(document);
}

void PrintSettings(CQuorvaneKeyboardDevice& keyboard) {
    const LightBlock block = keyboard.CurrentLightBlock();
    std::printf("light slot:       %u\n", keyboard.LightSlot());
    std::printf("settings block (%zu bytes at offset %u):\n", block.size(),
                keyboard.LightSlot() * devices::kLightBlockStride);
    PrintBytes(block.data(), block.size());
    for (const Field& f : kFields) std::printf("  %-18s %u\n", f.name, block[f.byte]);
    const devices::LightParameters p = keyboard.Light();
    std::printf(
        "light parameters: mode %u, brightness %u, speed %u, direction %u, colourful %u, "
        "colour %02x%02x%02x, further %u, colour block %u\n",
        p.mode, p.brightness, p.speed, p.direction, p.colourful, p.red, p.green, p.blue, p.extra,
        p.colourBlock);
}

int Read(CQuorvaneKeyboardDevice& keyboard, bool json) {
    if (int r = keyboard.ReadDevice(); r != CMD_OK) return CommandFailed("full read", r);
    if (int r = keyboard.ReadLightBlock(); r != CMD_OK) return CommandFailed("light block", r);
    if (json) return PrintJsonRead(keyboard), 0;
    PrintKeys(keyboard);
    PrintSettings(keyboard);
    return 0;
}

int Apply(CQuorvaneKeyboardDevice& keyboard) {
    if (int r = keyboard.ReadDevice(); r != CMD_OK) return CommandFailed("full read", r);
    keyboard.LoadProfile();
    if (int r = keyboard.ReadLightBlock(); r != CMD_OK) return CommandFailed("light block", r);
    const std::string profile = keyboard.GetProfileName();
    std::printf("profile:          %s\n",
                profile.empty() ? "(none selected: the default)" : profile.c_str());
    const KeysWritten written = WriteKeysAndMacros(keyboard, "keyboard");
    if (written == KeysWritten::Nothing) return kExitFailure;
    if (int r = keyboard.WriteSettings(); r != CMD_OK) return CommandFailed("settings", r);
    std::printf("settings:         written\n");
    return written == KeysWritten::All ? 0 : kExitFailure;
}

int RunKeyboard(const Options& given) {
    const std::string action = given.args.size() == 1 ? given.args[0] : "";
    if (action != "read" && action != "apply")
        return Fail("usage: keyboard read | keyboard apply"), kExitUsage;
    if (given.json && action != "read") return Fail("--json goes with keyboard read"), kExitUsage;
    Options options = given;
    options.device = "keyboard";
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    CQuorvaneKeyboardDevice keyboard(bus);
    if (!OpenCommandTransport(options, bus, keyboard.Commands(), &error)) return Fail(error);
    return action == "read" ? Read(keyboard, given.json) : Apply(keyboard);
}

const Registrar registrar(
    {.name = "keyboard",
     .usage = "keyboard read|apply",
     .summary = "the keyboard's keys and settings; apply writes the current profile",
     .run = &RunKeyboard,
     .help = "  read   the full read: every identified key (logical key, slot, LED, code),\n"
             "         the light slot, its settings block byte by byte and field by field,\n"
             "         and the light parameters taken from it\n"
             "  apply  writes the current keyboard profile: key table, the macros its keys\n"
             "         play, settings block\n"
             "example:\n"
             "  vivori-ctl --simulate keyboard --link receiver keyboard read\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
