#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace vivori::sim {

// The memory areas of one device's firmware.
enum class Area {
    Info,        // 34 bytes: byte 5 key slots, byte 6 macro memory / 128
    KeyMap,      // 3 bytes per key slot
    LedMap,      // 1 byte per key slot: its LED index
    Params,      // settings: light blocks or profile blocks, by device
    KeyColours,  // per-key colour blocks at block x 512
    Macros,      // the macro memory image
    Shoot,       // the recoil memory image
    Status,      // power record: battery, charging, phone, link, battery value
    LightFrame,  // the colours last streamed by the host
};
inline constexpr size_t kAreaCount = 9;

// What a product's firmware starts with; areas left empty get their default size
// filled with zeros.
struct FirmwareContents {
    std::vector<uint8_t> info;
    std::vector<uint8_t> keyMap;
    std::vector<uint8_t> ledMap;
    std::vector<uint8_t> params;
    std::vector<uint8_t> status;
    bool hasKeys = true;  // key map, LED map, colours, macros and recoil memory
};

// The firmware of one physical device. A cable product and its receiver share one
// model, so a write through either lands in the same memory.
class FirmwareModel {
  public:
    static constexpr uint8_t kStatusOk = 0x00;
    // Out of the area, or a page longer than a frame holds.
    static constexpr uint8_t kStatusBadAddress = 0xFF;
    // A command this firmware does not have.
    static constexpr uint8_t kStatusUnknown = 0xFE;

    explicit FirmwareModel(const FirmwareContents& contents);

    // Carries out one command frame; fills reply's data and returns its status.
    uint8_t Handle(const std::array<uint8_t, 64>& request, std::array<uint8_t, 64>& reply);

    // For tests: a copy of an area, and a way to change one.
    std::vector<uint8_t> Memory(Area area) const;
    void Store(Area area, size_t offset, std::span<const uint8_t> bytes);

    // The power record's battery (level 0-100; charging 0 full, 1 charging, 2 on
    // battery) and, for a mouse pad, the phone on its surface (1 iPhone, 2 Samsung,
    // 3 other, 0 none). The battery value follows the level.
    void SetBattery(uint8_t level, uint8_t charging);
    void SetPhone(uint8_t phone);

    bool InConfiguration() const;
    bool HostLightOn() const;

  private:
    std::vector<uint8_t>& Of(Area area) { return areas_[static_cast<size_t>(area)]; }

    mutable std::mutex mutex_;
    std::array<std::vector<uint8_t>, kAreaCount> areas_;
    bool hasKeys_;
    bool inConfiguration_ = false;
    bool hostLightOn_ = false;
};

}  // namespace vivori::sim
