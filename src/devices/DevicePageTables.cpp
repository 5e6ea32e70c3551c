#include "devices/DevicePageTables.h"

#include <array>

#include "device/SupportedDevices.h"

namespace vivori::devices {
namespace {

constexpr std::string_view kSelector = "XML/CustomControlXML/DeviceOption.xml";
constexpr std::string_view kHeader = "tab_header_device";
constexpr std::string_view kPowerSwitch = "device_power_switch";

constexpr std::array<DevicePageRow, 4> kPages = {{
    {kSelector, kHeader, kPowerSwitch, "mouse", 0, {0, 0, 1}, 0x320F, 0x2003, kKindMouse, 0},
    {kSelector, kHeader, kPowerSwitch, "keyboard", 1, {1, -1, 0}, 0x320F, 0x5055, kKindKeyboard, 0},
    {kSelector, kHeader, kPowerSwitch, "MousePad", 2, {2, 1, 2}, 0x320F, 0x1004, kKindMousePad, 0},
    {kSelector, kHeader, kPowerSwitch, "HD", 3, {3, -1, 3}, 0x0C76, 0x1630, kKindHeadset, 0},
}};

constexpr std::array<DevicePageLayout, 4> kLayouts = {{
    {15, 11, true, "XML/DeviceXml/mousedevice.xml", "zunik_light"},
    {170, 170, true, "XML/DeviceXml/keyboarddevice.xml", "zunik_light"},
    {15, 0, false, "XML/DeviceXml/mousepaddevice.xml", "zunik_light"},
    {13, 0, false, "XML/DeviceXml/ri6533device.xml", "zunik_light"},
}};

}  // namespace

std::span<const DevicePageRow> DevicePages() {
    return kPages;
}
std::span<const DevicePageLayout> DevicePageLayouts() {
    return kLayouts;
}

int FindDevicePage(uint16_t vid, uint16_t pid, uint16_t kind) {
    for (size_t i = 0; i < kPages.size(); ++i)
        if (kPages[i].vid == vid && kPages[i].pid == pid && kPages[i].kind == kind)
            return static_cast<int>(i);
    return -1;
}

}  // namespace vivori::devices
