#include <gtest/gtest.h>

#include "platform/hid/VirtualHidBus.h"
#include "sim/FamilyDescriptors.h"

using namespace vivori;
using namespace vivori::hid;

namespace {

// A device that only collects what it is sent.
class Sink : public VirtualHidDevice {
  public:
    Sink(uint16_t pid) : VirtualHidDevice(0x320F, pid) {}
    void OnOutputReport(int, std::span<const uint8_t> r) override {
        last.assign(r.begin(), r.end());
    }
    std::vector<uint8_t> last;
};

// Headset-like interface: a single top-level collection.
const std::vector<uint8_t> kSingleCollection = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// A family keyboard on a bus, with the paths it shows.
class PluggedKeyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        keyboard->AddInterface(1, sim::FamilyInterfaceDescriptor());
        bus.Plug(keyboard);
        bus.Enumerate(paths);
    }
    VirtualHidBus bus;
    std::shared_ptr<Sink> keyboard = std::make_shared<Sink>(0x5055);
    std::vector<std::string> paths;
};

}  // namespace

TEST(VirtualHidBus, PathsNameEveryCollectionAndOmitColForASingleOne) {
    VirtualHidBus bus;
    auto keyboard = std::make_shared<Sink>(0x5055);
    ASSERT_TRUE(keyboard->AddInterface(1, sim::FamilyInterfaceDescriptor()));
    auto headset = std::make_shared<Sink>(0x1630);
    ASSERT_TRUE(headset->AddInterface(3, kSingleCollection));
    bus.Plug(keyboard);
    bus.Plug(headset);
    std::vector<std::string> paths;
    ASSERT_TRUE(bus.Enumerate(paths));
    ASSERT_EQ(paths.size(), 5u);
    EXPECT_EQ(paths[3].rfind("hid#vid_320f&pid_5055&mi_01&col04#", 0), 0u) << paths[3];
    EXPECT_EQ(paths[4].rfind("hid#vid_320f&pid_1630&mi_03#", 0), 0u) << paths[4];
    EXPECT_EQ(ParsePathNumber(paths[3], "&col"), 4u);
    EXPECT_EQ(ParsePathNumber(paths[4], "&col"), 0u);
    EXPECT_EQ(ParsePathNumber("HID#VID_320F&PID_5055&MI_01&Col04#x", "&mi_"), 1u);
    EXPECT_EQ(ParsePathNumber("HID#VID_320F&PID_5055&MI_01&Col04#x", "&col"), 4u);
    EXPECT_EQ(ParsePathNumber("hid#vid_320f&pid_5055#x", "&mi_"), 0u);
    EXPECT_NE(bus.Open(paths[4], true, true), nullptr);
    EXPECT_EQ(bus.Open("hid#vid_320f&pid_5055&mi_01&col09#virtual-1-1", true, true), nullptr);
}

TEST_F(PluggedKeyboard, InputReportsReachOnlyTheCollectionThatOwnsTheirReportId) {
    auto notify = bus.Open(paths[2], true, true);
    auto command = bus.Open(paths[3], true, true);
    ASSERT_TRUE(notify && command);

    const uint8_t code[] = {3, 0x02, 0x04};
    std::vector<uint8_t> frame(64, 0);
    frame[0] = 4;
    frame[3] = 0x07;
    keyboard->SendInputReport(1, code);
    keyboard->SendInputReport(1, frame);

    Event abort(ResetMode::Manual);
    uint8_t buffer[64];
    size_t n = 0;
    ASSERT_EQ(notify->Read(buffer, n, 0, abort), IoStatus::Ok);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buffer[1], 0x02);
    EXPECT_EQ(notify->Read(buffer, n, 0, abort), IoStatus::TimedOut);
    ASSERT_EQ(command->Read(buffer, n, 0, abort), IoStatus::Ok);
    EXPECT_EQ(buffer[3], 0x07);
    EXPECT_EQ(command->Read(buffer, n, 0, abort), IoStatus::TimedOut);
}

TEST_F(PluggedKeyboard, UnpluggedDeviceFailsItsHandlesAndItsProbe) {
    auto command = bus.Open(paths[3], true, true);
    EXPECT_TRUE(bus.Probe(paths[3]));
    bus.Unplug(keyboard);
    EXPECT_FALSE(bus.Probe(paths[3]));
    Event abort(ResetMode::Manual);
    uint8_t buffer[64] = {4};
    size_t n = 0;
    EXPECT_EQ(command->Read(buffer, n, kInfinite, abort), IoStatus::Failed);
    EXPECT_EQ(command->Write(buffer, n, 1000, abort), IoStatus::Failed);
    bus.Enumerate(paths);
    EXPECT_TRUE(paths.empty());
}
