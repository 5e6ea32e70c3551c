// The whole application as a process (offscreen, window hidden in the tray) for 10 s:
// its CPU as a share of one core with the simulated keyboard, mouse and mouse pad
// attached, next to the same process with no device. The difference is what the
// devices' timers, pollers and preview threads cost while nobody looks.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

constexpr int kSettleMs = 5000;
constexpr int kMeasureMs = 10000;

// User plus system CPU seconds of a process, from /proc; negative when it is gone.
double CpuSecondsOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int i = 3; i <= 13; ++i) fields >> field;
    fields >> utime >> stime;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

void BM_HiddenProcessCpu(benchmark::State& state, const char* simulate) {
    const std::string program =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vivori-trivex").string();
    char folder[] = "/tmp/vivori-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    // Folders of its own, so no copy the user runs is woken instead.
    setenv("XDG_RUNTIME_DIR", folder, 1);
    setenv("XDG_DATA_HOME", (std::string(folder) + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (std::string(folder) + "/config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VIVORI_SIMULATE", simulate, 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    for (auto _ : state) {
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--hidden"),
                        nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("vivori-trivex did not start");
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
        const double before = CpuSecondsOf(child);
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(kMeasureMs));
        const double after = CpuSecondsOf(child);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (before < 0 || after < 0) {
            state.SkipWithError("vivori-trivex ended early");
            break;
        }
        state.counters["cpu_percent_of_core"] = 100.0 * (after - before) / wall;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace

// "," is a simulated bus with nothing on it: the same process, no device.
BENCHMARK_CAPTURE(BM_HiddenProcessCpu, no_device, ",")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_HiddenProcessCpu, keyboard_mouse_pad, "keyboard,mouse,pad")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
