// vivori-ctl list: the supported HID collections present on the bus, one per line with
// tab-separated fields (a name may hold blanks).
#include <cstdio>

#include "DeviceAccess.h"
#include "device/HidConnection.h"
#include "device/SupportedDevices.h"
#include "profiles/JsonFile.h"

namespace vivori::ctl {
namespace {

int RunList(const Options& options) {
    Json::Value devices(Json::arrayValue);
    std::string error;
    // No bus to look on is no device present, not a failure of the listing.
    if (auto bus = SelectDeviceBus(options, &error)) {
        HidConnection probe(bus);
        if (!probe.EnumeratePaths()) return Fail("cannot list the HID interfaces");
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
            Json::Value entry(Json::objectValue);
            entry["row"] = row;
            entry["vid"] = d.vid;
            entry["pid"] = d.pid;
            entry["interface"] = d.interfaceNumber;
            entry["collection"] = d.collection;
            entry["kind"] = d.kind;
            entry["link"] = d.link;
            entry["name"] = KindName(d.kind);
            entry["path"] = *path;
            devices.append(entry);
        }
        probe.ClearPaths();
    }
    if (options.json) {
        Json::Value document(Json::objectValue);
        document["devices"] = devices;
        PrintJson(document);
        return 0;
    }
    for (const Json::Value& d : devices)
        std::printf("%d\t0x%04x\t0x%04x\t%u\t%u\t%u\t%u\t%s\t%s\n", d["row"].asInt(),
                    d["vid"].asUInt(), d["pid"].asUInt(), d["interface"].asUInt(),
                    d["collection"].asUInt(), d["kind"].asUInt(), d["link"].asUInt(),
                    d["name"].asCString(), d["path"].asCString());
    if (devices.empty()) std::fprintf(stderr, "no supported device found\n");
    return 0;
}

const Registrar registrar(
    {.name = "list",
     .usage = "list",
     .summary = "the supported HID collections present",
     .run = &RunList,
     .help = "  One line per collection, fields separated by tabs: table row, vendor id,\n"
             "  product id (both 0x hex), interface, collection, kind (1 keyboard, 9 keyboard\n"
             "  receiver, 2 mouse, 6 mouse receiver, 3 pad, 7 headset), link (0 command,\n"
             "  255 notification), name, path. None found: no lines, a note on stderr, exit 0.\n"
             "example:\n"
             "  vivori-ctl --simulate keyboard,headset list | cut -f 8 | sort -u\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
