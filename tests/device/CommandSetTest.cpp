#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <numeric>
#include <thread>

#include "SimFixture.h"
#include "platform/Debug.h"

using namespace vivori;
using namespace vivori::testing;
using sim::Area;
using sim::FaultRule;

namespace {

std::vector<uint8_t> Counting(size_t n, uint8_t first = 1) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t at, size_t n) {
    return {v.begin() + static_cast<ptrdiff_t>(at), v.begin() + static_cast<ptrdiff_t>(at + n)};
}

}  // namespace

TEST_F(SimTransportTest, PagedReadsFollowTheChunkOfEachLink) {
    uint8_t info[kInfoSize];
    uint8_t map[512];
    for (bool receiverLink : {false, true}) {
        SCOPED_TRACE(receiverLink ? "receiver" : "cable");
        receiverLink ? AttachReceiver() : AttachWired();
        auto& device = receiverLink ? *receiver : *keyboard;
        ASSERT_EQ(transport->ReadInfo(info), CMD_OK);
        ASSERT_EQ(transport->SetDataLength(info[kInfoKeySlots] * 3), true);
        ASSERT_EQ(transport->ReadKeyMap(map), CMD_OK);

        EXPECT_EQ(info[kInfoKeySlots], 104);
        EXPECT_EQ(std::vector<uint8_t>(info, info + kInfoSize), Firmware().Memory(Area::Info));
        EXPECT_EQ(std::vector<uint8_t>(map, map + 312),
                  Slice(Firmware().Memory(Area::KeyMap), 0, 312));
        if (!receiverLink) {
            EXPECT_EQ(PagesOf(device, CMD_READ_INFO), (std::vector<Page>{{34, 0}}));
            std::vector<Page> expected;
            for (int i = 0; i < 5; ++i) expected.push_back({56, i * 56});
            expected.push_back({32, 280});
            EXPECT_EQ(PagesOf(device, CMD_READ_KEYMAP), expected);
        } else {
            EXPECT_EQ(PagesOf(device, CMD_READ_INFO), (std::vector<Page>{{24, 0}, {10, 24}}));
            std::vector<Page> expected;
            for (int i = 0; i < 13; ++i) expected.push_back({24, i * 24});
            EXPECT_EQ(PagesOf(device, CMD_READ_KEYMAP), expected);
        }
        uint8_t leds[170];
        ASSERT_EQ(transport->ReadLedMap(leds), CMD_OK);
        EXPECT_EQ(leds[103], 103);
        int ledBytes = 0;
        for (const Page& p : PagesOf(device, CMD_READ_LED_MAP)) ledBytes += p.length;
        EXPECT_EQ(ledBytes, 104);
    }
}

TEST_F(SimTransportTest, ParamsAndColourBlocksAreWrittenAtTheirBaseOffsets) {
    AttachWired();
    const auto params = Counting(66);
    ASSERT_EQ(transport->WriteParams(params.data(), params.size(), 384), CMD_OK);
    EXPECT_EQ(PagesOf(*keyboard, CMD_WRITE_PARAMS), (std::vector<Page>{{56, 384}, {10, 440}}));
    EXPECT_EQ(Slice(Firmware().Memory(Area::Params), 384, 66), params);

    const auto colours = Counting(312, 7);
    ASSERT_EQ(transport->WriteKeyColours(colours.data(), colours.size(), 2), CMD_OK);
    EXPECT_EQ(PagesOf(*keyboard, CMD_WRITE_KEY_COLOURS).front(), (Page{56, 1024}));
    EXPECT_EQ(Slice(Firmware().Memory(Area::KeyColours), 1024, 312), colours);

    std::vector<uint8_t> back(312);
    ASSERT_EQ(transport->ReadKeyColours(back.data(), back.size(), 2), CMD_OK);
    EXPECT_EQ(back, colours);
    std::vector<uint8_t> readParams(66);
    ASSERT_EQ(transport->ReadParams(readParams.data(), 66, 384), CMD_OK);
    EXPECT_EQ(readParams, params);
}

TEST_F(SimTransportTest, KeyMapWrittenThroughTheReceiverIsTheCableKeyboardsMemory) {
    AttachReceiver();
    ASSERT_TRUE(transport->SetDataLength(312));
    const auto map = Counting(312);
    ASSERT_EQ(transport->WriteKeyMap(map.data(), 0), CMD_OK);
    EXPECT_EQ(PagesOf(*receiver, CMD_WRITE_KEYMAP).size(), 13u);
    EXPECT_EQ(keyboard->ReceivedCount(), 0u);

    AttachWired();
    std::vector<uint8_t> back(312);
    ASSERT_EQ(transport->ReadKeyMap(back.data()), CMD_OK);
    EXPECT_EQ(back, map);
}

