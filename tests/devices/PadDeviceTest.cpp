#include "VendorFixture.h"
#include "devices/CQuorvaneMousePadDevice.h"

namespace vivori::testing {
namespace {

using devices::CQuorvaneMousePadDevice;
namespace vb = devices::vendor_byte;

constexpr const char* kPadPage = R"(
<QuorvaneMousePadDevice name="mousepad_device">
  <VerticalLayout name="SelectPanel">
    <DeviceKeyButton name="light_0"/><DeviceKeyButton name="light_1"/>
    <DeviceKeyButton name="light_14"/>
  </VerticalLayout>
  <VerticalLayout name="LightControlItem"/>
</QuorvaneMousePadDevice>)";

class PadDeviceTest : public VendorDeviceTest<CQuorvaneMousePadDevice> {
  protected:
    void SetUp() override { Build("pad", kPadPage, 0x1004, 15, "MousePad"); }

    // Profile block 1 current on the pad, with bytes the host never owns.
    void StoreDeviceBlock() {
        Firmware().Store(Area::Params, 0, std::vector<uint8_t>{1});
        std::vector<uint8_t> block(34, 0);
        block[0] = 9;   // replaced by the profile index
        block[vb::kMode] = 13;  // code of index 3
        block[vb::kBrightness] = 2;
        block[vb::kSpeed] = 3;  // speed 1
        block[vb::kDirection] = 1;
        block[vb::kRed] = 0x40;
        for (size_t i = 9; i < 21; ++i) block[i] = uint8_t(0xA0 + i);
        Firmware().Store(Area::Params, 33, block);
    }
};

TEST_F(PadDeviceTest, ConnectingReadsTheBlockAtProfileTimes33AndWritesItAt0WithTheProfileLighting) {
    StoreDeviceBlock();
    Attach();
    device->OnConnected();
    const auto reads = PagesOf(Sim(), CMD_READ_PARAMS);
    ASSERT_GE(reads.size(), 3u);
    EXPECT_EQ(reads[0], (Page{1, 0}));
    // 34 bytes from 33, in the transport's pages.
    EXPECT_EQ(reads[1].offset, 33);
    EXPECT_EQ(reads[1].length + reads[2].length, 34);
    // The shipped profile's lighting: wave, level 4, speed 2, colourful, red.
    EXPECT_EQ(device->Image()[vb::kMode], 0);
    EXPECT_EQ(device->Image()[vb::kProfile], 1);
    EXPECT_TRUE(Received(Sim(), CMD_CONFIG_BEGIN));  // the information block

    Sim().ClearFrames();
    EXPECT_EQ(device->WriteSettings(), CMD_OK);
    EXPECT_EQ(PagesOf(Sim(), CMD_WRITE_PARAMS), (std::vector<Page>{{21, 0}}));
    const auto written = Params(0, 21);
    EXPECT_EQ(written[vb::kProfile], 1);
    EXPECT_EQ(written[vb::kMode], 10);  // index 0 as its code
    EXPECT_EQ(written[vb::kBrightness], 4);
    EXPECT_EQ(written[vb::kSpeed], 2);  // 4 - 2
    EXPECT_EQ(written[vb::kDirection], 1);  // as the pad holds it
    EXPECT_EQ(written[vb::kColourful], 1);
    EXPECT_EQ(written[vb::kRed], 255);
    for (size_t i = 9; i < 21; ++i) EXPECT_EQ(written[i], 0xA0 + i) << i;
    EXPECT_FALSE(Firmware().InConfiguration());
    EXPECT_EQ(device->PreviewRunning(), true);
}

TEST_F(PadDeviceTest, ModeIndexesPastTheListAreWrittenAsTheFirstCodeAndTheImageKeepsThem) {
    Attach();
    device->OnConnected();
    auto light = device->GetLightParameters();
    device->SetLightParameters((light[0] & ~0xFFu) | 9, light[1], light[2], light[3]);
    EXPECT_EQ(device->WriteSettings(), CMD_OK);
    EXPECT_EQ(Params(0, 21)[vb::kMode], 10);
    EXPECT_EQ(device->Image()[vb::kMode], 9);
    device->SetLightParameters((light[0] & ~0xFFu) | 7, light[1], light[2], light[3]);
    device->WriteSettings();
    EXPECT_EQ(Params(0, 21)[vb::kMode], 17);
}

TEST_F(PadDeviceTest, AFailedReadKeepsTheImageAndSaysSo) {
    StoreDeviceBlock();
    Attach();
    int profile = -1;
    ASSERT_EQ(device->ReadCurrentSettings(profile), CMD_OK);
    EXPECT_EQ(profile, 1);
    const devices::VendorBlock before = device->Image();
    EXPECT_EQ(before[vb::kMode], 3);
    EXPECT_EQ(before[vb::kSpeed], 1);
    EXPECT_EQ(before[vb::kRed], 0x40);

    Firmware().Store(Area::Params, 33 + vb::kRed, std::vector<uint8_t>{0x77});
    Sim().InjectFault({.kind = sim::FaultRule::StatusFF, .command = CMD_READ_PARAMS, .skip = 1});
    EXPECT_EQ(device->ReadCurrentSettings(profile), CMD_DEVICE_ERROR_FF);
    EXPECT_EQ(device->Image(), before);
    Sim().InjectFault({.kind = sim::FaultRule::NoReply, .command = CMD_READ_PARAMS});
    EXPECT_NE(device->ReadCurrentSettings(profile), CMD_OK);
    EXPECT_EQ(device->Image(), before);
    EXPECT_EQ(device->ReadCurrentSettings(profile), CMD_OK);
    EXPECT_EQ(device->Image()[vb::kRed], 0x77);
}

TEST_F(PadDeviceTest, WritingAClosedPadSendsNothingAndReportsIt) {
    EXPECT_EQ(device->WriteSettings(), CMD_NO_REPLY);
    int profile = 0;
    EXPECT_EQ(device->ReadCurrentSettings(profile), CMD_NO_REPLY);
    EXPECT_EQ(Sim().ReceivedCount(), 0u);
    Attach();
    Sim().InjectFault({.kind = sim::FaultRule::StatusFE, .command = CMD_WRITE_PARAMS});
    EXPECT_EQ(device->WriteSettings(), CMD_DEVICE_ERROR_FE);
    EXPECT_FALSE(Firmware().InConfiguration());  // ended even so
}

TEST_F(PadDeviceTest, TheSyncNotificationReadsThePadBackIntoTheProfile) {
    Attach();
    device->OnConnected();
    ASSERT_TRUE(OpenNotifications());
    StoreDeviceBlock();
    Sim().ClearFrames();
    Sim().SendNotification(0x0404);  // not a sync request
    Sim().SendNotification(devices::CVendorBlockDevice::kCodeSync);
    ASSERT_TRUE(PumpMessagesUntil([&] { return Received(Sim(), CMD_READ_PARAMS); }, 3000));
    EXPECT_EQ(device->Image()[vb::kMode], 3);
    const Json::Value info = profiles::ReadJsonFile(profilePath)["Device"][0]["LightInfo"];
    EXPECT_EQ(info["SelectItem"].asInt(), 3);
    EXPECT_EQ(info["Speed"].asInt(), 1);
}

TEST_F(PadDeviceTest, ThePreviewAnimatesThePictureOnlyWhileTheHostDrivesTheLights) {
    Attach();
    device->OnConnected();
    device->SetWindowActive(true);
    ASSERT_TRUE(PumpMessagesUntil([&] { return device->PreviewSteps() > 2; }, 3000));
    device->RefreshLights();
    auto* led = dynamic_cast<TestKeyButton*>(paint.FindControl("light_1"));
    ASSERT_NE(led, nullptr);
    EXPECT_GT(led->brightness, 0);
    device->SetHostLightControl(false);
    device->RefreshLights();
    EXPECT_EQ(led->brightness, 0);
    device->StopPreview();
    EXPECT_FALSE(device->PreviewRunning());
}

TEST_F(PadDeviceTest, PowerIsReadOnceAndShowsThePhone) {
    Firmware().SetPhone(1);
    device->ReadPowerStatus();  // closed: nothing
    EXPECT_FALSE(device->HasPowerRecord());
    Attach();
    device->ReadPowerStatus();
    ASSERT_TRUE(device->HasPowerRecord());
    EXPECT_EQ(devices::PhoneOf(device->PowerRecord()), devices::PhoneKind::IPhone);
    EXPECT_EQ(device->PowerRecord()[devices::power_byte::kLink], 0);
    Sim().InjectFault({.kind = sim::FaultRule::StatusFF, .command = CMD_READ_STATUS});
    Firmware().SetPhone(2);
    device->ReadPowerStatus();  // fails: the last record stays
    EXPECT_EQ(devices::PhoneOf(device->PowerRecord()), devices::PhoneKind::IPhone);
}

}  // namespace
}  // namespace vivori::testing
