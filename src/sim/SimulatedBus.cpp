#include "sim/SimulatedBus.h"

#include <map>
#include <optional>

#include "sim/FamilyDescriptors.h"
#include "sim/FirmwareDefaults.h"
#include "sim/SimProduct.h"

namespace vivori::sim {
namespace {

// One product: its name on the command line, its USB identity, and the device
// whose firmware answers through it (a receiver names the device it pairs with).
struct Product {
    const char* name;
    const char* firmware;
    uint16_t vendorId;
    uint16_t productId;
    bool isReceiver;
};

constexpr Product kProducts[] = {
    {"keyboard", "keyboard", kVendorFamily, 0x5055, false},
    {"keyboard-receiver", "keyboard", kVendorFamily, 0x5088, true},
    {"mouse", "mouse", kVendorFamily, 0x2003, false},
    {"mouse-receiver", "mouse", kVendorFamily, 0x221D, true},
    {"pad", "pad", kVendorFamily, 0x1004, false},
    {"headset", "headset", kVendorHeadset, 0x1630, false},
};

const Product* FindProduct(std::string_view name) {
    for (const Product& p : kProducts)
        if (name == p.name) return &p;
    return nullptr;
}

std::shared_ptr<FirmwareModel> MakeFirmware(std::string_view firmware) {
    if (firmware == "keyboard") return std::make_shared<FirmwareModel>(KeyboardFirmware());
    if (firmware == "mouse") return std::make_shared<FirmwareModel>(MouseFirmware());
    if (firmware == "pad") return std::make_shared<FirmwareModel>(MousePadFirmware());
    return std::make_shared<FirmwareModel>(HeadsetFirmware());
}

std::shared_ptr<SimDevice> MakeProduct(const Product& p, std::shared_ptr<FirmwareModel> model) {
    const std::string_view firmware = p.firmware;
    if (firmware == "headset")
        return std::make_shared<SimProduct>(p.vendorId, p.productId, HeadsetInterfaceDescriptor(),
                                            kHeadsetInterface, false, std::move(model));
    // The mouse reports its notification code as a value field.
    const auto field = firmware == "mouse" ? NotificationField::Value : NotificationField::Array;
    return std::make_shared<SimProduct>(p.vendorId, p.productId, FamilyInterfaceDescriptor(field),
                                        kFamilyInterface, p.isReceiver, std::move(model));
}

}  // namespace

std::vector<std::string> SimulatedDeviceNames() {
    std::vector<std::string> names;
    for (const auto& p : kProducts) names.emplace_back(p.name);
    return names;
}

std::shared_ptr<SimDevice> MakeSimulatedDevice(std::string_view name) {
    const Product* p = FindProduct(name);
    return p ? MakeProduct(*p, MakeFirmware(p->firmware)) : nullptr;
}

std::optional<SimulatedBus> MakeSimulatedBus(std::string_view list, std::string* error) {
    SimulatedBus result;
    result.bus = std::make_shared<hid::VirtualHidBus>();
    std::map<std::string, std::shared_ptr<FirmwareModel>> models;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string_view name = list.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (!name.empty()) {
            const Product* product = FindProduct(name);
            if (!product) {
                if (error) *error = "unknown simulated device: " + std::string(name);
                return std::nullopt;
            }
            // A cable device and its receiver on one bus share one firmware.
            auto& model = models[product->firmware];
            if (!model) model = MakeFirmware(product->firmware);
            auto device = MakeProduct(*product, model);
            PlugInto(result.bus, device);
            result.devices.push_back(device);
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return result;
}

std::shared_ptr<hid::HidBus> MakeProgramBus(std::string_view simulateList, std::string* error) {
    if (simulateList.empty()) return hid::MakeSystemHidBus();
    auto simulated = MakeSimulatedBus(simulateList, error);
    // The bus holds its devices, so they live as long as it does.
    return simulated ? simulated->bus : nullptr;
}

}  // namespace vivori::sim
