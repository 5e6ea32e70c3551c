#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/SimFixture.h"
#include "devices/DeviceManager.h"
#include "devices/DeviceMessages.h"
#include "devices/IDeviceKeyButton.h"
#include "macros/MacroLibrary.h"
#include "platform/Time.h"
#include "sim/SimulatedBus.h"
#include "ui/core/CButtonUI.h"
#include "ui/core/CControlFactory.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

namespace vivori::testing {

using devices::CQuorvaneUSBDevice;

// The key and LED button a page indexes; remembers the colour it was given.
class TestKeyButton : public ui::CButtonUI, public devices::IDeviceKeyButton {
  public:
    void* GetInterface(std::string_view name) override {
        if (name == devices::kDeviceKeyButton) return static_cast<devices::IDeviceKeyButton*>(this);
        return CButtonUI::GetInterface(name);
    }
    void SetLightColour(uint32_t rgb, uint8_t brightness) override {
        colour = rgb;
        this->brightness = brightness;
    }
    void SetToolTipTitle(std::string_view text) override { title = text; }
    void SetDefaultAssignment(bool on) override { isDefault = on ? 1 : 0; }
    uint32_t colour = 0;
    int brightness = -1;
    std::string title;
    int isDefault = -1;
};

// A device kind as small as a test needs: it keeps the notification codes it reads.
class TestDevice : public CQuorvaneUSBDevice {
  public:
    using CQuorvaneUSBDevice::CQuorvaneUSBDevice;
    void OnNotificationReport(const std::vector<HidDataItem>& items, bool receiverWay) override {
        std::lock_guard lock(mutex);
        if (auto code = devices::NotificationButtonCode(items)) codes.push_back(*code);
        (void)receiverWay;
    }
    void ReadPowerStatus() override { ++powerReads; }
    std::vector<uint16_t> Codes() {
        std::lock_guard lock(mutex);
        return codes;
    }
    std::mutex mutex;
    std::vector<uint16_t> codes;
    std::atomic<int> powerReads{0};
};

// Counts what the capture thread asks of the bus.
class CountingBus : public hid::HidBus {
  public:
    explicit CountingBus(std::shared_ptr<hid::HidBus> inner) : inner_(std::move(inner)) {}
    bool Enumerate(std::vector<std::string>& paths) override {
        ++enumerations;
        return inner_->Enumerate(paths);
    }
    std::unique_ptr<hid::HidHandle> Open(const std::string& path, bool read, bool write) override {
        std::lock_guard lock(mutex);
        opened.push_back(path);
        return inner_->Open(path, read, write);
    }
    bool Probe(const std::string& path) override {
        ++probes;
        return inner_->Probe(path);
    }
    std::vector<std::string> Opened() {
        std::lock_guard lock(mutex);
        return opened;
    }
    std::atomic<int> enumerations{0};
    std::atomic<int> probes{0};

  private:
    std::shared_ptr<hid::HidBus> inner_;
    std::mutex mutex;
    std::vector<std::string> opened;
};

// Stands in for the main window: hands 3090 and 3091 to the device manager.
class StandInWindow : public ui::MessageWindow {
  public:
    ~StandInWindow() override { DestroyHandle(); }
    ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) override {
        (void)l;
        if (msg == devices::kMsgDeviceArrived) {
            arrived.push_back(static_cast<int>(w));
            if (manager) manager->DeviceArrived(static_cast<int>(w));
        } else if (msg == devices::kMsgDeviceRemoved) {
            removed.push_back(static_cast<int>(w));
            if (manager) manager->DeviceRemoved(static_cast<int>(w));
        } else if (msg == devices::AppInstanceMessage()) {
            ++wakeUps;
        }
        return 0;
    }
    devices::DeviceManager* manager = nullptr;
    std::vector<int> arrived;
    std::vector<int> removed;
    int wakeUps = 0;
};

