#include "sim/FirmwareModel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Debug.h"

namespace vivori::sim {

namespace {

constexpr size_t kPayloadOffset = 8;
constexpr size_t kPayloadSize = 56;

// Default sizes of the areas, in Area order.
constexpr std::array<size_t, kAreaCount> kAreaSizes = {
    34,            // Info
    512,           // KeyMap
    512,           // LedMap
    4096,          // Params
    8 * 512,       // KeyColours: eight blocks
    0,             // Macros: from the information block
    4096,          // Shoot
    kPayloadSize,  // Status
    512,           // LightFrame
};

struct Route {
    uint8_t command;
    Area area;
    bool write;
    bool needsKeys;
};

constexpr Route kRoutes[] = {
    {0x03, Area::Info, false, false},     {0x05, Area::Params, false, false},
    {0x06, Area::Params, true, false},    {0x07, Area::KeyMap, false, true},
    {0x09, Area::KeyMap, true, true},     {0x0A, Area::KeyColours, false, true},
    {0x0B, Area::KeyColours, true, true}, {0x12, Area::LightFrame, true, true},
    {0x15, Area::Macros, true, true},     {0x17, Area::Shoot, true, true},
    {0x1A, Area::Status, false, false},   {0x1B, Area::LedMap, false, true},
};

void Fill(std::vector<uint8_t>& area, const std::vector<uint8_t>& start, size_t size) {
    area.assign(std::max(size, start.size()), 0);
    std::copy(start.begin(), start.end(), area.begin());
}

}  // namespace

FirmwareModel::FirmwareModel(const FirmwareContents& c) : hasKeys_(c.hasKeys) {
    for (size_t i = 0; i < kAreaCount; ++i) areas_[i].assign(kAreaSizes[i], 0);
    Fill(Of(Area::Info), c.info, kAreaSizes[0]);
    Fill(Of(Area::KeyMap), c.keyMap, kAreaSizes[1]);
    Fill(Of(Area::LedMap), c.ledMap, kAreaSizes[2]);
    Fill(Of(Area::Params), c.params, kAreaSizes[3]);
    Fill(Of(Area::Status), c.status, kAreaSizes[7]);
    Of(Area::Macros).assign(size_t{Of(Area::Info)[6]} * 128, 0);
}

uint8_t FirmwareModel::Handle(const std::array<uint8_t, 64>& request,
                              std::array<uint8_t, 64>& reply) {
    std::lock_guard lock(mutex_);
    const uint8_t command = request[3];
    switch (command) {
        case 0x01:
            inConfiguration_ = true;
            return kStatusOk;
        case 0x02:
            inConfiguration_ = false;
            return kStatusOk;
        case 0x1C:
            hostLightOn_ = true;
            return kStatusOk;
        case 0xAA:  // a link check that reached the device itself
            return kStatusOk;
        default:
            break;
    }
    const Route* route = nullptr;
    for (const Route& r : kRoutes)
        if (r.command == command) route = &r;
    if (!route || (route->needsKeys && !hasKeys_)) return kStatusUnknown;

    const size_t length = request[4];
    const size_t offset = request[5] | (request[6] << 8);
    std::vector<uint8_t>& area = Of(route->area);
    if (length > kPayloadSize || offset + length > area.size()) return kStatusBadAddress;
    uint8_t* data = reply.data() + kPayloadOffset;
    if (route->write) {
        // What the host streams shows on the keys at once: changed colours are told, so
        // a program run with the simulated devices can be watched from outside.
        const uint8_t* incoming = request.data() + kPayloadOffset;
        if (route->area == Area::LightFrame && DebugEnabled() &&
            std::memcmp(area.data() + offset, incoming, length) != 0) {
            std::string hex;
            for (size_t i = 0; i < length; ++i) {
                char byte[3];
                std::snprintf(byte, sizeof byte, "%02x", incoming[i]);
                hex += byte;
            }
            DebugPrintf("simulated keys lit at %zu: %s", offset, hex.c_str());
        }
        std::memcpy(area.data() + offset, incoming, length);
    } else {
        std::memset(data, 0, kPayloadSize);
        std::memcpy(data, area.data() + offset, length);
    }
    return kStatusOk;
}

std::vector<uint8_t> FirmwareModel::Memory(Area area) const {
    std::lock_guard lock(mutex_);
    return areas_[static_cast<size_t>(area)];
}

void FirmwareModel::Store(Area area, size_t offset, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& a = Of(area);
    if (offset + bytes.size() > a.size()) a.resize(offset + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), a.begin() + static_cast<ptrdiff_t>(offset));
    if (area == Area::Info && a.size() > 6) Of(Area::Macros).resize(size_t{a[6]} * 128, 0);
}

void FirmwareModel::SetBattery(uint8_t level, uint8_t charging) {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& status = Of(Area::Status);
    status[0] = level;
    status[1] = charging;
    status[4] = level;
}

void FirmwareModel::SetPhone(uint8_t phone) {
    std::lock_guard lock(mutex_);
    Of(Area::Status)[2] = phone;
}

bool FirmwareModel::InConfiguration() const {
    std::lock_guard lock(mutex_);
    return inConfiguration_;
}

bool FirmwareModel::HostLightOn() const {
    std::lock_guard lock(mutex_);
    return hostLightOn_;
}

}  // namespace vivori::sim
