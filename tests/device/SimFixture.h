#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "device/CommandTransport.h"
#include "sim/SimProduct.h"
#include "sim/SimulatedBus.h"

namespace vivori::testing {

// The path of the first collection on bus with the given usage page and usage.
inline std::string FindCollection(const std::shared_ptr<hid::HidBus>& bus, uint16_t pid,
                                  uint16_t usagePage, uint16_t usage) {
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    for (const auto& p : paths) {
        if (hid::ParsePathNumber(p, "pid_") != pid) continue;
        auto h = bus->Open(p, true, false);
        if (h && h->Collection().usagePage == usagePage && h->Collection().usage == usage) return p;
    }
    return {};
}

// Length and offset of every frame of one command the device received.
struct Page {
    int length;
    int offset;
    bool operator==(const Page&) const = default;
};
inline std::vector<Page> PagesOf(const sim::SimDevice& device, uint8_t command) {
    std::vector<Page> pages;
    for (const auto& f : device.ReceivedFrames())
        if (f[3] == command) pages.push_back({f[4], f[5] | f[6] << 8});
    return pages;
}

// A transport attached to a simulated keyboard on its cable and to its receiver.
class SimTransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto made = sim::MakeSimulatedBus("keyboard,keyboard-receiver");
        ASSERT_TRUE(made);
        bus = made->bus;
        keyboard = made->devices[0];
        receiver = made->devices[1];
        transport = std::make_unique<CommandTransport>(bus);
        wiredPath = FindCollection(bus, 0x5055, 0xFF1C, 0x92);
        receiverPath = FindCollection(bus, 0x5088, 0xFF1C, 0x92);
        ASSERT_FALSE(wiredPath.empty());
        ASSERT_FALSE(receiverPath.empty());
    }

    void AttachWired() {
        CriticalSectionLock lock(transport->IoLock());
        ASSERT_TRUE(transport->Wired().OpenPath(wiredPath, true, true, true, false));
        transport->SetOpen(true);
        transport->SetLinkType(kLinkWired);
    }

    void AttachReceiver() {
        CriticalSectionLock lock(transport->IoLock());
        ASSERT_TRUE(transport->Receiver().OpenPath(receiverPath, true, true, true, false));
        transport->SetOpen(true);
        transport->SetLinkType(kLinkReceiver);
    }

    int Send(uint8_t command, uint8_t* reply = nullptr) {
        return transport->Command(&transport->CommandLock(), command, 0, 0, {}, reply);
    }

    // The one firmware behind the keyboard and its receiver.
    sim::FirmwareModel& Firmware() { return *sim::FirmwareOf(keyboard); }

    std::shared_ptr<hid::VirtualHidBus> bus;
    std::shared_ptr<sim::SimDevice> keyboard;
    std::shared_ptr<sim::SimDevice> receiver;
    std::unique_ptr<CommandTransport> transport;
    std::string wiredPath;
    std::string receiverPath;
};

}  // namespace vivori::testing
