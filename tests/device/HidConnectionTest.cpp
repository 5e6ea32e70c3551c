#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimFixture.h"
#include "device/HidConnection.h"
#include "platform/Time.h"
#include "platform/hid/VirtualHidBus.h"
#include "sim/FamilyDescriptors.h"

using namespace vivori;
using Clock = std::chrono::steady_clock;

namespace {

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class Silent : public hid::VirtualHidDevice {
  public:
    explicit Silent(std::vector<uint8_t> descriptor) : VirtualHidDevice(0x320F, 0x5055) {
        AddInterface(1, std::move(descriptor));
    }
    void OnOutputReport(int, std::span<const uint8_t>) override {}
};

struct Opened {
    std::shared_ptr<hid::VirtualHidBus> bus = std::make_shared<hid::VirtualHidBus>();
    std::shared_ptr<Silent> device;
    HidConnection connection{bus};

    explicit Opened(std::vector<uint8_t> descriptor, int pathIndex) {
        device = std::make_shared<Silent>(std::move(descriptor));
        bus->Plug(device);
        EXPECT_TRUE(connection.EnumeratePaths());
        const std::string* path = nullptr;
        for (int i = 0; i <= pathIndex; ++i) path = connection.NextPath();
        EXPECT_NE(path, nullptr);
        if (path) {
            EXPECT_TRUE(connection.OpenPath(*path, true, true, true, false));
        }
    }
};

}  // namespace

TEST(HidConnection, EnumerationSkipsAnEmptyEntryAndListsEveryPathAfterIt) {
    auto made = sim::MakeSimulatedBus("keyboard,keyboard-receiver");
    ASSERT_TRUE(made);
    made->bus->SetEmptyEntryAt(1);
    HidConnection c(made->bus);
    ASSERT_TRUE(c.EnumeratePaths());
    int n = 0;
    while (c.NextPath()) ++n;
    EXPECT_EQ(n, 8);  // four collections on each device; the empty entry is skipped
    EXPECT_EQ(c.NextPath(), nullptr);

    made->bus->SetEnumerateFails(true);
    EXPECT_FALSE(c.EnumeratePaths());
    EXPECT_EQ(c.NextPath(), nullptr);

    HidConnection none(std::make_shared<hid::VirtualHidBus>());
    EXPECT_TRUE(none.EnumeratePaths());
    EXPECT_EQ(none.PathCount(), 0u);
    EXPECT_EQ(none.NextPath(), nullptr);
}

TEST(HidConnection, OpenReadsCapsItemsAndTheNumbersInThePath) {
    Opened o(sim::FamilyInterfaceDescriptor(), 3);
    HidConnection& c = o.connection;
    ASSERT_TRUE(c.IsOpen());
    EXPECT_EQ(c.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(c.Caps().usage, 0x92);
    EXPECT_EQ(c.Attributes().productId, 0x5055);
    EXPECT_EQ(c.InterfaceNumber(), 1);
    EXPECT_EQ(c.CollectionNumber(), 4);
    EXPECT_EQ(c.InputReportBuffer().size(), 64u);
    // The vendor field is one value item in each direction.
    ASSERT_EQ(c.Reports(hid::ReportType::Input).items.size(), 1u);
    EXPECT_FALSE(c.Reports(hid::ReportType::Input).items[0].isButton);
    c.Close();
    EXPECT_FALSE(c.IsOpen());
    EXPECT_TRUE(c.Reports(hid::ReportType::Input).items.empty());
    uint32_t n = 0;
    uint8_t buffer[64] = {};
    EXPECT_EQ(c.ReadReport(buffer, 64, &n, 0), 0);
    EXPECT_EQ(c.WriteReport(buffer, 64, &n, 0), 0);
    EXPECT_TRUE(c.Reopen());  // the stored path opens again, and I/O works again
    EXPECT_EQ(c.WriteReport(buffer, 64, &n, 100), 1);
}

TEST(HidConnection, ButtonItemKeepsOnlyItsOwnRangeInReportOrder) {
    // Two consumer arrays in report 5: 0x0401-0x0404 (values 1-4) and 0x1000-0x10FF.
    const std::vector<uint8_t> d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x05,              //
                                    0x1A, 0x01, 0x04, 0x2A, 0x04, 0x04, 0x15, 0x01, 0x25, 0x04,  //
                                    0x75, 0x08, 0x95, 0x02, 0x81, 0x00,                          //
                                    0x1A, 0x00, 0x10, 0x2A, 0xFF, 0x10, 0x15, 0x00, 0x26, 0xFF,
                                    0x00,  //
                                    0x75, 0x08, 0x95, 0x02, 0x81, 0x00, 0xC0};
    Opened o(d, 0);
    HidConnection& c = o.connection;
    ASSERT_EQ(c.InputItems().size(), 2u);

    const uint8_t report[] = {5, 3, 1, 5, 7};
    ASSERT_TRUE(c.ParseInputReport(report));
    auto items = c.InputItems();
    EXPECT_TRUE(items[0].isSet);
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{0x0403, 0x0401, 0, 0}));
    EXPECT_EQ(items[1].usageList, (std::vector<uint16_t>{0x1005, 0x1007, 0, 0}));

    // A report of an ID no item has leaves every item as it was.
    const uint8_t other[] = {9, 1, 1, 1, 1};
    ASSERT_TRUE(c.ParseInputReport(other));
    EXPECT_EQ(c.InputItems()[0].usageList, items[0].usageList);
}

