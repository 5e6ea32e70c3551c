// The output side: frames built from the LED colour list as the keyboard receives
// them, and the lighting thread that paces steps and streams frames.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "EngineFixture.h"
#include "KeyIndexes.h"
#include "device/SimFixture.h"
#include "lighting/LightFrame.h"
#include "lighting/LightPacer.h"
#include "lighting/LightingDriver.h"
#include "platform/Debug.h"
#include "platform/Time.h"

namespace vivori::testing {
namespace {

using lighting::BuildLightFrame;
using lighting::LightingDriver;

constexpr int kKeySlots = 104;

// The light-frame bytes the keyboard received, pages put together by offset.
std::vector<uint8_t> ReceivedLightBytes(const sim::SimDevice& device) {
    std::vector<uint8_t> bytes;
    for (const auto& f : device.ReceivedFrames()) {
        if (f[3] != CMD_LIGHT_FRAME) continue;
        const size_t offset = f[5] | f[6] << 8, length = f[4];
        if (bytes.size() < offset + length) bytes.resize(offset + length);
        std::copy_n(f.begin() + kFramePayloadOffset, length, bytes.begin() + offset);
    }
    return bytes;
}

size_t LightPages(const sim::SimDevice& device) {
    return PagesOf(device, CMD_LIGHT_FRAME).size();
}

TEST(LightFrame, PutsEachKeyAtItsLedScaledByBrightness) {
    lighting::LedColourList colours{};
    colours[30] = {200, 100, 50, 128};
    colours[31] = {255, 255, 255, 255};
    colours[32] = {9, 9, 9, 255};
    colours[33] = {9, 9, 9, 255};
    // Key 32's LED is past the 104 slots the keyboard streams; key 33 has none.
    const lighting::KeyIndexMap ledOfKey =
        KeyIndexes({{30, 5}, {31, 103}, {32, 120}, {33, 255}, {-4, 0}});
    auto frame = BuildLightFrame(colours, ledOfKey, kKeySlots);
    ASSERT_EQ(frame.size(), 312u);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 15, frame.begin() + 18),
              (std::vector<uint8_t>{100, 50, 25}));
    EXPECT_EQ(std::vector<uint8_t>(frame.end() - 3, frame.end()),
              (std::vector<uint8_t>{254, 254, 254}));
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0), 312 - 6);
    EXPECT_EQ(BuildLightFrame(colours, ledOfKey, 900).size(), 510u);
    EXPECT_TRUE(BuildLightFrame(colours, ledOfKey, -1).empty());
}

// Passes of the lighting loop with a clock that moves by whole 16 ms ticks: the
// pass at which each step runs.
std::vector<int> StepPasses(int mode, int speed, int passes) {
    lighting::LightPacer pacer;
    pacer.Reset(0);
    std::vector<int> due;
    for (int i = 1; i <= passes; ++i)
        if (pacer.Pass(static_cast<uint32_t>(i) * lighting::kLightTickMs, mode, speed))
            due.push_back(i);
    return due;
}

