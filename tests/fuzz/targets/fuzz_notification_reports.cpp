// Any bytes as an input report on every collection of every device kind (keyboard,
// mouse, pad, headset and the receivers), on a connection opened as the program opens
// one, so the report is unpacked into the fields the connection read from the device's
// descriptor; then read for its notification code as each device's reader thread does:
// a button code (keyboard, pad, headset and their receivers; key presses as key slot
// events) and a value code (the mouse and its receiver).

#include <memory>

#include "device/HidConnection.h"
#include "devices/NotificationChannel.h"
#include "lighting/LightEngine.h"
#include "sim/SimulatedBus.h"

using namespace vivori;

namespace {

struct Connections {
    sim::SimulatedBus bus;
    std::vector<std::unique_ptr<HidConnection>> open;
};

Connections OpenEveryCollection() {
    Connections all{
        *sim::MakeSimulatedBus("keyboard,keyboard-receiver,mouse,mouse-receiver,pad,headset"), {}};
    HidConnection lister(all.bus.bus);
    lister.EnumeratePaths();
    while (const std::string* path = lister.NextPath()) {
        auto connection = std::make_unique<HidConnection>(all.bus.bus);
        if (connection->OpenPath(*path, true, false, true, false))
            all.open.push_back(std::move(connection));
    }
    if (all.open.empty()) __builtin_trap();  // the target would test nothing
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Connections connections = OpenEveryCollection();
    for (const auto& connection : connections.open) {
        if (!connection->ParseInputReport({data, size})) continue;
        const std::vector<HidDataItem>& items = connection->Reports(hid::ReportType::Input).items;
        if (auto code = devices::NotificationButtonCode(items))
            lighting::KeySlotEventOfNotification(*code);
        devices::NotificationValueCode(items);
    }
    return 0;
}