TEST(HidConnection, EachListedUsageOfAnArrayIsKeptByItsOwnItem) {
    // Consumer keys listed one by one in one array of two slots, report 3.
    const std::vector<uint8_t> d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x09,
                                    0xE9, 0x09, 0xEA, 0x09, 0xCD, 0x09, 0xB5, 0x15, 0x01,
                                    0x25, 0x04, 0x75, 0x08, 0x95, 0x02, 0x81, 0x00, 0xC0};
    Opened o(d, 0);
    HidConnection& c = o.connection;
    ASSERT_EQ(c.InputItems().size(), 4u);

    const uint8_t report[] = {3, 2, 4};  // the second and the fourth usage
    ASSERT_TRUE(c.ParseInputReport(report));
    std::vector<uint16_t> kept;
    for (const HidDataItem& item : c.InputItems())
        for (uint16_t u : item.usageList)
            if (u != 0) kept.push_back(u);
    EXPECT_EQ(kept, (std::vector<uint16_t>{0xEA, 0xB5}));
    EXPECT_EQ(c.InputItems()[1].usageList, (std::vector<uint16_t>{0xEA, 0}));
}

TEST(HidConnection, CollectionClaimingHugeUsageListsIsRefusedNotAllocated) {
    // 255 reports of 65535 one-bit buttons each: every button item would get a usage
    // list for every button of the page, some 8 GB in all.
    std::vector<uint8_t> buttons = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01};
    for (uint8_t id = 1; id != 0; ++id) {
        const uint8_t field[] = {0x85, id,   0x75, 0x01, 0x96, 0xFF, 0xFF, 0x05,
                                 0x09, 0x19, 0x01, 0x29, 0x08, 0x81, 0x02};
        buttons.insert(buttons.end(), std::begin(field), std::end(field));
    }
    buttons.push_back(0xC0);
    // Value fields whose usage ranges span the whole page: 65536 items each.
    std::vector<uint8_t> values = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01};
    for (int i = 0; i < 8; ++i) {
        const uint8_t field[] = {0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02};
        values.insert(values.end(), std::begin(field), std::end(field));
    }
    values.push_back(0xC0);
    const std::vector<uint8_t>* descriptors[] = {&buttons, &values};
    for (const auto* descriptor : descriptors) {
        auto bus = std::make_shared<hid::VirtualHidBus>();
        auto device = std::make_shared<Silent>(*descriptor);
        bus->Plug(device);
        HidConnection c(bus);
        ASSERT_TRUE(c.EnumeratePaths());
        const std::string* path = c.NextPath();
        ASSERT_NE(path, nullptr);
        EXPECT_FALSE(c.OpenPath(*path, true, true, true, false));
        EXPECT_FALSE(c.IsOpen());
        EXPECT_EQ(device->OpenHandleCount(), 0u);
    }
    // The family's own interface still opens.
    Opened ordinary(sim::FamilyInterfaceDescriptor(), 1);
    EXPECT_TRUE(ordinary.connection.IsOpen());
}

TEST(HidConnection, ReadTimesOutAfterItsTimeOutAndLeavesNothingPending) {
    Opened o(sim::FamilyInterfaceDescriptor(), 3);
    uint8_t buffer[64];
    uint32_t n = 99;
    auto start = Clock::now();
    EXPECT_EQ(o.connection.ReadReport(buffer, sizeof buffer, &n, 1000), 0);
    long ms = MsSince(start);
    EXPECT_GE(ms, 990);
    EXPECT_LT(ms, 2500);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(o.connection.ReadPending());
}

TEST(HidConnection, CloseFromAnotherThreadEndsAnUnlimitedReadAtOnce) {
    Opened o(sim::FamilyInterfaceDescriptor(), 2);
    HidConnection& c = o.connection;
    std::atomic<int> result{-5};
    std::thread reader([&] {
        uint32_t n = 0;
        // Reads into the connection's own buffer, which Close must not free under it.
        result =
            c.ReadReport(c.InputReportBuffer().data(), c.InputReportBuffer().size(), &n, kInfinite);
    });
    while (!c.ReadPending()) Sleep(1);
    auto start = Clock::now();
    c.Close();
    reader.join();
    EXPECT_LT(MsSince(start), 500);
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(c.IsOpen());
    EXPECT_EQ(o.device->OpenHandleCount(), 0u);
}

TEST(HidConnection, RepeatedCloseAndReopenWhileReadersComeAndGo) {
    // Readers started and closed in a loop: nothing hangs and no read survives a close.
    Opened o(sim::FamilyInterfaceDescriptor(), 2);
    HidConnection& c = o.connection;
    for (int round = 0; round < 50; ++round) {
        std::thread reader([&] {
            uint32_t n = 0;
            uint8_t buffer[8];
            c.ReadReport(buffer, sizeof buffer, &n, kInfinite);
        });
        if (round % 2) Sleep(1);
        c.Close();
        reader.join();
        ASSERT_TRUE(c.Reopen());
    }
}
