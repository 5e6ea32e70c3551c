#include <QImage>
#include <set>
#include <string>

#include "AppFixture.h"
#include "app/CDeviceOptionUI.h"
#include "app/CMainWnd.h"
#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CSelectPanelUI.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "panels/CLightControlUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

// The real keyboard object, with a light output that sends one light frame per call,
// so the frames the simulated keyboard receives count the light clock's ticks.
class FrameCountingKeyboard : public devices::CQuorvaneKeyboardDevice {
  public:
    using CQuorvaneKeyboardDevice::CQuorvaneKeyboardDevice;
    void RefreshLights() override {
        const uint8_t colour[3] = {0x10, 0x20, 0x30};
        Commands().SendLightFrame(colour, sizeof colour);
    }
};

class NotifyRecorder : public ui::INotifyUI {
  public:
    void Notify(ui::TNotifyUI& msg) override {
        if (msg.sType == controls::CSelectPanelUI::kNotifySelectEnd) senders.push_back(msg.pSender);
    }
    std::vector<ui::CControlUI*> senders;
};

class DeviceEntryTest : public AppTest {
  protected:
    void StartWithKeyboard(std::string_view simulated) {
        makeKeyboard = [this] { return new FrameCountingKeyboard(bus); };
        Start();
        devices_.push_back(Plug(simulated));
        ASSERT_TRUE(PumpUntil([&] { return Device() != nullptr; }, 5000));
    }
    devices::CQuorvaneUSBDevice* Device() { return Window().CurrentDevice(); }
    app::CDeviceOptionUI* Entry() {
        return Device() ? Window().Selector().Entry(Device()->SelectorValue()) : nullptr;
    }
    static size_t LightFrames(const sim::SimDevice& device) {
        size_t frames = 0;
        for (const auto& frame : device.ReceivedFrames())
            if (frame[3] == CMD_LIGHT_FRAME) ++frames;
        return frames;
    }
    // Light frames the device receives while the loop runs for ms.
    size_t FramesOver(sim::SimDevice& device, int ms) {
        device.ClearFrames();
        PumpFor(ms);
        return LightFrames(device);
    }
    // A button of the keyboard picture (other panels reuse the names).
    ui::CControlUI* Key(std::string_view name) {
        ui::CControlUI* panel = Find("device_key_light");
        return panel ? Window().PaintManager().FindSubControlByName(panel, name) : nullptr;
    }
    std::vector<std::shared_ptr<sim::SimDevice>> devices_;
};

TEST_F(DeviceEntryTest, DragOverKeyButtonsSelectsExactlyThoseAndTheWindowHearsTheEnd) {
    StartWithKeyboard("keyboard");
    Window().ShowWindow(true);
    ui::CPaintManagerUI& manager = Window().PaintManager();
    manager.LayoutIfNeeded();
    auto* panel = Find("device_key_light");
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->GetClass(), "SelectPanel");
    NotifyRecorder recorder;
    manager.AddNotifier(&recorder);

    // From the gap left of F1 to inside F2: F1 and F2 with their light buttons.
    const ui::UiRect f1 = Key("key_1")->GetPos();
    const ui::UiRect f2 = Key("key_2")->GetPos();
    const ui::UiPoint from{f1.left - 3, f1.top - 3};
    ASSERT_EQ(manager.FindControl(from), panel);
    manager.HandleButtonDown(from);
    manager.HandleButtonUp(from);
    EXPECT_TRUE(recorder.senders.empty()) << "a click without a drag selects nothing";

    manager.HandleButtonDown(from);
    manager.HandleMouseMove({f1.left + 10, f1.top + 10});
    manager.HandleMouseMove({f2.left + 4, f2.top + 4});
    manager.HandleButtonUp({f2.left + 4, f2.top + 4});

    std::set<std::string> selected;
    for (ui::CControlUI* control : manager.FindSubControlsByClass(panel, "DeviceKeyButton")) {
        auto* key = static_cast<devices::IDeviceKeyButton*>(
            control->GetInterface(devices::kDeviceKeyButton));
        if (key && key->InSelection()) selected.insert(control->GetName());
    }
    EXPECT_EQ(selected, (std::set<std::string>{"key_1", "key_2", "light_1", "light_2"}));
    ASSERT_EQ(recorder.senders.size(), 1u);
    EXPECT_EQ(recorder.senders[0], panel);

    // A drag over no key clears every mark and still ends with the notification.
    const ui::UiPoint gap{f1.left - 6, f1.top - 6};
    manager.HandleButtonDown(gap);
    manager.HandleMouseMove({f1.left - 4, f1.top - 4});
    manager.HandleButtonUp({f1.left - 4, f1.top - 4});
    EXPECT_FALSE(static_cast<devices::IDeviceKeyButton*>(
                     Key("key_1")->GetInterface(devices::kDeviceKeyButton))
                     ->InSelection());
    EXPECT_EQ(recorder.senders.size(), 2u);
    manager.RemoveNotifier(&recorder);
}

