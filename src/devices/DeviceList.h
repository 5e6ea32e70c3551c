#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/SupportedDevices.h"

namespace vivori::devices {

// The device list: one descriptor per supported-device row, same index. The capture
// thread claims and releases entries while the UI thread reads them, so every access
// goes through the lock and readers get copies.
class DeviceList {
  public:
    explicit DeviceList(std::span<const DeviceDescriptor> table = SupportedDevices());

    size_t Size() const;
    std::optional<DeviceDescriptor> Entry(int index) const;
    std::vector<DeviceDescriptor> Snapshot() const;

    // Whether some entry is absent with an empty path, so a scan is worth doing.
    bool AnyAbsent() const;
    // Whether an absent entry has these four values: a path worth opening.
    bool HasAbsent(uint16_t vid, uint16_t pid, uint16_t interfaceNumber, uint16_t collection) const;
    // Claims the first absent entry equal to candidate in vid, pid, interface,
    // collection, usage page and usage; its index, or -1 when none is free.
    int Claim(const DeviceDescriptor& candidate, const std::string& path);
    // Marks the entry absent again and clears its path.
    void Release(int index);
    // Index and path of every present entry.
    std::vector<std::pair<int, std::string>> PresentPaths() const;

  private:
    mutable std::mutex mutex_;
    std::vector<DeviceDescriptor> entries_;
};

}  // namespace vivori::devices
