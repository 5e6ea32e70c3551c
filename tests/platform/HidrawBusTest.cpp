#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/FakeHidraw.h"

using namespace vivori;
using namespace vivori::hid;
using fake::NodeSetup;
using fake::UsbUevent;
namespace fs = std::filesystem;

namespace {

class HidrawBusTest : public ::testing::Test, public fake::FakeHidraw {
  protected:
    std::vector<std::string> Enumerate(HidrawBus& bus) {
        std::vector<std::string> paths;
        EXPECT_TRUE(bus.Enumerate(paths));
        return paths;
    }
};

// Mouse without report IDs: one top-level collection.
const std::vector<uint8_t> kPlainMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00,
    0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0x05, 0x01,
    0x09, 0x30, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06, 0xC0};

// Two collections: a mouse under report 1 and a vendor channel under report 2.
const std::vector<uint8_t> kTwoCollections = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29,
    0x08, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0,  //
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x09, 0x01, 0x75, 0x08,
    0x95, 0x07, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// A vendor channel without report IDs: two bytes each way.
const std::vector<uint8_t> kPlainVendor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
                                           0x09, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81,
                                           0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

std::vector<uint8_t> ReadOne(HidHandle& handle, int timeoutMs, IoStatus expect = IoStatus::Ok) {
    Event abort;
    std::vector<uint8_t> buffer(handle.Collection().Caps().inputReportByteLength);
    size_t got = 0;
    EXPECT_EQ(handle.Read(buffer, got, timeoutMs, abort), expect);
    buffer.resize(got);
    return buffer;
}

IoStatus WriteOne(HidHandle& handle, const std::vector<uint8_t>& report) {
    Event abort;
    size_t put = 0;
    IoStatus status = handle.Write(report, put, 1000, abort);
    if (status == IoStatus::Ok) {
        EXPECT_EQ(put, report.size());
    }
    return status;
}

}  // namespace

TEST_F(HidrawBusTest, EnumerationListsEveryCollectionOfTheReadableUsbNodesInNodeOrder) {
    AddFamilyNode("hidraw10");
    // No bInterfaceNumber: the interface comes from the folder name.
    AddNode({"hidraw9", UsbUevent(0x320F, 0x2003), kTwoCollections, "3-1:1.2", ""});
    AddNode({"hidraw2", UsbUevent(0x046D, 0xC077), kPlainMouse, "1-3:1.0", "00"});
    AddNode({"hidraw3",
             UsbUevent(0x320F, 0x1004),
             {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01},
             "1-2:1.1",
             "01"});
    AddNode({"hidraw4", "", kPlainMouse, "1-2:1.1", "01"});
    AddNode({"hidraw5", UsbUevent(0x320F, 0x5055, 5), kPlainMouse, "1-2:1.1", "01"});  // Bluetooth
    HidrawBus bus = MakeBus();

    const std::string dev = DevRoot().string();
    const std::vector<std::string> expected = {
        "hid#vid_046d&pid_c077&mi_00#" + dev + "/hidraw2",
        "hid#vid_320f&pid_2003&mi_02&col01#" + dev + "/hidraw9",
        "hid#vid_320f&pid_2003&mi_02&col02#" + dev + "/hidraw9",
        "hid#vid_320f&pid_5055&mi_01&col01#" + dev + "/hidraw10",
        "hid#vid_320f&pid_5055&mi_01&col02#" + dev + "/hidraw10",
        "hid#vid_320f&pid_5055&mi_01&col03#" + dev + "/hidraw10",
        "hid#vid_320f&pid_5055&mi_01&col04#" + dev + "/hidraw10",
    };
    EXPECT_EQ(Enumerate(bus), expected);

    // No hidraw driver at all is an empty machine, not a failure.
    HidrawBus empty(ClassRoot() / "absent", DevRoot());
    EXPECT_TRUE(Enumerate(empty).empty());
}

TEST_F(HidrawBusTest, FamilyCollectionsOpenReadWriteNonBlockingWithTheirOwnCaps) {
    AddFamilyNode("hidraw3");
    HidrawBus bus = MakeBus();
    const std::pair<uint16_t, uint16_t> pageAndUsage[] = {
        {0x01, 0x80}, {0x01, 0x06}, {0x0C, 0x01}, {0xFF1C, 0x92}};
    for (int c = 1; c <= 4; ++c) {
        auto handle = bus.Open(FamilyPath("hidraw3", c), true, true);
        ASSERT_NE(handle, nullptr) << c;
        EXPECT_EQ(OpenFlags() & O_ACCMODE, O_RDWR);
        EXPECT_TRUE(OpenFlags() & O_NONBLOCK);
        EXPECT_EQ(handle->Collection().Caps().usagePage, pageAndUsage[c - 1].first) << c;
        EXPECT_EQ(handle->Collection().Caps().usage, pageAndUsage[c - 1].second) << c;
        EXPECT_EQ(handle->Attributes().vendorId, 0x320F);
        EXPECT_EQ(handle->Attributes().productId, 0x5055);
        EXPECT_EQ(handle->Attributes().versionNumber, 0x0105);
    }
    EXPECT_EQ(bus.Open(FamilyPath("hidraw3", 4), true, false) != nullptr, true);
    EXPECT_EQ(OpenFlags() & O_ACCMODE, O_RDONLY);

    // Paths that do not name a present collection of that device.
    const std::string dev = DevRoot().string();
    for (const std::string& path :
         {FamilyPath("hidraw3", 5), FamilyPath("hidraw3", 0), FamilyPath("hidraw7", 4),
          "hid#vid_320f&pid_5088&mi_01&col04#" + dev + "/hidraw3",
          "hid#vid_320f&pid_5055&mi_02&col04#" + dev + "/hidraw3",
          std::string("hid#vid_320f&pid_5055&mi_01&col04#/elsewhere/hidraw3")}) {
        EXPECT_EQ(bus.Open(path, true, true), nullptr) << path;
        EXPECT_FALSE(bus.Probe(path)) << path;
    }
}

