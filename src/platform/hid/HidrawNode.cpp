#include "platform/hid/HidrawNode.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace vivori::hid {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadSmallFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    // sysfs files are small; the limit keeps a bogus file from costing memory.
    text.resize(DescriptorLimits::kMaxDescriptorBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

// "HID_ID=0003:0000320F:00005055": bus, vendor, product.
bool ParseHidId(const std::string& uevent, uint32_t& bus, uint32_t& vendor, uint32_t& product) {
    std::istringstream lines(uevent);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("HID_ID=", 0) != 0) continue;
        return std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) == 3 &&
               vendor <= 0xFFFF && product <= 0xFFFF;
    }
    return false;
}

std::optional<uint32_t> ReadHexFile(const fs::path& file) {
    auto text = ReadSmallFile(file);
    unsigned value = 0;
    if (!text || std::sscanf(text->c_str(), "%x", &value) != 1) return std::nullopt;
    return value;
}

// The USB interface folder is the HID device's parent: its bInterfaceNumber, or the
// "N" of its name "<port>:<config>.N".
int InterfaceNumberOf(const fs::path& interfaceFolder) {
    if (auto number = ReadHexFile(interfaceFolder / "bInterfaceNumber"))
        return static_cast<int>(*number & 0xFF);
    const std::string folder = interfaceFolder.filename().string();
    size_t colon = folder.rfind(':');
    int config = 0, number = 0;
    char tail = 0;
    if (colon != std::string::npos &&
        std::sscanf(folder.c_str() + colon + 1, "%d.%d%c", &config, &number, &tail) == 2 &&
        number >= 0)
        return number & 0xFF;
    return 0;
}

}  // namespace

std::optional<HidrawNode> ReadHidrawNode(const fs::path& classRoot, const std::string& name) {
    const fs::path device = classRoot / name / "device";
    auto uevent = ReadSmallFile(device / "uevent");
    uint32_t bus = 0, vendor = 0, product = 0;
    if (!uevent || !ParseHidId(*uevent, bus, vendor, product) || bus != kBusUsb)
        return std::nullopt;
    auto bytes = ReadSmallFile(device / "report_descriptor");
    if (!bytes) return std::nullopt;
    auto parsed = ParseReportDescriptor(
        std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
    if (!parsed) return std::nullopt;

    HidrawNode node;
    node.name = name;
    node.attributes.vendorId = static_cast<uint16_t>(vendor);
    node.attributes.productId = static_cast<uint16_t>(product);
    std::error_code error;
    const fs::path interfaceFolder = fs::canonical(device, error).parent_path();
    if (!error) {
        node.interfaceNumber = InterfaceNumberOf(interfaceFolder);
        if (auto version = ReadHexFile(interfaceFolder.parent_path() / "bcdDevice"))
            node.attributes.versionNumber = static_cast<uint16_t>(*version);
    }
    node.descriptor = std::make_shared<const ParsedDescriptor>(std::move(*parsed));
    return node;
}

}  // namespace vivori::hid
