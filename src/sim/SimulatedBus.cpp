#include "sim/SimulatedBus.h"

#include <algorithm>
#include <charconv>
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

namespace {

bool ParseCount(std::string_view text, int& out) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value <= 0) return false;
    out = value;
    return true;
}

constexpr std::string_view kFaultSuffix = ":fault=";

}  // namespace

std::optional<FaultRule> ParseFault(std::string_view text, std::string* error) {
    static const std::pair<std::string_view, FaultRule::Kind> kKinds[] = {
        {"no-reply", FaultRule::NoReply},   {"status-ff", FaultRule::StatusFF},
        {"status-fe", FaultRule::StatusFE}, {"stray-reply", FaultRule::StrayReply},
        {"delay", FaultRule::Delay},        {"unplug", FaultRule::Unplug}};
    auto refuse = [&](const std::string& why) -> std::optional<FaultRule> {
        if (error)
            *error = "bad fault \"" + std::string(text) + "\": " + why +
                     " (no-reply, status-ff, status-fe, stray-reply, delay:MS or unplug, "
                     "then :N for the N-th exchange only)";
        return std::nullopt;
    };
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t colon = text.find(':', start);
        parts.push_back(
            text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    FaultRule rule;
    rule.times = -1;  // every exchange
    const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                   [&](const auto& k) { return k.first == parts[0]; });
    if (kind == std::end(kKinds)) return refuse("unknown kind");
    rule.kind = kind->second;
    size_t next = 1;
    if (rule.kind == FaultRule::Delay) {
        if (parts.size() < 2 || !ParseCount(parts[1], rule.delayMs))
            return refuse("delay needs its milliseconds");
        next = 2;
    }
    if (parts.size() > next + 1) return refuse("too many parts");
    if (parts.size() == next + 1) {
        int n = 0;
        if (!ParseCount(parts[next], n)) return refuse("N must be a whole number from 1");
        rule.skip = n - 1;
        rule.times = 1;
    } else if (rule.kind == FaultRule::Unplug) {
        rule.laterPagesOnly = true;  // in the middle of a paged transfer
        rule.times = 1;
    }
    return rule;
}

std::string WithFault(std::string_view list, std::string_view fault) {
    std::string out;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = list.find(',', start);
        std::string item(
            list.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (!item.empty() && item.find(kFaultSuffix) == std::string::npos)
            item += std::string(kFaultSuffix) + std::string(fault);
        out += (out.empty() && start == 0 ? "" : ",") + item;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return out;
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
        std::optional<FaultRule> fault;
        if (const size_t at = name.find(kFaultSuffix); at != std::string_view::npos) {
            fault = ParseFault(name.substr(at + kFaultSuffix.size()), error);
            if (!fault) return std::nullopt;
            name = name.substr(0, at);
        }
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
            if (fault) device->InjectFault(*fault);
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
