// The programs the application starts never hold its window: the recorder ends on a
// signal even while its sound server stalls, a recorder left from an earlier run is
// ended before a new one starts, the recorder ends when the application does, and the
// application itself ends the orderly way on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/AudioRecorderLink.h"
#include "platform/ChildProcess.h"

namespace vivori::testing {
namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point since) {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

bool GoneWithin(pid_t pid, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (ProcessAlive(pid)) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A sound server that takes connections and never says a word.
class StalledSoundServer {
  public:
    explicit StalledSoundServer(const std::filesystem::path& folder) {
        path_ = (folder / "pulse-native").string();
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path_.c_str());
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd_, 8), 0);
        thread_ = std::thread([this] {
            while (!stop_) {
                const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) clients_.push_back(client);
            }
        });
    }
    ~StalledSoundServer() {
        stop_ = true;
        shutdown(fd_, SHUT_RDWR);
        close(fd_);
        thread_.join();
        for (int client : clients_) close(client);
    }
    std::string Address() const { return "unix:" + path_; }

  private:
    std::string path_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<int> clients_;
};

class RecorderProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vivori-recorder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        server_ = std::make_unique<StalledSoundServer>(folder_);
        setenv("PULSE_SERVER", server_->Address().c_str(), 1);
    }
    void TearDown() override {
        EndAllChildren(2000);
        server_.reset();
        unsetenv("PULSE_SERVER");
        std::filesystem::remove_all(folder_);
    }
    // Waits for a child's end; its exit status, or -1 when it did not end in time.
    static int ExitWithin(pid_t child, int ms) {
        int code = -1;
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (ChildRunning(child, &code)) {
            if (Clock::now() > end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return code;
    }
    std::string Recorder() const { return VIVORI_RECORDER; }

    std::filesystem::path folder_;
    std::unique_ptr<StalledSoundServer> server_;
};

TEST_F(RecorderProcessTest, TheRecorderEndsOnSigtermWhileItsSoundServerStalls) {
    const auto child = StartChild({Recorder()});
    ASSERT_TRUE(child);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(ChildRunning(*child)) << "it waits for the server that does not answer";
    const auto start = Clock::now();
    kill(*child, SIGTERM);
    const int code = ExitWithin(*child, 2000);
    EXPECT_NE(code, -1) << "still running";
    EXPECT_NE(code, 128 + SIGKILL);
    EXPECT_LT(ElapsedMs(start), 500);
}

TEST_F(RecorderProcessTest, TheRecorderEndsWhenTheProgramThatStartedItEnds) {
    // A shell starts the recorder as our application does, then ends at once.
    std::string command = "VIVORI_PARENT_PID=$$ '" + Recorder() + "' & echo $!";
    FILE* shell = popen(command.c_str(), "r");
    ASSERT_NE(shell, nullptr);
    long pid = 0;
    ASSERT_EQ(std::fscanf(shell, "%ld", &pid), 1);
    pclose(shell);
    EXPECT_TRUE(GoneWithin(pid_t(pid), 2000)) << "the recorder outlived its parent";
}

TEST_F(RecorderProcessTest, StoppingTheRecorderNeverWaitsForIt) {
    // A recorder that ignores every request to end.
    const auto script = folder_ / "stubborn-recorder";
    std::ofstream(script) << "#!/bin/sh\ntrap '' TERM\nwhile :; do sleep 0.02; done\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    app::AudioRecorderLink link;
    ASSERT_TRUE(link.Start(script.string()));
    const pid_t pid = link.Pid();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    link.Stop(1);
    EXPECT_LT(ElapsedMs(start), 50) << "the UI thread waited for the recorder";
    EXPECT_FALSE(link.Running());
    EXPECT_TRUE(GoneWithin(pid, 4000)) << "never killed";
}

TEST_F(RecorderProcessTest, ARecorderLeftFromAnEarlierRunIsEndedBeforeANewOneStarts) {
    // The earlier run's recorder, and the note it left in the runtime folder.
    const auto old = StartChild({Recorder()});
    ASSERT_TRUE(old);
    std::ofstream(folder_ / "vivori-audio-recorder.pid") << *old << "\n";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    app::AudioRecorderLink link;
    ASSERT_TRUE(link.Start(Recorder()));
    EXPECT_EQ(link.Pid(), -1) << "started beside the old one";
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (link.Pid() == -1 && Clock::now() < end) {
        EXPECT_TRUE(link.Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(ProcessAlive(*old));
    EXPECT_NE(link.Pid(), -1);
    EXPECT_NE(link.Pid(), *old);
    std::ifstream note(folder_ / "vivori-audio-recorder.pid");
    long noted = 0;
    note >> noted;
    EXPECT_EQ(noted, link.Pid());
    link.Stop();
}

TEST_F(RecorderProcessTest, TheApplicationEndsOnSigtermTheOrderlyWay) {
    char program[] = VIVORI_TRIVEX;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VIVORI_SIMULATE", "keyboard", 1);
    setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    setenv("VIVORI_DEBUG", "1", 1);
    const auto log = folder_ / "app.log";
    const std::string command = std::string("exec '") + program + "' 2>'" + log.string() + "'";
    const auto child = StartChild({"/bin/sh", "-c", command});
    unsetenv("VIVORI_DEBUG");
    unsetenv("VIVORI_SIMULATE");
    ASSERT_TRUE(child);
    auto logText = [&] {
        std::ifstream file(log);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    // Up once the keyboard has been read.
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (logText().find("返回") == std::string::npos && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(*child, SIGTERM);
    EXPECT_EQ(ExitWithin(*child, 5000), 0);
    EXPECT_NE(logText().find("ending on signal 15"), std::string::npos) << logText().substr(0, 2000);
    EXPECT_NE(logText().find("退出测试"), std::string::npos) << "the window's own shut-down";
}

}  // namespace
}  // namespace vivori::testing
