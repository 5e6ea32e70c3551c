// A device's own thread: its jobs run in their order, a silent device's queue can be
// dropped, and stopping never runs what was left.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <vector>

#include "devices/DeviceWorker.h"

namespace vivori::devices {
namespace {

TEST(DeviceWorkerTest, RunsJobsInOrderDropsTheQueueAndStopsCleanly) {
    DeviceWorker worker;
    std::vector<int> ran;  // touched by the worker only, read once it is idle
    for (int i = 0; i < 50; ++i) worker.Queue([&ran, i] { ran.push_back(i); });
    ASSERT_TRUE(worker.WaitIdle(2000));
    ASSERT_EQ(ran.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(ran[size_t(i)], i);

    // A job that holds the thread (a device's time-out); what queued behind it goes.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> later{0};
    worker.Queue([released] { released.wait(); });
    for (int i = 0; i < 5; ++i) worker.Queue([&later] { ++later; });
    // A read someone waits for is kept, in its place.
    std::atomic<int> kept{0};
    worker.Queue([&] { kept = later + 1; }, true);
    EXPECT_FALSE(worker.Idle());
    worker.DropQueued();
    release.set_value();
    ASSERT_TRUE(worker.WaitIdle(2000));
    EXPECT_EQ(later.load(), 0);
    EXPECT_EQ(kept.load(), 1);

    worker.Queue([&later] { ++later; });
    ASSERT_TRUE(worker.WaitIdle(2000));
    EXPECT_EQ(later.load(), 1);

    // Stopped, the worker takes no more work and never runs it.
    worker.Stop();
    worker.Queue([&later] { ++later; });
    EXPECT_TRUE(worker.WaitIdle(100));
    EXPECT_EQ(later.load(), 1);
}

}  // namespace
}  // namespace vivori::devices
