#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/HidBus.h"

namespace vivori::hid {

class VirtualHidHandle;

// A USB device of the in-process bus: interfaces with report descriptors, output
// reports handed to OnOutputReport, and input reports pushed to open collections.
class VirtualHidDevice {
  public:
    VirtualHidDevice(uint16_t vendorId, uint16_t productId, uint16_t version = 0x0100);
    virtual ~VirtualHidDevice();
    VirtualHidDevice(const VirtualHidDevice&) = delete;
    VirtualHidDevice& operator=(const VirtualHidDevice&) = delete;

    // Adds an interface; false when its descriptor does not parse.
    bool AddInterface(int number, std::vector<uint8_t> descriptor);

    uint16_t VendorId() const { return attributes_.vendorId; }
    uint16_t ProductId() const { return attributes_.productId; }
    bool Plugged() const { return plugged_.load(); }

    // Called on the writer's thread for every output report of any collection of
    // the interface. May call SendInputReport.
    virtual void OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) = 0;

    // Delivers an input report (report ID first) to every open collection of the
    // interface that owns that report ID, as the kernel does for hidraw readers.
    void SendInputReport(int interfaceNumber, std::span<const uint8_t> report);

    size_t OpenHandleCount() const;

  private:
    friend class VirtualHidBus;
    friend class VirtualHidHandle;

    struct Interface {
        int number = 0;
        ParsedDescriptor parsed;
    };
    const Interface* FindInterface(int number) const;
    void Attach(VirtualHidHandle* handle);
    void Detach(VirtualHidHandle* handle);
    void MarkUnplugged();

    HidAttributes attributes_;
    std::vector<Interface> interfaces_;
    mutable std::mutex mutex_;
    std::vector<VirtualHidHandle*> handles_;
    std::atomic<bool> plugged_{false};
    uint32_t id_ = 0;
};

class VirtualHidBus : public HidBus {
  public:
    VirtualHidBus();
    ~VirtualHidBus() override;

    // Plugs a device in; it shows up at the next enumeration.
    void Plug(std::shared_ptr<VirtualHidDevice> device);
    // Pulls a device out: open handles fail from now on and the probe fails.
    void Unplug(const std::shared_ptr<VirtualHidDevice>& device);
    // Makes enumeration fail, or leave one empty entry at the given index (-1: none),
    // as a failing interface does on the real bus.
    void SetEnumerateFails(bool fails) {
        enumerateFails_ = fails;
        Changed();
    }
    void SetEmptyEntryAt(int index) {
        emptyEntryAt_ = index;
        Changed();
    }

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<HidHandle> Open(const std::string& path, bool read, bool write) override;
    bool Probe(const std::string& path) override;
    int ChangeFd() override { return changeFd_; }
    void DrainChanges() override;

  private:
    void Changed();
    std::shared_ptr<VirtualHidDevice> Find(const std::string& path, int& interfaceNumber,
                                           int& collectionIndex) const;

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<VirtualHidDevice>> devices_;
    uint32_t nextId_ = 1;
    std::atomic<bool> enumerateFails_{false};
    std::atomic<int> emptyEntryAt_{-1};
    int changeFd_ = -1;  // an eventfd: every plug and pull counts one up
};

// One open collection of a virtual device.
class VirtualHidHandle : public HidHandle {
  public:
    VirtualHidHandle(std::shared_ptr<VirtualHidDevice> device, int interfaceNumber,
                     const HidCollection& collection);
    ~VirtualHidHandle() override;

    const HidAttributes& Attributes() const override { return device_->attributes_; }
    const HidCollection& Collection() const override { return collection_; }
    IoStatus Read(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs,
                  Event& abort) override;
    IoStatus Write(std::span<const uint8_t> report, size_t& bytesWritten, int timeoutMs,
                   Event& abort) override;
    void DiscardInput() override;

  private:
    friend class VirtualHidDevice;
    // The kernel keeps a bounded list per reader and drops reports beyond it.
    static constexpr size_t kQueueLimit = 64;
    void Push(std::span<const uint8_t> report);
    void MarkGone();

    std::shared_ptr<VirtualHidDevice> device_;
    const int interfaceNumber_;
    const HidCollection& collection_;
    std::mutex mutex_;
    std::deque<std::vector<uint8_t>> queue_;
    Event ready_{ResetMode::Manual};
    std::atomic<bool> gone_{false};
};

}  // namespace vivori::hid
