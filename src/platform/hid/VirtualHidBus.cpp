#include "platform/hid/VirtualHidBus.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace vivori::hid {

// ---- device ----

VirtualHidDevice::VirtualHidDevice(uint16_t vendorId, uint16_t productId, uint16_t version) {
    attributes_ = {vendorId, productId, version};
}

VirtualHidDevice::~VirtualHidDevice() = default;

bool VirtualHidDevice::AddInterface(int number, std::vector<uint8_t> descriptor) {
    auto parsed = ParseReportDescriptor(descriptor);
    if (!parsed) return false;
    interfaces_.push_back({number, std::move(*parsed)});
    return true;
}

const VirtualHidDevice::Interface* VirtualHidDevice::FindInterface(int number) const {
    for (const auto& i : interfaces_)
        if (i.number == number) return &i;
    return nullptr;
}

void VirtualHidDevice::Attach(VirtualHidHandle* handle) {
    std::lock_guard lock(mutex_);
    handles_.push_back(handle);
}

void VirtualHidDevice::Detach(VirtualHidHandle* handle) {
    std::lock_guard lock(mutex_);
    handles_.erase(std::remove(handles_.begin(), handles_.end(), handle), handles_.end());
}

size_t VirtualHidDevice::OpenHandleCount() const {
    std::lock_guard lock(mutex_);
    return handles_.size();
}

void VirtualHidDevice::SendInputReport(int interfaceNumber, std::span<const uint8_t> report) {
    if (report.empty() || !plugged_.load()) return;
    std::lock_guard lock(mutex_);
    for (VirtualHidHandle* h : handles_)
        if (h->interfaceNumber_ == interfaceNumber && h->collection_.OwnsInputReport(report[0]))
            h->Push(report);
}

void VirtualHidDevice::MarkUnplugged() {
    plugged_.store(false);
    std::lock_guard lock(mutex_);
    for (VirtualHidHandle* h : handles_) h->MarkGone();
}

// ---- bus ----

VirtualHidBus::VirtualHidBus() : changeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

VirtualHidBus::~VirtualHidBus() {
    {
        std::lock_guard lock(mutex_);
        for (auto& d : devices_) d->MarkUnplugged();
    }
    if (changeFd_ >= 0) close(changeFd_);
}

void VirtualHidBus::Changed() {
    const uint64_t one = 1;
    if (changeFd_ >= 0 && write(changeFd_, &one, sizeof one) < 0) {
        // Only a full counter fails, and that is readable anyway.
    }
}

void VirtualHidBus::DrainChanges() {
    uint64_t count = 0;
    if (changeFd_ >= 0 && read(changeFd_, &count, sizeof count) < 0) {
        // Nothing was counted: nothing to drain.
    }
}

void VirtualHidBus::Plug(std::shared_ptr<VirtualHidDevice> device) {
    std::lock_guard lock(mutex_);
    device->id_ = nextId_++;
    device->plugged_.store(true);
    devices_.push_back(std::move(device));
    Changed();
}

void VirtualHidBus::Unplug(const std::shared_ptr<VirtualHidDevice>& device) {
    {
        std::lock_guard lock(mutex_);
        devices_.erase(std::remove(devices_.begin(), devices_.end(), device), devices_.end());
    }
    device->MarkUnplugged();
    Changed();
}

static std::string NodeName(uint32_t id, int interfaceNumber) {
    return "virtual-" + std::to_string(id) + "-" + std::to_string(interfaceNumber);
}

bool VirtualHidBus::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    if (enumerateFails_) return false;
    std::lock_guard lock(mutex_);
    for (const auto& d : devices_) {
        for (const auto& i : d->interfaces_) {
            const size_t n = i.parsed.collections.size();
            for (size_t c = 0; c < n; ++c) {
                if (static_cast<int>(paths.size()) == emptyEntryAt_) paths.emplace_back();
                paths.push_back(MakeHidPath(d->VendorId(), d->ProductId(), i.number,
                                            n > 1 ? static_cast<int>(c + 1) : 0,
                                            NodeName(d->id_, i.number)));
            }
        }
    }
    return true;
}

