#include <gtest/gtest.h>

#include <set>

#include "device/CommandTransport.h"
#include "device/HidConnection.h"
#include "device/SupportedDevices.h"
#include "sim/SimProduct.h"
#include "sim/SimulatedBus.h"

using namespace vivori;
using sim::Area;

namespace {

// Opens the collection of table row `row` on the bus.
bool OpenRow(HidConnection& connection, const std::shared_ptr<hid::HidBus>& bus, int row) {
    const DeviceDescriptor& d = SupportedDevices()[static_cast<size_t>(row)];
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    for (const auto& p : paths)
        if (ParsePid(p) == d.pid && ParseCollection(p) == d.collection &&
            ParseInterface(p) == d.interfaceNumber)
            return connection.OpenPath(p, true, true, true, false);
    return false;
}

sim::Frame Exchange(HidConnection& connection, uint8_t command, uint8_t length, uint16_t offset) {
    const Frame request = BuildFrame(command, length, offset);
    uint32_t n = 0;
    connection.WriteReport(request.data(), request.size(), &n, 100);
    sim::Frame reply{};
    connection.ReadReport(reply.data(), reply.size(), &n, 100);
    return reply;
}

}  // namespace

TEST(SimulatedProducts, EverySupportedCollectionIsPresentWithItsUsages) {
    std::string error;
    auto made = sim::MakeSimulatedBus("keyboard,keyboard-receiver,mouse,mouse-receiver,pad,headset",
                                      &error);
    ASSERT_TRUE(made) << error;
    std::vector<std::string> paths;
    ASSERT_TRUE(made->bus->Enumerate(paths));
    std::set<int> rows;
    for (const auto& p : paths) {
        auto handle = made->bus->Open(p, true, false);
        ASSERT_TRUE(handle) << p;
        const int row = FindSupportedRow(
            handle->Attributes().vendorId, handle->Attributes().productId, ParseInterface(p),
            ParseCollection(p), handle->Collection().usagePage, handle->Collection().usage);
        if (row >= 0) rows.insert(row);
    }
    EXPECT_EQ(rows.size(), SupportedDevices().size());
    EXPECT_FALSE(sim::MakeSimulatedBus("keyboard,toaster", &error));
    EXPECT_NE(error.find("toaster"), std::string::npos);
}

TEST(SimulatedProducts, MouseNotificationIsAValueFieldAndTheKeyboardsAUsage) {
    auto made = sim::MakeSimulatedBus("keyboard,mouse");
    ASSERT_TRUE(made);
    struct Case {
        int row;
        std::shared_ptr<sim::SimDevice> device;
        bool isButton;
    };
    for (const Case& c : {Case{1, made->devices[0], true}, Case{5, made->devices[1], false}}) {
        HidConnection connection(made->bus);
        ASSERT_TRUE(OpenRow(connection, made->bus, c.row));
        c.device->SendNotification(0x1123);
        uint8_t report[16] = {};
        uint32_t n = 0;
        ASSERT_GT(connection.ReadReport(report, sizeof report, &n, 500), 0);
        ASSERT_TRUE(connection.ParseInputReport({report, n}));
        const auto items = connection.InputItems();
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items[0].isButton, c.isButton);
        if (c.isButton)
            EXPECT_EQ(items[0].usageList.at(0), 0x1123);
        else
            EXPECT_EQ(items[0].value, 0x1123u);
    }
}

TEST(SimulatedProducts, ReceiverAloneReachesAKeyboardOfItsOwnAndSharesItWhenBothArePlugged) {
    auto alone = sim::MakeSimulatedBus("keyboard-receiver");
    ASSERT_TRUE(alone);
    sim::FirmwareModel* own = sim::FirmwareOf(alone->devices[0]);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->Memory(Area::Info)[5], 104);

    auto both = sim::MakeSimulatedBus("keyboard,keyboard-receiver,mouse,mouse-receiver");
    ASSERT_TRUE(both);
    EXPECT_EQ(sim::FirmwareOf(both->devices[0]), sim::FirmwareOf(both->devices[1]));
    EXPECT_EQ(sim::FirmwareOf(both->devices[2]), sim::FirmwareOf(both->devices[3]));
    EXPECT_NE(sim::FirmwareOf(both->devices[0]), sim::FirmwareOf(both->devices[2]));
    EXPECT_EQ(sim::FirmwareOf(both->devices[2])->Memory(Area::Info)[5], 11);
}