TEST_F(HidrawBusTest, TwoOpenCollectionsOfOneNodeSeeOnlyTheirOwnReports) {
    AddFamilyNode("hidraw3");
    HidrawBus bus = MakeBus();
    auto notify = bus.Open(FamilyPath("hidraw3", 3), true, true);
    auto command = bus.Open(FamilyPath("hidraw3", 4), true, true);
    ASSERT_TRUE(notify && command);

    std::vector<uint8_t> frame(64, 0x5A);
    frame[0] = 4;
    DeviceSends("hidraw3", {3, 0x01, 0x11});
    DeviceSends("hidraw3", frame);
    DeviceSends("hidraw3", {1, 0x02});
    DeviceSends("hidraw3", {3, 0x02, 0x22});

    EXPECT_EQ(ReadOne(*notify, 1000), (std::vector<uint8_t>{3, 0x01, 0x11}));
    EXPECT_EQ(ReadOne(*notify, 1000), (std::vector<uint8_t>{3, 0x02, 0x22}));
    EXPECT_EQ(ReadOne(*command, 1000), frame);
    // The system-control report belongs to neither.
    ReadOne(*notify, 50, IoStatus::TimedOut);
    ReadOne(*command, 50, IoStatus::TimedOut);

    // Output reports carry their report ID to the device.
    frame[1] = 0x77;
    EXPECT_EQ(WriteOne(*command, frame), IoStatus::Ok);
    EXPECT_EQ(DeviceReceives("hidraw3"), frame);
}

TEST_F(HidrawBusTest, AWriteFirstEmptiesWhatPiledUpSoTheReplyIsNotDroppedByTheKernel) {
    // While the command collection idles, key reports of the same node pile up on its
    // descriptor; the kernel would drop a reply once 64 are waiting.
    AddFamilyNode("hidraw3");
    HidrawBus bus = MakeBus();
    auto command = bus.Open(FamilyPath("hidraw3", 4), true, true);
    ASSERT_TRUE(command);
    std::vector<uint8_t> stale(64, 0);
    stale[0] = 4;
    stale[3] = 0x07;
    for (int i = 0; i < 100; ++i) DeviceSends("hidraw3", {2, uint8_t(i), 0, 0});
    DeviceSends("hidraw3", stale);
    ASSERT_GT(UnreadBytes("hidraw3"), 0);

    std::vector<uint8_t> request(64, 0);
    request[0] = 4;
    request[3] = 0x01;
    EXPECT_EQ(WriteOne(*command, request), IoStatus::Ok);
    EXPECT_EQ(UnreadBytes("hidraw3"), 0);  // nothing left to crowd out the reply

    // The collection's own late report is still delivered, ahead of the reply.
    DeviceSends("hidraw3", request);
    EXPECT_EQ(ReadOne(*command, 1000), stale);
    EXPECT_EQ(ReadOne(*command, 1000), request);
}

TEST_F(HidrawBusTest, ReportsOfADeviceWithoutIdsGainALeadingZeroThatWritesDrop) {
    AddNode({"hidraw0", UsbUevent(0x0C76, 0x1630), kPlainVendor, "1-4:1.3", "03"});
    HidrawBus bus = MakeBus();
    auto paths = Enumerate(bus);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(ParsePathNumber(paths[0], "&mi_"), 3u);
    auto handle = bus.Open(paths[0], true, true);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Collection().Caps().inputReportByteLength, 3);

    DeviceSends("hidraw0", {0x11, 0x22});
    EXPECT_EQ(ReadOne(*handle, 1000), (std::vector<uint8_t>{0, 0x11, 0x22}));

    EXPECT_EQ(WriteOne(*handle, {0, 0xAA, 0xBB}), IoStatus::Ok);
    EXPECT_EQ(DeviceReceives("hidraw0"), (std::vector<uint8_t>{0xAA, 0xBB}));
    // A report ID the device does not use never reaches it.
    EXPECT_EQ(WriteOne(*handle, {5, 0xAA, 0xBB}), IoStatus::Failed);
    EXPECT_TRUE(DeviceReceives("hidraw0", 100).empty());
}

