#include "platform/ChildProcess.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

extern char** environ;

namespace vivori {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(5);

// The children this process started and has not reaped, and the reaper threads.
struct Children {
    std::mutex mutex;
    std::set<pid_t> owned;
    struct Reaper {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Reaper> reapers;
    // Once set, reapers skip what is left of their waits.
    std::optional<Clock::time_point> hurryBy;
};

Children& Table() {
    static Children* children = new Children;  // used by reapers until the very end
    return *children;
}

int StatusCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Reaps the child if it ended; true when it did (or is not ours any more).
bool Reaped(pid_t child, int* exitCode) {
    int status = 0;
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == 0) return false;
    if (done == child && exitCode != nullptr) *exitCode = StatusCode(status);
    std::lock_guard lock(Table().mutex);
    Table().owned.erase(child);
    return true;
}

// Waits until `ended` says so or the time is up (or the program is ending).
template <typename Ended>
bool WaitFor(Ended ended, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    while (!ended()) {
        std::optional<Clock::time_point> hurry;
        {
            std::lock_guard lock(Table().mutex);
            hurry = Table().hurryBy;
        }
        const auto now = Clock::now();
        if (now >= end || (hurry && now >= *hurry)) return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

bool Owned(pid_t child) {
    std::lock_guard lock(Table().mutex);
    return Table().owned.count(child) != 0;
}

// Returns the child's exit code (-1 when someone else reaped it).
int Reap(pid_t child, int graceMs, int termMs) {
    int code = -1;
    auto ended = [child, &code] { return !Owned(child) || Reaped(child, &code); };
    if (WaitFor(ended, graceMs)) return code;
    kill(child, SIGTERM);
    if (WaitFor(ended, termMs)) return code;
    kill(child, SIGKILL);
    int status = 0;
    pid_t done = -1;
    while ((done = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    std::lock_guard lock(Table().mutex);
    Table().owned.erase(child);
    return done == child ? StatusCode(status) : -1;
}

void StartReaper(std::function<void()> job) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(Table().mutex);
    // Reapers that finished are joined here, so a long run keeps no stale threads.
    auto& reapers = Table().reapers;
    for (auto it = reapers.begin(); it != reapers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = reapers.erase(it);
        } else {
            ++it;
        }
    }
    reapers.push_back({std::thread([job = std::move(job), done] {
                           job();
                           done->store(true);
                       }),
                       done});
}

bool IsLeftover(pid_t pid, const std::string& programName) {
    if (pid <= 1 || pid == getpid()) return false;
    const std::string proc = "/proc/" + std::to_string(pid);
    struct stat info {};
    if (stat(proc.c_str(), &info) != 0 || info.st_uid != getuid()) return false;
    std::ifstream comm(proc + "/comm");
    std::string name;
    std::getline(comm, name);
    // The kernel keeps 15 characters of the program name.
    return !name.empty() && programName.compare(0, name.size(), name) == 0 &&
           name.size() == std::min<size_t>(programName.size(), 15);
}

}  // namespace

bool ProcessAlive(pid_t pid) {
    if (pid <= 0) return false;
    if (kill(pid, 0) != 0) return errno == EPERM;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // "pid (name) S ...": the state follows the last parenthesis.
    const size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

std::optional<pid_t> StartChild(const std::vector<std::string>& argv, std::string* error) {
    auto fail = [error](std::string why) -> std::optional<pid_t> {
        if (error != nullptr) *error = std::move(why);
        return std::nullopt;
    };
    if (argv.empty()) return fail("no program");
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    // The environment with our process id for the child's parent-death check.
    const std::string parent = std::string(kParentPidVariable) + "=" + std::to_string(getpid());
    std::vector<char*> env;
    const size_t nameLength = std::strlen(kParentPidVariable);
    for (char** e = environ; e != nullptr && *e != nullptr; ++e)
        if (std::strncmp(*e, kParentPidVariable, nameLength) != 0 || (*e)[nameLength] != '=')
            env.push_back(*e);
    env.push_back(const_cast<char*>(parent.c_str()));
    env.push_back(nullptr);
    // Our own signal handling is not the child's.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int code = posix_spawn(&pid, args[0], nullptr, &attr, args.data(), env.data());
    posix_spawnattr_destroy(&attr);
    if (code != 0) return fail(std::strerror(code));
    std::lock_guard lock(Table().mutex);
    Table().owned.insert(pid);
    return pid;
}

bool ChildRunning(pid_t child, int* exitCode) {
    if (child <= 0) return false;
    {
        std::lock_guard lock(Table().mutex);
        if (Table().owned.count(child) == 0) return false;
    }
    return !Reaped(child, exitCode);
}

void EndChild(pid_t child, int graceMs, int termMs) {
    if (child <= 0) return;
    StartReaper([child, graceMs, termMs] { Reap(child, graceMs, termMs); });
}

void ReapChild(pid_t child, std::function<void(int exitCode)> onExit) {
    if (child <= 0) return;
    StartReaper([child, onExit = std::move(onExit)] {
        const int code = Reap(child, std::numeric_limits<int>::max(), 1000);
        if (onExit) onExit(code);
    });
}

bool EndLeftover(pid_t pid, const std::string& programName, int termMs) {
    if (!IsLeftover(pid, programName)) return false;
    StartReaper([pid, programName, termMs] {
        if (kill(pid, SIGTERM) != 0) return;
        const bool gone = WaitFor(
            [&] { return !ProcessAlive(pid) || !IsLeftover(pid, programName); }, termMs);
        if (!gone) kill(pid, SIGKILL);
    });
    return true;
}

void EndAllChildren(int timeoutMs) {
    std::vector<pid_t> left;
    {
        std::lock_guard lock(Table().mutex);
        Table().hurryBy = Clock::now() + std::chrono::milliseconds(timeoutMs);
        left.assign(Table().owned.begin(), Table().owned.end());
    }
    // Children nobody asked to end yet get the signal now; their reapers kill them
    // when the time is up.
    for (pid_t child : left) {
        kill(child, SIGTERM);
        EndChild(child, 0, timeoutMs);
    }
    std::vector<Children::Reaper> reapers;
    {
        std::lock_guard lock(Table().mutex);
        reapers.swap(Table().reapers);
    }
    for (Children::Reaper& reaper : reapers) reaper.thread.join();
    std::lock_guard lock(Table().mutex);
    Table().hurryBy.reset();
}

void EndWithParent() {
    const char* expected = std::getenv(kParentPidVariable);
    if (expected == nullptr || *expected == '\0') return;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have ended before the request above took effect.
    if (std::to_string(getppid()) != expected) _exit(1);
}

}  // namespace vivori
