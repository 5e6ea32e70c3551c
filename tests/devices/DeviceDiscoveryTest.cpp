#include <chrono>

#include "DeviceFixture.h"
#include "platform/Debug.h"
#include "sim/SimDevice.h"

namespace vivori::testing {
namespace {

using Clock = std::chrono::steady_clock;

int ElapsedMs(Clock::time_point since) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

TEST_F(DeviceTest, AKeyboardOnItsCableOpensCommandsAndNotificationsOnTheCable) {
    Start("keyboard");
    ASSERT_TRUE(
        PumpUntil([&] { return Contains(window.arrived, 0) && Contains(window.arrived, 1); }));
    EXPECT_TRUE(PumpUntil([&] { return window.wakeUps == 1; }));

    TestDevice* device = DeviceOf(0);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device, DeviceOf(1));
    EXPECT_EQ(device->DeviceKind(), kKindKeyboard);
    EXPECT_TRUE(device->Commands().IsOpen());
    EXPECT_FALSE(device->Commands().IsReceiverLink());
    EXPECT_EQ(device->Commands().ChunkSize(), 56);
    EXPECT_TRUE(device->Channel(false).IsOpen());

    // Commands reach the keyboard, and its notifications reach the device object.
    std::array<uint8_t, kInfoSize> info{};
    EXPECT_EQ(device->Commands().ReadInfo(info.data()), CMD_OK);
    EXPECT_TRUE(Received(*SimNamed(0), CMD_READ_INFO));
    SimNamed(0)->SendNotification(0x1002);
    EXPECT_TRUE(PumpUntil([&] { return device->Codes() == std::vector<uint16_t>{0x1002}; }));

    // Only the two collections of the table were ever opened: collection 2 (the
    // keyboard's key reports, pid 0x5055) is ignored.
    for (const std::string& path : bus->Opened())
        EXPECT_EQ(path.find("&col02"), std::string::npos) << path;
    EXPECT_EQ(window.arrived.size(), 2u);
}

TEST_F(DeviceTest, TheLinkFollowsTheCableBetweenCableAndReceiverWithTheSamePage) {
    Start("keyboard,keyboard-receiver", false);
    auto keyboard = SimNamed(0);
    auto receiver = SimNamed(1);
    sim.bus->Unplug(receiver);
    ASSERT_TRUE(manager->StartCapture());
    ASSERT_TRUE(
        PumpUntil([&] { return Contains(window.arrived, 0) && Contains(window.arrived, 1); }));
    TestDevice* device = DeviceOf(0);
    ASSERT_NE(device, nullptr);

    // The receiver plugged in behind the cable is claimed but changes nothing.
    sim::PlugInto(sim.bus, receiver);
    for (int index : {2, 3}) ASSERT_TRUE(PumpUntilArrived(index)) << index;
    EXPECT_EQ(DeviceOf(2), device);
    EXPECT_FALSE(device->Commands().IsReceiverLink());
    EXPECT_EQ(device->Commands().ChunkSize(), 56);
    EXPECT_TRUE(device->Channel(true).IsOpen());

    DebugCapture log;
    sim.bus->Unplug(keyboard);
    ASSERT_TRUE(PumpUntil([&] { return Contains(window.removed, 0); }));
    EXPECT_EQ(DeviceOf(0), device);
    EXPECT_TRUE(device->Commands().IsOpen());
    EXPECT_TRUE(device->Commands().IsReceiverLink());
    EXPECT_EQ(device->Commands().ChunkSize(), 24);
    EXPECT_TRUE(log.Contains("获取2"));
    EXPECT_GE(device->powerReads.load(), 1);
    receiver->ClearFrames();
    std::array<uint8_t, kInfoSize> info{};
    EXPECT_EQ(device->Commands().ReadInfo(info.data()), CMD_OK);
    EXPECT_TRUE(Received(*receiver, CMD_READ_INFO));
    EXPECT_EQ(manager->Devices().size(), 1u);
    EXPECT_EQ(paint.FindControl("keyboard_page"), device);

    window.arrived.clear();
    sim::PlugInto(sim.bus, keyboard);
    ASSERT_TRUE(PumpUntilArrived(0));
    EXPECT_TRUE(device->Commands().IsOpen());
    EXPECT_FALSE(device->Commands().IsReceiverLink());
    EXPECT_EQ(device->Commands().ChunkSize(), 56);
    keyboard->ClearFrames();
    EXPECT_EQ(device->Commands().ReadInfo(info.data()), CMD_OK);
    EXPECT_TRUE(Received(*keyboard, CMD_READ_INFO));
    EXPECT_EQ(manager->Devices().size(), 1u);
}

TEST_F(DeviceTest, TheReceiverAloneAttachesTheKeyboardPageThroughTheReceiver) {
    Start("keyboard-receiver");
    ASSERT_TRUE(PumpUntilArrived(2));
    TestDevice* device = DeviceOf(2);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->DeviceKind(), kKindKeyboard);
    EXPECT_TRUE(device->Commands().IsReceiverLink());
    EXPECT_EQ(device->Commands().ChunkSize(), 24);

