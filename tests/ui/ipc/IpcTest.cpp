#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "platform/Debug.h"
#include "ui/ipc/IpcEndpoint.h"
#include "ui/ipc/IpcFrame.h"
#include "ui/ipc/IpcPeers.h"
#include "ui/message/CoreApplication.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

using namespace vivori::ui;

namespace {

// Every test gets its own runtime folder, so its sockets and locks meet only its own
// helper processes.
class IpcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vivori-ipc-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        EnsureCoreApplication();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Runs the helper with these arguments; its output.
    static std::string RunHelper(const std::string& arguments) {
        std::string output;
        FILE* helper = popen(("'" VIVORI_PEER_HELPER "' " + arguments).c_str(), "r");
        if (helper == nullptr) return output;
        char line[256];
        while (std::fgets(line, sizeof(line), helper) != nullptr) output += line;
        pclose(helper);
        return output;
    }

    std::string folder;
};

// The receiving window of the copy-data tests: keeps what arrived and ends the loop
// when told the sender is done.
class CopyDataWindow : public MessageWindow {
  public:
    static constexpr UINT kSenderDone = WM_APP + 7;
    LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override {
        (void)w;
        if (msg == WM_COPYDATA) {
            auto* data = reinterpret_cast<COPYDATASTRUCT*>(l);
            received.push_back(*data);
            return 77;
        }
        if (msg == kSenderDone) PostQuitMessage(0);
        return 0;
    }
    std::vector<COPYDATASTRUCT> received;
};

// Runs the loop until the sender function, on its own thread, has finished.
template <typename Function>
auto WhileLoopRuns(HWND window, Function sender) {
    auto result = std::async(std::launch::async, [window, sender] {
        auto value = sender();
        PostMessage(window, CopyDataWindow::kSenderDone, 0, 0);
        return value;
    });
    RunMessageLoop();
    return result.get();
}

}  // namespace

TEST(IpcFrameReaderTest, BadFramesAreRefusedAsSoonAsTheHeaderShowsIt) {
    std::vector<std::uint8_t> good = EncodeFrame(IpcKind::Post, std::vector<std::uint8_t>(20, 1));
    IpcFrameReader split;
    for (std::size_t i = 0; i + 1 < good.size(); ++i) {
        ASSERT_EQ(split.Add(&good[i], 1), IpcFrameReader::State::NeedMore);
    }
    ASSERT_EQ(split.Add(&good.back(), 1), IpcFrameReader::State::Complete);
    EXPECT_EQ(split.Frame().payload.size(), 20u);

    auto header = [](std::uint32_t magic, std::uint32_t kind, std::uint32_t length) {
        IpcWriter writer;
        writer.Put(magic).Put(kind).Put(length);
        return writer.Data();
    };
    for (auto bad : {header(0x12345678, 1, 0), header(kIpcMagic, 9, 0),
                     header(kIpcMagic, 3, kIpcMaxPayload + 1), header(kIpcMagic, 3, 0xFFFFFFFF)}) {
        IpcFrameReader reader;
        EXPECT_EQ(reader.Add(bad.data(), bad.size()), IpcFrameReader::State::Bad);
        EXPECT_FALSE(reader.Error().empty());
    }
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    IpcFrameReader trailing;
    EXPECT_EQ(trailing.Add(longer.data(), longer.size()), IpcFrameReader::State::Bad);
}

TEST_F(IpcTest, ASecondStartWakesTheFirstAndEnds) {
    FILE* first = popen("'" VIVORI_PEER_HELPER "' instance 'VELTRA VIVORI Trivex V2'", "r");
    ASSERT_NE(first, nullptr);
    char line[128] = {};
    ASSERT_NE(std::fgets(line, sizeof(line), first), nullptr);
    EXPECT_STREQ(line, "first\n");

    EXPECT_EQ(RunHelper("instance 'VELTRA VIVORI Trivex V2'"), "second woke\n");

    ASSERT_NE(std::fgets(line, sizeof(line), first), nullptr);
    EXPECT_STREQ(line, "woken 0 1\n");
    EXPECT_EQ(pclose(first), 0);

    // With the first one gone the lock is free again.
    FILE* again = popen("'" VIVORI_PEER_HELPER "' instance 'VELTRA VIVORI Trivex V2'", "r");
    ASSERT_NE(std::fgets(line, sizeof(line), again), nullptr);
    EXPECT_STREQ(line, "first\n");
    EXPECT_EQ(RunHelper("instance 'VELTRA VIVORI Trivex V2'"), "second woke\n");
    pclose(again);
}

// An endpoint and a window of this process that other processes send copy-data to.
class CopyDataTest : public IpcTest {
  protected:
    void SetUp() override {
        IpcTest::SetUp();
        ASSERT_TRUE(endpoint.Start());
        ASSERT_NE(window.CreateHandle("Audio Receiver", "AudioWnd"), 0u);
    }

    vivori::DebugCapture debug;
    IpcEndpoint endpoint;
    CopyDataWindow window;
};

