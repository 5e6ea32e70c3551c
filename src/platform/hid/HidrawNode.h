#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/hid/HidTypes.h"
#include "platform/hid/ReportDescriptor.h"

namespace vivori::hid {

// What sysfs tells about one hidraw node of a USB HID interface.
struct HidrawNode {
    std::string name;  // "hidraw3"
    HidAttributes attributes;
    int interfaceNumber = 0;
    std::shared_ptr<const ParsedDescriptor> descriptor;
};

inline constexpr uint32_t kBusUsb = 0x0003;

// Reads <classRoot>/<name>/device/{uevent,report_descriptor} and the USB interface
// above the HID device. Nothing when the node is not on USB, or its identity or its
// descriptor cannot be read or parsed.
std::optional<HidrawNode> ReadHidrawNode(const std::filesystem::path& classRoot,
                                         const std::string& name);

}  // namespace vivori::hid
