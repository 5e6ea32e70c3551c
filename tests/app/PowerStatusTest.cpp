#include <string>

#include "AppFixture.h"
#include "app/CDeviceOptionUI.h"
#include "app/CMainWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "sim/SimProduct.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

size_t StatusReads(const sim::SimDevice& device) {
    size_t reads = 0;
    for (const auto& frame : device.ReceivedFrames())
        if (frame[3] == CMD_READ_STATUS) ++reads;
    return reads;
}

class PowerStatusTest : public AppTest {
  protected:
    devices::CQuorvaneUSBDevice* DeviceOfKind(int kind) {
        for (auto* device : Window().Devices()->Devices())
            if (device->DeviceKind() == kind && device->Commands().IsOpen()) return device;
        return nullptr;
    }
    std::string PowerText(devices::CQuorvaneUSBDevice& device) {
        ui::CControlUI* value =
            Window().PaintManager().FindSubControlByName(device.PowerPanel(), "device_power_value");
        return value ? value->GetText() : "";
    }
};

TEST_F(PowerStatusTest, KeyboardsPollTheirPowerOnTheirPeriodAndPadsReadItOnce) {
    powerPeriodMs = 100;
    Start();
    auto keyboard = Plug("keyboard");
    auto pad = Plug("pad");
    ASSERT_TRUE(PumpUntil([&] { return StatusReads(*keyboard) >= 2 && StatusReads(*pad) >= 1; },
                          5000));
    keyboard->ClearFrames();
    pad->ClearFrames();
    PumpFor(1000);
    const size_t polls = StatusReads(*keyboard);
    EXPECT_GE(polls, 4u);  // ten on an idle machine
    EXPECT_LE(polls, 11u);
    EXPECT_EQ(StatusReads(*pad), 0u);

    devices::CQuorvaneUSBDevice* padDevice = DeviceOfKind(kKindMousePad);
    ASSERT_NE(padDevice, nullptr);
    ASSERT_NE(dynamic_cast<devices::CQuorvaneMousePadDevice*>(padDevice), nullptr);
    // The pad's battery part is hidden; its phone shows.
    ui::CControlUI* layout =
        Window().PaintManager().FindSubControlByName(padDevice->PowerPanel(), "device_power_Layout");
    ASSERT_NE(layout, nullptr);
    EXPECT_FALSE(layout->IsOwnVisible());
    ui::CControlUI* phone =
        Window().PaintManager().FindSubControlByName(padDevice->PowerPanel(), "device_phone_type");
    EXPECT_EQ(phone->GetText(), ui::CResourceManager::GetInstance().GetText("Phone_type_other").value_or(""));

    // The pad's page with its power display in the header.
    Window().ShowSelectorEntry(padDevice->SelectorValue(), true, true);
    ui::SendMessage(Window().GetHWND(), ui::WM_ACTIVATE, 1, 0);
    PumpFor(300);
    EXPECT_TRUE(ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/pad.png"));
}

TEST_F(PowerStatusTest, TheTrayListsTheBatteryAndWarnsOncePerDischarge) {
    powerPeriodMs = 60;
    Start();
    auto keyboard = Plug("keyboard");
    sim::FirmwareModel& firmware = *sim::FirmwareOf(keyboard);
    ASSERT_TRUE(PumpUntil([&] { return Window().BatteryText().find("80 %") != std::string::npos; },
                          5000));
    devices::CQuorvaneUSBDevice* device = DeviceOfKind(kKindKeyboard);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(PowerText(*device), "80%");
    EXPECT_EQ(Window().LowBatteryNotices(), 0);

    firmware.SetBattery(9, 2);
    ASSERT_TRUE(PumpUntil([&] { return PowerText(*device) == "9%"; }, 3000));
    const size_t before = StatusReads(*keyboard);
    PumpFor(500);  // several more polls at 9 %
    EXPECT_GT(StatusReads(*keyboard), before);
    EXPECT_EQ(Window().LowBatteryNotices(), 1);
    EXPECT_NE(Window().BatteryText().find("9 %"), std::string::npos);

    firmware.SetBattery(9, 1);  // on the charger: the next discharge counts again
    ASSERT_TRUE(PumpUntil(
        [&] { return Window().BatteryText().find("(charging)") != std::string::npos; }, 3000));
    firmware.SetBattery(8, 2);
    ASSERT_TRUE(PumpUntil([&] { return Window().LowBatteryNotices() == 2; }, 3000));
    PumpFor(300);
    EXPECT_EQ(Window().LowBatteryNotices(), 2);
}

TEST_F(PowerStatusTest, AKeyboardAwayFromItsReceiverKeepsItsLastPower) {
    powerPeriodMs = 60;
    // The keyboard itself: its link check is what tells it is away.
    makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
    Start();
    auto receiver = Plug("keyboard-receiver");
    ASSERT_TRUE(PumpUntil([&] { return StatusReads(*receiver) >= 1; }, 5000));
    devices::CQuorvaneUSBDevice* device = DeviceOfKind(kKindKeyboard);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return PowerText(*device) == "80%"; }, 3000));
    EXPECT_TRUE(device->PowerRecord()[devices::power_byte::kLink]);
    sim::FirmwareOf(receiver)->SetBattery(50, 2);
    receiver->SetDeviceAway(true);
    receiver->ClearFrames();
    PumpFor(400);
    EXPECT_EQ(StatusReads(*receiver), 0u);  // the link check fails first
    EXPECT_EQ(PowerText(*device), "80%");
    EXPECT_FALSE(device->IsWirelessOnline());
}

TEST_F(PowerStatusTest, AFailedPowerReadShowsNoFigureAndTheTrayDropsTheDevice) {
    powerPeriodMs = 60;
    Start();
    auto keyboard = Plug("keyboard");
    // Its first power read fails: nothing was ever read, so nothing may look full.
    keyboard->InjectFault({.kind = sim::FaultRule::StatusFF, .command = CMD_READ_STATUS,
                           .times = 1});
    ASSERT_TRUE(PumpUntil([&] { return StatusReads(*keyboard) >= 1; }, 5000));
    devices::CQuorvaneUSBDevice* device = DeviceOfKind(kKindKeyboard);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return PowerText(*device) == "80%"; }, 3000))
        << "the next read shows the battery";
    // Then every read fails: the figure goes, and the tray stops listing it.
    keyboard->InjectFault({.kind = sim::FaultRule::StatusFF, .command = CMD_READ_STATUS,
                           .times = -1});
    ASSERT_TRUE(PumpUntil([&] { return PowerText(*device) == "--"; }, 3000));
    EXPECT_FALSE(device->HasPowerRecord());
    ASSERT_TRUE(
        PumpUntil([&] { return Window().BatteryText().find("80 %") == std::string::npos; }, 3000));
    ui::CControlUI* status =
        Window().PaintManager().FindSubControlByName(device->PowerPanel(), "device_power_status");
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->IsOwnVisible()) << "no battery picture for an unknown level";
    keyboard->ClearFaults();
    EXPECT_TRUE(PumpUntil([&] { return PowerText(*device) == "80%" && status->IsOwnVisible(); },
                          3000));
}

TEST_F(PowerStatusTest, TheHeadsetsBatteryIsReadAgainOnItsPeriod) {
    headsetPowerPeriodMs = 100;
    Start();
    auto headset = Plug("headset");
    ASSERT_TRUE(PumpUntil([&] { return StatusReads(*headset) >= 1; }, 5000));
    headset->ClearFrames();
    PumpFor(700);
    EXPECT_GE(StatusReads(*headset), 3u) << "read once at connection only";
}

}  // namespace
}  // namespace vivori::testing
