// vivori-ctl power: the power record of every attached device, one line each.

#include <array>
#include <cstdio>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "device/SupportedDevices.h"

namespace vivori::ctl {
namespace {

struct Way {
    const char* device;
    const char* link;
};
constexpr Way kWays[] = {{"keyboard", "cable"}, {"keyboard", "receiver"}, {"mouse", "cable"},
                         {"mouse", "receiver"}, {"pad", "cable"},         {"headset", "cable"}};

const char* YesNo(bool b) {
    return b ? "yes" : "no";
}

int RunPower(const Options& given) {
    if (!given.args.empty()) return Fail("usage: power"), kExitUsage;
    std::string error;
    // One bus for every look: a simulated receiver is there only when it was named.
    Options cable = given;
    cable.link = "cable";
    const auto bus = SelectDeviceBus(cable, &error);
    if (!bus) {
        std::printf("no supported device found\n");
        return 0;
    }
    int found = 0;
    for (const Way& way : kWays) {
        Options options = given;
        options.device = way.device;
        options.link = way.link;
        CommandTransport transport(bus);
        const bool reached = OpenCommandTransport(options, bus, transport, &error);
        // Open but not answering: the receiver is there, its device is away.
        if (!reached && !transport.IsOpen()) continue;
        if (found++ == 0)
            std::printf("%-9s %-9s %-8s %-9s %s\n", "kind", "link", "battery", "charging", "online");
        std::array<uint8_t, 6> record{};
        const bool read =
            reached && transport.ReadStatus(record.data(), record.size(), 0) == CMD_OK;
        const std::string battery = read ? std::to_string(record[0]) + " %" : "-";
        std::printf("%-9s %-9s %-8s %-9s %s\n", way.device, way.link, battery.c_str(),
                    read ? YesNo(record[1] == 1) : "-", YesNo(reached));
    }
    if (found == 0) std::printf("no supported device found\n");
    return 0;
}

const Registrar registrar({"power", "power",
                           "battery, charging and link of every attached device", &RunPower});

}  // namespace
}  // namespace vivori::ctl
