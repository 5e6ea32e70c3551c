#include "device/HidConnection.h"

#include <algorithm>

namespace vivori {

using hid::HidStatus;
using hid::ReportType;

namespace {
// Room for a few value fields that span a whole usage page (the family's mouse
// declares its notification code so, which makes 65536 items) and for usage lists
// far longer than any keyboard's.
constexpr size_t kMaxItems = 4 * 65536;
constexpr size_t kMaxUsageEntries = 65536;
}  // namespace

HidConnection::HidConnection(std::shared_ptr<hid::HidBus> bus)
    : bus_(bus ? std::move(bus) : hid::DefaultHidBus()) {}

HidConnection::~HidConnection() {
    Close();
    ClearPaths();
}

bool HidConnection::EnumeratePaths() {
    cursor_ = 0;
    paths_.clear();
    if (!bus_) return true;  // no bus: nothing present
    return bus_->Enumerate(paths_);
}

const std::string* HidConnection::NextPath() {
    while (cursor_ < paths_.size()) {
        const std::string& p = paths_[cursor_++];
        if (!p.empty()) return &p;
    }
    return nullptr;
}

void HidConnection::ClearPaths() {
    paths_.clear();
    cursor_ = 0;
}

bool HidConnection::OpenPath(const std::string& path, bool wantRead, bool wantWrite,
                             bool overlapped, bool shareReadOnly) {
    wantRead_ = wantRead;
    wantWrite_ = wantWrite;
    overlapped_ = overlapped;
    shareReadOnly_ = shareReadOnly;
    devicePath_ = path;
    return Reopen();
}

bool HidConnection::Reopen() {
    Close();
    if (!bus_ || devicePath_.empty()) return false;
    std::unique_ptr<hid::HidHandle> handle = bus_->Open(devicePath_, wantRead_, wantWrite_);
    if (!handle) return false;
    {
        std::lock_guard lock(state_);
        handle_ = std::move(handle);
    }
    if (!LoadCapabilities()) {
        Close();
        return false;
    }
    abort_.Reset();
    return true;
}

bool HidConnection::IsOpen() const {
    std::lock_guard lock(state_);
    return handle_ != nullptr;
}

void HidConnection::Close() {
    std::unique_lock lock(state_);
    if (!handle_) return;
    abort_.Set();
    idle_.wait(lock, [this] { return inFlight_ == 0; });
    ReleaseLocked();
}

void HidConnection::ReleaseLocked() {
    handle_.reset();
    for (auto& r : reports_) r = HidReportSet{};
    caps_ = {};
    attributes_ = {};
}

bool HidConnection::LoadCapabilities() {
    std::lock_guard lock(state_);
    if (!handle_) return false;
    const hid::HidCollection& c = handle_->Collection();
    attributes_ = handle_->Attributes();
    caps_ = c.Caps();
    const uint16_t lengths[] = {caps_.inputReportByteLength, caps_.outputReportByteLength,
                                caps_.featureReportByteLength};
    for (int t = 0; t < hid::kReportTypeCount; ++t) {
        auto type = static_cast<ReportType>(t);
        HidReportSet& set = reports_[t];
        set.buffer.assign(lengths[t], 0);
        set.buttonCaps = c.ButtonCaps(type);
        set.valueCaps = c.ValueCaps(type);
        size_t count = set.buttonCaps.size();
        for (const auto& v : set.valueCaps)
            count += v.isRange ? size_t(v.usageMax - v.usageMin + 1) : 1;
        size_t usageEntries = 0;
        for (const auto& b : set.buttonCaps)
            usageEntries += c.MaxUsageListLength(type, b.usagePage);
        // Value ranges and usage lists grow with what the descriptor claims; a hostile
        // one could ask for gigabytes. Such a collection is refused, not opened.
        if (count > kMaxItems || usageEntries > kMaxUsageEntries) return false;
        set.items.clear();
        set.items.reserve(count);
        for (const auto& b : set.buttonCaps) {
            HidDataItem item;
            item.isButton = true;
            item.usagePage = b.usagePage;
            item.reportId = b.reportId;
            item.usageMin = b.usageMin;
            item.usageMax = b.usageMax;
            item.maxUsageCount = c.MaxUsageListLength(type, b.usagePage);
            item.usageList.assign(item.maxUsageCount, 0);
            set.items.push_back(std::move(item));
        }
        for (const auto& v : set.valueCaps) {
            for (uint32_t u = v.usageMin; u <= v.usageMax && set.items.size() < count; ++u) {
                HidDataItem item;
                item.usagePage = v.usagePage;
                item.reportId = v.reportId;
                item.usageMin = u;
                set.items.push_back(std::move(item));
            }
        }
    }
    interfaceNumber_ = static_cast<int>(hid::ParsePathNumber(devicePath_, "&mi_"));
    collectionNumber_ = static_cast<int>(hid::ParsePathNumber(devicePath_, "&col"));
    return true;
}

std::shared_ptr<hid::HidHandle> HidConnection::BeginIo(std::atomic<bool>& pending) {
    std::lock_guard lock(state_);
    if (!handle_ || abort_.IsSet()) return nullptr;
    ++inFlight_;
    pending.store(true);
    return handle_;
}

void HidConnection::EndIo(std::atomic<bool>& pending) {
    std::lock_guard lock(state_);
    pending.store(false);
    if (--inFlight_ == 0) idle_.notify_all();
}

int HidConnection::ReadReport(uint8_t* buffer, size_t length, uint32_t* bytesRead, int timeoutMs) {
    if (bytesRead) *bytesRead = 0;
    auto handle = BeginIo(readPending_);
    if (!handle) return 0;
    size_t got = 0;
    hid::IoStatus status = handle->Read({buffer, length}, got, timeoutMs, abort_);
    if (bytesRead) *bytesRead = static_cast<uint32_t>(got);
    EndIo(readPending_);
    return status == hid::IoStatus::Ok ? 1 : 0;
}

int HidConnection::WriteReport(const uint8_t* buffer, size_t length, uint32_t* bytesWritten,
                               int timeoutMs) {
    if (bytesWritten) *bytesWritten = 0;
    auto handle = BeginIo(writePending_);
    if (!handle) return 0;
    size_t put = 0;
    hid::IoStatus status = handle->Write({buffer, length}, put, timeoutMs, abort_);
    if (bytesWritten) *bytesWritten = static_cast<uint32_t>(put);
    EndIo(writePending_);
    return status == hid::IoStatus::Ok ? 1 : 0;
}

void HidConnection::DiscardInput() {
    std::shared_ptr<hid::HidHandle> handle;
    {
        std::lock_guard lock(state_);
        handle = handle_;
    }
    if (handle) handle->DiscardInput();
}

int HidConnection::SendOutputReport(const uint8_t* report, size_t length) {
    constexpr int kOutputReportTimeoutMs = 100;
    auto handle = BeginIo(writePending_);
    if (!handle) return 0;
    const hid::IoStatus status =
        handle->SendOutputReport({report, length}, kOutputReportTimeoutMs, abort_);
    EndIo(writePending_);
    return status == hid::IoStatus::Ok ? 1 : 0;
}

bool HidConnection::ParseInputReport(std::span<const uint8_t> report, ReportType type,
                                     std::vector<HidDataItem>& items,
                                     const hid::HidCollection& collection) {
    if (report.empty()) return true;
    const uint8_t id = report[0];
    std::vector<uint16_t> usages;
    for (HidDataItem& item : items) {
        if (item.reportId != id) continue;
        if (item.isButton) {
            item.status = collection.GetUsages(type, item.usagePage, report, usages);
            // Keep only this field's own range: the getter reports every button of
            // the page in the report.
            size_t kept = 0;
            item.usageList.assign(item.maxUsageCount, 0);
            for (uint16_t u : usages) {
                if (kept >= item.usageList.size()) break;
                if (u >= item.usageMin && u <= item.usageMax) item.usageList[kept++] = u;
            }
        } else {
            HidStatus s = collection.GetUsageValue(
                type, item.usagePage, static_cast<uint16_t>(item.usageMin), report, item.value);
            item.status = s;
            if (s != HidStatus::Success) return false;
            item.status = collection.GetScaledUsageValue(type, item.usagePage,
                                                         static_cast<uint16_t>(item.usageMin),
                                                         report, item.scaledValue);
        }
        item.isSet = true;
    }
    return true;
}

bool HidConnection::ParseInputReport(std::span<const uint8_t> report) {
    std::lock_guard lock(state_);
    if (!handle_) return false;
    return ParseInputReport(report, ReportType::Input, reports_[0].items, handle_->Collection());
}

std::vector<HidDataItem> HidConnection::InputItems() const {
    std::lock_guard lock(state_);
    return reports_[0].items;
}

hid::HidCaps HidConnection::Caps() const {
    std::lock_guard lock(state_);
    return caps_;
}

hid::HidAttributes HidConnection::Attributes() const {
    std::lock_guard lock(state_);
    return attributes_;
}

}  // namespace vivori
