#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "DeviceFixture.h"
#include "device/SimFixture.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/DeviceControls.h"
#include "macros/MacroLibrary.h"
#include "profiles/TempFolder.h"
#include "sim/SimProduct.h"
#include "sim/SimulatedBus.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/message/MessageWindow.h"

namespace vivori::testing {

using devices::CQuorvaneMouseDevice;
using sim::Area;

// The mouse's page as far as its stage, polling and system controls go.
inline constexpr const char* kMousePage = R"(
<QuorvaneMouseDevice name="mouse_device">
  <Label name="text_test" visible="false"/>
  <VerticalLayout name="SelectPanel">
    <DeviceKeyButton name="key_0"/><DeviceKeyButton name="key_1"/><DeviceKeyButton name="key_5"/>
    <DeviceKeyButton name="light_0"/><DeviceKeyButton name="light_13"/><DeviceKeyButton name="light_14"/>
    <DeviceKeyButton name="logo"/>
  </VerticalLayout>
  <List name="device_setkeyinfo_list"/>
  <VerticalLayout name="mouse_option_layout">
    <Option name="mouse_device_seting_option_0"/><Option name="mouse_device_seting_option_1"/>
    <Option name="mouse_device_seting_option_2"/>
  </VerticalLayout>
  <TabLayout name="mouse_device_seting_layout"><Control/><Control/><Control/></TabLayout>
  <CheckBox name="DPI_enable_check_0"/><HorizontalLayout name="DPI_layout_0"><Option name="DPI_select_check_0"/>
    <Slider name="DPI_slider_0"/><Edit name="DPI_edit_0"/><Button name="DPI_color_option_0"/></HorizontalLayout>
  <CheckBox name="DPI_enable_check_1"/><HorizontalLayout name="DPI_layout_1"><Option name="DPI_select_check_1"/>
    <Slider name="DPI_slider_1"/><Edit name="DPI_edit_1"/><Button name="DPI_color_option_1"/></HorizontalLayout>
  <CheckBox name="DPI_enable_check_2"/><HorizontalLayout name="DPI_layout_2"><Option name="DPI_select_check_2"/>
    <Slider name="DPI_slider_2"/><Edit name="DPI_edit_2"/><Button name="DPI_color_option_2"/></HorizontalLayout>
  <CheckBox name="DPI_enable_check_3"/><HorizontalLayout name="DPI_layout_3"><Option name="DPI_select_check_3"/>
    <Slider name="DPI_slider_3"/><Edit name="DPI_edit_3"/><Button name="DPI_color_option_3"/></HorizontalLayout>
  <CheckBox name="DPI_enable_check_4"/><HorizontalLayout name="DPI_layout_4"><Option name="DPI_select_check_4"/>
    <Slider name="DPI_slider_4"/><Edit name="DPI_edit_4"/><Button name="DPI_color_option_4"/></HorizontalLayout>
  <Option name="polling_rate_option_0"/><Option name="polling_rate_option_1"/>
  <Option name="polling_rate_option_2"/><Option name="polling_rate_option_3"/>
  <Option name="polling_rate_option_4"/>
  <Slider name="pointer_speed_slider" min="1" max="20"/><CheckBox name="pointer_precision_check"/>
  <Slider name="scroll_speed_slider" min="0" max="19"/><CheckBox name="scrolls_page_check"/>
  <Slider name="double_click_slider" min="0" max="9"/>
  <Text name="device_tishi_info"/>
</QuorvaneMouseDevice>)";

// A simulated mouse with its receiver, a mouse page built from kMousePage on the test's
// thread, and data folders in a fresh temporary folder with one profile selected.
class MouseDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto made = sim::MakeSimulatedBus("mouse,mouse-receiver");
        ASSERT_TRUE(made);
        sim = std::move(*made);
        ui::CControlFactory::GetInstance().RegistControl("DeviceKeyButton",
                                                         [] { return new TestKeyButton; });
        window.CreateHandle("stand-in", "VivoriTest");
        paint.Init(window.GetHWND());
        auto* root = ui::CDialogBuilder().Create(
            kMousePage,
            [this](std::string_view name) { return devices::CreateDeviceControl(name, sim.bus); },
            &paint);
        ASSERT_NE(root, nullptr);
        mouse = static_cast<CQuorvaneMouseDevice*>(root->GetInterface("QuorvaneMouseDevice"));
        ASSERT_NE(mouse, nullptr);
        paint.AttachDialog(root);
        mouse->SetDataFolders(temp.Folders());
        mouse->SetLayoutName("inline");
        mouse->InitPage();
        folder = temp.Folders().DataFolder("mouse");
        WriteText(folder / "ProfileList.ini",
                  R"({"profilelist":[{"profilename":"First","profileUUID":"first"}],)"
                  R"("profileselect":0})");
        profilePath = folder / "first.Json";
    }

    sim::FirmwareModel& Firmware() { return *sim::FirmwareOf(sim.devices[0]); }
    sim::SimDevice& Cable() { return *sim.devices[0]; }
    sim::SimDevice& Receiver() { return *sim.devices[1]; }
    sim::SimDevice& Way(bool receiver) { return receiver ? Receiver() : Cable(); }

    void Attach(bool receiver) { AttachWay(*mouse, sim.bus, receiver ? 0x221D : 0x2003, receiver); }

    void Connect(bool receiver) {
        Attach(receiver);
        mouse->OnConnected();
    }

    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        return PumpMessagesUntil(done, timeoutMs);
    }

    // Adds a macro of `count` key events to the mouse's macro list.
    void AddMacro(int count) { AddTestMacro(folder, count); }

    template <typename T>
    T* Find(const std::string& name) {
        return dynamic_cast<T*>(paint.FindControl(name));
    }
    bool Selected(const std::string& name) {
        auto* option = Find<ui::COptionUI>(name);
        return option != nullptr && option->IsSelected();
    }

    TempFolder temp;
    sim::SimulatedBus sim;
    StandInWindow window;
    ui::CPaintManagerUI paint;
    CQuorvaneMouseDevice* mouse = nullptr;
    std::filesystem::path folder;
    std::filesystem::path profilePath;
};

}  // namespace vivori::testing