TEST_F(DeviceEntryTest, LightClockPacesToTheScreenWhileSeenAndIdlesWhileHidden) {
    StartWithKeyboard("keyboard");
    Window().ShowWindow(true);
    Window().SetWindowActive(true);
    auto receiver = Plug("keyboard-receiver");
    sim::SimDevice& cable = *devices_[0];
    ASSERT_TRUE(PumpUntil([&] { return LightFrames(cable) > 5; }, 5000));
    // One picture per refresh of a 60 Hz screen; a loaded machine gets fewer, never more.
    const size_t wired = FramesOver(cable, 1000);
    EXPECT_GE(wired, 20u);
    EXPECT_LE(wired, 64u);
    // Seen but not in use: about 20 pictures a second.
    Window().SetWindowActive(false);
    PumpFor(100);
    const size_t unfocused = FramesOver(cable, 1000);
    EXPECT_GE(unfocused, 6u);
    EXPECT_LE(unfocused, 22u);

    // Hidden, there is nothing to paint: a few look-ins a second.
    Window().ShowWindow(false);
    PumpFor(300);
    EXPECT_LE(FramesOver(cable, 1000), 6u);
    // Shown again, the clock is back at once, not after its slow period.
    Window().ShowWindow(true);
    Window().SetWindowActive(true);
    EXPECT_GE(FramesOver(cable, 200), 4u);

    bus->Unplug(devices_[0]);
    ASSERT_TRUE(PumpUntil(
        [&] {
            return Device() && Device()->Commands().IsReceiverLink() && LightFrames(*receiver) > 2;
        },
        8000));
    // 50 ms a tick through the receiver: about 20 a second.
    const size_t wireless = FramesOver(*receiver, 1000);
    EXPECT_GE(wireless, 6u);
    EXPECT_LE(wireless, 24u);
    EXPECT_LT(wireless, wired);
}

TEST_F(DeviceEntryTest, LinkWatchHidesTheEntryWhenTheReceiversKeyboardGoesAway) {
    StartWithKeyboard("keyboard-receiver");
    app::CDeviceOptionUI* entry = Entry();
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return LightFrames(*devices_[0]) > 0; }, 5000));
    EXPECT_TRUE(entry->IsShown());
    devices_[0]->SetDeviceAway(true);
    // The first watch comes 2 s after the connection, then every 3 s.
    ASSERT_TRUE(PumpUntil([&] { return !entry->IsOwnVisible(); }, 7000));
    EXPECT_FALSE(entry->IsShown());
    EXPECT_EQ(Window().Selector().ShownCount(), 0);
}

