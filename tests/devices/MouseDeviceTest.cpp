#include "MouseFixture.h"
#include "device/MacroImage.h"
#include "devices/MouseDpiScale.h"
#include "macros/MacroEvents.h"
#include "macros/RecoilPatterns.h"
#include "profiles/JsonFile.h"
#include "ui/core/CSliderUI.h"

namespace vivori::testing {
namespace {

namespace mb = devices::mouse_byte;
using devices::DpiScale;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t at, size_t length) {
    return {bytes.begin() + ptrdiff_t(at), bytes.begin() + ptrdiff_t(at + length)};
}

int Frames(const sim::SimDevice& device, uint8_t command) {
    int count = 0;
    for (const auto& f : device.ReceivedFrames()) count += f[3] == command;
    return count;
}

profiles::DpiStage Stage(uint16_t position, uint8_t red) {
    return {.stageActive = 1, .stageXY = 0, .dpiX = position, .dpiY = position, .red = red};
}

// ---- DPI scale ----

TEST(MouseDpiScale, TypedTextIsTheExactInverseOfTheShownDpiForEveryPosition) {
    for (uint16_t sensor : {uint16_t(0x3395), devices::kWideRangeSensor}) {
        const DpiScale scale{.step = 100, .base = 100, .highest = 120, .sensor = sensor};
        for (int n = 0; n <= scale.highest; ++n) {
            const int dpi = devices::PositionToDpi(scale, n);
            EXPECT_EQ(devices::DpiTextToPosition(scale, std::to_string(dpi)), n)
                << "sensor " << sensor << " position " << n;
            // Values between two shown ones truncate to the lower position.
            if (n < scale.highest) {
                EXPECT_EQ(devices::DpiTextToPosition(scale, std::to_string(dpi + 1)), n);
            }
        }
    }
}

TEST(MouseDpiScale, WideRangeSensorCountsTwoHundredAbovePosition48AndTextsAreClamped) {
    const DpiScale wide{
        .step = 100, .base = 100, .highest = 60, .sensor = devices::kWideRangeSensor};
    EXPECT_EQ(devices::PositionToDpi(wide, 48), 4900);
    EXPECT_EQ(devices::PositionToDpi(wide, 49), 5100);
    // 5100 is what position 49 shows, so it maps back there; 5000 lies between 48 and 49.
    EXPECT_EQ(devices::DpiTextToPosition(wide, "5100"), 49);
    EXPECT_EQ(devices::DpiTextToPosition(wide, "5000"), 48);
    EXPECT_EQ(devices::DpiTextToPosition(wide, "50"), 0);            // below the base
    EXPECT_EQ(devices::DpiTextToPosition(wide, ""), 0);              // empty counts as 0
    EXPECT_EQ(devices::DpiTextToPosition(wide, "99999999999"), 60);  // past the highest
    // Before the information block is read there is no step: nothing divides by it.
    EXPECT_EQ(devices::DpiTextToPosition(DpiScale{}, "800"), 0);
}

// ---- device ----

class MouseWayTest : public MouseDeviceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MouseWayTest, SettingsBlockCarriesTheProfileAndStagesTheProfileLacksAreZero) {
    const bool receiver = GetParam();
    Connect(receiver);
    mouse->SetDpiStages({Stage(7, 0x11), Stage(15, 0x22), Stage(31, 0x33)});
    mouse->SetSystemSettings(10u << 16 | 5, 0u << 16 | 1, 2u << 16 | 3);
    mouse->SetScreenSize(2560, 1440);
    Way(receiver).ClearFrames();
    ASSERT_EQ(mouse->WriteSettings(), CMD_OK);
    const auto block = Slice(Firmware().Memory(Area::Params), 0, devices::kMouseBlockWriteSize);
    EXPECT_EQ(block[mb::kPollingRate], 2);
    EXPECT_EQ(Slice(block, mb::kStages, 9), (std::vector<uint8_t>{1, 0, 7, 0, 7, 0, 0x11, 0, 0}));
    EXPECT_EQ(Slice(block, mb::kStages + 3 * 9, 18), std::vector<uint8_t>(18, 0));
    EXPECT_EQ(block[mb::kFlag], 1);
    EXPECT_EQ(Slice(block, mb::kScreenWidth, 4), (std::vector<uint8_t>{0x00, 0x0A, 0xA0, 0x05}));
    // The shipped profile's light: mode 0 (wave), brightness 4, speed 2 stored as 4 - 2.
    EXPECT_EQ(block[mb::kBrightness], 4);
    EXPECT_EQ(block[mb::kSpeed], 2);
    // The shipped profile selects its first correction, "Off".
    EXPECT_EQ(block[mb::kCorrectMinSquare], 0);
    EXPECT_EQ(Frames(Way(receiver), CMD_LINK_CHECK) > 0, receiver);
    EXPECT_FALSE(Firmware().InConfiguration());
}

