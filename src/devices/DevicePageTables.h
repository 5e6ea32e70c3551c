#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vivori::devices {

// One device page: its selector entry, its power switch and the device it shows.
struct DevicePageRow {
    std::string_view selectorLayout;
    std::string_view headerName;
    std::string_view powerSwitchName;
    std::string_view deviceName;  // also the device's data-folder name
    int lightTableIndex = 0;      // handed to the device as its page value
    int selectorValues[3] = {};   // the selector's and the power panel's own
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t kind = 0;
    uint16_t link = 0;
};

// How a device page is laid out; one row per page row, same order.
struct DevicePageLayout {
    int ledCount = 0;
    int keyCount = 0;
    bool powerDisplay = false;
    std::string_view pageLayoutFile;
    std::string_view lightConfigName;
};

inline constexpr std::string_view kPowerControlLayout = "XML/CustomControlXML/MpDevicePower.xml";

std::span<const DevicePageRow> DevicePages();
std::span<const DevicePageLayout> DevicePageLayouts();

// The page row of the cable device with this vid, pid and kind; -1 when none.
int FindDevicePage(uint16_t vid, uint16_t pid, uint16_t kind);

}  // namespace vivori::devices
