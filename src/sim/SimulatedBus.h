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
// VIVORI_SIMULATE asks for. A name may carry a fault the device plays
// ("keyboard:fault=no-reply:3", see ParseFault). Null, with error set, for an
// unknown name or a bad fault.
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

// A fault as the command line and VIVORI_SIMULATE name it: KIND[:N], KIND one of
// no-reply, status-ff, status-fe, stray-reply, delay:MS (a reply MS late) and unplug
// (pulled out in the middle of a paged transfer). With N the fault hits the N-th
// exchange only; without it every exchange (unplug: the first page after a
// transfer's first). Nothing, with error set, for anything else.
std::optional<FaultRule> ParseFault(std::string_view text, std::string* error = nullptr);

// The list with ":fault=KIND" added to every name that has no fault of its own.
std::string WithFault(std::string_view list, std::string_view fault);

// The names MakeSimulatedBus knows.
std::vector<std::string> SimulatedDeviceNames();

// One simulated product by name, with firmware of its own; null when unknown.
std::shared_ptr<SimDevice> MakeSimulatedDevice(std::string_view name);

}  // namespace vivori::sim
