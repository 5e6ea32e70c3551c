#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/VirtualHidBus.h"
#include "sim/SimDevice.h"

namespace vivori::sim {

// A bus with the simulated devices a list names ("keyboard,mouse"), as
// VIVORI_SIMULATE asks for. Null, with error set, for an unknown name.
struct SimulatedBus {
    std::shared_ptr<hid::VirtualHidBus> bus;
    std::vector<std::shared_ptr<SimDevice>> devices;
};
std::optional<SimulatedBus> MakeSimulatedBus(std::string_view list, std::string* error = nullptr);

// The bus a program runs on, chosen once before any of its threads starts: the
// simulated devices simulateList names, or the real devices' hidraw bus when the list
// is empty. Null, with error set, for an unknown name.
std::shared_ptr<hid::HidBus> MakeProgramBus(std::string_view simulateList,
                                            std::string* error = nullptr);

// The names MakeSimulatedBus knows.
std::vector<std::string> SimulatedDeviceNames();

// One simulated product by name, with firmware of its own; null when unknown.
std::shared_ptr<SimDevice> MakeSimulatedDevice(std::string_view name);

}  // namespace vivori::sim
