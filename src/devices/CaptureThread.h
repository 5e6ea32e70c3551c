#pragma once

#include <atomic>
#include <memory>

#include "device/HidConnection.h"
#include "devices/DeviceList.h"
#include "platform/WorkerThread.h"
#include "ui/message/MessageTypes.h"

namespace vivori::devices {

// Looks at the HID interfaces: claims the list entries whose interface has come and
// releases those whose interface is gone, telling the window each time with a
// synchronous send. It enumerates only while an entry is missing; otherwise it only
// probes the claimed paths. On a bus that tells of its changes it looks when one
// comes (and every kQuietPollMs in case one slipped by); otherwise, and while an
// interface is there but could not be claimed yet, every kPollMs.
class CaptureThread {
  public:
    static constexpr int kPollMs = 100;
    static constexpr int kQuietPollMs = 2000;
    // How long a stop waits for the thread before joining it anyway.
    static constexpr int kStopTimeoutMs = 1000;

    // bus null: the process default bus.
    CaptureThread(DeviceList& list, std::shared_ptr<hid::HidBus> bus = nullptr);
    ~CaptureThread();

    bool Start(ui::HWND window);
    // Sets the stop event (a send in progress gives up) and waits for the thread.
    StopResult Stop();
    bool Running() const { return worker_.Running(); }

  private:
    void Run(Event& stop);
    // False when the enumeration failed; the cycle is then skipped and retried.
    // unclaimed: an interface an absent entry wants was listed but not claimed.
    bool Scan(HidConnection& scanner, Event& stop, bool& unclaimed);
    void Probe(Event& stop);

    DeviceList& list_;
    std::shared_ptr<hid::HidBus> bus_;
    ui::HWND window_ = 0;
    WorkerThread worker_;
};

}  // namespace vivori::devices
