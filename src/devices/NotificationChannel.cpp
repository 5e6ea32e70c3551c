#include "devices/NotificationChannel.h"

#include "platform/Debug.h"

namespace vivori::devices {
namespace {

// A reader whose device is gone fails at once; this keeps it from spinning until
// the channel is closed.
constexpr int kRetryMs = 100;

}  // namespace

NotificationChannel::NotificationChannel(CommandTransport& transport, bool receiverWay)
    : transport_(transport), receiverWay_(receiverWay) {}

NotificationChannel::~NotificationChannel() {
    Close();
}

HidConnection& NotificationChannel::Connection() {
    return receiverWay_ ? transport_.Receiver() : transport_.Wired();
}

CriticalSection& NotificationChannel::Lock() {
    return receiverWay_ ? transport_.AuxLock() : transport_.IoLock();
}

void NotificationChannel::SetOpenFlag(bool open) {
    if (receiverWay_)
        transport_.SetReceiverFlag(open);
    else
        transport_.SetOpen(open);
}

bool NotificationChannel::IsOpen() const {
    return receiverWay_ ? transport_.IsReceiverLink() : transport_.IsOpen();
}

void NotificationChannel::StopReader() {
    if (!reader_.Running()) {
        reader_.Stop(kStopTimeoutMs);  // joins a reader that has already ended
        return;
    }
    // The stop event first, then the abort (Close), so the reader sees why its read
    // ended; only then is it joined, and only after that are the buffers freed.
    reader_.StopEvent().Set();
    Connection().Close();
    DebugOutput(StopResultLine(reader_.Stop(kStopTimeoutMs)));
}

bool NotificationChannel::Open(const std::string& path, ReportHandler onReport,
                               std::string exitLine) {
    CriticalSectionLock lock(Lock());
    StopReader();
    Connection().Close();
    if (!Connection().OpenPath(path, true, true, true, false)) {
        SetOpenFlag(false);
        return false;
    }
    SetOpenFlag(true);
    reader_.Start([this, onReport = std::move(onReport), exitLine = std::move(exitLine)](
                      Event& stop) { Read(stop, onReport, exitLine); });
    return true;
}

void NotificationChannel::Close() {
    CriticalSectionLock lock(Lock());
    StopReader();
    SetOpenFlag(false);
    Connection().Close();
}

void NotificationChannel::Read(Event& stop, const ReportHandler& onReport,
                               const std::string& exitLine) {
    HidConnection& connection = Connection();
    std::vector<uint8_t> report(connection.Caps().inputReportByteLength);
    while (!stop.IsSet()) {
        uint32_t bytesRead = 0;
        if (report.empty() ||
            !connection.ReadReport(report.data(), report.size(), &bytesRead, kInfinite)) {
            if (stop.Wait(kRetryMs)) break;
            continue;
        }
        if (stop.IsSet()) break;
        if (!connection.ParseInputReport({report.data(), bytesRead})) continue;
        if (onReport) onReport(connection.InputItems());
    }
    if (!exitLine.empty()) DebugOutput(exitLine);
}

std::optional<uint16_t> NotificationButtonCode(const std::vector<HidDataItem>& items) {
    if (items.empty() || !items[0].isButton || items[0].usageList.empty() ||
        items[0].usageList[0] == 0)
        return std::nullopt;
    return items[0].usageList[0];
}

std::optional<uint16_t> NotificationValueCode(const std::vector<HidDataItem>& items) {
    for (const HidDataItem& item : items)
        if (!item.isButton && item.status == hid::HidStatus::Success)
            return static_cast<uint16_t>(item.value);
    return std::nullopt;
}

}  // namespace vivori::devices
