#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "DeviceFixture.h"
#include "device/SimFixture.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/DeviceControls.h"
#include "macros/MacroLibrary.h"
#include "platform/Time.h"
#include "profiles/TempFolder.h"
#include "sim/SimProduct.h"
#include "sim/SimulatedBus.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

namespace vivori::testing {

using devices::CQuorvaneKeyboardDevice;
using sim::Area;

// The keyboard's page as far as its settings controls go.
inline constexpr const char* kKeyboardPage = R"(
<QuorvaneKeyboardDevice name="keyboard_device">
  <Label name="text_test" visible="false"/>
  <VerticalLayout name="SelectPanel">
    <DeviceKeyButton name="key_64"/><DeviceKeyButton name="key_65"/><DeviceKeyButton name="key_66"/>
    <DeviceKeyButton name="key_67"/><DeviceKeyButton name="key_68"/><DeviceKeyButton name="key_69"/>
    <DeviceKeyButton name="light_0"/><DeviceKeyButton name="light_84"/>
  </VerticalLayout>
  <CheckBox name="wflag_option"/><CheckBox name="6flag_option"/>
  <CheckBox name="winlockflag_option"/>
  <Option name="polling_rate_option_0" group="rate"/><Option name="polling_rate_option_1" group="rate"/>
  <Option name="polling_rate_option_2" group="rate"/><Option name="polling_rate_option_3" group="rate"/>
  <Option name="repeat_delay_check_0" group="delay"/><Option name="repeat_delay_check_1" group="delay"/>
  <Option name="repeat_delay_check_2" group="delay"/><Option name="repeat_delay_check_3" group="delay"/>
  <Slider name="repeat_rate_slider" min="0" max="31"/>
  <Label name="repeat_delay_time_label1"/>
</QuorvaneKeyboardDevice>)";

// A simulated keyboard with its receiver, a keyboard page built from kKeyboardPage on
// the test's thread, and data folders in a fresh temporary folder with one profile
// selected.
class KeyboardDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto made = sim::MakeSimulatedBus("keyboard,keyboard-receiver");
        ASSERT_TRUE(made);
        sim = std::move(*made);
        ui::CControlFactory::GetInstance().RegistControl("DeviceKeyButton",
                                                         [] { return new TestKeyButton; });
        window.CreateHandle("stand-in", "VivoriTest");
        paint.Init(window.GetHWND());
        auto* root = ui::CDialogBuilder().Create(
            kKeyboardPage,
            [this](std::string_view name) { return devices::CreateDeviceControl(name, sim.bus); },
            &paint);
        ASSERT_NE(root, nullptr);
        keyboard =
            static_cast<CQuorvaneKeyboardDevice*>(root->GetInterface("QuorvaneKeyboardDevice"));
        ASSERT_NE(keyboard, nullptr);
        paint.AttachDialog(root);
        keyboard->SetDataFolders(temp.Folders());
        keyboard->SetLayoutName("inline");
        keyboard->InitPage();
        const auto folder = temp.Folders().DataFolder("keyboard");
        WriteText(folder / "ProfileList.ini",
                  R"({"profilelist":[{"profilename":"First","profileUUID":"first"}],)"
                  R"("profileselect":0})");
        profilePath = folder / "first.Json";
    }

    sim::FirmwareModel& Firmware() { return *sim::FirmwareOf(sim.devices[0]); }
    sim::SimDevice& Cable() { return *sim.devices[0]; }
    sim::SimDevice& Receiver() { return *sim.devices[1]; }
    sim::SimDevice& Way(bool receiver) { return receiver ? Receiver() : Cable(); }

    // Opens the keyboard's commands and notifications on the cable or the receiver.
    void Attach(bool receiver) {
        AttachWay(*keyboard, sim.bus, receiver ? 0x5088 : 0x5055, receiver);
    }

    void Connect(bool receiver) {
        Attach(receiver);
        keyboard->OnConnected();
    }

    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        return PumpMessagesUntil(done, timeoutMs);
    }

    // Adds a macro of `count` key presses to the keyboard's macro list.
    void AddMacro(int count) { AddTestMacro(temp.Folders().DataFolder("keyboard"), count); }

    bool Selected(const char* name) {
        auto* option = dynamic_cast<ui::COptionUI*>(paint.FindControl(name));
        return option != nullptr && option->IsSelected();
    }

    TempFolder temp;
    sim::SimulatedBus sim;
    StandInWindow window;
    ui::CPaintManagerUI paint;
    CQuorvaneKeyboardDevice* keyboard = nullptr;
    std::filesystem::path profilePath;
};

}  // namespace vivori::testing
