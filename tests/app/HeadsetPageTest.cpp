// The headset's page in the running application, on a simulated headset and a simulated
// audio chip: the LED preview and output, the profile panel's switch and reset, the
// equaliser's custom curve, and the page's function tabs.
#include <QImage>
#include <QPainter>
#include <map>
#include <tuple>

#include "AppFixture.h"
#include "app/AppMessages.h"
#include "app/CDeviceOptionUI.h"
#include "app/windows/CMsgWnd.h"
#include "controls/CDeviceKeyButtonUI.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "panels/CDeviceProfileUI.h"
#include "profiles/JsonFile.h"
#include "sim/SimAudioChip.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/qt/OffscreenSurface.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::testing {
namespace {

using devices::CQuorvaneRI6533Device;
constexpr int kRec = audio::kFlowRecording;
constexpr int kPlay = audio::kFlowPlayback;

class HeadsetPageTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            shownMessages.push_back(request.text);
            return 1;  // every question answered "yes"
        });
        chip = std::make_shared<sim::SimAudioChip>();
        audio::SetAudioLibrary(chip);
        Start();
        simulated = Plug("headset");
        WaitForHeadset();
    }
    void TearDown() override {
        AppTest::TearDown();
        audio::SetAudioLibrary(nullptr);
    }
    void WaitForHeadset() {
        ASSERT_TRUE(PumpUntil(
            [&] {
                return Headset() && Headset()->Commands().IsOpen() && Headset()->PreviewRunning();
            },
            5000));
        Window().ShowWindow(true);
        ASSERT_TRUE(PumpUntil([&] { return Headset()->IsWindowActive(); }));
    }

    CQuorvaneRI6533Device* Headset() {
        return dynamic_cast<CQuorvaneRI6533Device*>(Window().CurrentDevice());
    }
    ui::CControlUI* InPage(std::string_view name) {
        return Window().PaintManager().FindSubControlByName(Headset(), name);
    }
    panels::CDeviceProfileUI& ProfilePanel() {
        auto* found = Window().PaintManager().FindSubControlByClass(Headset(), "DeviceProfileUI");
        return *static_cast<panels::CDeviceProfileUI*>(found->GetInterface("DeviceProfile"));
    }
    // Picks a profile row as the user does, and waits for the switch it starts.
    void ChooseProfile(int row) {
        auto* combo = static_cast<ui::CComboUI*>(
            Window().PaintManager().FindSubControlByName(&ProfilePanel(), "device_profile_combo"));
        const size_t before = simulated->ReceivedCount();
        combo->SelectItem(row, false, true);
        ASSERT_TRUE(PumpUntil([&] { return simulated->ReceivedCount() > before; }, 3000));
        PumpFor(50);
    }
    void SelectOption(std::string_view name) {
        auto* option = static_cast<ui::COptionUI*>(InPage(name)->GetInterface("Option"));
        option->Selected(true);
        PumpFor(20);
    }
    void MoveSlider(std::string_view name, int value) {
        ui::CControlUI* slider = InPage(name);
        static_cast<ui::CProgressUI*>(slider->GetInterface("Progress"))->SetValue(value);
        Window().PaintManager().SendNotify(slider, ui::kNotifyValueChanged);
        PumpFor(20);
    }
    int SliderValue(std::string_view name) {
        return static_cast<ui::CProgressUI*>(InPage(name)->GetInterface("Progress"))->GetValue();
    }
    Json::Value StoredDevice() {
        return profiles::ReadJsonFile(Headset()->Profile().GetProfilePath())["Device"][0];
    }
    // What the LED buttons of the page show: tint, level and whether it is lit.
    std::vector<std::tuple<uint32_t, int, bool>> LedTints() {
        std::vector<std::tuple<uint32_t, int, bool>> tints;
        for (int i = 0; i < devices::kHeadsetLedCount; ++i) {
            auto* button =
                dynamic_cast<controls::CDeviceKeyButtonUI*>(InPage("light_" + std::to_string(i)));
            if (button) tints.emplace_back(button->Tint(), button->TintLevel(), button->TintOn());
        }
        return tints;
    }
    QImage LedPicture() {
        const ui::UiRect& area = InPage("ri6533_device_key_light")->GetPos();
        const double scale = ui::WindowScale(Window().PaintManager());
        return ui::RenderWindow(Window().PaintManager())
            .copy(int(area.left * scale), int(area.top * scale), int(area.Width() * scale),
                  int(area.Height() * scale));
    }
    size_t LedRoundsOver(int ms) {
        simulated->ClearOutputReports();
        PumpFor(ms);
        return simulated->OutputReports().size() / devices::kLedReportsPerRound;
    }

    std::shared_ptr<sim::SimAudioChip> chip;
    std::shared_ptr<sim::SimDevice> simulated;
};

