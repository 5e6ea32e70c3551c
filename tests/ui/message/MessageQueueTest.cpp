#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "RecordingWindow.h"

using namespace vivori;
using namespace vivori::ui;

TEST(MessageQueue, PostedMessagesKeepTheirOrderAndRunOnTheWindowsThread) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("queue", "Test");
    ASSERT_NE(hwnd, 0u);
    std::thread poster([hwnd] {
        for (WPARAM i = 0; i < 200; ++i) ASSERT_TRUE(PostMessage(hwnd, WM_APP, i, 0));
    });
    for (WPARAM i = 0; i < 200; ++i) ASSERT_TRUE(PostMessage(hwnd, WM_USER, i, 0));
    poster.join();
    ASSERT_TRUE(PumpUntil([&] { return window.WParamsOf(WM_APP).size() == 200; }));
    PumpMessages();

    std::vector<WPARAM> expected(200);
    for (WPARAM i = 0; i < 200; ++i) expected[i] = i;
    EXPECT_EQ(window.WParamsOf(WM_USER), expected);
    EXPECT_EQ(window.WParamsOf(WM_APP), expected);
    for (const auto& record : window.records) EXPECT_EQ(record.thread, std::this_thread::get_id());
}

TEST(MessageQueue, ADestroyedWindowGetsNothingMoreAndItsHandleIsNeverReused) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("gone", "Test");
    PostMessage(hwnd, WM_USER, 1, 0);
    PostMessage(hwnd, WM_USER, 2, 0);
    window.DestroyHandle();
    PumpMessages();

    ASSERT_EQ(window.records.size(), 2u);
    EXPECT_EQ(window.records[0].message, WM_CREATE);
    EXPECT_EQ(window.records[1].message, WM_DESTROY);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, WM_USER, 3, 0));
    EXPECT_EQ(SendMessage(hwnd, WM_USER, 4, 0), 0);

    HWND again = window.CreateHandle("gone", "Test");
    EXPECT_NE(again, hwnd);
    EXPECT_TRUE(IsWindow(again));
}

TEST(MessageQueue, AHandlerRefusingCreationLeavesNoWindow) {
    RecordingWindow window;
    window.onMessage = [](UINT msg, WPARAM, LPARAM) -> LRESULT {
        return msg == WM_CREATE ? -1 : 0;
    };
    EXPECT_EQ(window.CreateHandle("refused", "Test"), 0u);
    EXPECT_EQ(window.GetHWND(), 0u);
    EXPECT_EQ(window.WParamsOf(WM_DESTROY).size(), 1u);
}

TEST(MessageQueue, BroadcastReachesEveryWindowAndTheForwarder) {
    RecordingWindow first, second;
    first.CreateHandle("one", "Test");
    second.CreateHandle("two", "Test");
    std::vector<UINT> forwarded;
    SetBroadcastForwarder([&](UINT msg, WPARAM, LPARAM) { forwarded.push_back(msg); });
    EXPECT_TRUE(PostMessage(HWND_BROADCAST, WM_APP + 5, 9, 1));
    SetBroadcastForwarder(nullptr);
    PumpMessages();
    EXPECT_EQ(first.WParamsOf(WM_APP + 5), std::vector<WPARAM>{9});
    EXPECT_EQ(second.WParamsOf(WM_APP + 5), std::vector<WPARAM>{9});
    EXPECT_EQ(forwarded, std::vector<UINT>{WM_APP + 5});
}

TEST(MessageQueue, FindWindowMatchesClassAndTitleWithoutCase) {
    RecordingWindow main, settings;
    HWND mainHwnd = main.CreateHandle("VELTRA Main", "MainWnd");
    HWND settingsHwnd = settings.CreateHandle("Settings", "SettingWnd");
    EXPECT_EQ(FindWindow("mainwnd", "veltra main"), mainHwnd);
    EXPECT_EQ(FindWindow("", "SETTINGS"), settingsHwnd);
    EXPECT_EQ(FindWindow("MainWnd", "Settings"), 0u);
    settings.DestroyHandle();
    EXPECT_EQ(FindWindow("", "Settings"), 0u);
}

TEST(MessageLoop, TimersRepeatUntilKilledAndQuitEndsTheLoopWithItsCode) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("timers", "Test");
    int ticks = 0;
    window.onMessage = [hwnd, &ticks](UINT msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == WM_TIMER && w == 1011 && ++ticks == 3) {
            EXPECT_TRUE(KillTimer(hwnd, 1011));
            SetTimer(hwnd, 1032, 30);
        } else if (msg == WM_TIMER && w == 1032) {
            PostQuitMessage(42);
        }
        return 0;
    };
    ASSERT_EQ(SetTimer(hwnd, 1011, 10), 1011u);
    EXPECT_EQ(RunMessageLoop(), 42);
    EXPECT_EQ(window.WParamsOf(WM_TIMER).size(), 4u);

    // Killed, and a destroyed window's timers end with it.
    window.DestroyHandle();
    Sleep(60);
    PumpMessages();
    EXPECT_EQ(window.WParamsOf(WM_TIMER).size(), 4u);
    EXPECT_FALSE(KillTimer(hwnd, 1032));
    EXPECT_EQ(SetTimer(hwnd, 1066, 10), 0u);
}

TEST(MessageLoop, QuitComesAfterQueuedMessagesAndEndsNestedLoopsToo) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle("quit", "Test");
    int innerCode = -1;
    window.onMessage = [&](UINT msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == WM_USER && w == 1) {
            // A modal loop inside a handler.
            PostMessage(hwnd, WM_USER, 2, 0);
            PostQuitMessage(3);
            innerCode = RunMessageLoop();
        }
        return 0;
    };
    PostMessage(hwnd, WM_USER, 1, 0);
    EXPECT_EQ(RunMessageLoop(), 3);
    EXPECT_EQ(innerCode, 3);
    EXPECT_EQ(window.WParamsOf(WM_USER), (std::vector<WPARAM>{1, 2}));

    // A quit posted while no loop runs ends the next loop at once.
    PostQuitMessage(8);
    EXPECT_EQ(RunMessageLoop(), 8);
}

TEST(MessageLoop, AReadableDescriptorRunsItsCallbackUntilUnwatched) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int calls = 0;
    ASSERT_TRUE(WatchReadable(fds[0], [&] {
        char byte;
        EXPECT_EQ(read(fds[0], &byte, 1), 1);
        ++calls;
        EXPECT_TRUE(Unwatch(fds[0]));
        PostQuitMessage(byte);
    }));
    std::thread writer([&] {
        Sleep(20);
        EXPECT_EQ(write(fds[1], "\5\6", 2), 2);
    });
    EXPECT_EQ(RunMessageLoop(), 5);
    writer.join();
    // Unwatched from inside its own callback: the second byte wakes nobody.
    Sleep(20);
    PumpMessages();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(Unwatch(fds[0]));
    close(fds[0]);
    close(fds[1]);
}
