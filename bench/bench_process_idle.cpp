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

#include "ProcessStats.h"

extern char** environ;

namespace {

constexpr int kSettleMs = 5000;
constexpr int kMeasureMs = 10000;

void BM_HiddenProcessCpu(benchmark::State& state, const char* simulate) {
    const std::string program = vivori::bench::ProgramUnderTest();
    const std::string folder = vivori::bench::UsePrivateFolders();
    if (folder.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
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
        const double before = vivori::bench::CpuSecondsOf(child);
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(kMeasureMs));
        const double after = vivori::bench::CpuSecondsOf(child);
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
