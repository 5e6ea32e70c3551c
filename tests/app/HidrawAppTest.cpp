// The application on the Linux bus, over a fake sysfs and /dev with a simulated
// keyboard answering on its node.
#include "AppFixture.h"
#include "app/CDeviceOptionUI.h"
#include "app/CMainWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "platform/FakeHidraw.h"

namespace vivori::testing {
namespace {

class HidrawAppTest : public AppTest, public hid::fake::FakeHidraw {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        windowBus = MakeSharedBus();
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(windowBus); };
    }
    // Whether the selector shows a keyboard entry.
    bool KeyboardEntryShown() {
        app::DeviceSelector& selector = Window().Selector();
        for (int i = 0; i < selector.Count(); ++i)
            if (app::CDeviceOptionUI* entry = selector.Entry(i);
                entry && entry->IsOwnVisible() && entry->Device() &&
                entry->Device()->DeviceKind() == kKindKeyboard)
                return true;
        return false;
    }
};

TEST_F(HidrawAppTest, AKeyboardNodeShowsItsEntryAndAReplugOrRemovalIsFollowed) {
    Start();
    PumpFor(300);
    EXPECT_FALSE(KeyboardEntryShown());

    auto keyboard = sim::MakeSimulatedDevice("keyboard");
    hid::fake::SimOnNode answering(*this, "hidraw5", keyboard);
    AddFamilyNode("hidraw5");
    ASSERT_TRUE(PumpUntil([&] { return KeyboardEntryShown(); }, 5000));
    // The page read the keyboard through its node.
    ASSERT_TRUE(PumpUntil([&] { return keyboard->ReceivedCount() > 0; }, 3000));
    EXPECT_EQ(keyboard->BadChecksums(), 0u);

    // Pulled and plugged back between two polls, under the same node name: the old
    // descriptors hang up, and the keyboard is attached afresh on new ones.
    RemoveNode("hidraw5");
    AddFamilyNode("hidraw5");
    keyboard->ClearFrames();
    // The old device ends are closed, so whatever arrives came through new ones.
    ASSERT_TRUE(PumpUntil([&] { return keyboard->ReceivedCount() > 0; }, 5000));
    EXPECT_TRUE(KeyboardEntryShown());

    // Gone for good: the entry goes.
    RemoveNode("hidraw5");
    EXPECT_TRUE(PumpUntil([&] { return !KeyboardEntryShown(); }, 3000));
}

}  // namespace
}  // namespace vivori::testing