TEST_F(HeadsetPageTest, ThePreviewMovesAndTheLedsKeepTheirRateWhileTheWindowIsHidden) {
    // The shipped profile runs the colourful wave.
    PumpFor(500);
    const auto firstTints = LedTints();
    ASSERT_EQ(firstTints.size(), size_t(devices::kHeadsetLedCount));
    const QImage first = LedPicture();
    PumpFor(500);
    const auto laterTints = LedTints();
    const QImage later = LedPicture();
    EXPECT_NE(laterTints, firstTints) << "the preview stood still";
    EXPECT_TRUE(std::all_of(laterTints.begin(), laterTints.end(), [](const auto& t) {
        return std::get<2>(t);
    })) << "unlit LED buttons: the page shows white dots";
    EXPECT_NE(later, first);
    // Both pictures in one, the later one below.
    QImage both(first.width(), first.height() + later.height(), QImage::Format_ARGB32);
    QPainter painter(&both);
    painter.drawImage(0, 0, first);
    painter.drawImage(0, first.height(), later);
    painter.end();
    EXPECT_TRUE(both.save(VIVORI_SCREENSHOT_DIR "/headset-preview.png"));

    // The wave moves about fifteen times a second; the headset sees each step.
    EXPECT_GE(LedRoundsOver(1000), 8u);
    Window().ShowWindow(false);
    ASSERT_TRUE(PumpUntil([&] { return !Headset()->IsWindowActive(); }));
    EXPECT_GE(LedRoundsOver(1000), 8u) << "the LEDs slowed down with the window";
}

TEST_F(HeadsetPageTest, ReleasedLightsReachTheHeadsetAndTakingThemBackResumesTheOutput) {
    ASSERT_GT(LedRoundsOver(300), 0u);
    Click("control_light_status");
    EXPECT_FALSE(Headset()->HostLightControl());
    PumpFor(50);  // a round under way ends
    EXPECT_EQ(LedRoundsOver(400), 0u) << "the host kept driving released lights";
    Click("control_light_status");
    EXPECT_TRUE(Headset()->HostLightControl());
    EXPECT_GT(LedRoundsOver(400), 0u);
}

// Hidden with the lights released, nothing is sent and the preview sleeps; lights taken
// back by another program go out as a whole round at once, with nobody looking.
TEST_F(HeadsetPageTest, LightsTakenBackWhileHiddenGoOutWholeAndThePreviewRunsForThem) {
    Click("control_light_status");
    ASSERT_FALSE(Headset()->HostLightControl());
    Window().ShowWindow(false);
    ASSERT_TRUE(PumpUntil([&] { return !Headset()->IsWindowActive(); }));
    PumpFor(100);
    const uint64_t stepsAsleep = Headset()->PreviewSteps();
    EXPECT_EQ(LedRoundsOver(300), 0u);
    EXPECT_EQ(Headset()->PreviewSteps(), stepsAsleep) << "an unseen preview kept stepping";

    simulated->ClearOutputReports();
    ui::SendMessage(Window().GetHWND(), app::Messages().lightControlRequest, 1, 1);
    ASSERT_TRUE(Headset()->HostLightControl());
    ASSERT_TRUE(PumpUntil([&] { return simulated->OutputReports().size() >= 12u; }));
    // The first round carries every report, though the colours did not change.
    EXPECT_EQ(simulated->OutputReports().size() % devices::kLedReportsPerRound, 0u);
    EXPECT_GE(LedRoundsOver(1000), 8u) << "the wave's steps did not reach the headset";
    EXPECT_GT(Headset()->PreviewSteps(), stepsAsleep);
}

