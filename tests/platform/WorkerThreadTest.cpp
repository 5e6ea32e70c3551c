#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/CriticalSection.h"
#include "platform/Debug.h"
#include "platform/Time.h"
#include "platform/WorkerThread.h"

using namespace vivori;

TEST(WorkerThread, StopEndsABodyThatWaitsOnItsStopEvent) {
    WorkerThread worker;
    std::atomic<int> passes{0};
    ASSERT_TRUE(worker.Start([&](Event& stop) {
        while (!stop.Wait(1)) ++passes;
    }));
    // At least one pass, however long a loaded machine takes to run the thread.
    for (int i = 0; i < 2000 && passes.load() == 0; ++i) Sleep(1);
    EXPECT_TRUE(worker.Running());
    EXPECT_EQ(worker.Stop(1000), StopResult::Ended);
    EXPECT_FALSE(worker.Running());
    EXPECT_GT(passes.load(), 0);
    EXPECT_EQ(StopResultLine(StopResult::Ended), "线程退出：：对象处于激发状态\n");
}

TEST(WorkerThread, StopIsBoundedAndReportsATimeOutForASlowBody) {
    WorkerThread worker;
    worker.Start([](Event&) { Sleep(300); });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(worker.Stop(50), StopResult::TimedOut);
    // It still joins, so nothing outlives the object.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_EQ(worker.Stop(50), StopResult::NotRunning);
}

TEST(WorkerThread, CanBeRestartedWithAFreshStopEvent) {
    WorkerThread worker;
    for (int round = 0; round < 3; ++round) {
        std::atomic<bool> ran{false};
        ASSERT_TRUE(worker.Start([&](Event& stop) {
            ran = true;
            stop.Wait(kInfinite);
        }));
        while (!ran) Sleep(1);
        EXPECT_EQ(worker.Stop(1000), StopResult::Ended);
    }
}

TEST(CriticalSection, OwnerMayEnterAgainOthersWait) {
    CriticalSection cs;
    CriticalSectionLock outer(cs);
    {
        CriticalSectionLock inner(cs);  // recursive entry does not deadlock
    }
    std::atomic<bool> got{true};
    std::thread other([&] { got = cs.TryEnter(); });
    other.join();
    EXPECT_FALSE(got.load());
}

TEST(Debug, SilentUnlessCapturedAndCapturesFromAnyThread) {
    {
        DebugCapture capture;
        EXPECT_TRUE(DebugEnabled());
        DebugOutput("命令");
        std::thread t([] { DebugPrintf("%02x %s", 0xab, "返回"); });
        t.join();
        auto lines = capture.Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "命令");
        EXPECT_EQ(lines[1], "ab 返回");
    }
    if (!std::getenv("VIVORI_DEBUG")) {
        EXPECT_FALSE(DebugEnabled());
    }
}