TEST(LightPacing, SpeedThresholdsCountLightTicks) {
    EXPECT_EQ(StepPasses(4, 4, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(StepPasses(4, 0, 25), (std::vector<int>{10, 20}));
    EXPECT_EQ(StepPasses(16, 4, 7), (std::vector<int>{3, 6}));
    EXPECT_EQ(StepPasses(29, 4, 6), (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(StepPasses(4, 9, 3), StepPasses(4, 4, 3));  // speed from a file: clamped
    EXPECT_EQ(StepPasses(4, -2, 25), StepPasses(4, 0, 25));
    // Mode 30 at speed 1-4 and modes outside 1-30 run on every pass, ticks or not.
    lighting::LightPacer pacer;
    pacer.Reset(0);
    EXPECT_TRUE(pacer.Pass(1, 30, 1));
    EXPECT_TRUE(pacer.Pass(1, 30, 4));
    EXPECT_TRUE(pacer.Pass(2, 77, 0));
    EXPECT_FALSE(pacer.Pass(3, 30, 0));
}

class LightOutput : public SimTransportTest {
  protected:
    // A keyboard whose key 30 sits in slot 3 with LED 7.
    const lighting::KeyIndexMap keySlotOfKey_ = KeyIndexes({{30, 3}});
    const lighting::KeyIndexMap ledOfKey_ = KeyIndexes({{30, 7}});
    lighting::LightEngine engine_;
    std::mutex lock_;  // the light lock of the device object
    std::atomic<int> ticks_{0};

    LightingDriver::Hooks Hooks() {
        return {
            .pace =
                [this] {
                    std::lock_guard guard(lock_);
                    return LightingDriver::Pace{engine_.Settings().mode, engine_.Settings().speed};
                },
            .step =
                [this] {
                    std::lock_guard guard(lock_);
                    engine_.Step(GetTickCount());
                },
            .sendFrame =
                [this] {
                    std::vector<uint8_t> frame;
                    {
                        std::lock_guard guard(lock_);
                        frame = BuildLightFrame(engine_.Colours(), ledOfKey_, kKeySlots);
                    }
                    return transport->SendLightFrame(frame.data(), frame.size());
                },
            .tick = [this] { ++ticks_; }};
    }
};

TEST_F(LightOutput, KeyPressNotificationLightsTheKeyInTheStreamedFrame) {
    AttachWired();
    engine_.Start(SettingsFor(7, false));
    auto event = lighting::KeySlotEventOfNotification(0x0503);
    ASSERT_TRUE(event);
    ASSERT_TRUE(engine_.OnKeySlotEvent(event->slot, event->action, keySlotOfKey_));
    engine_.Step(0);
    auto frame = BuildLightFrame(engine_.Colours(), ledOfKey_, kKeySlots);
    ASSERT_EQ(transport->SendLightFrame(frame.data(), frame.size()), CMD_OK);
    auto received = ReceivedLightBytes(*keyboard);
    ASSERT_EQ(received.size(), 312u);
    // Red 255 at brightness 254 (full level x key level 255 / 256).
    EXPECT_EQ(std::vector<uint8_t>(received.begin() + 21, received.begin() + 24),
              (std::vector<uint8_t>{253, 0, 0}));
    EXPECT_EQ(std::count(received.begin(), received.end(), 0), 312 - 1);
}

TEST_F(LightOutput, DriverStepsAtTheSpeedsPaceAndStreamsOnlyHostDrivenModes) {
    AttachWired();
    engine_.Start(SettingsFor(4));
    LightingDriver driver(*transport);
    ASSERT_TRUE(driver.Start(Hooks()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    driver.Stop();
    // Speed 4: a step every 16 ms tick, and the per-tick work with it. The firmware
    // runs mode 4 itself: no frames.
    EXPECT_GE(driver.StepsRun(), 5u);
    EXPECT_LE(driver.StepsRun(), 20u);
    EXPECT_EQ(uint64_t(ticks_.load()), driver.StepsRun());
    EXPECT_EQ(driver.FramesSent(), 0u);
    EXPECT_TRUE(ReceivedLightBytes(*keyboard).empty());

    // Mode 30 is the host's: frames every 10 ms on the cable.
    engine_.Start(SettingsFor(30));
    ASSERT_TRUE(driver.Start(Hooks()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    driver.Stop();
    EXPECT_GE(driver.FramesSent(), 3u);
    EXPECT_LE(driver.FramesSent(), 31u);
    EXPECT_EQ(ReceivedLightBytes(*keyboard).size(), 312u);

    ticks_ = 0;
    auto slow = SettingsFor(4);
    slow.speed = 0;  // ten ticks a step: 160 ms
    engine_.Start(slow);
    const uint64_t before = driver.StepsRun();
    ASSERT_TRUE(driver.Start(Hooks()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    driver.Stop();
    EXPECT_LE(driver.StepsRun() - before, 2u);
    // The per-tick work does not follow the speed.
    EXPECT_GE(ticks_.load(), 10);
}

// Nobody looks: a firmware mode's steps would be lost, so the thread sleeps until it is
// woken, while a host-driven mode streams on; a sleeping thread still stops at once.
TEST_F(LightOutput, AnIdleDriverSleepsUntilWokenButAHostDrivenModeStreamsOn) {
    AttachWired();
    engine_.Start(SettingsFor(4));
    std::atomic<bool> idle{true};
    LightingDriver::Hooks hooks = Hooks();
    hooks.idle = [&idle] { return idle.load(); };
    LightingDriver driver(*transport);
    ASSERT_TRUE(driver.Start(hooks));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(driver.StepsRun(), 0u);
    EXPECT_EQ(ticks_.load(), 0);

    idle = false;
    driver.Wake();
    auto until = [](auto done) {
        for (int i = 0; i < 400 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return done();
    };
    EXPECT_TRUE(until([&] { return driver.StepsRun() >= 3; }));

    // Unseen again, but the host's mode: frames go out all the same.
    idle = true;
    {
        std::lock_guard guard(lock_);
        engine_.Start(SettingsFor(30));
    }
    driver.Wake();
    const uint64_t framesBefore = driver.FramesSent();
    EXPECT_TRUE(until([&] { return driver.FramesSent() >= framesBefore + 3; }));

    // Back to a firmware mode: asleep again, and a stop ends the sleep.
    {
        std::lock_guard guard(lock_);
        engine_.Start(SettingsFor(4));
    }
    driver.Wake();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint64_t stepsAsleep = driver.StepsRun();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(driver.StepsRun(), stepsAsleep);
    EXPECT_EQ(driver.Stop(), StopResult::Ended);
}

TEST_F(LightOutput, FramesAreDroppedWhileTheTransportIsBusy) {
    AttachWired();
    engine_.Start(SettingsFor(30));
    LightingDriver driver(*transport);
    ASSERT_TRUE(driver.Start(Hooks()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    keyboard->InjectFault(
        {.kind = sim::FaultRule::Delay, .command = CMD_READ_INFO, .delayMs = 300});
    const size_t pagesBefore = LightPages(*keyboard);
    std::array<uint8_t, kInfoSize> info{};
    transport->ReadInfo(info.data());  // busy for 300 ms
    const size_t pagesDuring = LightPages(*keyboard) - pagesBefore;
    driver.Stop();
    EXPECT_GE(driver.FramesDropped(), 10u);
    // 30 frames of 6 pages would have gone out; at most one frame already under way.
    EXPECT_LE(pagesDuring, 6u);
}

TEST_F(LightOutput, DriverStopsWithinItsBoundOpenOrClosed) {
    for (bool open : {true, false}) {
        if (open) AttachWired();
        engine_.Start(SettingsFor(1));
        LightingDriver driver(*transport);
        ASSERT_TRUE(driver.Start(Hooks()));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const auto start = std::chrono::steady_clock::now();
        DebugCapture capture;
        EXPECT_EQ(driver.Stop(), StopResult::Ended);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::milliseconds(LightingDriver::kStopTimeoutMs));
        EXPECT_TRUE(capture.Contains("KB灯光线程设定退出"));
        if (!open) {
            EXPECT_EQ(driver.StepsRun(), 0u) << "a closed transport steps nothing";
        }
        transport->SetOpen(false);
    }
}

TEST_F(LightOutput, DriverIdlesWhileLightingIsSynchronised) {
    AttachWired();
    transport->SetSyncLighting(true);
    engine_.Start(SettingsFor(4));
    LightingDriver driver(*transport);
    ASSERT_TRUE(driver.Start(Hooks()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    driver.Stop();
    EXPECT_EQ(driver.StepsRun(), 0u);
    EXPECT_EQ(LightPages(*keyboard), 0u);
}

}  // namespace
}  // namespace vivori::testing
