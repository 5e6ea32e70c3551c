// The lighting panel on the device pages, driven as the user drives it, against the
// simulated devices: what reaches each device's memory and its profile file, and
// synchronised lighting.
#include "AppFixture.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "devices/KeyboardSettingsBlock.h"
#include "lighting/LightTypes.h"
#include "panels/CLightControlUI.h"
#include "profiles/JsonFile.h"
#include "sim/SimProduct.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

namespace lb = devices::light_byte;
namespace mb = devices::mouse_byte;
using devices::CQuorvaneMouseDevice;

class LightingTest : public AppTest {
  protected:
    void StartWithKeyboard(bool withMouse = false) {
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        Start();
        keyboardSim = Plug("keyboard");
        if (withMouse) mouseSim = Plug("mouse");
        ASSERT_TRUE(PumpUntil([&] {
            return Kb() && Kb()->Commands().IsOpen() && Panel(Kb())->GetMode() >= 0 &&
                   (!withMouse ||
                    (Mouse() && Mouse()->Commands().IsOpen() && Panel(Mouse())->GetMode() >= 0));
        }));
        ShowPage(Kb());
    }
    // The mouse alone, with a profile of its own selected, its page shown.
    void StartWithMouse() {
        SelectProfile(profiles::kMouseFolder);
        Start();
        mouseSim = Plug("mouse");
        ASSERT_TRUE(PumpUntil([&] {
            return Mouse() && Mouse()->Commands().IsOpen() && Panel(Mouse())->GetMode() >= 0;
        }));
        ShowPage(Mouse());
    }
    static void SelectProfile(std::string_view kind) {
        const auto folder = profiles::DataFolders::FromEnvironment().DataFolder(std::string(kind));
        ASSERT_TRUE(profiles::WriteJsonFile(
            folder / "ProfileList.ini",
            *profiles::ParseJsonText(R"({"profilelist":[{"profilename":"P","profileUUID":"p"}],)"
                                     R"("profileselect":0})")));
    }
    devices::CQuorvaneKeyboardDevice* Kb() {
        return DeviceOf<devices::CQuorvaneKeyboardDevice>(kKindKeyboard);
    }
    CQuorvaneMouseDevice* Mouse() { return DeviceOf<CQuorvaneMouseDevice>(kKindMouse); }
    void ShowPage(devices::CQuorvaneUSBDevice* device) {
        Window().ShowSelectorEntry(device->SelectorValue(), true, true);
        ASSERT_EQ(Window().CurrentDevice(), device);
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
    void MoveSlider(std::string_view name, int value) {
        static_cast<ui::CProgressUI*>(InPanel(name))->SetValue(value);
        Notify(name, ui::kNotifyValueChanged);
    }
    std::vector<uint8_t> LightBlock() {
        auto memory = sim::FirmwareOf(keyboardSim)->Memory(sim::Area::Params);
        return {memory.begin(), memory.begin() + devices::kLightBlockSize};
    }
    // The mouse's block of profile 0, which every settings write goes to.
    std::vector<uint8_t> MouseBlock() {
        auto memory = sim::FirmwareOf(mouseSim)->Memory(sim::Area::Params);
        return {memory.begin(), memory.begin() + devices::kMouseBlockWriteSize};
    }
    // The "LightInfo" of the mouse's profile file.
    Json::Value MouseLightFile() {
        return profiles::ReadJsonFile(
            Mouse()->Profile().GetProfilePath())["Device"][0]["LightInfo"];
    }
    // Picks a row of the profile list as the user does, and waits for the switch.
    void ChooseProfile(int row) {
        auto* panel = Window().PaintManager().FindSubControlByClass(Kb(), "DeviceProfileUI");
        auto* combo = static_cast<ui::CComboUI*>(
            Window().PaintManager().FindSubControlByName(panel, "device_profile_combo"));
        const size_t before = WritesTo(*keyboardSim);
        combo->SelectItem(row, false, true);
        ASSERT_TRUE(PumpUntil([&] { return WritesTo(*keyboardSim) > before; }, 3000));
        PumpFor(50);
    }
    size_t WritesTo(const sim::SimDevice& device) {
        size_t writes = 0;
        for (const auto& frame : device.ReceivedFrames())
            if (frame[3] == CMD_WRITE_PARAMS) ++writes;
        return writes;
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
    SelectProfile(profiles::kMouseFolder);
    StartWithKeyboard(true);
    auto* same = InPanel("deng_same_mode");
    ChooseMode(1);
    EXPECT_FALSE(same->IsOwnVisible());
    ChooseMode(5);  // breathing: the group can share it
    EXPECT_TRUE(same->IsOwnVisible());
    Window().PaintManager().SendNotify(same, ui::kNotifyClick);
    EXPECT_TRUE(Kb()->Commands().SyncLighting());
    EXPECT_TRUE(Mouse()->Commands().SyncLighting());
    // The mouse's breathing reaches the mouse, its profile and its panel.
    EXPECT_EQ(Mouse()->Light().mode, 2);
    EXPECT_EQ(MouseBlock()[mb::kMode], Mouse()->ModeMap()[2]);
    EXPECT_EQ(MouseLightFile()["SelectItem"].asInt(), 2);
    EXPECT_EQ(Panel(Mouse())->GetMode(), 2);
    // Both show the group's colours, step by step.
    auto changes = [&](devices::CQuorvaneUSBDevice* d) {
        const auto first = d->GetLedColour(0);
        return PumpUntil([&] { return !(d->GetLedColour(0) == first); }, 2000);
    };
    EXPECT_TRUE(changes(Kb()));
    EXPECT_TRUE(changes(Mouse()));
    // Editing the keyboard takes it out; the mouse keeps following.
    MoveSlider("deng_light_slider", 1);
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

TEST_F(LightingTest, MousePanelShowsItsProfileAndEditsReachTheMouseAndTheProfile) {
    StartWithMouse();
    // The profile's Wave, colourful, red, as the panel shows it.
    auto* modes = static_cast<ui::CComboUI*>(InPanel("light_combo_modeSelect"));
    EXPECT_EQ(modes->GetCount(), 10);
    EXPECT_EQ(Panel(Mouse())->GetMode(), 0);
    EXPECT_EQ(InPanel("deng_edit_R")->GetText(), "255");
    EXPECT_EQ(InPanel("deng_edit_G")->GetText(), "0");
    EXPECT_TRUE(Panel(Mouse())->GetColourful());
    EXPECT_EQ(Panel(Mouse())->GetBrightness(), 4);

    // A preset colour: one colour, on the mouse and in the profile.
    Notify("color_option_3", ui::kNotifyClick);  // green
    EXPECT_EQ((std::array{MouseBlock()[mb::kColourful], MouseBlock()[mb::kRed],
                          MouseBlock()[mb::kGreen], MouseBlock()[mb::kBlue]}),
              (std::array<uint8_t, 4>{0, 0, 255, 0}));
    EXPECT_EQ(MouseLightFile()["Green"].asInt(), 255);
    EXPECT_EQ(MouseLightFile()["Red"].asInt(), 0);
    EXPECT_EQ(MouseLightFile()["MultiColor"].asInt(), 0);
    // Brightness keeps the new colour.
    MoveSlider("deng_light_slider", 2);
    EXPECT_EQ(MouseBlock()[mb::kBrightness], 2);
    EXPECT_EQ(MouseBlock()[mb::kGreen], 255);
    EXPECT_EQ(MouseLightFile()["Light"].asInt(), 2);
    // Another mode, and the panel follows it.
    ChooseMode(3);
    EXPECT_EQ(MouseBlock()[mb::kMode], Mouse()->ModeMap()[3]);
    EXPECT_EQ(MouseLightFile()["SelectItem"].asInt(), 3);
    EXPECT_FALSE(InPanel("deng_speed_layout")->IsOwnEnabled());  // static: no speed

    // The mode list open over the page.
    Window().ShowWindow(true);
    ASSERT_TRUE(modes->Activate());
    ASSERT_TRUE(modes->IsDropped());
    PumpFor(100);
    EXPECT_TRUE(
        ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/mouse-lighting.png"));
    modes->CloseDrop();
}

TEST_F(LightingTest, GroupsTheModeDisablesTakeNoInput) {
    StartWithKeyboard();
    ChooseMode(30);  // external colour: brightness only
    const auto block = LightBlock();
    const size_t writes = WritesTo(*keyboardSim);
    Notify("color_option_3", ui::kNotifyClick);
    MoveSlider("deng_speed_slider", 0);
    Notify("deng_FXR_check", ui::kNotifySelectChanged);
    EXPECT_EQ(WritesTo(*keyboardSim), writes);
    EXPECT_EQ(LightBlock(), block);
    EXPECT_EQ(Kb()->Profile().GetLightInfo().selectItem, 30);
    // What the mode leaves enabled still writes.
    MoveSlider("deng_light_slider", 1);
    EXPECT_EQ(LightBlock()[lb::kBrightness], 1);
}

TEST_F(LightingTest, ClickingTheCurrentDeviceKeepsItCurrent) {
    StartWithKeyboard(true);
    auto* option = static_cast<ui::COptionUI*>(
        Window().Selector().Entry(Kb()->SelectorValue())->SelectOption());
    ASSERT_TRUE(option->IsSelected());
    ASSERT_TRUE(option->Activate());  // the click a user makes on the icon
    EXPECT_TRUE(option->IsSelected());
    EXPECT_EQ(Window().CurrentDevice(), Kb());
    // The page's edits still reach the keyboard.
    MoveSlider("deng_light_slider", 1);
    EXPECT_EQ(LightBlock()[lb::kBrightness], 1);
}

TEST_F(LightingTest, OnlyDevicesThatTakeADirectionOfferIt) {
    StartWithKeyboard(true);
    auto padSim = Plug("pad");
    devices::CQuorvaneMousePadDevice* pad = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        pad = DeviceOf<devices::CQuorvaneMousePadDevice>(kKindMousePad);
        return pad && pad->Commands().IsOpen() && Panel(pad)->GetMode() >= 0;
    }));
    EXPECT_FALSE(Panel(pad)->Child("deng_fx_layout")->IsOwnVisible());
    EXPECT_TRUE(Panel(Kb())->Child("deng_fx_layout")->IsOwnVisible());
    EXPECT_TRUE(Panel(Mouse())->Child("deng_fx_layout")->IsOwnVisible());
    // No mode of the pad brings it back.
    ShowPage(pad);
    for (int mode = 0; mode < 9; ++mode) {
        ChooseMode(mode);
        EXPECT_FALSE(InPanel("deng_fx_layout")->IsOwnVisible()) << mode;
    }
}

TEST_F(LightingTest, AProfileSwitchBringsTheEngineThePanelAndTheStreamToTheNewProfile) {
    StartWithKeyboard();
    const int wave = Kb()->Light().mode;  // the shipped profile's, a firmware effect
    ASSERT_FALSE(lighting::IsHostDrivenMode(wave));
    // A second profile in the external colour, which the host streams.
    Click("device_add_btn");
    ChooseMode(lighting::kExternalColourMode);
    ASSERT_TRUE(PumpUntil([&] { return Kb()->LightFramesSent() > 5; }));

    ChooseProfile(0);
    EXPECT_EQ(LightBlock()[lb::kMode], Kb()->ModeMap()[size_t(wave)]);
    EXPECT_EQ(Kb()->Light().mode, wave);
    EXPECT_EQ(Panel(Kb())->GetMode(), wave) << "the panel kept the old profile's mode";
    PumpFor(50);  // a frame under way goes out
    const uint64_t sent = Kb()->LightFramesSent();
    PumpFor(300);
    EXPECT_EQ(Kb()->LightFramesSent(), sent) << "the old profile's frames kept streaming";

    ChooseProfile(1);
    EXPECT_EQ(Panel(Kb())->GetMode(), lighting::kExternalColourMode);
    EXPECT_TRUE(PumpUntil([&] { return Kb()->LightFramesSent() > sent + 5; }));
}

TEST_F(LightingTest, TheMusicPanelShowsTheStoredAudioColoursAndEveryStyleKeepsThem) {
    StartWithKeyboard();
    auto stored = [&] {
        return profiles::ReadJsonFile(
            Kb()->Profile().GetProfilePath())["Device"][0]["AudioLightInfo"];
    };
    // The shipped profile: background 0,0,64; foreground 0,255,180 and colourful.
    ASSERT_EQ(stored()["BkColorB"], 64);
    ChooseMode(lighting::kMusicMode);
    EXPECT_EQ(InPanel("deng_audioedit_R")->GetText(), "0");
    EXPECT_EQ(InPanel("deng_audioedit_B")->GetText(), "64");
    auto* styles = static_cast<ui::CComboUI*>(InPanel("light_combo_audiomodeSelect"));
    EXPECT_EQ(styles->GetCount(), 7) << "the engine draws styles 0 to 6";
    for (int style : {6, 5, 2}) {
        styles->SelectItem(style, false, false);
        Notify("light_combo_audiomodeSelect", ui::kNotifyItemSelect);
        const Json::Value audio = stored();
        EXPECT_EQ(audio["AudioMode"], style);
        EXPECT_EQ(audio["BkColorR"], 0) << style;
        EXPECT_EQ(audio["BkColorB"], 64) << style;
        EXPECT_EQ(audio["FgColorG"], 255) << style;
        EXPECT_EQ(audio["FgColorB"], 180) << style;
        EXPECT_EQ(audio["7ColorFlags"], 1) << style;
        EXPECT_EQ(Kb()->GetAudioLightWords().first & 0xFF, uint32_t(style));
    }
}

}  // namespace
}  // namespace vivori::testing
