// Window messages and control notifications of the running main window.
#include "AppFixture.h"
#include "app/AppMessages.h"
#include "devices/DeviceControls.h"
#include "platform/Debug.h"
#include "ui/core/CControlFactory.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/CSliderUI.h"

namespace vivori::testing {
namespace {

class WindowMessagesTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        Start();
        keyboard = Plug("keyboard");
        ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
        keyboard->ClearFrames();
    }
    ui::LRESULT CopyData(ui::UINT_PTR kind, std::vector<uint8_t> bytes) {
        ui::COPYDATASTRUCT data{kind, std::move(bytes)};
        return ui::SendMessage(Window().GetHWND(), ui::WM_COPYDATA, 0,
                               reinterpret_cast<ui::LPARAM>(&data));
    }
    static bool Received(const sim::SimDevice& device, uint8_t command) {
        for (const auto& frame : device.ReceivedFrames())
            if (frame[3] == command) return true;
        return false;
    }
    std::shared_ptr<sim::SimDevice> keyboard;
};

TEST_F(WindowMessagesTest, CopyDataOverItsBufferIsRefusedAndShortFramesAreZeroFilled) {
    std::vector<uint8_t> frame(8, 0);
    frame[0] = 7;
    frame[4] = 9;
    EXPECT_EQ(CopyData(2, frame), 1);
    EXPECT_EQ(Keyboard()->Levels(), (std::vector<int>{7, 9, 0, 0, 0, 0}));
    // A shorter frame leaves nothing of the one before.
    EXPECT_EQ(CopyData(2, {5}), 1);
    EXPECT_EQ(Keyboard()->Levels(), (std::vector<int>{5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(CopyData(2, std::vector<uint8_t>(app::CMainWnd::kShortFrameBytes + 1, 1)), 0);
    EXPECT_EQ(Keyboard()->Levels(), (std::vector<int>{5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(CopyData(1, std::vector<uint8_t>(app::CMainWnd::kSpectrumBytes, 1)), 1);
    EXPECT_EQ(CopyData(1, std::vector<uint8_t>(app::CMainWnd::kSpectrumBytes + 1, 1)), 0);
    EXPECT_EQ(CopyData(3, {1, 2}), 0);
    EXPECT_EQ(CopyData(2, {}), 0);
}

TEST_F(WindowMessagesTest, LightControlToggleAndRequestsReachTheKeyboard) {
    Click("control_light_status");
    // The keys are the Chinese texts; the window shows them in its language.
    auto text = [](const char* key) {
        return ui::CResourceManager::GetInstance().ResolveText(key);
    };
    EXPECT_EQ(Find("control_light_status")->GetText(), text("不控制灯光"));
    EXPECT_FALSE(Keyboard()->HostLightControl());
    EXPECT_FALSE(Received(*keyboard, CMD_HOST_LIGHT_ON));
    // Another program hands the lights back.
    ui::SendMessage(Window().GetHWND(), app::Messages().lightControlRequest, 1, 1);
    EXPECT_EQ(Find("control_light_status")->GetText(), text("控制灯光"));
    EXPECT_TRUE(Received(*keyboard, CMD_HOST_LIGHT_ON));
}

TEST_F(WindowMessagesTest, WhileSuspendedGameEventsAreIgnoredAndResumeGivesTheLightsBack) {
    ui::SendMessage(Window().GetHWND(), app::WM_POWERBROADCAST, app::PBT_APMSUSPEND, 0);
    EXPECT_FALSE(Keyboard()->HostLightControl());
    ui::SendMessage(Window().GetHWND(), app::Messages().game[0], 0, 2);
    EXPECT_TRUE(ModesWritten(*keyboard).empty());
    ui::SendMessage(Window().GetHWND(), app::WM_POWERBROADCAST, app::PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(Received(*keyboard, CMD_HOST_LIGHT_ON));
    ui::SendMessage(Window().GetHWND(), app::Messages().game[0], 0, 2);
    EXPECT_EQ(ModesWritten(*keyboard), std::vector<int>{2});
}

TEST_F(WindowMessagesTest, ColourSlidersWriteTheirLabelAndUnbuiltRoutesSaySo) {
    ui::CControlUI* control = Find("G_light_slider");
    ASSERT_NE(control, nullptr);
    static_cast<ui::CSliderUI*>(control->GetInterface("Slider"))->SetValue(7);
    Window().PaintManager().SendNotify(control, ui::kNotifyValueChanged);
    EXPECT_EQ(Find("G_light_label")->GetText(), "G 7");
}

TEST_F(WindowMessagesTest, SelectorEntriesStepAndALostEntryHandsOverTheSelection) {
    app::DeviceSelector& selector = Window().Selector();
    const int keyboardEntry = Keyboard()->SelectorValue();
    auto mouse = Plug("mouse");
    ASSERT_TRUE(PumpUntil([&] { return selector.ShownCount() == 2; }));
    const int current = selector.SelectedIndex();  // the mouse, which came last
    ASSERT_NE(current, keyboardEntry);
    Click(current < keyboardEntry ? "device_select_next" : "device_select_prev");
    EXPECT_EQ(selector.SelectedIndex(), keyboardEntry);
    Click(current < keyboardEntry ? "device_select_next" : "device_select_prev");
    EXPECT_EQ(selector.SelectedIndex(), keyboardEntry);  // nothing beyond it
    // Message 3331 with lParam 0: the keyboard's entry goes, the mouse's is selected.
    ui::SendMessage(Window().GetHWND(), 3331, static_cast<ui::WPARAM>(keyboardEntry), 0);
    EXPECT_FALSE(selector.Entry(keyboardEntry)->IsOwnVisible());
    EXPECT_EQ(selector.SelectedIndex(), current);
    EXPECT_FALSE(Find("No_device_Link")->IsOwnVisible());
    // And lParam 1 shows it again without taking the selection.
    ui::SendMessage(Window().GetHWND(), 3331, static_cast<ui::WPARAM>(keyboardEntry), 1);
    EXPECT_TRUE(selector.Entry(keyboardEntry)->IsOwnVisible());
    EXPECT_EQ(selector.SelectedIndex(), current);
}

TEST_F(WindowMessagesTest, WithFewerThanTwoDevicesShownNoDeviceKeepsSynchronisedLighting) {
    auto mouse = Plug("mouse");
    ASSERT_TRUE(PumpUntil([&] { return Window().Selector().ShownCount() == 2; }));
    for (devices::CQuorvaneUSBDevice* device : Window().Devices()->Devices())
        device->Commands().SetSyncLighting(true);
    bus->Unplug(mouse);
    ASSERT_TRUE(PumpUntil([&] { return Window().Selector().ShownCount() == 1; }));
    // Every device that was attached (the others have no kind yet and no part in it).
    for (devices::CQuorvaneUSBDevice* device : Window().Devices()->Devices()) {
        if (device->DeviceKind() != 0) {
            EXPECT_FALSE(device->Commands().SyncLighting()) << device->DeviceKind();
        }
    }
}

TEST_F(WindowMessagesTest, DpiChangeTakesTheSuggestedRectangleAndTheWakeUpLineKeepsItsFormat) {
    ui::UiRect suggested{0, 0, 1200, 768};
    ui::SendMessage(Window().GetHWND(), ui::WM_DPICHANGED, 120,
                    reinterpret_cast<ui::LPARAM>(&suggested));
    EXPECT_EQ(Window().PaintManager().GetDPI(), 120);
    const ui::UiRect rect = Window().Host()->GetRect();
    EXPECT_EQ(rect.right - rect.left, 1200);
    EXPECT_EQ(rect.bottom - rect.top, 768);

    DebugCapture capture;
    const ui::UINT wake = app::Messages().appInstance;
    ui::SendMessage(Window().GetHWND(), wake, 0, 1);
    const auto lines = capture.Lines();
    const std::string expected = "软件标示 " + std::to_string(wake) + "，0d1d";
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end());
}

TEST_F(WindowMessagesTest, FactoryMakesTheEntryAndDeviceClassesByNameInAnyCase) {
    ui::CControlFactory& factory = ui::CControlFactory::GetInstance();
    std::unique_ptr<ui::CControlUI> entry(factory.CreateControl("cdeviceoptionui"));
    ASSERT_NE(entry, nullptr);
    EXPECT_NE(entry->GetInterface("DeviceOption"), nullptr);
    std::unique_ptr<ui::CControlUI> device(factory.CreateControl("CQUORVANEUSBDEVICE"));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->GetClass(), "QuorvaneUSBDevice");
    std::unique_ptr<ui::CControlUI> keyboard(
        devices::CreateDeviceControl("quorvaneKeyboardDevice", bus));
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->GetClass(), "QuorvaneKeyboardDevice");
}

}  // namespace
}  // namespace vivori::testing