inline bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// Whether the device received a frame of this command since its last ClearFrames.
inline bool Received(const sim::SimDevice& device, uint8_t command) {
    for (const auto& frame : device.ReceivedFrames())
        if (frame[3] == command) return true;
    return false;
}

// Opens a device object's command transport and notification channel on the cable or
// the receiver product `pid` of the bus.
inline void AttachWay(CQuorvaneUSBDevice& device, const std::shared_ptr<hid::HidBus>& bus,
                      uint16_t pid, bool receiver) {
    CommandTransport& commands = device.Commands();
    {
        CriticalSectionLock lock(commands.IoLock());
        HidConnection& c = receiver ? commands.Receiver() : commands.Wired();
        ASSERT_TRUE(c.OpenPath(FindCollection(bus, pid, 0xFF1C, 0x92), true, true, true, false));
        commands.SetOpen(true);
        commands.SetLinkType(receiver ? kLinkReceiver : kLinkWired);
    }
    ASSERT_TRUE(device.OpenNotificationChannel(receiver, FindCollection(bus, pid, 0x0C, 0x01)));
}

// Adds a macro of `count` key events to the macro list of a device folder.
inline void AddTestMacro(const std::filesystem::path& folder, int count) {
    macros::MacroLibrary library(folder);
    ASSERT_TRUE(library.Add());
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < count; ++i) {
        Json::Value e;
        e["Action"] = i % 2 ? "up" : "down";
        e["Button"] = 4 + i % 20;
        e["Delay"] = std::to_string(10 + i);
        e["Type"] = 10;
        events.append(e);
    }
    ASSERT_TRUE(library.Save(library.List().size() - 1, events));
}

// Runs the test thread's messages until done() holds; false after timeoutMs.
inline bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        ui::PumpMessages();
        Sleep(1);
    }
    return true;
}

// Simulated devices on a counting bus, a paint manager holding "device_switch", the
// stand-in window and the device manager, all on the test's thread.
class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::CPaintManagerUI::SetResourcePath(VIVORI_TEST_SKIN);
        ui::CControlFactory::GetInstance().RegistControl("DeviceKeyButton",
                                                         [] { return new TestKeyButton; });
        window.CreateHandle("stand-in", "VivoriTest");
        paint.Init(window.GetHWND());
        paint.AttachDialog(
            ui::CDialogBuilder().Create("<VerticalLayout><TabLayout name=\"device_switch\"/>"
                                        "</VerticalLayout>",
                                        {}, &paint));
    }

    void TearDown() override {
        if (manager) manager->StopCapture();
    }

    // Plugs the named simulated devices and starts discovery.
    void Start(std::string_view devices, bool startCapture = true) {
        auto made = sim::MakeSimulatedBus(devices);
        ASSERT_TRUE(made);
        sim = std::move(*made);
        bus = std::make_shared<CountingBus>(sim.bus);
        devices::DeviceManagerSetup setup;
        setup.manager = &paint;
        setup.window = window.GetHWND();
        setup.bus = bus;
        setup.createControl = [this](std::string_view name) -> ui::CControlUI* {
            return name == "TestUSBDevice" ? new TestDevice(bus) : nullptr;
        };
        manager = std::make_unique<devices::DeviceManager>(setup);
        window.manager = manager.get();
        if (startCapture) {
            ASSERT_TRUE(manager->StartCapture());
        }
    }

    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        return PumpMessagesUntil(done, timeoutMs);
    }

    bool PumpUntilArrived(int index) {
        return PumpUntil([&] { return Contains(window.arrived, index); });
    }

    TestDevice* DeviceOf(int index) { return dynamic_cast<TestDevice*>(manager->DeviceOf(index)); }
    std::shared_ptr<sim::SimDevice> SimNamed(size_t position) { return sim.devices.at(position); }

    StandInWindow window;
    ui::CPaintManagerUI paint;
    sim::SimulatedBus sim;
    std::shared_ptr<CountingBus> bus;
    std::unique_ptr<devices::DeviceManager> manager;
};

}  // namespace vivori::testing
