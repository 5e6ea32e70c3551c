#include <gtest/gtest.h>

#include "controls/CMpDevicePowerUI.h"
#include "controls/CustomControls.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CProgressUI.h"

namespace vivori::controls {
namespace {

using devices::PowerRecord;

// The header's power control as the main window builds it, from its layout file.
class PowerControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::CPaintManagerUI::SetResourcePath(VIVORI_SKIN_DIR);
        RegisterCustomControls();
        root = ui::CDialogBuilder().Create("XML/CustomControlXML/MpDevicePower.xml", {}, &paint);
        ASSERT_NE(root, nullptr);
        power = dynamic_cast<CMpDevicePowerUI*>(root);
        ASSERT_NE(power, nullptr);
        paint.AttachDialog(root);
    }
    void Show(int type, PowerRecord record) {
        power->SetDeviceType(type, 0);
        power->ShowPower(record.data(), record.size());
    }
    ui::CControlUI* Child(std::string_view name) { return paint.FindControl(name); }
    int Progress() {
        return static_cast<ui::CProgressUI*>(Child("device_Power_progress")->GetInterface("Progress"))
            ->GetValue();
    }
    bool ProgressShown() { return Child("device_Power_progress")->IsOwnVisible(); }
    std::string Status() { return Child("device_power_status")->GetBkImage(); }

    ui::CPaintManagerUI paint;
    ui::CControlUI* root = nullptr;
    CMpDevicePowerUI* power = nullptr;
};

TEST_F(PowerControlTest, DischargingChargingAndFullDevicesShowTheirLevelAndState) {
    Show(2, {57, 2, 0, 1, 57, 0});  // a mouse on its receiver, on battery
    EXPECT_EQ(Child("device_power_value")->GetText(), "57%");
    EXPECT_EQ(Progress(), 43);
    EXPECT_TRUE(ProgressShown());
    EXPECT_EQ(Status(), "file='power/power.png'");
    EXPECT_TRUE(Child("device_wuxian_logo")->IsOwnVisible());

    Show(2, {60, 1, 0, 1, 60, 0});  // charging through the receiver: no bar
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(Status(), "file='power/powering.png'");
    Show(2, {60, 1, 0, 0, 60, 0});  // charging on its cable: the bar stays
    EXPECT_TRUE(ProgressShown());
    EXPECT_FALSE(Child("device_wuxian_logo")->IsOwnVisible());

    Show(1, {100, 0, 0, 0, 100, 0});
    EXPECT_EQ(Status(), "file='power/powered.png'");
    EXPECT_EQ(Progress(), 0);
    // An unknown charging state leaves the picture as it was.
    Show(1, {90, 7, 0, 0, 90, 0});
    EXPECT_EQ(Status(), "file='power/powered.png'");
    EXPECT_EQ(Child("device_power_value")->GetText(), "90%");
}

TEST_F(PowerControlTest, OnlyAPadShowsAPhone) {
    Show(7, {50, 2, 1, 0, 50, 0});  // a headset's phone byte means nothing
    EXPECT_EQ(Child("device_phone_type")->GetText(), "");
    Show(3, {100, 0, 1, 0, 100, 0});
    EXPECT_EQ(Child("device_phone_type")->GetText(), "Phone_type_iphone");
    // Only the file changes: the layout keeps the picture beside the text.
    EXPECT_EQ(Child("device_phone_type")->GetBkImage(),
              "file='power/Phone_type_iphone.png' dest='0,0,15,24'");
    Show(3, {100, 0, 9, 0, 100, 0});
    EXPECT_EQ(Child("device_phone_type")->GetText(), "Phone_type_no_device");

    power->ShowLayout(false);  // pads and headsets: the battery part is hidden
    EXPECT_FALSE(Child("device_power_Layout")->IsOwnVisible());
}

TEST_F(PowerControlTest, ASilentDeviceIsSaidInWordsInPlaceOfItsBattery) {
    Show(1, {80, 1, 0, 0, 80, 0});
    power->ShowAnswering(false);
    EXPECT_FALSE(Child("device_power_Layout")->IsOwnVisible());
    EXPECT_TRUE(Child("device_state_text")->IsOwnVisible());
    EXPECT_EQ(Child("device_state_text")->GetText(), "device_not_answering_text");
    power->ShowAnswering(true);
    EXPECT_TRUE(Child("device_power_Layout")->IsOwnVisible());
    EXPECT_FALSE(Child("device_state_text")->IsOwnVisible());
    // A kind without a battery part gets none back when its device answers again.
    power->ShowLayout(false);
    power->ShowAnswering(false);
    power->ShowAnswering(true);
    EXPECT_FALSE(Child("device_power_Layout")->IsOwnVisible());
}

TEST(BatteryWatchTest, ALowBatteryIsAnnouncedOncePerDischarge) {
    devices::BatteryWatch watch;
    int a = 0, b = 0;
    EXPECT_FALSE(watch.Update(&a, {40, 2, 0, 1, 40, 0}));
    EXPECT_TRUE(watch.Update(&a, {10, 2, 0, 1, 10, 0}));
    EXPECT_FALSE(watch.Update(&a, {9, 2, 0, 1, 9, 0}));   // the next poll: quiet
    EXPECT_FALSE(watch.Update(&a, {11, 2, 0, 1, 11, 0}));  // wobbling round the line
    EXPECT_FALSE(watch.Update(&a, {8, 2, 0, 1, 8, 0}));
    EXPECT_TRUE(watch.Update(&b, {5, 2, 0, 0, 5, 0}));  // another device has its own
    EXPECT_FALSE(watch.Update(&a, {8, 1, 0, 1, 8, 0}));  // charging
    EXPECT_TRUE(watch.Update(&a, {7, 2, 0, 1, 7, 0}));   // a new discharge
    EXPECT_FALSE(watch.Update(&a, {3, 0, 0, 0, 3, 0}));
}

TEST(BatteryWatchTest, TheToolTipListsEachDeviceWithLevelAndState) {
    EXPECT_EQ(devices::BatteryToolTip("App", {{"Mouse", {57, 1, 0, 1, 57, 0}},
                                              {"Headset", {20, 2, 0, 0, 20, 0}},
                                              {"Keyboard", {100, 0, 0, 0, 100, 0}}}),
              "App\nMouse: 57 % (charging)\nHeadset: 20 %\nKeyboard: 100 % (full)");
}

}  // namespace
}  // namespace vivori::controls
