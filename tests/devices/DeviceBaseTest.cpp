#include "DeviceFixture.h"
#include "profiles/TempFolder.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::testing {
namespace {

TestKeyButton* Button(ui::CPaintManagerUI& paint, ui::CControlUI* page, std::string_view name) {
    return dynamic_cast<TestKeyButton*>(paint.FindSubControlByName(page, name));
}

int SelectedTab(ui::CPaintManagerUI& paint, ui::CControlUI* page, std::string_view name) {
    return dynamic_cast<ui::CTabLayoutUI*>(paint.FindSubControlByName(page, name))->GetCurSel();
}

TEST_F(DeviceTest, InitPageIndexesOnlyNumberedButtonsThatFitTheCounts) {
    Start("", false);
    manager->CreateStartPages();
    TestDevice* mouse = DeviceOf(4);  // 11 keys, 15 LEDs
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->KeyCount(), 11);
    EXPECT_EQ(mouse->LedCount(), 15);
    EXPECT_EQ(mouse->KeyButton(0), Button(paint, mouse, "key_0"));
    EXPECT_EQ(mouse->KeyButton(10), Button(paint, mouse, "key_10"));
    EXPECT_EQ(mouse->LedButton(7), Button(paint, mouse, "light_7"));
    EXPECT_EQ(Button(paint, mouse, "light_7")->colour, 0xFFFFFFu);
    EXPECT_EQ(Button(paint, mouse, "light_7")->brightness, 255);
    EXPECT_NE(mouse->LedButton(14), nullptr);
    // Out of range, not a number, another prefix, or not a key button: left alone.
    EXPECT_EQ(Button(paint, mouse, "light_15")->brightness, -1);
    EXPECT_EQ(Button(paint, mouse, "light_99999")->brightness, -1);
    EXPECT_EQ(Button(paint, mouse, "light_x")->brightness, -1);
    EXPECT_EQ(Button(paint, mouse, "shine_3")->brightness, -1);
    EXPECT_EQ(mouse->LedButton(3), nullptr);
    EXPECT_EQ(mouse->LedButton(15), nullptr);

    mouse->SetLayoutName("");
    mouse->InitPage();
    EXPECT_EQ(mouse->KeyCount(), 0);
    EXPECT_EQ(mouse->LedCount(), 0);
    EXPECT_EQ(mouse->LedButton(7), nullptr);
    mouse->SetLedColour(0, {1, 2, 3, 4});
    EXPECT_EQ(mouse->GetLedColour(0), devices::LedColour{});
}

TEST_F(DeviceTest, LedColoursOutsideTheListAreIgnored) {
    Start("", false);
    manager->CreateStartPages();
    TestDevice* keyboard = DeviceOf(0);
    ASSERT_NE(keyboard, nullptr);
    const devices::LedColour red{255, 0, 0, 200};
    keyboard->SetLedColour(169, red);
    keyboard->SetLedColour(170, red);
    keyboard->SetLedColour(-1, red);
    EXPECT_EQ(keyboard->GetLedColour(169), red);
    EXPECT_EQ(keyboard->GetLedColour(170), devices::LedColour{});
    EXPECT_EQ(keyboard->GetLedColour(-1), devices::LedColour{});
}

TEST_F(DeviceTest, ShowTipSwitchesTheFunctionTabsByPageAndKind) {
    Start("pad", false);
    manager->CreateStartPages();
    manager->List().Claim(SupportedDevices()[8], "unused");
    manager->DeviceArrived(8);  // the pad page, created on its first arrival
    TestDevice* keyboard = DeviceOf(0);
    TestDevice* pad = DeviceOf(8);
    ASSERT_NE(pad, nullptr);
    struct Case {
        CQuorvaneUSBDevice* device;
        int page;
        int functionTab;
        int keyTab;  // -1: unchanged
    };
    const Case cases[] = {{keyboard, 2, 0, 1},  {keyboard, 3, 1, -1}, {keyboard, 4, 3, -1},
                          {keyboard, 5, 2, -1}, {keyboard, 7, 0, 2},  {keyboard, 9, 0, 0},
                          {pad, 4, 0, 2},       {pad, 8, 1, -1}};
    for (const Case& c : cases) {
        c.device->ShowTip(0);
        c.device->ShowTip(c.page);
        EXPECT_EQ(c.device->GetFunctionPage(), c.page);
        EXPECT_EQ(SelectedTab(paint, c.device, "device_function_switch"), c.functionTab) << c.page;
        EXPECT_EQ(SelectedTab(paint, c.device, "device_key_function_switch"),
                  c.keyTab < 0 ? 0 : c.keyTab)
            << c.page;
    }
}

TEST_F(DeviceTest, HostLightControlIsSentOnlyToAConnectedKeyboardWhenOn) {
    Start("keyboard,pad");
    ASSERT_TRUE(
        PumpUntil([&] { return Contains(window.arrived, 0) && Contains(window.arrived, 8); }));
    auto keyboardSim = SimNamed(0);
    auto padSim = SimNamed(1);
    keyboardSim->ClearFrames();
    padSim->ClearFrames();
    DeviceOf(0)->SetHostLightControl(false);
    DeviceOf(8)->SetHostLightControl(true);
    EXPECT_FALSE(Received(*keyboardSim, CMD_HOST_LIGHT_ON));
    EXPECT_FALSE(Received(*padSim, CMD_HOST_LIGHT_ON));
    DeviceOf(0)->SetHostLightControl(true);
    EXPECT_TRUE(Received(*keyboardSim, CMD_HOST_LIGHT_ON));

    // A keyboard that is gone is not written to.
    sim.bus->Unplug(keyboardSim);
    ASSERT_TRUE(PumpUntil([&] { return Contains(window.removed, 0); }));
    keyboardSim->ClearFrames();
    DeviceOf(0)->SetHostLightControl(true);
    EXPECT_TRUE(keyboardSim->ReceivedFrames().empty());
}

TEST_F(DeviceTest, OnlyDevicesThatShowPowerPauseTheirPoll) {
    Start("pad", false);
    manager->CreateStartPages();
    manager->List().Claim(SupportedDevices()[8], "unused");
    manager->DeviceArrived(8);
    DeviceOf(0)->SetPowerPollPause(true);
    DeviceOf(8)->SetPowerPollPause(true);
    EXPECT_TRUE(DeviceOf(0)->IsPowerPollPaused());
    EXPECT_FALSE(DeviceOf(8)->IsPowerPollPaused());
}

TEST_F(DeviceTest, TheDataFolderIsCreatedUnderTheApplicationFolder) {
    Start("", false);
    manager->CreateStartPages();
    TempFolder home;
    TestDevice* keyboard = DeviceOf(0);
    keyboard->SetDataFolders(
        profiles::DataFolders({home / "data", home / "config", home / "install", home / "tmp"}));
    const auto folder = keyboard->DataFolder();
    EXPECT_EQ(folder, home / "data" / "VELTRA VIVORI Trivex V2" / "keyboard");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(keyboard->DefaultDataFile(), home / "install" / "DefaultData" / "keyboard.Json");
}

}  // namespace
}  // namespace vivori::testing