TEST_P(MouseWayTest, MacroBeyondTheMacroListFallsBackAndUsedMacrosAreRenumbered) {
    const bool receiver = GetParam();
    AddMacro(2);
    AddMacro(3);
    Connect(receiver);
    auto keys = mouse->KeyAssignments();
    ASSERT_EQ(keys.size(), 11u);
    keys[3].current = profiles::KeyAssign::FromCode(3, 0x700100);  // macro 1
    keys[4].current = profiles::KeyAssign::FromCode(4, 0x700500);  // macro 5: not listed
    mouse->SetKeyAssignments(keys);
    EXPECT_EQ(mouse->CollectUsedMacros(), std::vector<int>{1});
    ASSERT_EQ(mouse->WriteKeyTableFromProfile(), CMD_OK);
    const auto map = Firmware().Memory(Area::KeyMap);
    EXPECT_EQ(Slice(map, 3 * 3, 3), (std::vector<uint8_t>{0x70, 0x00, 0x00}));  // first used
    EXPECT_EQ(Slice(map, 4 * 3, 3), (std::vector<uint8_t>{0x10, 0x08, 0x00}));  // its default
    ASSERT_EQ(mouse->WriteMacros(), CMD_OK);
    const auto image = Firmware().Memory(Area::Macros);
    EXPECT_EQ(image[4], 1);  // one macro, the 3-event one
    EXPECT_EQ(image[16 + 2], 3);
}

TEST_P(MouseWayTest, RecoilImageReachesTheRecoilMemoryByteForByte) {
    const bool receiver = GetParam();
    Connect(receiver);
    // Pattern 2 is the user's own; the others are the shipped defaults.
    WriteText(folder / "ShootData_2.Shoot",
              R"({"Events":[{"Action":"down","Button":300,"Delay":95,"Type":133},)"
              R"({"Action":"up","Button":12,"Delay":"70000","Type":5}],"Extra":1})");
    const auto patterns = macros::ReadRecoilPatterns(folder, temp.Folders().DefaultDataFolder());
    ASSERT_EQ(patterns[2].size(), 2u);
    EXPECT_EQ(patterns[2][0].button, 255);   // clamped to the record's byte
    EXPECT_EQ(patterns[2][0].type, 127);     // clamped below the press bit
    EXPECT_EQ(patterns[2][1].delay, 65535);  // clamped
    EXPECT_EQ(patterns[0].size(), 180u);     // 30 bullets of six events
    const MacroImage expected = BuildShootImage(patterns);
    const macros::MacroUploadResult result = mouse->WriteShootData();
    ASSERT_EQ(result.result, CMD_OK);
    EXPECT_EQ(result.bytes, expected.bytes.size());
    EXPECT_EQ(Slice(Firmware().Memory(Area::Shoot), 0, expected.bytes.size()), expected.bytes);
    EXPECT_FALSE(Firmware().InConfiguration());
}

INSTANTIATE_TEST_SUITE_P(BothLinks, MouseWayTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Cable"; });

TEST_F(MouseDeviceTest, MacroImageTooLargeIsRefusedWithTheCountAndNothingIsSent) {
    AddMacro(70);
    Firmware().Store(Area::Info, kInfoMacroUnits, std::vector<uint8_t>{2});  // 256 bytes
    Connect(false);
    auto keys = mouse->KeyAssignments();
    keys[3].current = profiles::KeyAssign::FromCode(3, 0x700000);
    mouse->SetKeyAssignments(keys);
    Cable().ClearFrames();
    // 16 + 6 + 4 x 70 = 302 bytes: 46 over, so (46 / 4) + 1 events too many.
    const macros::MacroUploadResult result = mouse->WriteMacroList(mouse->CollectUsedMacros());
    EXPECT_EQ(result.eventsTooMany, 12);
    EXPECT_EQ(Frames(Cable(), CMD_WRITE_MACROS), 0);
    EXPECT_EQ(Frames(Cable(), CMD_CONFIG_BEGIN), 0);
    EXPECT_NE(mouse->WriteMacros(), CMD_OK);
}

TEST_F(MouseDeviceTest, ARecoilImagePastTheFormatLimitIsRefused) {
    Connect(false);
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < 16400; ++i) events.append(macros::MakeEventObject(true, 1, 1, 10));
    Json::Value document;
    document["Events"] = events;
    ASSERT_TRUE(profiles::WriteJsonFile(folder / "ShootData_0.Shoot", document));
    Cable().ClearFrames();
    const macros::MacroUploadResult result = mouse->WriteShootData();
    EXPECT_GT(result.eventsTooMany, 0);
    EXPECT_EQ(Frames(Cable(), CMD_WRITE_SHOOT), 0);
}

