#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/CommandTransport.h"
#include "platform/WorkerThread.h"

namespace vivori::devices {

// One way (cable or receiver) of a device's notification collection: the connection
// held by the device's notification transport and the thread that reads it. The
// transport's open flag (cable) or receiver flag (receiver) says whether it is open;
// the io lock (cable) or aux lock (receiver) guards opening and closing.
class NotificationChannel {
  public:
    using ReportHandler = std::function<void(const std::vector<HidDataItem>& items)>;
    // How long a stop waits for the reader before joining it anyway.
    static constexpr int kStopTimeoutMs = 500;

    NotificationChannel(CommandTransport& transport, bool receiverWay);
    ~NotificationChannel();

    // Opens the path (closing what was open) and starts the reader, which hands every
    // report's unpacked items to onReport on the reader's thread. False when the
    // path does not open.
    // exitLine: the debug line the reader writes when it ends (empty: none).
    bool Open(const std::string& path, ReportHandler onReport, std::string exitLine = {});
    // Stops the reader: its blocked read is aborted, so it always ends in time.
    void Close();
    bool IsOpen() const;

  private:
    HidConnection& Connection();
    CriticalSection& Lock();
    void SetOpenFlag(bool open);
    void StopReader();
    void Read(Event& stop, const ReportHandler& onReport, const std::string& exitLine);

    CommandTransport& transport_;
    const bool receiverWay_;
    WorkerThread reader_;
};

// The notification code of a report: only a button item with a non-empty usage list
// carries one (a zero usage ends the list, so it carries none).
std::optional<uint16_t> NotificationButtonCode(const std::vector<HidDataItem>& items);
// The code of a device that reports it as a value (the mouse): the first value item
// the report carried; none when the report has no value item.
std::optional<uint16_t> NotificationValueCode(const std::vector<HidDataItem>& items);

}  // namespace vivori::devices