TEST_F(SimTransportTest, PagedWriteStopsAtFirstDeviceErrorAndEarlierPagesStay) {
    AttachReceiver();
    const auto before = Firmware().Memory(Area::Params);
    receiver->InjectFault({FaultRule::StatusFE, CMD_WRITE_PARAMS, 2});
    const auto params = Counting(120);
    EXPECT_EQ(transport->WriteParams(params.data(), params.size(), 0), CMD_DEVICE_ERROR_FE);
    EXPECT_EQ(PagesOf(*receiver, CMD_WRITE_PARAMS).size(), 3u);  // nothing after the error
    const auto after = Firmware().Memory(Area::Params);
    EXPECT_EQ(Slice(after, 0, 48), Slice(params, 0, 48));
    EXPECT_EQ(Slice(after, 48, 72), Slice(before, 48, 72));

    receiver->InjectFault({FaultRule::StatusFF, CMD_READ_PARAMS, 1});
    std::vector<uint8_t> back(120, 0xEE);
    EXPECT_EQ(transport->ReadParams(back.data(), back.size(), 0), CMD_DEVICE_ERROR_FF);
    EXPECT_EQ(Slice(back, 0, 24), Slice(params, 0, 24));
    EXPECT_EQ(back[24], 0xEE);  // the failed page is not copied
}

TEST_F(SimTransportTest, DeviceUnpluggedMidTransferEndsItWithTheEarlierPagesWritten) {
    AttachWired();
    keyboard->InjectFault({FaultRule::Unplug, CMD_WRITE_MACROS, 1});
    const auto image = Counting(150);
    EXPECT_EQ(transport->WriteMacroImage(image.data(), image.size()), CMD_NO_REPLY);
    EXPECT_EQ(Slice(Firmware().Memory(Area::Macros), 0, 56), Slice(image, 0, 56));
    EXPECT_EQ(Firmware().Memory(Area::Macros)[56], 0);
}

TEST_F(SimTransportTest, KeyMapWriteToAnotherBlockIsRefusedUnsent) {
    AttachWired();
    const auto map = Counting(312);
    EXPECT_EQ(transport->WriteKeyMap(map.data(), 1), CMD_BAD_BLOCK);
    EXPECT_EQ(transport->WriteKeyMap(map.data(), -1), CMD_BAD_BLOCK);
    EXPECT_EQ(keyboard->ReceivedCount(), 0u);
}

TEST_F(SimTransportTest, LinkCheckIsFreeOnTheCableAndNeedsAReachableDeviceOnTheReceiver) {
    AttachWired();
    EXPECT_TRUE(transport->LinkCheck());
    EXPECT_EQ(keyboard->ReceivedCount(), 0u);

    AttachReceiver();
    EXPECT_TRUE(transport->LinkCheck());
    receiver->SetDeviceAway(true);
    EXPECT_FALSE(transport->LinkCheck());
    receiver->SetDeviceAway(false);
    // An answer whose data is not 0xFF, or whose status is an error, is a failure.
    receiver->InjectFault({FaultRule::StatusFF, CMD_LINK_CHECK});
    EXPECT_FALSE(transport->LinkCheck());
    EXPECT_EQ(PagesOf(*receiver, CMD_LINK_CHECK).size(), 3u);
    // A frame the receiver answers for itself never reaches the keyboard's firmware.
    EXPECT_EQ(keyboard->ReceivedCount(), 0u);
}

