#include "app/SdkControllers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "devices/KeyIdentity.h"
#include "lighting/LightTables.h"
#include "lighting/MouseLightEffects.h"
#include "macros/KeyCodeTable.h"
#include "profiles/LightNameLists.h"

namespace vivori::app {

using devices::CQuorvaneUSBDevice;
using devices::LightParameters;
using sdk::Controller;
using sdk::Mode;

namespace {

constexpr uint32_t kLevels = 4;  // speed and brightness levels run 0-4
constexpr int kPadLastLed = 14;

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

Mode DirectMode() {
    Mode m;
    m.name = "Direct";
    m.value = -1;
    m.flags = sdk::kHasPerLedColour;
    m.colourMode = sdk::kColourPerLed;
    return m;
}

// The device's own effects by their light-mode index, with the values it runs now.
// What each takes follows from its kind: "off" takes nothing, "static" a colour and
// a brightness, the moving ones also a speed and a direction.
std::vector<Mode> EffectModes(CQuorvaneUSBDevice& device, bool keyboard) {
    profiles::LightNameLists lists;
    profiles::LoadDefaultLightNames(device.DefaultLightFile(), device.GetPageValue(), lists);
    const LightParameters light = device.Light();
    std::vector<Mode> modes;
    for (size_t i = 0; i < lists.modeNames.size(); ++i) {
        if (i < lists.modeVisible.size() && !lists.modeVisible[i]) continue;
        // The keyboard's music and external-colour modes take their colours from other
        // programs of ours; they mean nothing to a client.
        if (keyboard && lighting::IsHostDrivenMode(int(i))) continue;
        Mode m;
        m.name = lists.modeNames[i];
        m.value = int32_t(i);
        const std::string name = Lower(m.name);
        if (name != "off") {
            m.flags = sdk::kHasBrightness | sdk::kHasModeSpecificColour | sdk::kManualSave;
            if (name != "static") m.flags |= sdk::kHasSpeed | sdk::kHasDirectionLR;
            if (name.find("colour") == std::string::npos &&
                name.find("rainbow") == std::string::npos)
                m.flags |= sdk::kHasRandomColour;
        } else {
            m.flags = sdk::kManualSave;
        }
        m.speedMax = (m.flags & sdk::kHasSpeed) ? kLevels : 0;
        m.brightnessMax = (m.flags & sdk::kHasBrightness) ? kLevels : 0;
        m.speed = std::min<uint32_t>(light.speed, m.speedMax);
        m.brightness = std::min<uint32_t>(light.brightness, m.brightnessMax);
        m.direction = light.direction != 0 ? sdk::kRight : sdk::kLeft;
        if (m.flags & sdk::kHasModeSpecificColour) {
            m.coloursMin = m.coloursMax = 1;
            m.colours = {{light.red, light.green, light.blue}};
            m.colourMode = light.colourful != 0 && (m.flags & sdk::kHasRandomColour)
                               ? sdk::kColourRandom
                               : sdk::kColourModeSpecific;
        }
        modes.push_back(std::move(m));
    }
    return modes;
}

std::string KeyName(int key) {
    const uint32_t code = devices::KeyIdentityCode(key);
    if (auto row = macros::FindKeyByCode(uint8_t(code >> 16), uint8_t(code >> 8), uint8_t(code))) {
        std::string_view name = macros::KeyCodeTable()[*row].nameKey;
        constexpr std::string_view prefix = "keyboard_key_";
        if (name.starts_with(prefix)) name.remove_prefix(prefix.size());
        return "Key: " + std::string(name);
    }
    return "Key " + std::to_string(key);
}

sdk::Zone LinearZone(std::string name, size_t count) {
    sdk::Zone z;
    z.name = std::move(name);
    z.type = count == 1 ? sdk::kZoneSingle : sdk::kZoneLinear;
    z.ledCount = uint32_t(count);
    return z;
}

// LEDs first .. last of the colour list, named "LED 1" ..., as one zone.
void NumberedLeds(SdkDescription& d, int first, int last, const std::string& zone) {
    for (int i = first; i <= last; ++i) {
        d.controller.leds.push_back({"LED " + std::to_string(i - first + 1), uint32_t(i)});
        d.route.ledTargets.push_back(i);
    }
    d.controller.zones.push_back(LinearZone(zone, size_t(last - first + 1)));
}

// One matrix zone from the key grid: keys in reading order, then those off the grid.
bool DescribeKeyboard(devices::CQuorvaneKeyboardDevice& keyboard, SdkDescription& d) {
    const devices::KeyLocations& locations = keyboard.Locations();
    std::vector<std::pair<int, int>> onGrid;  // (row x columns + column, key)
    std::vector<int> offGrid;
    for (int key = 0; key < devices::kLogicalKeyCount; ++key) {
        if (locations.led[size_t(key)] == devices::kNoSlot) continue;
        if (auto cell = lighting::GridCellOfKey(key))
            onGrid.emplace_back(cell->row * lighting::kGridColumns + cell->column, key);
        else
            offGrid.push_back(key);
    }
    if (onGrid.empty() && offGrid.empty()) return false;
    std::sort(onGrid.begin(), onGrid.end());
    sdk::Zone zone;
    zone.name = "Keyboard";
    zone.type = sdk::kZoneMatrix;
    zone.rows = lighting::kGridRows;
    zone.columns = lighting::kGridColumns;
    zone.matrix.assign(size_t(zone.rows * zone.columns), sdk::kNoLed);
    auto add = [&](int key) {
        d.controller.leds.push_back({KeyName(key), uint32_t(key)});
        d.route.ledTargets.push_back(key);
    };
    for (const auto& [cell, key] : onGrid) {
        zone.matrix[size_t(cell)] = uint32_t(d.controller.leds.size());
        add(key);
    }
    for (int key : offGrid) add(key);
    zone.ledCount = uint32_t(d.controller.leds.size());
    d.controller.zones.push_back(std::move(zone));
    d.route.colourListSize = lighting::kKeyCount;
    return true;
}

int StaticModeOf(const std::vector<Mode>& modes) {
    for (const Mode& m : modes)
        if (Lower(m.name) == "static") return m.value;
    return -1;
}

}  // namespace

std::optional<SdkDescription> DescribeForClients(CQuorvaneUSBDevice& device) {
    if (!device.Commands().IsOpen()) return std::nullopt;
    SdkDescription d;
    Controller& c = d.controller;
    d.route.device = &device;
    c.key = reinterpret_cast<uintptr_t>(&device);
    c.vendor = "VELTRA";
    char location[32];
    std::snprintf(location, sizeof location, "HID %04x:%04x", device.Descriptor().vid,
                  device.Descriptor().pid);
    c.location = location;
    if (auto* k = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(&device)) {
        if (!DescribeKeyboard(*k, d)) return std::nullopt;
        d.route.kind = SdkRoute::Kind::Keyboard;
        c.type = sdk::kTypeKeyboard;
        c.name = "VIVORI Trivex keyboard";
    } else if (dynamic_cast<devices::CQuorvaneMouseDevice*>(&device)) {
        d.route.kind = SdkRoute::Kind::Mouse;
        c.type = sdk::kTypeMouse;
        c.name = "VIVORI Trivex mouse";
        for (int g = 0; g < lighting::kMouseGroupCount; ++g) {
            const auto group = lighting::MouseGroup(g);
            for (int8_t led : group) {
                c.leds.push_back({"LED " + std::to_string(led + 1), uint32_t(led)});
                d.route.ledTargets.push_back(led);
            }
            c.zones.push_back(LinearZone("Group " + std::to_string(g + 1), group.size()));
        }
        d.route.colourListSize = lighting::kMouseLedCount;
    } else if (dynamic_cast<devices::CQuorvaneMousePadDevice*>(&device)) {
        d.route.kind = SdkRoute::Kind::Pad;
        c.type = sdk::kTypeMouseMat;
        c.name = "VIVORI Trivex mouse pad";
        // The edge LEDs are 1-14 of the picture; entry 0 is not one of them.
        NumberedLeds(d, 1, std::min(device.LedCount() - 1, kPadLastLed), "Edge");
        d.route.colourListSize = size_t(device.LedCount());
    } else if (dynamic_cast<devices::CQuorvaneRI6533Device*>(&device)) {
        d.route.kind = SdkRoute::Kind::Headset;
        c.type = sdk::kTypeHeadset;
        c.name = "VIVORI Trivex headset";
        NumberedLeds(d, 0, device.LedCount() - 1, "Headset");
        d.route.colourListSize = size_t(device.LedCount());
    } else {
        return std::nullopt;
    }
    if (c.leds.empty()) return std::nullopt;
    c.description = c.name;
    c.modes.push_back(DirectMode());
    for (Mode& m : EffectModes(device, d.route.kind == SdkRoute::Kind::Keyboard))
        c.modes.push_back(std::move(m));
    d.route.staticMode = StaticModeOf(c.modes);
    // The mode the device runs now is the one clients are shown as active.
    const int running = device.Light().mode;
    c.activeMode = 0;
    for (size_t i = 1; i < c.modes.size(); ++i)
        if (c.modes[i].value == running) c.activeMode = int32_t(i);
    c.colours.resize(c.leds.size());
    for (size_t i = 0; i < c.leds.size(); ++i) {
        const devices::LedColour colour = device.GetLedColour(d.route.ledTargets[i]);
        c.colours[i] = {colour.red, colour.green, colour.blue};
    }
    return d;
}

std::string DescriptionSignature(CQuorvaneUSBDevice& device) {
    const auto* keyboard = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(&device);
    return std::to_string(reinterpret_cast<uintptr_t>(&device)) + ":" +
           std::to_string(device.Commands().IsOpen()) + ":" + std::to_string(device.LedCount()) +
           ":" + std::to_string(keyboard ? keyboard->KeySlotCount() : 0) + ";";
}

LightParameters LightOfMode(const Mode& mode, LightParameters light) {
    light.mode = uint8_t(std::max(mode.value, 0));
    if (mode.flags & sdk::kHasSpeed) light.speed = uint8_t(std::min(mode.speed, kLevels));
    if (mode.flags & sdk::kHasBrightness)
        light.brightness = uint8_t(std::min(mode.brightness, kLevels));
    if (mode.flags & sdk::kHasDirectionLR) light.direction = mode.direction == sdk::kLeft ? 0 : 1;
    if (mode.flags & sdk::kHasModeSpecificColour) {
        light.colourful = mode.colourMode == sdk::kColourRandom ? 1 : 0;
        if (!mode.colours.empty()) {
            light.red = mode.colours[0].red;
            light.green = mode.colours[0].green;
            light.blue = mode.colours[0].blue;
        }
    }
    return light;
}

std::vector<devices::LedColour> ColourListOf(const SdkRoute& route,
                                             const std::vector<sdk::Colour>& colours) {
    std::vector<devices::LedColour> list(route.colourListSize);
    for (size_t i = 0; i < colours.size() && i < route.ledTargets.size(); ++i) {
        const int target = route.ledTargets[i];
        if (target >= 0 && size_t(target) < list.size())
            list[size_t(target)] = {colours[i].red, colours[i].green, colours[i].blue, 255};
    }
    return list;
}

}  // namespace vivori::app
