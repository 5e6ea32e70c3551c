// Children of ours: ending one never holds the caller, one that ignores SIGTERM is
// killed, and nothing we started outlives EndAllChildren.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/ChildProcess.h"

namespace vivori {
namespace {

using Clock = std::chrono::steady_clock;

// A shell script that ignores SIGTERM (or not) and runs until killed.
class ScriptFolder {
  public:
    ScriptFolder() {
        char pattern[] = "/tmp/vivori-child-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    ~ScriptFolder() { std::filesystem::remove_all(folder_); }
    std::string Script(bool ignoreTerm) {
        const auto path = folder_ / (ignoreTerm ? "stubborn" : "plain");
        std::ofstream(path) << "#!/bin/sh\n"
                            << (ignoreTerm ? "trap '' TERM\n" : "")
                            << "while :; do sleep 0.02; done\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }

  private:
    std::filesystem::path folder_;
};

bool GoneWithin(pid_t pid, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (ProcessAlive(pid)) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

long ElapsedMs(Clock::time_point since) {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

TEST(ChildProcessTest, EndingAChildThatIgnoresSigtermReturnsAtOnceAndKillsItLater) {
    ScriptFolder folder;
    const auto child = StartChild({folder.Script(true)});
    ASSERT_TRUE(child);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the trap is set
    EXPECT_TRUE(ChildRunning(*child));
    const auto start = Clock::now();
    EndChild(*child, 100, 200);
    EXPECT_LT(ElapsedMs(start), 50);
    EXPECT_TRUE(ProcessAlive(*child)) << "the grace time is the child's";
    EXPECT_TRUE(GoneWithin(*child, 2000));
    EXPECT_FALSE(ChildRunning(*child));
    EndAllChildren(1000);
}

TEST(ChildProcessTest, AChildThatEndsByItselfReportsItsExitCode) {
    const auto child = StartChild({"/bin/sh", "-c", "exit 7"});
    ASSERT_TRUE(child);
    int code = -1;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (ChildRunning(*child, &code) && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(code, 7);
    std::string error;
    EXPECT_FALSE(StartChild({"/nonexistent/program"}, &error));
    EXPECT_FALSE(error.empty());
}

TEST(ChildProcessTest, TheChildKnowsItsParentAndGetsDefaultSignals) {
    // The shell reports the variable and whether SIGTERM ends it (it would not if our
    // own handling or mask were inherited).
    const auto child = StartChild(
        {"/bin/sh", "-c", "test \"$VIVORI_PARENT_PID\" = \"$PPID\" && kill -TERM $$; exit 3"});
    ASSERT_TRUE(child);
    int code = -1;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (ChildRunning(*child, &code) && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(code, 128 + SIGTERM);
}

TEST(ChildProcessTest, EndAllChildrenEndsEveryChildWithinItsTime) {
    ScriptFolder folder;
    const auto plain = StartChild({folder.Script(false)});
    const auto stubborn = StartChild({folder.Script(true)});
    ASSERT_TRUE(plain && stubborn);
    ReapChild(*plain);  // watched, as the updater is
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    EndAllChildren(300);
    EXPECT_LT(ElapsedMs(start), 1500);
    EXPECT_FALSE(ProcessAlive(*plain));
    EXPECT_FALSE(ProcessAlive(*stubborn));
}

TEST(ChildProcessTest, OnlyALeftoverOfTheNamedProgramIsEnded) {
    ScriptFolder folder;
    const auto child = StartChild({folder.Script(false)});
    ASSERT_TRUE(child);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(EndLeftover(*child, "vivori-audio-recorder", 200));
    EXPECT_TRUE(ProcessAlive(*child));
    EXPECT_FALSE(EndLeftover(getpid(), "platform_tests", 200));
    EndAllChildren(500);
}

}  // namespace
}  // namespace vivori