    sim.bus->Unplug(SimNamed(0));
    ASSERT_TRUE(PumpUntil([&] { return Contains(window.removed, 2); }));
    EXPECT_FALSE(device->Commands().IsOpen());
    EXPECT_FALSE(device->Commands().Receiver().IsOpen());
}

TEST_F(DeviceTest, AMousePadAttachesOnTheCableWithChunk24) {
    Start("pad");
    ASSERT_TRUE(PumpUntilArrived(8));
    TestDevice* device = DeviceOf(8);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->DeviceKind(), kKindMousePad);
    EXPECT_FALSE(device->PowerDisplay());
    EXPECT_TRUE(device->Commands().IsOpen());
    EXPECT_FALSE(device->Commands().IsReceiverLink());
    EXPECT_EQ(device->Commands().ChunkSize(), 24);
}

TEST_F(DeviceTest, WithEveryEntryPresentTheThreadOnlyProbes) {
    Start("keyboard,keyboard-receiver,mouse,mouse-receiver,pad,headset");
    ASSERT_TRUE(PumpUntil([&] { return !manager->List().AnyAbsent(); }));
    const int enumerations = bus->enumerations.load();
    const int probes = bus->probes.load();
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(bus->enumerations.load(), enumerations);
    EXPECT_GE(bus->probes.load(), probes + 3 * 11);
    EXPECT_EQ(manager->Devices().size(), 4u);
}

TEST_F(DeviceTest, UnpluggingIsNoticedWithinAboutOnePollingCycle) {
    Start("keyboard");
    ASSERT_TRUE(PumpUntilArrived(0));
    TestDevice* device = DeviceOf(0);
    const auto unplugged = Clock::now();
    sim.bus->Unplug(SimNamed(0));
    ASSERT_TRUE(
        PumpUntil([&] { return Contains(window.removed, 0) && Contains(window.removed, 1); }));
    EXPECT_LT(ElapsedMs(unplugged), 250);
    EXPECT_FALSE(device->Commands().IsOpen());
    EXPECT_FALSE(device->Channel(false).IsOpen());
}

TEST_F(DeviceTest, AFailedEnumerationSkipsOneCycleAndTheWindowStillShows) {
    Start("keyboard", false);
    sim.bus->SetEnumerateFails(true);
    ASSERT_TRUE(manager->StartCapture());
    EXPECT_TRUE(PumpUntil([&] { return window.wakeUps == 1 && bus->enumerations.load() >= 3; }));
    EXPECT_TRUE(window.arrived.empty());
    sim.bus->SetEnumerateFails(false);
    EXPECT_TRUE(PumpUntilArrived(0));
    EXPECT_EQ(window.wakeUps, 1);
}

TEST_F(DeviceTest, AnUnreadableInterfaceDoesNotHideTheOnesAfterIt) {
    Start("keyboard", false);
    sim.bus->SetEmptyEntryAt(0);
    ASSERT_TRUE(manager->StartCapture());
    EXPECT_TRUE(
        PumpUntil([&] { return Contains(window.arrived, 0) && Contains(window.arrived, 1); }));
}

TEST_F(DeviceTest, StoppingWhileTheThreadIsBlockedInASendStaysWithinItsBound) {
    Start("keyboard");
    // Nothing pumps: the thread's first arrival send waits for this thread.
    Sleep(300);
    const auto stopping = Clock::now();
    EXPECT_EQ(manager->StopCapture(), StopResult::Ended);
    EXPECT_LT(ElapsedMs(stopping), 200);
    ui::PumpMessages();
    EXPECT_TRUE(window.arrived.empty());
}

TEST_F(DeviceTest, ClosingANotificationChannelAbortsItsBlockedRead) {
    Start("keyboard");
    ASSERT_TRUE(PumpUntilArrived(1));
    TestDevice* device = DeviceOf(1);
    ASSERT_TRUE(device->Channel(false).IsOpen());
    Sleep(50);  // the reader is blocked in a read without a time-out by now
    DebugCapture log;
    const auto closing = Clock::now();
    device->CloseNotificationChannel(false);
    EXPECT_LT(ElapsedMs(closing), 200);
    EXPECT_FALSE(device->Channel(false).IsOpen());
    EXPECT_TRUE(log.Contains(StopResultLine(StopResult::Ended)));
}

}  // namespace
}  // namespace vivori::testing
