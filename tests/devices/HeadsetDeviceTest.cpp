#include "VendorFixture.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "panels/CMagicControlUI.h"
#include "panels/CVoice6533ControlUI.h"
#include "sim/SimAudioChip.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"

namespace vivori::testing {
namespace {

using devices::CQuorvaneRI6533Device;
using sim::SimAudioChip;
constexpr int kPlay = audio::kFlowPlayback;
constexpr int kRec = audio::kFlowRecording;

// The headset page with both panels, as far as their controls go.
std::string HeadsetPage() {
    std::string page = R"(<QuorvaneRI6533Device name="ri6533_device">
  <VerticalLayout name="SelectPanel"><DeviceKeyButton name="light_0"/></VerticalLayout>
  <MagicControl name="MagicControlItem">
    <Option name="magic_enable_option"/>
    <HorizontalLayout name="magic_option_layout">)";
    for (int n = 1; n <= 4; ++n)
        page += "<Option name=\"magic_option_" + std::to_string(n) + "\" group=\"m\"/>";
    page += R"(</HorizontalLayout></MagicControl>
  <Voice6533Control name="Voice6533ControlItem">
    <Option name="6533_MicIn_option"/><Slider name="6533_MicIn_slider" min="0" max="100"/>
    <Option name="6533_MicMoniter_option"/><Slider name="6533_MicMoniter_slider" min="0" max="100"/>)";
    for (int n = 1; n <= 13; ++n)
        page += "<Option name=\"6533_eq_option_" + std::to_string(n) + "\" group=\"eq\"/>";
    for (int i = 0; i < 10; ++i)
        page += "<Slider name=\"6533_eq_hz_slider_" + std::to_string(i) +
                "\" min=\"-20\" max=\"20\"/>";
    page += R"(<HorizontalLayout name="custom_eq_option_layout">
      <Combo name="custom_eq_name_combo"/><Edit name="custom_eq_name_edit"/>
    </HorizontalLayout>
  </Voice6533Control>
</QuorvaneRI6533Device>)";
    return page;
}

class HeadsetDeviceTest : public VendorDeviceTest<CQuorvaneRI6533Device> {
  protected:
    void SetUp() override {
        ui::CControlFactory::GetInstance().RegistControl(
            "Voice6533Control", [] { return new panels::CVoice6533ControlUI; });
        ui::CControlFactory::GetInstance().RegistControl(
            "MagicControl", [] { return new panels::CMagicControlUI; });
        chip = std::make_shared<SimAudioChip>();
        page = HeadsetPage();
    }
    // Builds the page; InitPage starts the audio library.
    void Make() {
        Build("headset", page, 0x1630, devices::kHeadsetLedCount, "HD", [this](auto& d) {
            d.SetAudioSource([this] { return chip; });
            d.SetMessageSink([this](const std::string& text) { messages.push_back(text); });
        });
    }
    void Connect() {
        Attach();
        device->OnConnected();
    }
    uint16_t CommandUsagePage() const override { return 0x0C; }
    uint16_t CommandUsage() const override { return 0x01; }
    profiles::SystemSetStages Stored() {
        profiles::CRi6533Profiledata data;
        data.Load(profilePath);
        return data.GetSystemSetStages();
    }
    Json::Value StoredDevice() { return profiles::ReadJsonFile(profilePath)["Device"][0]; }
    panels::CVoice6533ControlUI& Voice() {
        return *static_cast<panels::CVoice6533ControlUI*>(
            paint.FindControl("Voice6533ControlItem")->GetInterface("Voice6533Control"));
    }
    std::vector<double> SetValues(const std::string& name) {
        std::vector<double> values;
        for (const auto& call : chip->SetsOf(name)) values.push_back(call.value);
        return values;
    }

    std::shared_ptr<SimAudioChip> chip;
    std::string page;
    std::vector<std::string> messages;
};