std::shared_ptr<VirtualHidDevice> VirtualHidBus::Find(const std::string& path, int& interfaceNumber,
                                                      int& collectionIndex) const {
    std::string node = PathNode(path);
    unsigned id = 0;
    int iface = 0;
    if (std::sscanf(node.c_str(), "virtual-%u-%d", &id, &iface) != 2) return nullptr;
    std::lock_guard lock(mutex_);
    for (const auto& d : devices_) {
        if (d->id_ != id) continue;
        const auto* i = d->FindInterface(iface);
        if (!i) return nullptr;
        uint32_t col = ParsePathNumber(path, "&col");
        size_t index = col == 0 ? 0 : col - 1;
        if (index >= i->parsed.collections.size()) return nullptr;
        if (col == 0 && i->parsed.collections.size() > 1) return nullptr;
        interfaceNumber = iface;
        collectionIndex = static_cast<int>(index);
        return d;
    }
    return nullptr;
}

std::unique_ptr<HidHandle> VirtualHidBus::Open(const std::string& path, bool, bool) {
    int iface = 0, index = 0;
    auto d = Find(path, iface, index);
    if (!d) return nullptr;
    const auto& collection = d->FindInterface(iface)->parsed.collections[index];
    return std::make_unique<VirtualHidHandle>(d, iface, collection);
}

bool VirtualHidBus::Probe(const std::string& path) {
    int iface = 0, index = 0;
    return Find(path, iface, index) != nullptr;
}

// ---- handle ----

VirtualHidHandle::VirtualHidHandle(std::shared_ptr<VirtualHidDevice> device, int interfaceNumber,
                                   const HidCollection& collection)
    : device_(std::move(device)), interfaceNumber_(interfaceNumber), collection_(collection) {
    device_->Attach(this);
    if (!device_->Plugged()) MarkGone();
}

VirtualHidHandle::~VirtualHidHandle() {
    device_->Detach(this);
}

void VirtualHidHandle::Push(std::span<const uint8_t> report) {
    std::lock_guard lock(mutex_);
    if (queue_.size() >= kQueueLimit) return;
    queue_.emplace_back(report.begin(), report.end());
    ready_.Set();
}

void VirtualHidHandle::MarkGone() {
    gone_.store(true);
    ready_.Set();
}

IoStatus VirtualHidHandle::Read(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs,
                                Event& abort) {
    using Clock = std::chrono::steady_clock;
    bytesRead = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (abort.IsSet()) return IoStatus::Aborted;
        {
            std::lock_guard lock(mutex_);
            if (!queue_.empty()) {
                const auto& report = queue_.front();
                size_t n = std::min(report.size(), buffer.size());
                std::memcpy(buffer.data(), report.data(), n);
                bytesRead = n;
                queue_.pop_front();
                if (queue_.empty() && !gone_.load()) ready_.Reset();
                return IoStatus::Ok;
            }
            if (gone_.load()) return IoStatus::Failed;
        }
        int waitMs = kInfinite;
        if (timeoutMs >= 0) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0) return IoStatus::TimedOut;
            waitMs = static_cast<int>(left);
        }
        Event* events[] = {&abort, &ready_};
        int r = WaitForAny(events, waitMs);
        if (r == 0) return IoStatus::Aborted;
        if (r == kWaitFailed) return IoStatus::Failed;
    }
}

void VirtualHidHandle::DiscardInput() {
    std::lock_guard lock(mutex_);
    queue_.clear();
    if (!gone_.load()) ready_.Reset();
}

IoStatus VirtualHidHandle::Write(std::span<const uint8_t> report, size_t& bytesWritten, int,
                                 Event& abort) {
    bytesWritten = 0;
    if (abort.IsSet()) return IoStatus::Aborted;
    if (gone_.load() || report.empty()) return IoStatus::Failed;
    device_->OnOutputReport(interfaceNumber_, report);
    bytesWritten = report.size();
    return IoStatus::Ok;
}

}  // namespace vivori::hid
