#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "device/HidConnection.h"
#include "platform/FakeHidraw.h"
#include "platform/Time.h"

using namespace vivori;
using Clock = std::chrono::steady_clock;

// A connection on the hidraw bus as the discovery and the notification threads use
// it: the paths it lists name the interface and collection, a notification arrives
// through the consumer collection, and Close ends a reader waiting without limit.
TEST(HidrawConnection, FindsTheFamilyCollectionsReadsANotificationAndClosesUnderAReader) {
    hid::fake::FakeHidraw fake;
    fake.AddFamilyNode("hidraw5");
    HidConnection c(fake.MakeSharedBus());
    ASSERT_TRUE(c.EnumeratePaths());
    std::vector<std::string> paths;
    while (const std::string* path = c.NextPath()) paths.push_back(*path);
    ASSERT_EQ(paths.size(), 4u);

    ASSERT_TRUE(c.OpenPath(paths[2], true, true, true, false));
    EXPECT_EQ(c.InterfaceNumber(), 1);
    EXPECT_EQ(c.CollectionNumber(), 3);
    EXPECT_EQ(c.Caps().usagePage, 0x0C);
    EXPECT_EQ(c.Attributes().productId, 0x5055);

    fake.DeviceSends("hidraw5", {4, 0x01});  // the command collection's, not ours
    fake.DeviceSends("hidraw5", {3, 0x03, 0x11});
    uint32_t n = 0;
    auto& buffer = c.InputReportBuffer();
    ASSERT_EQ(c.ReadReport(buffer.data(), buffer.size(), &n, 1000), 1);
    ASSERT_TRUE(c.ParseInputReport({buffer.data(), n}));
    ASSERT_FALSE(c.InputItems().empty());
    EXPECT_EQ(c.InputItems()[0].usageList.at(0), 0x1103);

    std::atomic<int> result{-5};
    std::thread reader([&] {
        uint32_t got = 0;
        result = c.ReadReport(buffer.data(), buffer.size(), &got, kInfinite);
    });
    while (!c.ReadPending()) Sleep(1);
    auto start = Clock::now();
    c.Close();
    reader.join();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
              200);
    EXPECT_EQ(result.load(), 0);
    EXPECT_TRUE(c.Reopen());
}
