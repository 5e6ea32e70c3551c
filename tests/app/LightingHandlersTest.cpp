// The lighting panel on the keyboard page, driven as the user drives it, against the
// simulated devices: what reaches the device's memory, and synchronised lighting.
#include "AppFixture.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/KeyboardSettingsBlock.h"
#include "panels/CLightControlUI.h"
#include "sim/SimProduct.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

namespace lb = devices::light_byte;

// The mouse page's device until the mouse lands: two LEDs, and its light mode written
// as one settings byte.
class TestMouse : public devices::CQuorvaneUSBDevice {
  public:
    explicit TestMouse(std::shared_ptr<hid::HidBus> bus) : CQuorvaneUSBDevice(std::move(bus)) {
        deviceKind_ = kKindMouse;
        SetLedCount(2);
    }
    int WriteSettings() override {
        const uint8_t mode = Light().mode;
        return Commands().WriteParams(&mode, 1, 0);
    }
    // A host of the lighting panel gives it its mode list.
    void BuildPage() override {
        if (panels::CLightControlUI* panel = LightPanel())
            panel->InitModeList(std::vector<std::string>(10, "mode"), std::vector<bool>(10, true),
                                4, 4);
    }
};

class LightingTest : public AppTest {
  protected:
    void StartWithKeyboard(bool withMouse = false) {
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        makeOther = [this](std::string_view name) -> ui::CControlUI* {
            return name == "QuorvaneMouseDevice" ? new TestMouse(bus) : nullptr;
        };
        Start();
        keyboardSim = Plug("keyboard");
        if (withMouse) mouseSim = Plug("mouse");
        ASSERT_TRUE(PumpUntil([&] {
            return Kb() && Kb()->Commands().IsOpen() && Panel(Kb())->GetMode() >= 0 &&
                   (!withMouse || (Mouse() && Mouse()->Commands().IsOpen()));
        }));
        ShowKeyboard();
    }
    devices::CQuorvaneKeyboardDevice* Kb() {
        for (auto* d : Window().DevicesOfKind({kKindKeyboard}))
            if (auto* k = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(d)) return k;
        return nullptr;
    }
    TestMouse* Mouse() {
        for (auto* d : Window().DevicesOfKind({kKindMouse}))
            if (auto* m = dynamic_cast<TestMouse*>(d)) return m;
        return nullptr;
    }
    void ShowKeyboard() {
        Window().ShowSelectorEntry(Kb()->SelectorValue(), true, true);
        ASSERT_EQ(Window().CurrentDevice(), Kb());
    }
    panels::CLightControlUI* Panel(devices::CQuorvaneUSBDevice* device) {
        return device ? device->LightPanel() : nullptr;
    }
    ui::CControlUI* InPanel(std::string_view name) {
        return Panel(Window().CurrentDevice())->Child(name);
    }
    void Notify(std::string_view name, const char* type) {
        ui::CControlUI* control = InPanel(name);
        ASSERT_NE(control, nullptr) << name;
        Window().PaintManager().SendNotify(control, type);
    }
    void ChooseMode(int mode) {
        static_cast<ui::CComboUI*>(InPanel("light_combo_modeSelect"))
            ->SelectItem(mode, false, false);
        Notify("light_combo_modeSelect", ui::kNotifyItemSelect);
    }
    std::vector<uint8_t> LightBlock() {
        auto memory = sim::FirmwareOf(keyboardSim)->Memory(sim::Area::Params);
        return {memory.begin(), memory.begin() + devices::kLightBlockSize};
    }

    std::shared_ptr<sim::SimDevice> keyboardSim;
    std::shared_ptr<sim::SimDevice> mouseSim;
};

