// The whole application hidden in the tray (offscreen, --hidden) with the simulated
// keyboard, mouse, mouse pad and headset: how often its threads wake up a second, over
// 10 s. Once as started, where the host drives the headset's LEDs, and once after
// another program released the lights, where every device runs its effect in firmware
// and nothing needs the host. Each figure is printed next to the one measured before
// the light threads and timers learnt to sleep, and next to its target.
// VIVORI_BENCH_PROGRAM names another build of the application to measure;
// VIVORI_BENCH_THREADS=1 lists the threads that woke at least every other second.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "ProcessStats.h"
#include "app/AppMessages.h"
#include "ui/ipc/IpcPeers.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr auto kSettle = 6s;
constexpr auto kMeasure = 10s;
// Measured with this benchmark before the change (VIVORI_BENCH_PROGRAM on a build of
// the commit before). The firmware-only figure is the 219 the issue names.
constexpr double kBeforeHostLeds = 319.0;
constexpr double kBeforeFirmwareOnly = 220.0;
constexpr double kTargetHostLeds = 110.0;
constexpr double kTargetFirmwareOnly = 5.0;

struct Sample {
    double perSecond = -1;
    int threads = 0;
};

Sample WakeupsOver(pid_t pid) {
    const auto before = vivori::bench::SwitchesOf(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kMeasure);
    const auto after = vivori::bench::SwitchesOf(pid);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (after.empty()) return {};
    if (std::getenv("VIVORI_BENCH_THREADS") != nullptr)
        for (const auto& [thread, count] : after) {
            const auto earlier = before.find(thread);
            const double rate = (count - (earlier != before.end() ? earlier->second : 0)) / seconds;
            if (rate >= 0.5) std::printf("    thread %d: %.1f a second\n", int(thread), rate);
        }
    return {double(vivori::bench::WakeupsBetween(before, after)) / seconds, int(after.size())};
}

// One hidden run; with releaseLights the lights are given back to the devices first.
Sample HiddenRun(const std::string& program, bool releaseLights) {
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--hidden"), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return {};
    std::this_thread::sleep_for(kSettle);
    if (releaseLights) {
        // As another lighting program does: wParam 1 asks, lParam 0 releases.
        const vivori::ui::UINT request = vivori::app::RegisterAppMessages().lightControlRequest;
        if (vivori::ui::BroadcastToPeers(request, 1, 0) == 0)
            std::printf("bench_idle: the release did not reach the application\n");
        std::this_thread::sleep_for(1s);
    }
    const Sample sample = WakeupsOver(child);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return sample;
}

}  // namespace

int main() {
    const std::string program = vivori::bench::ProgramUnderTest();
    // The runtime folder is shared with the application, so the release reaches it.
    const std::string folder = vivori::bench::UsePrivateFolders();
    if (folder.empty()) return 1;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VIVORI_SIMULATE", "keyboard,mouse,pad,headset", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("VIVORI_DEBUG");

    const Sample hostLeds = HiddenRun(program, false);
    const Sample firmware = HiddenRun(program, true);
    std::filesystem::remove_all(folder);
    if (hostLeds.perSecond < 0 || firmware.perSecond < 0) {
        std::printf("bench_idle: %s did not run through\n", program.c_str());
        return 1;
    }
    std::printf(
        "%s --hidden, offscreen, simulated keyboard, mouse, pad and headset,\n"
        "wake-ups a second of all its threads (voluntary and involuntary switches) over %lld s:\n",
        program.c_str(), static_cast<long long>(kMeasure.count()));
    std::printf(
        "  host drives the headset's LEDs  %7.1f   before %6.1f   target %6.1f   (%d threads)\n",
        hostLeds.perSecond, kBeforeHostLeds, kTargetHostLeds, hostLeds.threads);
    std::printf(
        "  firmware effects only           %7.1f   before %6.1f   target %6.1f   (%d threads)\n",
        firmware.perSecond, kBeforeFirmwareOnly, kTargetFirmwareOnly, firmware.threads);
    return 0;
}
