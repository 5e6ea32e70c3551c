#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "RecordingWindow.h"
#include "platform/WorkerThread.h"

using namespace vivori;
using namespace vivori::ui;

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A worker's send to a UI thread that is not pumping: it starts the send, and the
// test then acts while the worker is blocked in it.
struct BlockedSender {
    explicit BlockedSender(HWND hwnd) {
        worker.Start([this, hwnd](Event&) {
            started.Set();
            result = SendMessage(hwnd, WM_USER, 7, reinterpret_cast<LPARAM>(&payload));
            returned.Set();
        });
        started.Wait(kInfinite);
        Sleep(30);  // into the wait
    }

    WorkerThread worker;
    Event started{ResetMode::Manual};
    Event returned{ResetMode::Manual};
    int payload = 1;
    std::atomic<LRESULT> result{-1};
};

}  // namespace

TEST(SendMessage, AWorkersSendReturnsTheHandlersResultAfterItRanOnTheWindowsThread) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("send", "Test");
    window.onMessage = [](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_COPYDATA) {
            auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(l);
            return static_cast<LRESULT>(copy->dwData * 1000 + copy->data.size());
        }
        if (msg == WM_CLOSE) PostQuitMessage(0);
        return msg == WM_USER ? static_cast<LRESULT>(w * 2) : 0;
    };
    std::atomic<LRESULT> doubled{0}, copied{0};
    std::thread worker([&] {
        doubled = SendMessage(hwnd, WM_USER, 21, 0);
        COPYDATASTRUCT copy{5, std::vector<std::uint8_t>(1024, 0xAB)};
        copied = SendMessage(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
        PostMessage(hwnd, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(RunMessageLoop(), 0);
    worker.join();
    EXPECT_EQ(doubled.load(), 42);
    EXPECT_EQ(copied.load(), 5 * 1000 + 1024);
    for (const auto& record : window.records) EXPECT_EQ(record.thread, std::this_thread::get_id());
}

TEST(SendMessage, OnTheWindowsOwnThreadTheHandlerRunsAtOnce) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("direct", "Test");
    window.onMessage = [](UINT, WPARAM w, LPARAM) -> LRESULT {
        return static_cast<LRESULT>(w + 1);
    };
    EXPECT_EQ(SendMessage(hwnd, WM_USER, 9, 0), 10);
    LRESULT result = 0;
    EXPECT_TRUE(SendMessageTimeout(hwnd, WM_USER, 1, 0, 0, &result));
    EXPECT_EQ(result, 2);
}

TEST(SendMessage, StoppingTheSenderReleasesItWithinTheStopBoundAndTheHandlerNeverRuns) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("stop", "Test");
    BlockedSender sender(hwnd);
    auto start = Clock::now();
    EXPECT_EQ(sender.worker.Stop(500), StopResult::Ended);
    EXPECT_LT(MsSince(start), 200);
    EXPECT_EQ(sender.result.load(), 0);

    // A stopped worker's later sends give way at once, without queueing anything.
    WorkerThread stopped;
    stopped.Start([&](Event& stop) {
        stop.Wait(kInfinite);
        sender.result = SendMessage(hwnd, WM_USER, 8, 0);
    });
    EXPECT_EQ(stopped.Stop(500), StopResult::Ended);
    PumpMessages();
    EXPECT_TRUE(window.WParamsOf(WM_USER).empty());
}

TEST(SendMessage, DestroyingTheWindowReleasesAWaitingSender) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("destroy", "Test");
    BlockedSender sender(hwnd);
    window.DestroyHandle();
    EXPECT_TRUE(sender.returned.Wait(500));
    EXPECT_EQ(sender.result.load(), 0);
    PumpMessages();
    EXPECT_TRUE(window.WParamsOf(WM_USER).empty());
}

TEST(SendMessage, ATimedOutSendNeverRunsItsHandlerLater) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("timeout", "Test");
    window.onMessage = [](UINT msg, WPARAM, LPARAM l) -> LRESULT {
        // The data lives on the sender's stack; reading it late would be the fault.
        return msg == WM_USER ? *reinterpret_cast<const int*>(l) : 0;
    };
    bool answered = true;
    LRESULT result = -1;
    long waited = 0;
    std::thread worker([&] {
        int onStack = 5;
        auto start = Clock::now();
        answered =
            SendMessageTimeout(hwnd, WM_USER, 0, reinterpret_cast<LPARAM>(&onStack), 50, &result);
        waited = MsSince(start);
    });
    worker.join();
    EXPECT_FALSE(answered);
    EXPECT_EQ(result, 0);
    EXPECT_GE(waited, 50);
    PumpMessages();
    EXPECT_TRUE(window.WParamsOf(WM_USER).empty());

    // With the window's thread serving, the same call is answered.
    std::thread served([&] {
        int onStack = 6;
        answered =
            SendMessageTimeout(hwnd, WM_USER, 0, reinterpret_cast<LPARAM>(&onStack), 1500, &result);
    });
    ASSERT_TRUE(PumpUntil([&] { return !window.WParamsOf(WM_USER).empty(); }));
    served.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(result, 6);
}

TEST(SendMessage, TwoWindowThreadsSendingToEachOtherDoNotDeadlock) {
    RecordingWindow ui;
    HWND uiHwnd = ui.CreateHandle("ui", "Test");
    ui.onMessage = [](UINT msg, WPARAM w, LPARAM) -> LRESULT {
        return msg == WM_USER ? static_cast<LRESULT>(w + 100) : 0;
    };
    std::atomic<HWND> otherHwnd{0};
    std::thread other([&] {
        RecordingWindow window;
        // Its handler calls back into the UI thread, which is itself blocked sending.
        window.onMessage = [uiHwnd](UINT msg, WPARAM w, LPARAM) -> LRESULT {
            if (msg == WM_CLOSE) PostQuitMessage(0);
            return msg == WM_USER ? SendMessage(uiHwnd, WM_USER, w + 1, 0) : 0;
        };
        otherHwnd = window.CreateHandle("other", "Test");
        RunMessageLoop();
    });
    while (otherHwnd.load() == 0) Sleep(1);
    EXPECT_EQ(SendMessage(otherHwnd, WM_USER, 1, 0), 102);
    PostMessage(otherHwnd, WM_CLOSE, 0, 0);
    other.join();
    EXPECT_FALSE(IsWindow(otherHwnd));
}
