// The whole application's CPU while its window is shown, with the simulated keyboard,
// mouse, mouse pad and headset: 10 s each with the keyboard page and its colour wave,
// the mouse page, the mouse pad page, and the window closed to the tray, and its
// resident memory on the keyboard page. On a real X server (Xvfb, 1280 x 800, started
// here) when Xvfb and xdotool are installed, where painting reaches a screen as it does
// for users and the pages are chosen by clicks; otherwise offscreen, one start per page
// (--page). It prints which. Each figure is printed next to the one measured before the
// paint and timer work, and next to its target. VIVORI_BENCH_PROGRAM names another
// build of the application to measure.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ProcessStats.h"
#include "support/XvfbServer.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kMeasure = 10s;
// Measured before the change with the same devices: on Xvfb, the keyboard page over
// several runs, the others in one run of this benchmark.
constexpr const char* kBeforeKeyboard = "3.0-4.4";
constexpr double kBeforeMouse = 4.0;
constexpr double kBeforePad = 2.6;
constexpr double kBeforeHidden = 1.7;
constexpr const char* kBeforeResident = "50-54";
constexpr double kTargetKeyboard = 2.0;
constexpr double kTargetOtherPage = 1.5;
constexpr double kTargetResidentMb = 45.0;

// Where the layout puts the controls clicked, from the window's top-left corner: the
// selector entries (in the order the simulated devices arrive) and the close button.
constexpr int kMouseEntry[2] = {211, 35};
constexpr int kKeyboardEntry[2] = {297, 35};
constexpr int kPadEntry[2] = {383, 35};
constexpr int kCloseButton[2] = {973, 36};
// An empty part of every page, where the pointer rests while a page is measured: a
// user looks at the page with the pointer over the window, which runs the preview at
// the screen's rate.
constexpr int kRestingPlace[2] = {860, 600};

std::string Run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        pclose(pipe);
    }
    return output;
}

double PercentOfCoreOver(pid_t pid) {
    const double before = vivori::bench::CpuSecondsOf(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kMeasure);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return 100.0 * (vivori::bench::CpuSecondsOf(pid) - before) / seconds;
}

double ResidentMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

// With VIVORI_BENCH_SCREENSHOTS=FOLDER, the screen before each measurement, to check
// that the clicks found their controls.
void Capture(const char* name) {
    const char* folder = std::getenv("VIVORI_BENCH_SCREENSHOTS");
    if (folder != nullptr)
        Run(std::string("import -window root '") + folder + "/" + name + ".png' 2>/dev/null");
}

struct Figures {
    double keyboard = -1, mouse = -1, pad = -1, hidden = -1, residentMb = -1;
};

pid_t Start(const std::string& program, std::vector<std::string> args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0 ? pid
                                                                                           : 0;
}

void End(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// On the X server: one start, the pages chosen by clicks.
bool MeasureOnScreen(const std::string& program, Figures& figures) {
    const pid_t app = Start(program, {});
    if (app == 0) return false;
    const std::string window =
        Run("timeout 20 xdotool search --sync --onlyvisible --name '^VELTRA VIVORI Trivex V2$' "
            "| head -n 1");
    if (window.empty()) {
        End(app);
        return false;
    }
    int x = 0, y = 0;
    const std::string geometry = Run("xdotool getwindowgeometry --shell " + window);
    std::sscanf(geometry.c_str() + geometry.find("X="), "X=%d\nY=%d", &x, &y);
    auto click = [&](const int at[2]) {
        Run("xdotool mousemove " + std::to_string(x + at[0]) + " " + std::to_string(y + at[1]) +
            " click 1 sleep 0.2 mousemove " + std::to_string(x + kRestingPlace[0]) + " " +
            std::to_string(y + kRestingPlace[1]));
    };
    // One click, two seconds to settle, then the CPU of what it shows.
    auto measure = [&](const int at[2], const char* name) {
        click(at);
        std::this_thread::sleep_for(2s);
        Capture(name);
        return PercentOfCoreOver(app);
    };
    // Every device attached and connected.
    std::this_thread::sleep_for(4s);
    figures.keyboard = measure(kKeyboardEntry, "keyboard");
    figures.residentMb = ResidentMb(app);
    figures.mouse = measure(kMouseEntry, "mouse");
    figures.pad = measure(kPadEntry, "pad");
    figures.hidden = measure(kCloseButton, "hidden");
    End(app);
    return true;
}

// Offscreen: one start per page, as --page shows it.
bool MeasureOffscreen(const std::string& program, Figures& figures) {
    auto page = [&](std::vector<std::string> args, double* resident) {
        const pid_t app = Start(program, std::move(args));
        if (app == 0) return -1.0;
        std::this_thread::sleep_for(6s);
        const double percent = PercentOfCoreOver(app);
        if (resident != nullptr) *resident = ResidentMb(app);
        End(app);
        return percent;
    };
    figures.keyboard = page({"--page", "keyboard"}, &figures.residentMb);
    figures.mouse = page({"--page", "mouse"}, nullptr);
    figures.pad = page({"--page", "pad"}, nullptr);
    figures.hidden = page({"--hidden"}, nullptr);
    return figures.keyboard >= 0 && figures.mouse >= 0 && figures.pad >= 0 && figures.hidden >= 0;
}

}  // namespace

int main() {
    using vivori::testing::XvfbServer;
    const std::string program = vivori::bench::ProgramUnderTest();
    const std::string folder = vivori::bench::UsePrivateFolders();
    if (folder.empty()) return 1;
    setenv("VIVORI_SIMULATE", "keyboard,mouse,pad,headset", 1);
    unsetenv("VIVORI_DEBUG");

    std::unique_ptr<XvfbServer> server;
    std::string where;
    if (XvfbServer::FindProgram("xdotool").empty()) {
        where = "offscreen (xdotool is not installed)";
    } else {
        server = std::make_unique<XvfbServer>();
        if (server->Running())
            where = "on Xvfb " + server->Display() + ", 1280x800";
        else
            where = "offscreen (" + server->Reason() + ")";
    }
    Figures figures;
    bool measured = false;
    if (server && server->Running()) {
        setenv("DISPLAY", server->Display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        measured = MeasureOnScreen(program, figures);
        if (!measured) std::printf("bench_shown_window: the window did not appear on Xvfb\n");
    } else {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        measured = MeasureOffscreen(program, figures);
        if (!measured) std::printf("bench_shown_window: %s did not start\n", program.c_str());
    }
    std::filesystem::remove_all(folder);
    if (!measured) return 1;

    std::printf(
        "vivori-trivex %s, simulated keyboard, mouse, pad and headset, whole process,\n"
        "%lld s each, %% of one core:\n",
        where.c_str(), static_cast<long long>(kMeasure.count()));
    std::printf("  keyboard page, colour wave  %6.2f %%   before %s %%   target %.1f %%\n",
                figures.keyboard, kBeforeKeyboard, kTargetKeyboard);
    std::printf("  mouse page                  %6.2f %%   before %5.2f %%   target %.1f %%\n",
                figures.mouse, kBeforeMouse, kTargetOtherPage);
    std::printf("  mouse pad page              %6.2f %%   before %5.2f %%   target %.1f %%\n",
                figures.pad, kBeforePad, kTargetOtherPage);
    std::printf("  closed to the tray          %6.2f %%   before %5.2f %%\n", figures.hidden,
                kBeforeHidden);
    std::printf("resident memory, keyboard page  %5.1f MB   before %s MB   target %.0f MB\n",
                figures.residentMb, kBeforeResident, kTargetResidentMb);
    return 0;
}