TEST_F(DeviceEntryTest, AReceiverWhoseKeyboardIsAwayHandsTheSelectionToAnotherDevice) {
    Start();
    app::DeviceSelector& selector = Window().Selector();
    devices_.push_back(Plug("mouse"));
    ASSERT_TRUE(PumpUntil([&] { return selector.ShownCount() == 1; }, 5000));
    const int mouseEntry = selector.SelectedIndex();
    devices_.push_back(Plug("keyboard-receiver"));
    devices_.back()->SetDeviceAway(true);
    ASSERT_TRUE(PumpUntil([&] { return selector.ShownCount() == 2; }, 5000));
    int keyboardEntry = -1;
    for (int i = 0; i < selector.Count(); ++i)
        if (i != mouseEntry && selector.Entry(i)->IsOwnVisible()) keyboardEntry = i;
    ASSERT_GE(keyboardEntry, 0);
    // The user looks at the keyboard's page before its first connection attempt.
    Window().ShowSelectorEntry(keyboardEntry, true, true);
    ASSERT_TRUE(PumpUntil([&] { return !selector.Entry(keyboardEntry)->IsOwnVisible(); }, 5000));
    EXPECT_EQ(selector.SelectedIndex(), mouseEntry) << "the lost keyboard's page stayed";
}

TEST_F(DeviceEntryTest, UnpluggingStopsTheConnectionTimer) {
    StartWithKeyboard("keyboard-receiver");
    app::CDeviceOptionUI* entry = Entry();
    ASSERT_NE(entry, nullptr);
    devices_[0]->SetDeviceAway(true);  // the connection keeps being retried
    PumpFor(100);
    bus->Unplug(devices_[0]);
    ASSERT_TRUE(PumpUntil([&] { return !entry->IsOwnVisible(); }));
    PumpFor(100);
    ui::CPaintManagerUI& manager = Window().PaintManager();
    EXPECT_FALSE(manager.KillTimer(entry, app::CDeviceOptionUI::kConnectTimer));
    EXPECT_FALSE(manager.KillTimer(entry, app::CDeviceOptionUI::kLinkWatchTimer));
}

TEST_F(DeviceEntryTest, KeyboardPageShowsEachKeysLightInItsTintedColour) {
    StartWithKeyboard("keyboard");
    Window().ShowWindow(true);
    ui::CPaintManagerUI& manager = Window().PaintManager();
    // The page shows once the device has attached and its entry is selected.
    ASSERT_TRUE(PumpUntil([&] { return Key("light_0")->IsVisible(); }, 5000));
    // Connected and read, so the picture is the page as a user sees it.
    ASSERT_TRUE(PumpUntil(
        [&] { return !Device()->Reading() && Device()->LightPanel()->GetMode() >= 0; }, 5000));
    manager.LayoutIfNeeded();
    auto light = [&](std::string_view name) {
        return static_cast<devices::IDeviceKeyButton*>(
            Key(name)->GetInterface(devices::kDeviceKeyButton));
    };
    light("light_0")->SetTint(controls::PackTint(0x00FF00), 255, true);
    light("light_1")->SetTint(controls::PackTint(0x0000FF), 255, true);
    light("light_2")->SetTint(controls::PackTint(0x0000FF), 255, false);

    // The window paints at its DPI, which the main window picks from the screen size.
    const double scale = manager.GetDPI() / 96.0;
    const ui::UiSize size = manager.GetClientSize();
    ui::OffscreenSurface surface(
        {static_cast<int>(size.cx * scale), static_cast<int>(size.cy * scale)});
    surface.Paint(manager);
    ASSERT_TRUE(surface.SavePng(VIVORI_SCREENSHOT_DIR "/keyboard-tinted-keys.png"));
    // The light image is a frame round the keycap: sample just inside its edge.
    auto edge = [&](std::string_view name) {
        const ui::UiRect rect = Key(name)->GetPos();
        return surface.Image().pixelColor(static_cast<int>((rect.left + 1.5) * scale),
                                          static_cast<int>((rect.top + rect.bottom) / 2 * scale));
    };
    const QColor green = edge("light_0");
    EXPECT_GT(green.green(), 150) << green.name().toStdString();
    EXPECT_LT(green.red(), 80);
    EXPECT_LT(green.blue(), 80);
    const QColor blue = edge("light_1");
    EXPECT_GT(blue.blue(), 150) << blue.name().toStdString();
    EXPECT_LT(blue.green(), 80);
    const QColor off = edge("light_2");
    EXPECT_LT(off.blue(), 150) << "a tint that is off shows no light colour";
}

}  // namespace
}  // namespace vivori::testing
