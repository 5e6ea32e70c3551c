#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "DeviceFixture.h"
#include "device/SimFixture.h"
#include "devices/CVendorBlockDevice.h"
#include "devices/DeviceControls.h"
#include "profiles/JsonFile.h"
#include "profiles/TempFolder.h"
#include "sim/SimProduct.h"
#include "ui/core/CDialogBuilder.h"

namespace vivori::testing {

using sim::Area;

// A simulated pad or headset and its device object built from a small page on the
// test's thread. The default data is the shipped one, except that the light-mode
// codes are index + 10, so a test tells an index from the code the device holds.
template <typename Device>
class VendorDeviceTest : public ::testing::Test {
  protected:
    // beforeInit runs on the device before its page is set up (InitPage).
    void Build(std::string_view simulated, std::string_view pageXml, uint16_t pid, int ledCount,
               std::string_view folder, const std::function<void(Device&)>& beforeInit = {}) {
        auto made = sim::MakeSimulatedBus(simulated);
        ASSERT_TRUE(made);
        sim = std::move(*made);
        pid_ = pid;
        ui::CControlFactory::GetInstance().RegistControl("DeviceKeyButton",
                                                         [] { return new TestKeyButton; });
        window.CreateHandle("stand-in", "VivoriTest");
        paint.Init(window.GetHWND());
        auto* root = ui::CDialogBuilder().Create(
            pageXml,
            [this](std::string_view name) { return devices::CreateDeviceControl(name, sim.bus); },
            &paint);
        ASSERT_NE(root, nullptr);
        device = dynamic_cast<Device*>(root);
        ASSERT_NE(device, nullptr);
        paint.AttachDialog(root);
        WriteDefaultData();
        device->SetDataFolders(Folders());
        device->SetLayoutName("inline");
        device->SetLedCount(ledCount);
        device->SetWindow(window.GetHWND());
        if (beforeInit) beforeInit(*device);
        device->InitPage();
        const auto data = Folders().DataFolder(std::string(folder));
        WriteText(data / "ProfileList.ini",
                  R"({"profilelist":[{"profilename":"First","profileUUID":"first"}],)"
                  R"("profileselect":0})");
        profilePath = data / "first.Json";
    }

    void TearDown() override {
        if (device) device->StopPreview();
    }

    profiles::DataFolders Folders() const {
        return profiles::DataFolders(
            {temp.Path() / "data", temp.Path() / "config", temp.Path() / "install", temp.Path() / "tmp"});
    }

    void WriteDefaultData() {
        const auto target = temp.Path() / "install" / "DefaultData";
        std::filesystem::create_directories(target);
        for (const char* name : {"MousePad.Json", "HD.Json", "zunik_light.config"})
            std::filesystem::copy_file(std::filesystem::path(VIVORI_DEFAULT_DATA_DIR) / name,
                                       target / name);
        Json::Value lights = profiles::ReadJsonFile(
            std::filesystem::path(VIVORI_DEFAULT_DATA_DIR) / "default_light.json");
        for (Json::Value& table : lights["DefaultLightName"])
            for (Json::Value& mode : table) mode["value"] = mode["value"].asInt() + 10;
        ASSERT_TRUE(profiles::WriteJsonFile(target / "default_light.json", lights));
    }

    void Attach() {
        CommandTransport& commands = device->Commands();
        {
            CriticalSectionLock lock(commands.IoLock());
            ASSERT_TRUE(commands.Wired().OpenPath(
                FindCollection(sim.bus, pid_, CommandUsagePage(), CommandUsage()), true, true,
                true, false));
            commands.SetOpen(true);
        }
    }
    bool OpenNotifications() {
        return device->OpenNotificationChannel(false, FindCollection(sim.bus, pid_, 0x0C, 0x01));
    }
    virtual uint16_t CommandUsagePage() const { return 0xFF1C; }
    virtual uint16_t CommandUsage() const { return 0x92; }

    sim::FirmwareModel& Firmware() { return *sim::FirmwareOf(sim.devices[0]); }
    sim::SimDevice& Sim() { return *sim.devices[0]; }
    std::vector<uint8_t> Params(size_t at, size_t length) {
        const auto all = Firmware().Memory(Area::Params);
        return {all.begin() + ptrdiff_t(at), all.begin() + ptrdiff_t(at + length)};
    }

    TempFolder temp;
    sim::SimulatedBus sim;
    StandInWindow window;
    ui::CPaintManagerUI paint;
    Device* device = nullptr;
    std::filesystem::path profilePath;
    uint16_t pid_ = 0;
};

}  // namespace vivori::testing