TEST_F(LightingTest, ModeChosenInThePanelIsWrittenToTheKeyboardAndShown) {
    StartWithKeyboard();
    auto* combo = static_cast<ui::CComboUI*>(InPanel("light_combo_modeSelect"));
    EXPECT_GT(combo->GetCount(), 20);  // the keyboard's list, from its light names
    ChooseMode(17);
    EXPECT_EQ(Kb()->Light().mode, 17);
    EXPECT_EQ(Kb()->Profile().GetLightInfo().selectItem, 17);
    EXPECT_EQ(LightBlock()[lb::kMode], Kb()->ModeMap()[17]);
    EXPECT_FALSE(InPanel("deng_speed_layout")->IsOwnVisible());
    EXPECT_TRUE(InPanel("light_combo_ZZCCmodeSelectLayout")->IsOwnVisible());
    ChooseMode(1);
    static_cast<ui::CProgressUI*>(InPanel("deng_light_slider"))->SetValue(2);
    Notify("deng_light_slider", ui::kNotifyValueChanged);
    EXPECT_EQ(Kb()->Light().brightness, 2);
    EXPECT_EQ(LightBlock()[lb::kMode], Kb()->ModeMap()[1]);
    EXPECT_EQ(LightBlock()[lb::kBrightness], 2);
    Window().ShowWindow(true);
    EXPECT_TRUE(
        ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/lighting-panel.png"));
}

TEST_F(LightingTest, ColourEditsAreHeldToTheRangeAndClearColourful) {
    StartWithKeyboard();
    ChooseMode(6);
    static_cast<ui::COptionUI*>(InPanel("deng_7color_check"))->Selected(true, false);
    Notify("deng_7color_check", ui::kNotifySelectChanged);
    EXPECT_EQ(Kb()->Light().colourful, 1);
    InPanel("deng_edit_G")->SetText("300");
    Notify("deng_edit_G", ui::kNotifyKillFocus);
    EXPECT_EQ(InPanel("deng_edit_G")->GetText(), "255");
    EXPECT_EQ(Kb()->Light().green, 255);
    EXPECT_EQ(Kb()->Light().colourful, 0);
    EXPECT_FALSE(static_cast<ui::COptionUI*>(InPanel("deng_7color_check"))->IsSelected());
    EXPECT_EQ(LightBlock()[lb::kGreen], 255);
    InPanel("deng_edit_R")->SetText("-4");
    Notify("deng_edit_R", ui::kNotifyKillFocus);
    EXPECT_EQ(InPanel("deng_edit_R")->GetText(), "0");
    EXPECT_EQ(Kb()->Light().red, 0);
    InPanel("deng_edit_B")->SetText("");
    Notify("deng_edit_B", ui::kNotifyKillFocus);
    EXPECT_EQ(InPanel("deng_edit_B")->GetText(), "0");
    EXPECT_EQ(InPanel("deng_colordp_btn")->GetBkColor(), 0xFF00FF00u);
    // A preset sets all three and the palette.
    Window().PaintManager().SendNotify(InPanel("color_option_5"), ui::kNotifyClick);
    EXPECT_EQ(InPanel("deng_edit_B")->GetText(), "255");
    EXPECT_EQ((std::array{Kb()->Light().red, Kb()->Light().green, Kb()->Light().blue}),
              (std::array<uint8_t, 3>{0, 0, 255}));
}

TEST_F(LightingTest, SynchronisedDevicesFollowOneEffectUntilEditedByHand) {
    StartWithKeyboard(true);
    auto* same = InPanel("deng_same_mode");
    ChooseMode(1);
    EXPECT_FALSE(same->IsOwnVisible());
    ChooseMode(5);  // breathing: the group can share it
    EXPECT_TRUE(same->IsOwnVisible());
    Window().PaintManager().SendNotify(same, ui::kNotifyClick);
    EXPECT_TRUE(Kb()->Commands().SyncLighting());
    EXPECT_TRUE(Mouse()->Commands().SyncLighting());
    EXPECT_EQ(Mouse()->Light().mode, 2);  // the mouse's breathing
    EXPECT_EQ(ModesWritten(*mouseSim).back(), 2);
    EXPECT_EQ(Panel(Mouse())->GetMode(), 2);
    // Both show the group's colours, step by step.
    auto changes = [&](devices::CQuorvaneUSBDevice* d) {
        const auto first = d->GetLedColour(0);
        return PumpUntil([&] { return !(d->GetLedColour(0) == first); }, 2000);
    };
    EXPECT_TRUE(changes(Kb()));
    EXPECT_TRUE(changes(Mouse()));
    // Editing the keyboard takes it out; the mouse keeps following.
    static_cast<ui::CProgressUI*>(InPanel("deng_light_slider"))->SetValue(1);
    Notify("deng_light_slider", ui::kNotifyValueChanged);
    EXPECT_FALSE(Kb()->Commands().SyncLighting());
    EXPECT_TRUE(Mouse()->Commands().SyncLighting());
    EXPECT_TRUE(changes(Mouse()));
    // Down to one device: nobody is offered the group, and nobody stays in it.
    bus->Unplug(mouseSim);
    ASSERT_TRUE(PumpUntil([&] { return Window().Selector().ShownCount() == 1; }));
    EXPECT_FALSE(Mouse()->Commands().SyncLighting());
    EXPECT_FALSE(Panel(Kb())->SameModeAllowed());
    ChooseMode(5);
    EXPECT_FALSE(same->IsOwnVisible());
}

}  // namespace
}  // namespace vivori::testing