TEST_F(MouseDeviceTest, ConnectingFindsTheButtonSlotsAndTheDpiRange) {
    // A reassigned button keeps its own slot; a slot holding another button's factory
    // code does not take it.
    Firmware().Store(Area::KeyMap, 9 * 3, std::vector<uint8_t>{0x20, 0x00, 0x04});
    Connect(false);
    EXPECT_EQ(mouse->KeySlotCount(), 11);
    for (int j = 0; j < 11; ++j) EXPECT_EQ(mouse->DefaultKeyMap()[size_t(j)], j);
    auto* slider = Find<ui::CSliderUI>("DPI_slider_0");
    EXPECT_EQ(slider->GetMaxValue(), 519);
    // The shipped profile's stage 0 is position 7: 7 x 50 + 100 DPI.
    EXPECT_EQ(Find<ui::CControlUI>("DPI_edit_0")->GetText(), "450");
    EXPECT_TRUE(Selected("DPI_select_check_1"));  // the shipped profile's current stage
    EXPECT_TRUE(Selected("polling_rate_option_3"));
    // The button summary lists the buttons the page has.
    const auto rows = mouse->ButtonSummary();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].first, "mouse_key_left");
    EXPECT_EQ(rows[0].second, "mouse_key_left");
}

TEST_F(MouseDeviceTest, ReadingTheCurrentProfileBlockTakesItsLightAndStageIntoTheProfile) {
    Connect(false);
    Firmware().Store(Area::Params, 0, std::vector<uint8_t>{3});
    Firmware().Store(Area::Params, 3 * 128 + 1, std::vector<uint8_t>{6, 2, 1, 0, 0, 1, 2, 3});
    Firmware().Store(Area::Params, 3 * 128 + mb::kDpiStage, std::vector<uint8_t>{4});
    int profile = -1;
    ASSERT_EQ(mouse->ReadCurrentSettings(&profile), CMD_OK);
    EXPECT_EQ(profile, 3);
    EXPECT_EQ(mouse->Light().mode, 6);
    EXPECT_EQ(mouse->Light().speed, 3);
    EXPECT_EQ(mouse->CurrentDpiStage(), 4);
    const Json::Value device = profiles::ReadJsonFile(profilePath)["Device"][0];
    EXPECT_EQ(device["LightInfo"]["SelectItem"].asInt(), 6);
    EXPECT_EQ(device["DPIStages"]["StageActive"].asInt(), 4);
    // A failed read keeps what was read before.
    Cable().InjectFault({.kind = sim::FaultRule::StatusFF, .command = CMD_READ_PARAMS});
    EXPECT_NE(mouse->ReadCurrentSettings(), CMD_OK);
    EXPECT_EQ(mouse->CurrentProfileIndex(), 3);
}

TEST_F(MouseDeviceTest, NotificationSwitchesProfileAndStageOnTheUiThread) {
    Connect(false);
    ASSERT_FALSE(Selected("DPI_select_check_2"));
    Cable().SendNotification(0x1123);
    // The reader only posts: nothing changes until the UI thread runs its messages.
    Sleep(100);
    EXPECT_FALSE(Selected("DPI_select_check_2"));
    ASSERT_TRUE(PumpUntil([&] { return Selected("DPI_select_check_2"); }));
    EXPECT_EQ(mouse->CurrentProfileIndex(), 3);
    EXPECT_EQ(mouse->CurrentDpiStage(), 2);
    EXPECT_FALSE(Selected("DPI_select_check_1"));
}

TEST_F(MouseDeviceTest, SyncRequestRereadsTheDevice) {
    Connect(false);
    Firmware().Store(Area::Params, mb::kDpiStage, std::vector<uint8_t>{3});
    Cable().SendNotification(CQuorvaneMouseDevice::kCodeSync);
    ASSERT_TRUE(PumpUntil([&] { return Selected("DPI_select_check_3"); }));
}