// Another device's page in view: the headset's page cannot be seen, so its preview
// sleeps unless it drives the LEDs; back on its page, the picture moves again.
TEST_F(HeadsetPageTest, ThePreviewSleepsWhileAnotherPageIsInView) {
    Click("control_light_status");  // released: the preview only feeds the picture
    Plug("pad");
    devices::CQuorvaneUSBDevice* pad = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            auto found = Window().DevicesOfKind({kKindMousePad});
            pad = found.empty() ? nullptr : found.front();
            return pad != nullptr && pad->Commands().IsOpen();
        },
        5000));
    auto* headset =
        dynamic_cast<CQuorvaneRI6533Device*>(Window().DevicesOfKind({kKindHeadset}).front());
    ASSERT_NE(headset, nullptr);
    app::DeviceSelector& selector = Window().Selector();
    auto entryOf = [&](devices::CQuorvaneUSBDevice* device) {
        for (int i = 0; i < selector.Count(); ++i)
            if (selector.Entry(i) && selector.Entry(i)->Device() == device) return i;
        return -1;
    };
    Window().ShowSelectorEntry(entryOf(pad), true, true);
    ASSERT_TRUE(PumpUntil([&] { return pad->IsWindowActive() && !headset->IsWindowActive(); }));
    PumpFor(100);
    const uint64_t steps = headset->PreviewSteps();
    PumpFor(400);
    EXPECT_EQ(headset->PreviewSteps(), steps);

    Window().ShowSelectorEntry(entryOf(headset), true, true);
    ASSERT_TRUE(PumpUntil([&] { return headset->IsWindowActive() && !pad->IsWindowActive(); }));
    EXPECT_TRUE(PumpUntil([&] { return headset->PreviewSteps() > steps + 2; }));
}

TEST_F(HeadsetPageTest, AProfileSwitchAndAResetSendTheProfilesAudioSettings) {
    Click("device_add_btn");  // a second profile, the headset's now
    ASSERT_EQ(ProfilePanel().GetSelectedIndex(), 1);
    const auto second = *ProfilePanel().GetProfilePathAt(1);
    Json::Value file = profiles::ReadJsonFile(second);
    Json::Value& stages = file["Device"][0]["SystemSetStages"];
    stages["EqType"] = 9;
    stages["MicInSelect"] = 0;
    stages["MicInValue"] = 30;
    stages["MicMoniterSelect"] = 1;
    stages["MicMoniterValue"] = 70;
    stages["MagicEnable"] = 1;
    stages["MagicType"] = 3;
    ASSERT_TRUE(profiles::WriteJsonFile(second, file));
    ChooseProfile(0);

    chip->ClearSets();
    ChooseProfile(1);
    const std::vector<int> preset9 = {8, 2, -4, -8, 1, 3, 8, 11, 14, 16};
    for (int band = 0; band < 10; ++band)
        EXPECT_EQ(chip->Value(kPlay, "EQ_Slider" + std::to_string(band + 1)), preset9[band])
            << "band " << band;
    EXPECT_EQ(chip->Value(kPlay, "Enable_EQ_GFX"), 1);
    EXPECT_EQ(chip->Value(kRec, "MuteControl"), 1);
    EXPECT_NEAR(*chip->Value(kRec, "VolumeScalarControl"), 0.30, 1e-6);
    EXPECT_EQ(chip->Value(kRec, "AAMuteControl"), 0);
    EXPECT_NEAR(*chip->Value(kRec, "AAVolumeScalarControl"), 0.70, 1e-6);
    EXPECT_EQ(chip->Value(kRec, "Enable_MAGICVOICE"), 1);
    EXPECT_EQ(chip->Value(kRec, "Enable_MICECHO"), 0);
    EXPECT_EQ(chip->Value(kRec, "MagicVoice_Selection"), 2);
    EXPECT_EQ(SliderValue("6533_eq_hz_slider_9"), 16);
    // The microphone option now turns it back on: the kept mute state follows.
    EXPECT_TRUE(Headset()->MicMuted());

    // The reset brings the shipped settings: flat, microphone on at 80, no effect.
    Click("device_reset_btn");
    for (int band = 1; band <= 10; ++band)
        EXPECT_EQ(chip->Value(kPlay, "EQ_Slider" + std::to_string(band)), 0) << band;
    EXPECT_EQ(chip->Value(kRec, "MuteControl"), 0);
    EXPECT_NEAR(*chip->Value(kRec, "VolumeScalarControl"), 0.80, 1e-6);
    EXPECT_EQ(chip->Value(kRec, "Enable_MAGICVOICE"), 0);
    EXPECT_EQ(chip->Value(kRec, "MagicVoice_Selection"), 0);
    EXPECT_EQ(StoredDevice()["SystemSetStages"]["MicInValue"], 80);
}

