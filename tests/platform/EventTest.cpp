#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/Event.h"
#include "platform/Time.h"

using namespace vivori;
using Clock = std::chrono::steady_clock;

static long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(Event, AutoResetIsConsumedByOneWaitManualResetStays) {
    Event autoEvent(ResetMode::Auto);
    Event manual(ResetMode::Manual);
    autoEvent.Set();
    manual.Set();
    EXPECT_TRUE(autoEvent.Wait(0));
    EXPECT_FALSE(autoEvent.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(0));
}

TEST(Event, WaitForAnyReturnsLowestSignalledIndexFirst) {
    Event a(ResetMode::Manual), b(ResetMode::Manual);
    Event* both[] = {&a, &b};
    b.Set();
    EXPECT_EQ(WaitForAny(both, 0), 1);
    a.Set();
    EXPECT_EQ(WaitForAny(both, 0), 0);
}

TEST(Event, WaitForAnyTimesOutAfterRoughlyTheTimeout) {
    Event a, b;
    Event* both[] = {&a, &b};
    auto start = Clock::now();
    EXPECT_EQ(WaitForAny(both, 120), kWaitTimeout);
    long ms = MsSince(start);
    EXPECT_GE(ms, 115);
    EXPECT_LT(ms, 1000);
}

TEST(Event, ShortTimedWaitsSleepInsteadOfSpinning) {
    Event idle(ResetMode::Manual);
    timespec before{}, after{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    for (int i = 0; i < 100; ++i) idle.Wait(1);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    const double cpuMs =
        (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) * 1e-6;
    // Spinning through the sub-millisecond remainder costs most of the 100 ms.
    EXPECT_LT(cpuMs, 30.0);
}

TEST(Event, SetFromAnotherThreadWakesABlockedWaiterPromptly) {
    Event stop(ResetMode::Manual);
    Event other;
    auto start = Clock::now();
    std::thread setter([&] {
        Sleep(30);
        stop.Set();
    });
    Event* events[] = {&other, &stop};
    EXPECT_EQ(WaitForAny(events, kInfinite), 1);
    EXPECT_LT(MsSince(start), 1000);
    setter.join();
}

TEST(Event, EachAutoResetSignalReleasesExactlyOneWaiter) {
    Event ev(ResetMode::Auto);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i)
        waiters.emplace_back([&] {
            if (ev.Wait(2000)) ++woken;
        });
    Sleep(50);
    for (int i = 0; i < 4; ++i) {
        ev.Set();
        // Let one waiter take it before the next signal, or signals would merge.
        for (int spin = 0; spin < 200 && woken.load() <= i; ++spin) Sleep(1);
    }
    for (auto& t : waiters) t.join();
    EXPECT_EQ(woken.load(), 4);
}

TEST(Event, ManualResetReleasesEveryWaiter) {
    Event ev(ResetMode::Manual);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 6; ++i)
        waiters.emplace_back([&] {
            if (ev.Wait(3000)) ++woken;
        });
    Sleep(30);
    ev.Set();
    for (auto& t : waiters) t.join();
    EXPECT_EQ(woken.load(), 6);
}

TEST(Event, ManySignalsAcrossThreadsAreNeverLost) {
    // A ping-pong of two auto-reset events: a lost wake-up shows as a time-out.
    Event ping, pong;
    constexpr int kRounds = 20000;
    std::atomic<bool> failed{false};
    std::thread peer([&] {
        for (int i = 0; i < kRounds && !failed; ++i) {
            if (!ping.Wait(2000)) failed = true;
            pong.Set();
        }
    });
    for (int i = 0; i < kRounds && !failed; ++i) {
        ping.Set();
        if (!pong.Wait(2000)) failed = true;
    }
    ping.Set();
    peer.join();
    EXPECT_FALSE(failed.load());
}
