// vivori-ctl list: the supported HID collections present on the bus.
#include <cstdio>

#include "DeviceAccess.h"
#include "device/HidConnection.h"
#include "device/SupportedDevices.h"

namespace vivori::ctl {
namespace {

int RunList(const Options& options) {
    std::string error;
    auto bus = SelectDeviceBus(options, &error);
    if (!bus) {
        // No bus to look on is no device present, not a failure of the listing.
        std::printf("no supported device found\n");
        return 0;
    }
    HidConnection probe(bus);
    if (!probe.EnumeratePaths()) return Fail("cannot list the HID interfaces");
    int found = 0;
    while (const std::string* path = probe.NextPath()) {
        if (!probe.OpenPath(*path, true, false, true, false)) continue;
        const hid::HidCaps caps = probe.Caps();
        const hid::HidAttributes attributes = probe.Attributes();
        probe.Close();
        const int row =
            FindSupportedRow(attributes.vendorId, attributes.productId, ParseInterface(*path),
                             ParseCollection(*path), caps.usagePage, caps.usage);
        if (row < 0) continue;
        const DeviceDescriptor& d = SupportedDevices()[static_cast<size_t>(row)];
        if (found++ == 0)
            std::printf("%-4s %-6s %-6s %-9s %-10s %-4s %-4s %-17s %s\n", "row", "vid", "pid",
                        "interface", "collection", "kind", "link", "name", "path");
        std::printf("%-4d 0x%04x 0x%04x %-9u %-10u %-4u %-4u %-17s %s\n", row, d.vid, d.pid,
                    d.interfaceNumber, d.collection, d.kind, d.link, KindName(d.kind),
                    path->c_str());
    }
    probe.ClearPaths();
    if (found == 0) std::printf("no supported device found\n");
    return 0;
}

const Registrar registrar({"list", "list", "the supported HID collections present", &RunList});

}  // namespace
}  // namespace vivori::ctl