TEST(SimulatedProducts, FirmwareRefusesAddressesOutsideItsAreasAndCommandsItLacks) {
    auto made = sim::MakeSimulatedBus("keyboard,headset");
    ASSERT_TRUE(made);
    HidConnection keyboard(made->bus), headset(made->bus);
    ASSERT_TRUE(OpenRow(keyboard, made->bus, 0));
    ASSERT_TRUE(OpenRow(headset, made->bus, 10));
    auto& hs = *made->devices[1];

    EXPECT_EQ(Exchange(keyboard, CMD_READ_PARAMS, 20, 4090)[7], 0xFF);
    EXPECT_EQ(Exchange(keyboard, CMD_READ_INFO, 34, 1)[7], 0xFF);
    EXPECT_EQ(Exchange(keyboard, 0x7E, 0, 0)[7], 0xFE);
    EXPECT_EQ(Exchange(keyboard, CMD_READ_INFO, 34, 0)[7], 0x00);

    // The headset has settings and a power record, but no keys.
    EXPECT_EQ(Exchange(headset, CMD_READ_KEYMAP, 24, 0)[7], 0xFE);
    const auto status = Exchange(headset, CMD_READ_STATUS, 6, 0);
    EXPECT_EQ(status[7], 0x00);
    EXPECT_EQ(status[8], 80);
    EXPECT_EQ(hs.ReceivedCount(), 2u);
}

TEST(SimulatedFaults, FaultSpecsNameTheKindAndOptionallyTheExchange) {
    auto every = sim::ParseFault("status-ff");
    ASSERT_TRUE(every);
    EXPECT_EQ(every->kind, sim::FaultRule::StatusFF);
    EXPECT_EQ(every->times, -1);
    auto third = sim::ParseFault("no-reply:3");
    ASSERT_TRUE(third);
    EXPECT_EQ(third->skip, 2);
    EXPECT_EQ(third->times, 1);
    auto late = sim::ParseFault("delay:250:2");
    ASSERT_TRUE(late);
    EXPECT_EQ(late->kind, sim::FaultRule::Delay);
    EXPECT_EQ(late->delayMs, 250);
    EXPECT_EQ(late->skip, 1);
    auto unplug = sim::ParseFault("unplug");
    ASSERT_TRUE(unplug);
    EXPECT_TRUE(unplug->laterPagesOnly);
    std::string why;
    for (const char* bad :
         {"", "nope", "delay", "delay:x", "no-reply:0", "no-reply:2:3", "unplug:"})
        EXPECT_FALSE(sim::ParseFault(bad, &why)) << bad;
    EXPECT_NE(why.find("no-reply, status-ff"), std::string::npos);

    EXPECT_EQ(sim::WithFault("keyboard, mouse:fault=unplug,", "no-reply"),
              "keyboard:fault=no-reply, mouse:fault=unplug,");
    EXPECT_FALSE(sim::MakeSimulatedBus("keyboard:fault=sometimes", &why));
}

TEST(SimulatedFaults, UnplugHitsThePageAfterATransfersFirst) {
    auto made = sim::MakeSimulatedBus("keyboard:fault=unplug");
    ASSERT_TRUE(made);
    HidConnection connection(made->bus);
    ASSERT_TRUE(OpenRow(connection, made->bus, 0));
    // A one-page exchange is answered; the second page of a transfer is not, and the
    // keyboard is gone from the bus.
    EXPECT_EQ(Exchange(connection, CMD_READ_INFO, 34, 0)[3], CMD_READ_INFO);
    EXPECT_EQ(Exchange(connection, CMD_READ_KEYMAP, 56, 56)[3], 0);
    std::vector<std::string> paths;
    made->bus->Enumerate(paths);
    EXPECT_TRUE(paths.empty());
}