TEST_F(HeadsetPageTest, AMovedBandIsKeptAsTheCustomCurveThroughASaveAndARestart) {
    ASSERT_FALSE(Headset()->Profile().GetProfilePath().empty());
    SelectOption("6533_eq_option_4");
    ASSERT_EQ(StoredDevice()["SystemSetStages"]["EqType"], 4);
    MoveSlider("6533_eq_hz_slider_2", 9);
    EXPECT_EQ(chip->Value(kPlay, "EQ_Slider3"), 9);
    EXPECT_EQ(StoredDevice()["SystemSetStages"]["EqType"], 4) << "a slider move saves nothing";
    // Any later save: the microphone level.
    MoveSlider("6533_MicIn_slider", 40);
    const Json::Value stored = StoredDevice();
    EXPECT_EQ(stored["SystemSetStages"]["EqType"], 13);
    EXPECT_EQ(stored["SystemSetStages"]["CustomEqSeletIndex"], -1);
    const std::vector<int> curve = {2, 1, 9, -3, -5, -7, 0, 4, 9, 8};  // preset 4, band 2 moved
    for (int band = 0; band < 10; ++band)
        EXPECT_EQ(stored["EQHzValueInfo"][13][band]["value"], curve[size_t(band)]) << band;

    application.reset();
    Start();
    WaitForHeadset();
    EXPECT_EQ(Headset()->AudioSettings().eqType, 13);
    EXPECT_EQ(Headset()->EqBands(), std::vector<int32_t>(curve.begin(), curve.end()));
    EXPECT_TRUE(static_cast<ui::COptionUI*>(InPage("6533_eq_option_13")->GetInterface("Option"))
                    ->IsSelected());
    EXPECT_EQ(SliderValue("6533_eq_hz_slider_2"), 9);
    // A name saves the curve as a named setting, which the restart above would show too.
    InPage("custom_eq_name_edit")->SetText("Mine");
    Click("hs_EQ_btn_save");
    EXPECT_EQ(StoredDevice()["SystemSetStages"]["CustomEqSeletIndex"], 0);
    EXPECT_EQ(StoredDevice()["CustomEQHzValueInfo"][0][2]["value"], 9);
}

TEST_F(HeadsetPageTest, CustomWithNoCurveBehindItLoadsAsTheFirstPreset) {
    // As an older save left it: custom, and no custom setting at all.
    Json::Value file = profiles::ReadJsonFile(Headset()->Profile().GetProfilePath());
    file["Device"][0]["SystemSetStages"]["EqType"] = 13;
    file["Device"][0]["SystemSetStages"]["CustomEqSeletIndex"] = 0;
    ASSERT_TRUE(profiles::WriteJsonFile(Headset()->Profile().GetProfilePath(), file));
    Headset()->LoadProfile();
    Headset()->RefreshPage();
    EXPECT_EQ(Headset()->AudioSettings().eqType, 1);
    EXPECT_EQ(Headset()->EqBands(), (std::vector<int32_t>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_TRUE(static_cast<ui::COptionUI*>(InPage("6533_eq_option_1")->GetInterface("Option"))
                    ->IsSelected());
}

TEST_F(HeadsetPageTest, OneRowOfTabsChoosesEachPanelAndSurroundIsNotedAsUnavailable) {
    // Each tab once on the page.
    std::map<std::string, int> tabs;
    Headset()->FindControl(
        [&](ui::CControlUI* c) -> ui::CControlUI* {
            if (c->GetName().find("_Op_tab") != std::string::npos) ++tabs[c->GetName()];
            return nullptr;
        },
        ui::kFindAll);
    for (const auto& [name, count] : tabs) EXPECT_EQ(count, 1) << name;

    EXPECT_FALSE(InPage("Virtual7.1_Op_tab")->IsVisible());
    ui::CControlUI* note = InPage("virtual71_note");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->IsVisible());
    EXPECT_NE(note->GetText().find("7.1"), std::string::npos) << note->GetText();

    auto* panels = static_cast<ui::CTabLayoutUI*>(
        InPage("device_key_function_switch")->GetInterface("TabLayout"));
    auto selected = [&](std::string_view name) {
        return static_cast<ui::COptionUI*>(InPage(name)->GetInterface("Option"))->IsSelected();
    };
    const std::pair<const char*, int> expected[] = {
        {"magic_Op_tab", 2}, {"6533_voice_Op_tab", 1}, {"deng_Op_tab", 0}};
    for (const auto& [tab, panel] : expected) {
        InPage(tab)->Activate();
        PumpFor(20);
        EXPECT_EQ(panels->GetCurSel(), panel) << tab;
        for (const char* other : {"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab"})
            EXPECT_EQ(selected(other), std::string_view(other) == tab) << tab << " / " << other;
    }
    PumpUntil([&] { return Headset()->PreviewSteps() > 5; });
    PumpFor(50);
    EXPECT_TRUE(
        ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/headset-page.png"));
}

}  // namespace
}  // namespace vivori::testing