TEST_F(SimTransportTest, StatusShootAndConfigurationCommandsUseTheirFixedShapes) {
    AttachReceiver();
    uint8_t status[6] = {};
    ASSERT_EQ(transport->ReadStatus(status, 6, 0), CMD_OK);
    EXPECT_EQ(std::vector<uint8_t>(status, status + 6),
              Slice(Firmware().Memory(Area::Status), 0, 6));
    EXPECT_EQ(PagesOf(*receiver, CMD_READ_STATUS), (std::vector<Page>{{6, 0}}));

    // The recoil image goes in pages of 56 even on the receiver.
    const auto shoot = Counting(130);
    ASSERT_EQ(transport->WriteShoot(shoot.data(), shoot.size()), CMD_OK);
    EXPECT_EQ(PagesOf(*receiver, CMD_WRITE_SHOOT),
              (std::vector<Page>{{56, 0}, {56, 56}, {18, 112}}));
    EXPECT_EQ(Slice(Firmware().Memory(Area::Shoot), 0, 130), shoot);

    ASSERT_EQ(transport->ConfigBegin(), CMD_OK);
    EXPECT_TRUE(Firmware().InConfiguration());
    ASSERT_EQ(transport->HostLightOn(), CMD_OK);
    EXPECT_TRUE(Firmware().HostLightOn());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(transport->ConfigEnd(), CMD_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10));
    EXPECT_FALSE(Firmware().InConfiguration());
    EXPECT_EQ(receiver->BadChecksums(), 0u);
}

TEST_F(SimTransportTest, LightFramePagesMeetingAConfigurationInFlightAreDropped) {
    AttachWired();
    keyboard->InjectFault({FaultRule::Delay, CMD_CONFIG_BEGIN, 0, 1, 300});
    std::atomic<int> configResult{-999};
    std::thread config([&] { configResult = transport->ConfigBegin(); });
    while (!transport->IsBusy()) std::this_thread::yield();

    const auto frame = Counting(510);
    DebugCapture capture;
    EXPECT_EQ(transport->SendLightFrame(frame.data(), frame.size()), CMD_DROPPED);
    config.join();
    EXPECT_EQ(configResult.load(), CMD_OK);
    EXPECT_TRUE(PagesOf(*keyboard, CMD_LIGHT_FRAME).empty());
    int dropped = 0;
    for (const auto& line : capture.Lines()) dropped += line == "放弃灯光数据";
    EXPECT_EQ(dropped, 10);  // 9 x 56 + 6

    // Once the transport is idle the whole frame goes out.
    EXPECT_EQ(transport->SendLightFrame(frame.data(), frame.size()), CMD_OK);
    EXPECT_EQ(PagesOf(*keyboard, CMD_LIGHT_FRAME).size(), 10u);
    EXPECT_EQ(Slice(Firmware().Memory(Area::LightFrame), 0, 510), frame);
}

TEST_F(SimTransportTest, LightFrameIsDroppedUntilEveryExchangeInFlightHasEnded) {
    AttachWired();
    // A configuration command and a recoil write (which takes no lock) in flight
    // together: the first to end must not make the transport look idle.
    keyboard->InjectFault({FaultRule::Delay, CMD_CONFIG_BEGIN, 0, 1, 300});
    keyboard->InjectFault({FaultRule::Delay, CMD_WRITE_SHOOT, 0, 1, 700});
    std::atomic<int> configResult{-999}, shootResult{-999};
    std::thread config([&] { configResult = transport->ConfigBegin(); });
    while (keyboard->ReceivedCount() == 0) std::this_thread::yield();
    const auto shoot = Counting(10);
    std::thread recoil([&] { shootResult = transport->WriteShoot(shoot.data(), shoot.size()); });
    config.join();

    const auto frame = Counting(56);
    EXPECT_EQ(transport->SendLightFrame(frame.data(), frame.size()), CMD_DROPPED);
    recoil.join();
    EXPECT_EQ(configResult.load(), CMD_OK);
    EXPECT_EQ(shootResult.load(), CMD_OK);
    EXPECT_TRUE(PagesOf(*keyboard, CMD_LIGHT_FRAME).empty());
    EXPECT_FALSE(transport->IsBusy());
}

TEST_F(SimTransportTest, ALightFrameNeverWaitsForTheLinkItFindsTaken) {
    AttachWired();
    // Another thread holds the link, as an exchange does from its write to its read.
    std::promise<void> frameDone;
    std::atomic<bool> held{false};
    std::thread holder([&] {
        CriticalSectionLock lock(transport->IoLock());
        held = true;
        frameDone.get_future().wait_for(std::chrono::seconds(5));
    });
    while (!held) std::this_thread::yield();
    const auto frame = Counting(56);
    const int result = transport->SendLightFrame(frame.data(), frame.size());
    frameDone.set_value();
    holder.join();
    EXPECT_EQ(result, CMD_DROPPED);
    EXPECT_TRUE(PagesOf(*keyboard, CMD_LIGHT_FRAME).empty());
    EXPECT_EQ(transport->SendLightFrame(frame.data(), frame.size()), CMD_OK);
}
