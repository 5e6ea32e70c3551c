// Window messages and control notifications of the running main window.
#include "AppFixture.h"
#include "app/AppMessages.h"
#include "platform/Debug.h"
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
    EXPECT_EQ(Find("control_light_status")->GetText(), "不控制灯光");
    EXPECT_FALSE(Keyboard()->HostLightControl());
    EXPECT_FALSE(Received(*keyboard, CMD_HOST_LIGHT_ON));
    // Another program hands the lights back.
    ui::SendMessage(Window().GetHWND(), app::Messages().lightControlRequest, 1, 1);
    EXPECT_EQ(Find("control_light_status")->GetText(), "控制灯光");
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

    DebugCapture capture;
    Click("windowdeviceset_0");
    const auto lines = capture.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SystemInputSettings: not built yet"),
              lines.end());
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

}  // namespace
}  // namespace vivori::testing
