#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/hid/VirtualHidBus.h"

namespace vivori::sim {

using Frame = std::array<uint8_t, 64>;

// A fault the firmware plays on a matching command frame.
struct FaultRule {
    // Late: the reply is held back until the device's next frame comes in (it then
    // goes out first) or until SendLateReplies: an answer that comes after the host
    // stopped waiting for it.
    enum Kind { StatusFF, StatusFE, NoReply, StrayReply, Delay, Unplug, Away, Late };
    Kind kind = NoReply;
    uint8_t command = 0;  // 0: any command
    int skip = 0;         // matching frames let through first (page n = skip n)
    int times = 1;        // how many frames it hits; -1: every one from then on
    int delayMs = 0;      // Delay: how late the reply comes
    // Only frames with a non-zero offset: a page after the first of a paged transfer.
    bool laterPagesOnly = false;
};

// The firmware side of the command protocol on the family's interface. It echoes
// each command frame with a status byte; derived models fill in the data.
// Every frame it receives on the command collection is recorded.
class SimDevice : public hid::VirtualHidDevice, public std::enable_shared_from_this<SimDevice> {
  public:
    SimDevice(uint16_t vendorId, uint16_t productId, std::vector<uint8_t> descriptor,
              int interfaceNumber, bool isReceiver);
    ~SimDevice() override;

    void OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) override;

    std::vector<Frame> ReceivedFrames() const;
    size_t ReceivedCount() const;
    void ClearFrames();
    // Output reports other than command frames (the headset's LED reports), in order.
    std::vector<std::vector<uint8_t>> OutputReports() const;
    void ClearOutputReports();
    void SetRecording(bool on) { recording_ = on; }
    // Frames whose checksum did not match their bytes.
    size_t BadChecksums() const { return badChecksums_.load(); }

    void InjectFault(const FaultRule& rule);
    void ClearFaults();

    // A receiver whose wireless device is away answers every command with 0xAA.
    bool IsReceiver() const { return isReceiver_; }
    void SetDeviceAway(bool away) { away_ = away; }

    // Sends the replies a Late fault holds back, now.
    void SendLateReplies();

    // An unsolicited report on the notification collection.
    void SendNotification(uint16_t code);
    // A reply as the firmware sends it, on the command collection.
    void SendCommandReport(const Frame& frame);

    // Needed by the Unplug fault: the bus this device sits on.
    void SetBus(std::weak_ptr<hid::VirtualHidBus> bus) { bus_ = std::move(bus); }

  protected:
    // Fills reply (a copy of the request with status 0) and returns the status byte.
    // Called with the model's lock held.
    virtual uint8_t HandleCommand(const Frame& request, Frame& reply);
    std::mutex& ModelMutex() const { return modelMutex_; }

  private:
    bool TakeFault(const Frame& request, FaultRule& out);
    void DeliverLater(Frame reply, int delayMs);

    const int interfaceNumber_;
    const bool isReceiver_;
    std::atomic<bool> away_{false};
    std::atomic<bool> recording_{true};
    std::atomic<size_t> badChecksums_{0};
    mutable std::mutex modelMutex_;
    std::vector<Frame> frames_;
    std::vector<std::vector<uint8_t>> outputReports_;
    std::vector<FaultRule> faults_;
    std::vector<int> faultSeen_;
    std::mutex laterMutex_;
    std::vector<std::thread> later_;
    std::vector<Frame> heldBack_;  // under laterMutex_
    std::condition_variable laterWake_;
    bool stopping_ = false;  // under laterMutex_: delayed replies are dropped
    std::weak_ptr<hid::VirtualHidBus> bus_;
};

// Plugs a device into a bus and lets it find the bus again (for the Unplug fault).
void PlugInto(const std::shared_ptr<hid::VirtualHidBus>& bus,
              const std::shared_ptr<SimDevice>& device);

}  // namespace vivori::sim
