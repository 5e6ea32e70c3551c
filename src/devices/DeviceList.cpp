#include "devices/DeviceList.h"

namespace vivori::devices {
namespace {

bool IsAbsent(const DeviceDescriptor& entry) {
    return entry.present == 0 && entry.path.empty();
}

}  // namespace

DeviceList::DeviceList(std::span<const DeviceDescriptor> table)
    : entries_(table.begin(), table.end()) {
    for (DeviceDescriptor& entry : entries_) {
        entry.present = 0;
        entry.path.clear();
    }
}

size_t DeviceList::Size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

std::optional<DeviceDescriptor> DeviceList::Entry(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return std::nullopt;
    return entries_[static_cast<size_t>(index)];
}

std::vector<DeviceDescriptor> DeviceList::Snapshot() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

bool DeviceList::AnyAbsent() const {
    std::lock_guard lock(mutex_);
    for (const DeviceDescriptor& entry : entries_)
        if (IsAbsent(entry)) return true;
    return false;
}

bool DeviceList::HasAbsent(uint16_t vid, uint16_t pid, uint16_t interfaceNumber,
                           uint16_t collection) const {
    std::lock_guard lock(mutex_);
    for (const DeviceDescriptor& e : entries_)
        if (e.vid == vid && e.pid == pid && e.interfaceNumber == interfaceNumber &&
            e.collection == collection && IsAbsent(e))
            return true;
    return false;
}

int DeviceList::Claim(const DeviceDescriptor& c, const std::string& path) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < entries_.size(); ++i) {
        DeviceDescriptor& e = entries_[i];
        if (e.vid == c.vid && e.pid == c.pid && e.interfaceNumber == c.interfaceNumber &&
            e.collection == c.collection && e.usagePage == c.usagePage && e.usage == c.usage &&
            IsAbsent(e)) {
            e.present = 1;
            e.path = path;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void DeviceList::Release(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return;
    entries_[static_cast<size_t>(index)].present = 0;
    entries_[static_cast<size_t>(index)].path.clear();
}

std::vector<std::pair<int, std::string>> DeviceList::PresentPaths() const {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<int, std::string>> present;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].present != 0) present.emplace_back(static_cast<int>(i), entries_[i].path);
    return present;
}

}  // namespace vivori::devices
