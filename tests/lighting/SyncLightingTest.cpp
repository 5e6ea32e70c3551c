// Synchronised lighting: the group's effect and the thread that drives it.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "lighting/LightTables.h"
#include "lighting/SyncLighting.h"
#include "platform/Time.h"

namespace vivori::lighting {
namespace {

std::vector<LedColour> Offline(const SyncSettings& s, int steps) {
    SyncAnimator animator;
    std::vector<LedColour> out;
    for (int i = 1; i <= steps; ++i)
        out.push_back(animator.Step(s, uint32_t(i) * SyncStepMs(s.speed)));
    return out;
}

TEST(SyncLighting, EveryFamilyMapsItsModesToTheSameKindsAndBack) {
    for (int type : {kPanelKeyboard, kPanelMouse, kPanelMousePad, kPanelHeadset, kPanelHeadsetAlt})
        for (int k = 0; k < kSyncKindCount; ++k) {
            const int mode = ModeOfSyncKind(type, SyncKind(k));
            ASSERT_GE(mode, 0);
            EXPECT_EQ(SyncKindOfMode(type, mode), SyncKind(k)) << type << " " << mode;
        }
    EXPECT_EQ(ModeOfSyncKind(kPanelKeyboard, SyncKind::Breathing), 5);
    EXPECT_EQ(ModeOfSyncKind(kPanelMousePad, SyncKind::Off), 8);
    EXPECT_FALSE(SyncKindOfMode(kPanelKeyboard, 1));  // a wave: nothing to share
    EXPECT_FALSE(SyncKindOfMode(9, 5));
}

TEST(SyncLighting, BreathingFollowsTheCurveAndSpeedZeroStepsEveryTwentyEightTicks) {
    SyncSettings s{.kind = SyncKind::Breathing, .brightness = 4, .speed = 0, .colour = {1, 2, 3}};
    EXPECT_EQ(SyncStepMs(0), 28u * 16u);
    const auto steps = Offline(s, 130);
    EXPECT_EQ(steps[0], (LedColour{1, 2, 3, uint8_t(255 * BreathingCurve(1) >> 8)}));
    EXPECT_EQ(steps[63].brightness, 255 * 255 >> 8);
    EXPECT_EQ(steps[127].brightness, 0);  // phase back at 0
    // Backward breathing starts at the end of the curve.
    s.direction = 0;
    EXPECT_EQ(Offline(s, 1)[0].brightness, 255 * BreathingCurve(127) >> 8);
}

TEST(SyncLighting, LevelsFromADeviceOutsideTheirRangeAreHeldToTheTables) {
    SyncSettings s{.kind = SyncKind::Steady, .brightness = 200, .speed = -3};
    EXPECT_EQ(Offline(s, 1)[0].brightness, 255);
    EXPECT_EQ(SyncStepMs(-3), SyncStepMs(0));
    EXPECT_EQ(SyncStepMs(99), SyncStepMs(4));
}

TEST(SyncLighting, FlashPositionWrapsPastTheEndOfTheWheel) {
    // Steps of 14 never meet 192 exactly: the position must wrap, not run off the table.
    SyncSettings s{.kind = SyncKind::Flashing, .speed = 4, .colourful = true};
    SyncAnimator animator;
    const uint32_t period = 7 * 200;
    std::vector<LedColour> lit;
    for (int toggle = 0; toggle < 60; ++toggle) {
        LedColour c = animator.Step(s, uint32_t(toggle) * period);
        if (c.brightness != 0) lit.push_back(c);
    }
    ASSERT_EQ(lit.size(), 30u);
    for (size_t i = 0; i < lit.size(); ++i) {
        const Rgb want = Spectrum(int((14 * (2 * i + 1)) % 192));
        EXPECT_EQ((Rgb{lit[i].red, lit[i].green, lit[i].blue}), want) << i;
    }
}

TEST(SyncLighting, ColourCycleAndColourfulBreathingWalkTheWheel) {
    const auto cycle = Offline({.kind = SyncKind::ColourCycle, .brightness = 2}, 193);
    EXPECT_EQ(cycle[0], (LedColour{Spectrum(1).red, Spectrum(1).green, Spectrum(1).blue, 135}));
    EXPECT_EQ(cycle[191], (LedColour{Spectrum(0).red, Spectrum(0).green, Spectrum(0).blue, 135}));
    // Colourful breathing moves the wheel on by 16 each time the phase starts again.
    const auto breathing = Offline({.kind = SyncKind::Breathing, .colourful = true}, 129);
    EXPECT_EQ(breathing[0].red, Spectrum(16).red);
    EXPECT_EQ(breathing[127].green, Spectrum(32).green);
}

// Two devices in the group, stepped by the thread on a clock running 20 times faster
// than real time: a few hundred steps, the same colours on both, none invented. (A
// loaded machine wakes the thread late now and then; it then shows only the newest of
// the steps due, so there are fewer colours shown than steps.)
TEST(SyncLightingDriver, TwoMembersReceiveIdenticalSequencesFromTheSharedClock) {
    SyncLightingDriver driver;
    std::mutex mutex;
    std::vector<LedColour> first, second;
    std::atomic<bool> inGroup{true};
    driver.SetTimeScale(20);
    const SyncSettings settings{.kind = SyncKind::Breathing, .speed = 4, .colourful = true};
    driver.SetSettings(settings);
    driver.SetMembers({{[] { return true; },
                        [&](LedColour c) {
                            std::lock_guard lock(mutex);
                            first.push_back(c);
                        }},
                       {[&] { return inGroup.load(); },
                        [&](LedColour c) {
                            std::lock_guard lock(mutex);
                            second.push_back(c);
                        }}});
    std::vector<uint64_t> numbers;
    driver.SetStepObserver([&](uint64_t n, LedColour) { numbers.push_back(n); });
    ASSERT_TRUE(driver.Start());
    const uint32_t end = GetTickCount() + 8000;
    while (driver.StepsRun() < 300 && GetTickCount() < end) Sleep(5);
    driver.Stop();
    ASSERT_GE(driver.StepsRun(), 300u);  // before the test's lock: the thread took them the other way
    std::lock_guard lock(mutex);
    ASSERT_GE(first.size(), 100u);
    EXPECT_EQ(first, second);
    // Each shown colour is the step its number says: a late wake-up skips a frame but
    // never shifts the phase.
    const auto offline = Offline(settings, int(numbers.back()));
    for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(first[i], offline[numbers[i] - 1]) << i;
}

TEST(SyncLightingDriver, SleepsWhileNoMemberIsInTheGroupAndStopsPromptly) {
    SyncLightingDriver driver;
    std::atomic<bool> active{false};
    std::atomic<int> shown{0};
    driver.SetTimeScale(100);
    driver.SetMembers({{[&] { return active.load(); }, [&](LedColour) { ++shown; }}});
    ASSERT_TRUE(driver.Start());
    Sleep(100);
    EXPECT_EQ(driver.StepsRun(), 0u);
    active = true;
    driver.Wake();
    const uint32_t end = GetTickCount() + 2000;
    while (shown.load() < 5 && GetTickCount() < end) Sleep(2);
    EXPECT_GE(shown.load(), 5);
    active = false;
    Sleep(50);
    const uint64_t steps = driver.StepsRun();
    Sleep(100);
    EXPECT_LE(driver.StepsRun(), steps + 1);
    const uint32_t before = GetTickCount();
    EXPECT_EQ(driver.Stop(), StopResult::Ended);
    EXPECT_LT(GetTickCount() - before, 200u);
}

}  // namespace
}  // namespace vivori::lighting
