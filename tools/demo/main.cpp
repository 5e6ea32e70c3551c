// Plugs a simulated keyboard into the in-process bus, finds its command collection
// the way discovery does, and runs a few command exchanges over it.
#include <cstdio>
#include <string>

#include "device/CommandTransport.h"
#include "platform/hid/HidBus.h"
#include "sim/SimulatedBus.h"

using namespace vivori;

namespace {

bool FindCommandCollection(HidConnection& probe, std::string& found) {
    if (!probe.EnumeratePaths()) return false;
    while (const std::string* path = probe.NextPath()) {
        std::printf("  interface %s\n", path->c_str());
        if (!probe.OpenPath(*path, true, false, true, false)) continue;
        hid::HidCaps caps = probe.Caps();
        probe.Close();
        if (caps.usagePage == 0xFF1C && caps.usage == 0x92) found = *path;
    }
    probe.ClearPaths();
    return !found.empty();
}

void Report(const char* what, int result) {
    std::printf("  %-28s -> %d (%s)\n", what, result, CommandResultName(result));
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string error;
    auto sim = sim::MakeSimulatedBus("keyboard", &error);
    if (!sim) {
        std::fprintf(stderr, "demo: %s\n", error.c_str());
        return 1;
    }
    hid::SetDefaultHidBus(sim->bus);
    std::printf("Simulated keyboard plugged in. HID interfaces present:\n");

    HidConnection probe;
    std::string path;
    if (!FindCommandCollection(probe, path)) {
        std::fprintf(stderr, "demo: no command collection found\n");
        return 1;
    }
    std::printf("Command collection: %s\n", path.c_str());

    CommandTransport transport;
    {
        CriticalSectionLock lock(transport.IoLock());
        if (!transport.Wired().OpenPath(path, true, true, true, false)) {
            std::fprintf(stderr, "demo: cannot open %s\n", path.c_str());
            return 1;
        }
        transport.SetOpen(true);
        transport.SetLinkType(kLinkWired);
    }
    hid::HidCaps caps = transport.Wired().Caps();
    std::printf("Opened: input report %u bytes, output report %u bytes, chunk %u\n",
                caps.inputReportByteLength, caps.outputReportByteLength, transport.ChunkSize());

    std::printf("Exchanges:\n");
    Report("config begin (0x01)", transport.ConfigBegin());
    uint8_t info[kInfoSize] = {};
    Report("read info (0x03)", transport.ReadInfo(info));
    std::printf("  %-28s    %u key slots, %u bytes of macro memory\n", "", info[kInfoKeySlots],
                info[kInfoMacroUnits] * 128u);
    Report("config end (0x02)", transport.ConfigEnd());

    sim->devices[0]->InjectFault({sim::FaultRule::StatusFF, 0x06});
    const uint8_t params[4] = {1, 2, 3, 4};
    Report("write params, device says FF", transport.WriteParams(params, sizeof params, 0));

    sim->devices[0]->InjectFault({sim::FaultRule::StrayReply, 0x01});
    Report("config begin, stray reply first", transport.ConfigBegin());

    std::printf("The keyboard received %zu frames, %zu with a bad checksum.\n",
                sim->devices[0]->ReceivedCount(), sim->devices[0]->BadChecksums());
    std::printf("Set VIVORI_DEBUG=1 to see every frame.\n");
    return 0;
}