TEST_F(HidrawBusTest, ReadsEndAtTheirTimeOutOrAtOnceOnAbort) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    AddFamilyNode("hidraw3");
    HidrawBus bus = MakeBus();
    auto handle = bus.Open(FamilyPath("hidraw3", 4), true, true);
    ASSERT_NE(handle, nullptr);
    std::vector<uint8_t> buffer(64);
    size_t got = 0;

    Event abort;
    auto start = Clock::now();
    EXPECT_EQ(handle->Read(buffer, got, 1000, abort), IoStatus::TimedOut);
    auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    EXPECT_GE(took, 990);
    EXPECT_LT(took, 1500);

    // An unlimited read ends as soon as another thread sets the abort event.
    Clock::time_point ended;
    IoStatus status = IoStatus::Ok;
    std::thread reader([&] {
        status = handle->Read(buffer, got, kInfinite, abort);
        ended = Clock::now();
    });
    std::this_thread::sleep_for(milliseconds(100));
    auto set = Clock::now();
    abort.Set();
    reader.join();
    EXPECT_EQ(status, IoStatus::Aborted);
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(ended - set).count(), 100);

    // The abort wins over a report that is already waiting, which stays for later.
    std::vector<uint8_t> frame(64, 0);
    frame[0] = 4;
    DeviceSends("hidraw3", frame);
    abort.Set();
    EXPECT_EQ(handle->Read(buffer, got, 1000, abort), IoStatus::Aborted);
    EXPECT_EQ(ReadOne(*handle, 1000), frame);
}

TEST_F(HidrawBusTest, AVanishedNodeFailsItsIoAndThenItsProbe) {
    AddFamilyNode("hidraw3");
    HidrawBus bus = MakeBus();
    const std::string path = FamilyPath("hidraw3", 4);
    auto handle = bus.Open(path, true, true);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(bus.Probe(path));

    DeviceGoesAway("hidraw3");
    ReadOne(*handle, kInfinite, IoStatus::Failed);
    std::vector<uint8_t> frame(64, 0);
    frame[0] = 4;
    EXPECT_EQ(WriteOne(*handle, frame), IoStatus::Failed);

    fs::remove_all(ClassRoot() / "hidraw3");
    EXPECT_FALSE(bus.Probe(path));
    EXPECT_EQ(bus.Open(path, true, true), nullptr);
    EXPECT_TRUE(Enumerate(bus).empty());

    // The kernel hands the number to the next device: the old path stays gone.
    AddNode(
        {"hidraw3", UsbUevent(0x320F, 0x1004), sim::FamilyInterfaceDescriptor(), "1-2:1.1", "01"});
    EXPECT_FALSE(bus.Probe(path));
}

TEST_F(HidrawBusTest, AReplugUnderTheSameNodeNameOrAHungUpDescriptorFailsTheProbe) {
    AddFamilyNode("hidraw3");
    HidrawBus bus = MakeBus();
    const std::string path = FamilyPath("hidraw3", 4);
    auto handle = bus.Open(path, true, true);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(bus.Probe(path));

    // Pulled and plugged back between two probes: same name, another device node.
    RemoveNode("hidraw3");
    AddFamilyNode("hidraw3");
    EXPECT_FALSE(bus.Probe(path));
    EXPECT_FALSE(bus.Probe(path));  // until it is opened afresh
    handle = bus.Open(path, true, true);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(bus.Probe(path));

    // The descriptor hangs up before sysfs shows anything, with no read in progress.
    DeviceGoesAway("hidraw3");
    EXPECT_FALSE(bus.Probe(path));
}

TEST_F(HidrawBusTest, ANodeIsReadOnceUntilTheKernelMakesItAgain) {
    AddFamilyNode("hidraw3");
    auto bus = MakeSharedBus();
    EXPECT_EQ(Enumerate(*bus).size(), 4u);
    // The same node: what was parsed stands, however often it is listed.
    fake::WriteFile(ClassRoot() / "hidraw3" / "device" / "report_descriptor",
                    fake::Text(kPlainMouse));
    EXPECT_EQ(Enumerate(*bus).size(), 4u);
    // Made again (another device under the number): read afresh.
    RemoveNode("hidraw3");
    AddNode({"hidraw3", UsbUevent(0x320F, 0x5055), kPlainMouse, "1-2:1.1", "01"});
    EXPECT_EQ(Enumerate(*bus), (std::vector<std::string>{FamilyPath("hidraw3", 0)}));
    // Without the cache every listing reads the node.
    auto uncached = MakeSharedBus(false);
    EXPECT_EQ(Enumerate(*uncached).size(), 1u);
    fake::WriteFile(ClassRoot() / "hidraw3" / "device" / "report_descriptor",
                    fake::Text(sim::FamilyInterfaceDescriptor()));
    EXPECT_EQ(Enumerate(*uncached).size(), 4u);
}
