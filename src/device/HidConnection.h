#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "platform/hid/HidBus.h"

namespace vivori {

// One field of a report, unpacked: a button field keeps the usages that are on, a
// value field its raw and scaled value.
struct HidDataItem {
    bool isButton = false;
    uint16_t usagePage = 0;
    hid::HidStatus status = hid::HidStatus::Success;
    uint32_t reportId = 0;
    bool isSet = false;
    uint32_t usageMin = 0;  // button: lowest usage of the range; value: the usage
    uint32_t usageMax = 0;
    uint32_t maxUsageCount = 0;       // button: capacity of usageList
    uint32_t value = 0;               // value: raw value
    std::vector<uint16_t> usageList;  // button: zero-terminated when not full
    int32_t scaledValue = 0;          // value: scaled value
};

// Per report type: the report buffer, the caps and the unpacked items.
struct HidReportSet {
    std::vector<uint8_t> buffer;
    std::vector<hid::HidButtonCaps> buttonCaps;
    std::vector<hid::HidValueCaps> valueCaps;
    std::vector<HidDataItem> items;
};

// One HID top-level collection of one interface: lists interface paths, opens one,
// reads its capabilities, and moves reports under a time-out that Close, from any
// thread, ends at once.
class HidConnection {
  public:
    // bus null: the process default bus, taken now and kept.
    explicit HidConnection(std::shared_ptr<hid::HidBus> bus = nullptr);
    ~HidConnection();
    HidConnection(const HidConnection&) = delete;
    HidConnection& operator=(const HidConnection&) = delete;

    // ---- enumeration ----
    bool EnumeratePaths();
    // The next path, or nullptr at the end. Empty entries (interfaces that could not
    // be read) are skipped, so one bad interface never hides the ones after it.
    const std::string* NextPath();
    void ClearPaths();
    size_t PathCount() const { return paths_.size(); }

    // ---- open and close ----
    bool OpenPath(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
                  bool shareReadOnly);
    bool Reopen();
    // Ends any pending read or write, waits until it has returned, then frees the
    // handle and every buffer. Safe on a closed connection and from any thread.
    void Close();
    bool IsOpen() const;

    // ---- I/O: nonzero on success; 0 on failure, time-out or abort ----
    int ReadReport(uint8_t* buffer, size_t length, uint32_t* bytesRead, int timeoutMs);
    int WriteReport(const uint8_t* buffer, size_t length, uint32_t* bytesWritten, int timeoutMs);
    // Drops the input reports that arrived and were not read; nothing when closed.
    void DiscardInput();
    // One output report (first byte its report ID), sent without the command locks.
    // 1 when sent, 0 when not (also when the connection is closed).
    int SendOutputReport(const uint8_t* report, size_t length);
    bool ReadPending() const { return readPending_.load(); }
    bool WritePending() const { return writePending_.load(); }

    // Unpacks report into items for the fields of its report ID.
    static bool ParseInputReport(std::span<const uint8_t> report, hid::ReportType type,
                                 std::vector<HidDataItem>& items,
                                 const hid::HidCollection& collection);
    // Unpacks into this connection's own input items; false when closed.
    bool ParseInputReport(std::span<const uint8_t> report);
    // A copy of the input items, consistent even while another thread closes.
    std::vector<HidDataItem> InputItems() const;

    // ---- what was opened ----
    const std::string& DevicePath() const { return devicePath_; }
    hid::HidCaps Caps() const;
    hid::HidAttributes Attributes() const;
    int InterfaceNumber() const { return interfaceNumber_; }
    int CollectionNumber() const { return collectionNumber_; }
    // The report set of one type (empty when closed). Not for use while closing.
    const HidReportSet& Reports(hid::ReportType type) const {
        return reports_[static_cast<int>(type)];
    }
    std::vector<uint8_t>& InputReportBuffer() { return reports_[0].buffer; }

  private:
    bool LoadCapabilities();
    void ReleaseLocked();
    std::shared_ptr<hid::HidHandle> BeginIo(std::atomic<bool>& pending);
    void EndIo(std::atomic<bool>& pending);

    std::shared_ptr<hid::HidBus> bus_;
    std::vector<std::string> paths_;
    size_t cursor_ = 0;

    bool wantRead_ = false;
    bool wantWrite_ = false;
    bool overlapped_ = false;
    bool shareReadOnly_ = false;
    std::string devicePath_;
    int interfaceNumber_ = 0;
    int collectionNumber_ = 0;

    // Guards the handle and the buffers against a Close from another thread.
    mutable std::mutex state_;
    std::condition_variable idle_;
    int inFlight_ = 0;
    std::shared_ptr<hid::HidHandle> handle_;
    hid::HidAttributes attributes_;
    hid::HidCaps caps_;
    HidReportSet reports_[hid::kReportTypeCount];

    // Manual reset: Close sets it so every wait in progress, and any that starts
    // before the handle is gone, ends; Reopen clears it.
    Event abort_{ResetMode::Manual};
    std::atomic<bool> readPending_{false};
    std::atomic<bool> writePending_{false};
};

}  // namespace vivori