TEST_F(CopyDataTest, CopyDataOverTheReceiversLimitIsRefusedAndLogged) {
    endpoint.SetCopyDataLimit(window.GetHWND(), 2, 156);
    endpoint.SetCopyDataLimit(window.GetHWND(), 4200);

    // Another process finds the window by its title and sends to it.
    const std::pair<std::string, std::string> sends[] = {
        {"2 156", "delivered 77\n"},
        {"2 157", "refused\n"},
        {"1 4200", "delivered 77\n"},
        {"1 4201", "refused\n"},
    };
    for (const auto& [arguments, answer] : sends) {
        std::string command = "send 'audio receiver' " + arguments;
        EXPECT_EQ(WhileLoopRuns(window.GetHWND(), [command] { return RunHelper(command); }), answer)
            << arguments;
    }

    ASSERT_EQ(window.received.size(), 2u);
    EXPECT_EQ(window.received[0].dwData, 2u);
    ASSERT_EQ(window.received[0].data.size(), 156u);
    EXPECT_EQ(window.received[0].data[155], 155);
    EXPECT_EQ(window.received[1].data.size(), 4200u);
    EXPECT_TRUE(debug.Contains("157 bytes"));
    EXPECT_TRUE(debug.Contains("4201 bytes"));
}

TEST_F(CopyDataTest, MalformedRequestsAreDroppedAndTheEndpointCarriesOn) {
    RemoteWindow target{endpoint.Path(), window.GetHWND()};
    bool delivered = WhileLoopRuns(window.GetHWND(), [&] {
        // Garbage, a header announcing a gigabyte, a copy-data too short to name a
        // window, one for a window that does not exist, and a post of an unregistered
        // message: none reaches the window.
        std::vector<std::uint8_t> garbage(64, 0xEE);
        Exchange(target.endpoint, garbage, true, 500);
        IpcWriter huge;
        huge.Put(kIpcMagic).Put(static_cast<std::uint32_t>(IpcKind::CopyData)).Put(0x40000000u);
        Exchange(target.endpoint, huge.Data(), true, 500);
        Exchange(target.endpoint, EncodeFrame(IpcKind::CopyData, {1, 2, 3}), true, 500);
        SendCopyData({target.endpoint, window.GetHWND() + 1000}, 1, {1, 2}, 500);
        IpcWriter post;
        post.Put(static_cast<std::uint32_t>(WM_CLOSE)).Put(std::uint64_t{0}).Put(std::int64_t{0});
        Exchange(target.endpoint, EncodeFrame(IpcKind::Post, post.Data()), false, 500);
        // A good one after all that still gets through.
        return SendCopyData(target, 5, std::vector<std::uint8_t>(1024, 9), 1500);
    });
    EXPECT_TRUE(delivered);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].dwData, 5u);
    EXPECT_TRUE(debug.Contains("not a message of ours"));
    EXPECT_TRUE(debug.Contains("announces"));
    EXPECT_TRUE(debug.Contains("does not exist"));
    EXPECT_TRUE(debug.Contains("unregistered"));
}

namespace {

// Keeps the registered messages that reached it, and ends the loop when told.
class PostWindow : public MessageWindow {
  public:
    LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == CopyDataWindow::kSenderDone) PostQuitMessage(0);
        if (msg >= kFirstRegisteredMessage) received.push_back({msg, static_cast<std::int64_t>(l)});
        (void)w;
        return 0;
    }
    std::vector<std::pair<UINT, std::int64_t>> received;
};

}  // namespace

TEST_F(IpcTest, AnotherProcessPostsOnlyTheMessagesThisProcessAllows) {
    vivori::DebugCapture debug;
    IpcEndpoint endpoint;
    ASSERT_TRUE(endpoint.Start());
    PostWindow window;
    ASSERT_NE(window.CreateHandle("Posts", "PostWnd"), 0u);
    const UINT game = RegisterWindowMessage("Game_Start");
    const UINT hook = RegisterWindowMessage("WM_HOOK_KEY_SINGLEKEY_MSG");
    endpoint.AllowRemotePost(game);
    // A hook message carries a pointer of this process in lParam: taken from another
    // process it would be followed into nowhere.
    const std::string answers = WhileLoopRuns(window.GetHWND(), [] {
        std::string output = RunHelper("post WM_HOOK_KEY_SINGLEKEY_MSG 0 0x4141414141");
        output += RunHelper("post Game_Start 0 5");
        // The reports of both are read before the loop is told to end.
        output += RunHelper("send nobody 1 1");
        return output;
    });
    EXPECT_EQ(answers, "reached 1\nreached 1\nnot found\n");
    EXPECT_EQ(window.received, (std::vector<std::pair<UINT, std::int64_t>>{{game, 5}}));
    EXPECT_TRUE(debug.Contains("ipc: post of message " + std::to_string(hook) +
                               ", which other processes may not send, dropped"));
    // A message that is not registered cannot be allowed.
    endpoint.AllowRemotePost(WM_CLOSE);
    EXPECT_FALSE(endpoint.RemotePostAllowed(WM_CLOSE));
}