TEST_F(MouseDeviceTest, TheLastEnabledStageCannotBeDisabled) {
    Connect(false);
    // The current stage (1) locks its own check; disable the others one by one.
    for (int i : {0, 2, 3, 4}) {
        Find<ui::COptionUI>("DPI_enable_check_" + std::to_string(i))->Selected(false, false);
        mouse->OnStageEnabled(i);
    }
    auto* last = Find<ui::COptionUI>("DPI_enable_check_1");
    EXPECT_TRUE(last->IsSelected());
    EXPECT_FALSE(last->IsEnabled());
    // A click that gets through anyway still leaves it on, on the mouse too.
    last->Selected(false, false);
    mouse->OnStageEnabled(1);
    EXPECT_TRUE(last->IsSelected());
    const auto params = Firmware().Memory(Area::Params);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(params[mb::kStages + size_t(i) * 9], i == 1 ? 1 : 0) << i;
}

TEST_F(MouseDeviceTest, PageReactionsSaveAndWrite) {
    Connect(false);
    // Three stages in the profile: releasing slider 4 extends the list to five.
    mouse->SetDpiStages({Stage(7, 1), Stage(15, 2), Stage(31, 3)});
    ASSERT_EQ(mouse->CommitStagePosition(4, 99), CMD_OK);
    EXPECT_EQ(mouse->GetDpiStages().size(), 5u);
    const auto params = Firmware().Memory(Area::Params);
    EXPECT_EQ(params[mb::kStages + 4 * 9 + 2], 99);
    // A typed DPI goes through the same scale.
    Find<ui::CControlUI>("DPI_edit_2")->SetText("1600");
    ASSERT_EQ(mouse->CommitStagePosition(2, mouse->EditToSliderPosition(2)), CMD_OK);
    EXPECT_EQ(mouse->GetDpiStages()[2].dpiX, 30);
    ASSERT_EQ(mouse->OnStageColour(0, 0x123456), CMD_OK);
    EXPECT_EQ(Slice(Firmware().Memory(Area::Params), mb::kStages + 6, 3),
              (std::vector<uint8_t>{0x12, 0x34, 0x56}));
    ASSERT_EQ(mouse->OnPollingOption(7), CMD_OK);  // out of range: option 0
    EXPECT_TRUE(Selected("polling_rate_option_0"));
    EXPECT_EQ(Firmware().Memory(Area::Params)[mb::kPollingRate], 0);
    ASSERT_EQ(mouse->OnStageSelected(4), CMD_OK);
    EXPECT_EQ(Firmware().Memory(Area::Params)[mb::kDpiStage], 4);
    // The pointer and wheel controls reach the profile file, not the mouse.
    Cable().ClearFrames();
    Find<ui::CSliderUI>("scroll_speed_slider")->SetValue(7);
    mouse->OnSystemControl("scroll_speed_slider");
    EXPECT_EQ(Frames(Cable(), CMD_WRITE_PARAMS), 0);
    const Json::Value device = profiles::ReadJsonFile(profilePath)["Device"][0];
    EXPECT_EQ(device["SystemStages"]["WheelScorlllinse"].asInt(), 7);
    EXPECT_EQ(device["ReportStages"]["StageActive"].asInt(), 0);
    EXPECT_EQ(device["DPIStages"]["StageDPIs"][4]["StageDPIX"].asInt(), 99);
}

TEST_F(MouseDeviceTest, WritersDoNothingOnAClosedTransportAndStopWhenTheMouseIsAway) {
    EXPECT_EQ(mouse->WriteSettings(), CMD_NO_REPLY);
    EXPECT_EQ(mouse->WriteKeyTableFromProfile(), CMD_NO_REPLY);
    EXPECT_EQ(mouse->WriteShootData().result, CMD_NO_REPLY);
    EXPECT_TRUE(Cable().ReceivedFrames().empty());
    Connect(true);
    Receiver().ClearFrames();
    Receiver().SetDeviceAway(true);
    EXPECT_EQ(mouse->WriteSettings(), CMD_LINK_DOWN);
    EXPECT_EQ(mouse->WriteShootData().result, CMD_LINK_DOWN);
    EXPECT_EQ(Frames(Receiver(), CMD_WRITE_PARAMS), 0);
    EXPECT_EQ(Frames(Receiver(), CMD_WRITE_SHOOT), 0);
}

}  // namespace
}  // namespace vivori::testing
