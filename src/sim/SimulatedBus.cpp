#include "sim/SimulatedBus.h"

#include <optional>

#include "sim/FamilyDescriptors.h"

namespace vivori::sim {
namespace {

struct Product {
    const char* name;
    std::function<std::shared_ptr<SimDevice>()> make;
};

const std::vector<Product>& Products() {
    static const std::vector<Product> products = {
        {"keyboard",
         [] {
             return std::make_shared<SimDevice>(kVendorFamily, 0x5055, FamilyInterfaceDescriptor(),
                                                kFamilyInterface, false);
         }},
        {"keyboard-receiver",
         [] {
             return std::make_shared<SimDevice>(kVendorFamily, 0x5088, FamilyInterfaceDescriptor(),
                                                kFamilyInterface, true);
         }},
    };
    return products;
}

}  // namespace

std::vector<std::string> SimulatedDeviceNames() {
    std::vector<std::string> names;
    for (const auto& p : Products()) names.emplace_back(p.name);
    return names;
}

std::shared_ptr<SimDevice> MakeSimulatedDevice(std::string_view name) {
    for (const auto& p : Products())
        if (name == p.name) return p.make();
    return nullptr;
}

std::optional<SimulatedBus> MakeSimulatedBus(std::string_view list, std::string* error) {
    SimulatedBus result;
    result.bus = std::make_shared<hid::VirtualHidBus>();
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string_view name =
            list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (!name.empty()) {
            auto device = MakeSimulatedDevice(name);
            if (!device) {
                if (error) *error = "unknown simulated device: " + std::string(name);
                return std::nullopt;
            }
            PlugInto(result.bus, device);
            result.devices.push_back(device);
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return result;
}

}  // namespace vivori::sim