TEST(HeadsetLedReportTest, ChannelsAreScaledByBrightnessCappedAt247AndMissingLedsAreZero) {
    std::vector<devices::LedColour> leds(9, {100, 0, 255, 128});
    leds[0] = {255, 255, 255, 255};
    const auto reports = devices::BuildLedReports(leds);
    const std::pair<uint8_t, uint8_t> order[] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA},
                                                 {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
                                                 {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC},
                                                 {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    for (size_t r = 0; r < reports.size(); ++r) {
        EXPECT_EQ(reports[r][0], 0xFF);
        EXPECT_EQ(reports[r][1], order[r].first) << r;
        EXPECT_EQ(reports[r][2], order[r].second) << r;
        EXPECT_EQ(reports[r][3], 0);
        for (size_t i = 11; i < 17; ++i) EXPECT_EQ(reports[r][i], 0);
    }
    const auto& red = reports[0];  // LEDs 0-6
    EXPECT_EQ(red[4], 247);        // 255 at 255: capped
    EXPECT_EQ(red[5], 50);         // 100 at 128
    const auto& redHigh = reports[1];  // LEDs 7-12: only 7 and 8 exist
    EXPECT_EQ(redHigh[4], 50);
    EXPECT_EQ(redHigh[5], 50);
    EXPECT_EQ(redHigh[6], 0);
    EXPECT_EQ(redHigh[10], 0);
    EXPECT_EQ(reports[8][5], 127);  // blue 255 at 128
    EXPECT_EQ(reports[4][5], 0);    // green 0
}

TEST_F(HeadsetDeviceTest, LedRoundsGoOutOnlyWhileTheHostDrivesTheLightsAndOnlyWhenTheyChange) {
    Make();
    Attach();
    for (int led = 0; led < devices::kHeadsetLedCount; ++led)
        device->SetLedColour(led, {10, 20, 30, 255});
    device->SetHostLightControl(false);
    device->RefreshLights();
    EXPECT_TRUE(Sim().OutputReports().empty());
    device->SetHostLightControl(true);
    device->RefreshLights();
    const auto reports = Sim().OutputReports();
    ASSERT_EQ(reports.size(), 12u);
    EXPECT_EQ(reports[0], (std::vector<uint8_t>{0xFF, 0x22, 0xAA, 0, 9, 9, 9, 9, 9, 9, 9, 0, 0, 0,
                                                0, 0, 0}));
    device->RefreshLights();  // nothing changed: no second round
    EXPECT_EQ(Sim().OutputReports().size(), 12u);
    device->SetLedColour(3, {200, 0, 0, 255});
    device->RefreshLights();
    EXPECT_EQ(Sim().OutputReports().size(), 24u);
}

TEST_F(HeadsetDeviceTest, StartPicksTheBestPlaybackDeviceAndRestoresWhatCannotBeRead) {
    chip->SetDevices(kPlay, {{4, 1}, {7, 1}, {12, 0}});
    chip->SetDevices(kRec, {{5, 1}, {2, 0}});
    chip->FailRead("RFX_ROOMSIZE");
    chip->Remove(kRec, "GetAAMaxVol");
    Make();
    EXPECT_EQ(device->PlaybackDevice().type, 7);  // type 12 is not usable, 7 beats 4
    EXPECT_EQ(device->PlaybackDevice().id, 1);
    EXPECT_EQ(device->RecordingDevice().id, 1);  // the first of type 2, whatever its state
    EXPECT_EQ(device->PlaybackFeatures(), (std::array<int32_t, 3>{3, 1, 2}));
    EXPECT_EQ(device->RecordingFeatures(), (std::array<int32_t, 3>{131072, 5, 7}));
    // Only the unreadable property was written, with 0.
    ASSERT_EQ(chip->Sets().size(), 1u);
    EXPECT_EQ(chip->Sets()[0].name, "RFX_ROOMSIZE");
    EXPECT_EQ(chip->Sets()[0].value, 0);
    // The state read: microphone on at 80, no monitor path, so its settings stay.
    EXPECT_EQ(device->AudioSettings().micInSelect, 1);
    EXPECT_EQ(device->AudioSettings().micInValue, 80);
    EXPECT_TRUE(messages.empty());
}

TEST_F(HeadsetDeviceTest, ASixFieldFeatureAnswerIsReportedAndAClearedBitKeepsTheVoiceEffectUnread) {
    chip->SetFeatureText(kPlay, "1,2,3,4,5,6");
    chip->SetFeatureText(kRec, "0,0,0,0,5,0,7");  // no 0x20000
    chip->SetValue(kRec, "Enable_MAGICVOICE", 1);
    chip->SetValue(kRec, "MagicVoice_Selection", 2);
    chip->SetInitResult(3);
    Make();
    EXPECT_EQ(messages, (std::vector<std::string>{"ConfLibInit called failed!",
                                                  "UpdateAPOAvailable failed!"}));
    EXPECT_EQ(device->PlaybackFeatures(), (std::array<int32_t, 3>{0, 0, 0}));
    EXPECT_EQ(device->AudioSettings().magicEnable, 0);  // gated: not read
    EXPECT_EQ(device->AudioSettings().magicType, 3);    // the selection is read anyway
}

TEST_F(HeadsetDeviceTest, AMissingLibraryLeavesTheStoredSettingsAndMakesNoCall) {
    chip->SetMissing(true);
    Make();
    Attach();
    device->OnConnected();
    EXPECT_FALSE(device->AudioReady());
    EXPECT_EQ(chip->InitCalls(), 0);
    device->SetMicLevel(40);  // nothing to set it on: not stored either
    EXPECT_TRUE(chip->Sets().empty());
    EXPECT_NE(device->AudioSettings().micInValue, 40);
}

TEST_F(HeadsetDeviceTest, TheBlockIsReadAtProfileTimes33AndWrittenAt0) {
    Make();
    Firmware().Store(Area::Params, 0, std::vector<uint8_t>{1});
    Firmware().Store(Area::Params, 33 + 1, std::vector<uint8_t>{3 + 10});
    Attach();
    int profile = 0;
    ASSERT_EQ(device->ReadCurrentSettings(profile), CMD_OK);
    EXPECT_EQ(PagesOf(Sim(), CMD_READ_PARAMS)[1].offset, 33);
    EXPECT_EQ(device->Image()[devices::vendor_byte::kMode], 3);
    auto light = device->GetLightParameters();
    device->SetLightParameters((light[0] & ~0xFFu) | 11, light[1], light[2], light[3]);
    Sim().ClearFrames();
    EXPECT_EQ(device->WriteSettings(), CMD_OK);
    EXPECT_EQ(PagesOf(Sim(), CMD_WRITE_PARAMS), (std::vector<Page>{{21, 0}}));
    EXPECT_EQ(Params(0, 2)[1], 10);  // index 11: the map's first code
    EXPECT_EQ(device->Image()[devices::vendor_byte::kMode], 11);
}

TEST_F(HeadsetDeviceTest, EveryPanelActionReachesTheChipAndTheProfile) {
    Make();
    Connect();
    chip->ClearSets();

    device->ToggleMicMute();
    EXPECT_EQ(chip->Value(kRec, "MuteControl"), 1);
    EXPECT_EQ(Stored().micInSelect, 0);
    device->SetMicLevel(35);
    EXPECT_NEAR(*chip->Value(kRec, "VolumeScalarControl"), 0.35, 1e-6);
    EXPECT_EQ(chip->SetsOf("VolumeScalarControl").back().parameter, (audio::Parameter{-1}));
    EXPECT_EQ(Stored().micInValue, 35);
    device->ToggleMonitorMute();  // the chip starts with monitoring muted
    EXPECT_EQ(chip->Value(kRec, "AAMuteControl"), 0);
    EXPECT_EQ(Stored().micMonitorSelect, 1);
    device->SetMonitorLevel(70);
    EXPECT_EQ(chip->SetsOf("AAVolumeScalarControl").back().parameter, (audio::Parameter{0}));
    EXPECT_EQ(Stored().micMonitorValue, 70);

    device->SetVoiceEffect(true);
    EXPECT_EQ(SetValues("Enable_MAGICVOICE"), (std::vector<double>{1}));
    EXPECT_EQ(SetValues("Enable_MICECHO"), (std::vector<double>{0}));
    device->SetVoiceEffect(false);
    EXPECT_EQ(SetValues("Enable_MICECHO").size(), 1u);  // only when switched on
    EXPECT_EQ(Stored().magicEnable, 0);
    device->SelectVoiceEffect(3);
    EXPECT_EQ(chip->Value(kRec, "MagicVoice_Selection"), 2);
    EXPECT_EQ(Stored().magicType, 3);

    device->ApplyPreset(4);
    EXPECT_EQ(chip->Value(kPlay, "Enable_EQ_GFX"), 1);
    EXPECT_EQ(chip->Value(kPlay, "EQ_Slider6"), -7);
    EXPECT_EQ(Stored().eqType, 4);
    EXPECT_EQ(StoredDevice()["EQHzValueInfo"][4][5]["value"].asInt(), -7);
    EXPECT_EQ(Voice().GetBandSlider(5), -7);

    // One band moved under a preset: custom, and only that band is sent.
    chip->ClearSets();
    device->SetBand(2, 9);
    ASSERT_EQ(chip->Sets().size(), 1u);
    EXPECT_EQ(chip->Sets()[0].name, "EQ_Slider3");
    EXPECT_EQ(device->AudioSettings().eqType, 13);
    EXPECT_EQ(Voice().SelectedEqOption(), 13);
}

TEST_F(HeadsetDeviceTest, CustomSettingsAreSavedRefusedAndDeletedFromBothLists) {
    Make();
    Connect();
    device->ApplyPreset(2);
    auto save = [this](const std::string& name, int firstBand) {
        Voice().SetCustomName(name);
        Voice().SetBandSlider(0, firstBand);
        return device->SaveCustom();
    };
    EXPECT_EQ(save("Alpha", 1), 1);
    EXPECT_EQ(save("Beta", 2), 1);
    EXPECT_EQ(save("Gamma", 3), 1);
    EXPECT_EQ(save("BETA", 4), 0);  // a duplicate, whatever its case
    EXPECT_EQ(device->CustomEqNames(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(StoredDevice()["CustomEQHzValueInfo"][1][0]["value"].asInt(), 2);

    Voice().SelectCustomName(1);
    device->DeleteCustom();
    Json::Value stored = StoredDevice();
    ASSERT_EQ(stored["CustomEQNameInfo"].size(), 2u);
    EXPECT_EQ(stored["CustomEQNameInfo"][1]["Name"].asString(), "Gamma");
    // Gamma keeps its own bands: the values left with the name.
    ASSERT_EQ(stored["CustomEQHzValueInfo"].size(), 2u);
    EXPECT_EQ(stored["CustomEQHzValueInfo"][1][0]["value"].asInt(), 3);
    EXPECT_EQ(Stored().customEqSelectIndex, 0);
    EXPECT_EQ(Voice().GetBandSlider(0), 1);

    Voice().SelectCustomName(0);
    device->DeleteCustom();
    Voice().SelectCustomName(0);
    device->DeleteCustom();
    EXPECT_EQ(Stored().eqType, 1);  // none left: back to preset 1
    EXPECT_EQ(StoredDevice()["CustomEQNameInfo"].size(), 0u);
    EXPECT_EQ(StoredDevice()["CustomEQHzValueInfo"].size(), 0u);
    EXPECT_EQ(Voice().SelectedEqOption(), 1);

    for (int i = 0; i < 20; ++i) ASSERT_EQ(save("Set " + std::to_string(i), i), 1);
    EXPECT_EQ(save("One too many", 0), -1);
    Voice().SetCustomName("");
    Voice().SelectCustomName(-1);
    EXPECT_EQ(device->SaveCustom(), -1);  // no name, no selection
}

}  // namespace
}  // namespace vivori::testing
