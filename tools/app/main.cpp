// The application. It talks to the real devices through hidraw, or with
// VIVORI_SIMULATE=keyboard,mouse to simulated ones; with --screenshot PATH it renders the main
// window offscreen once the keyboard's page (or the one --page names) is shown, writes the PNG
// and ends; --hidden puts the window in the tray once the devices found at the start are shown.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/Application.h"
#include "app/AppMessages.h"
#include "audio/AudioLibrary.h"
#include "device/SupportedDevices.h"
#include "platform/ExitSignals.h"
#include "platform/Time.h"
#include "platform/hid/HidBus.h"
#include "sim/SimAudioChip.h"
#include "sim/SimulatedBus.h"
#include "ui/message/Messages.h"
#include "ui/qt/GuiApplication.h"
#include "ui/qt/OffscreenSurface.h"

using namespace vivori;

namespace {

bool HasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// QT_QPA_PLATFORM=offscreen asks for a run without a window on any screen.
bool OffscreenAsked() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform && std::strcmp(platform, "offscreen") == 0;
}

// Pumps messages until done or the time is up.
template <typename Done>
bool PumpUntil(Done done, int timeoutMs) {
    const uint32_t start = GetTickCount();
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        ui::PumpMessages();
        Sleep(5);
    }
    return true;
}

// The selector entry of a device of this kind, -1 while there is none.
int EntryOfKind(app::CMainWnd& window, int kind) {
    app::DeviceSelector& selector = window.Selector();
    for (int i = 0; i < selector.Count(); ++i)
        if (app::CDeviceOptionUI* entry = selector.Entry(i); entry && entry->IsOwnVisible() &&
                                                             entry->Device() &&
                                                             entry->Device()->DeviceKind() == kind)
            return i;
    return -1;
}

// Waits for a device of the kind and shows its page, as a click on its entry does.
void ShowPage(app::CMainWnd& window, int kind) {
    if (!PumpUntil([&] { return EntryOfKind(window, kind) >= 0; }, 5000))
        std::fprintf(stderr, "vivori-trivex: the page asked for did not appear\n");
    PumpUntil([] { return false; }, 400);  // the other devices and the DPI set-up
    if (EntryOfKind(window, kind) >= 0)
        window.ShowSelectorEntry(EntryOfKind(window, kind), true, true);
    // An offscreen window is never activated; on a desktop the shown window would be,
    // and the page then shows the device's running light effect.
    if (OffscreenAsked() || !HasDisplay()) ui::SendMessage(window.GetHWND(), ui::WM_ACTIVATE, 1, 0);
}

int Screenshot(app::CMainWnd& window, const std::string& path, int kind) {
    ShowPage(window, kind);
    ui::SendMessage(window.GetHWND(), ui::WM_ACTIVATE, 1, 0);
    PumpUntil([] { return false; }, 600);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (!ui::SaveWindowPng(window.PaintManager(), path)) {
        std::fprintf(stderr, "vivori-trivex: could not write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    return 0;
}

// The resident memory of this process in kB.
long ResidentKb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
    std::fclose(status);
    return kb;
}

// For the start-up benchmark: when the window first shows, the monotonic time and
// the resident memory, then the end.
int ReportStart(app::CMainWnd& window) {
    if (!PumpUntil([&] { return window.IsWindowVisible(); }, 5000)) return 1;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("shown_ns=%lld rss_kb=%ld\n",
                static_cast<long long>(std::chrono::nanoseconds(now).count()), ResidentKb());
    return 0;
}

constexpr const char* kUsage =
    "Usage: vivori-trivex [OPTION]...\n"
    "Settings of the VIVORI keyboard, mouse, mouse pad and headset.\n"
    "\n"
    "  --hidden            start in the tray once the attached devices are shown\n"
    "  --screenshot PATH   render the window offscreen into a PNG and end\n"
    "  --page KIND         the page shown first (and the one --screenshot renders):\n"
    "                      keyboard, mouse, pad or headset\n"
    "  --report-start      print when the window first shows, and end\n"
    "  --sdk-server [PORT] let other lighting programs drive the devices (OpenRGB SDK\n"
    "                      protocol) on 127.0.0.1, port PORT (default 6742), this run\n"
    "  -h, --help          show this help and end\n"
    "      --version       show the version and end\n"
    "\n"
    "VIVORI_SIMULATE=keyboard,mouse,pad,headset uses simulated devices instead of the\n"
    "real ones; VIVORI_DEBUG=1 prints diagnostic lines.\n";

struct Options {
    std::optional<std::string> screenshot;
    bool reportStart = false;
    bool hidden = false;
    int pageKind = kKindKeyboard;
    bool pageGiven = false;
    std::optional<sdk::ServerOptions> sdkServer;
};

// Qt's own options (QApplication takes them out of argv), with their values.
bool IsQtOption(std::string_view arg) {
    for (std::string_view option : {"-platform", "-display", "-platformpluginpath",
                                    "-platformtheme", "-qwindowgeometry", "-qwindowtitle",
                                    "-qwindowicon", "-style", "-stylesheet", "-session", "-name"})
        if (arg == option) return true;
    return false;
}

// The options; a usage error ends the program with 2, --help and --version with 0.
Options ParseOptions(int argc, char** argv) {
    Options options;
    auto usageError = [](const std::string& message) {
        std::fprintf(stderr, "vivori-trivex: %s\n%s", message.c_str(), kUsage);
        std::exit(2);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usageError(std::string(arg) + " needs a value");
            return argv[++i];
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (arg == "--version") {
            std::printf("vivori-trivex %s\n", VIVORI_VERSION);
            std::exit(0);
        } else if (arg == "--screenshot") {
            options.screenshot = value();
        } else if (arg == "--report-start") {
            options.reportStart = true;
        } else if (arg == "--hidden") {
            options.hidden = true;
        } else if (arg == "--page") {
            options.pageGiven = true;
            const std::string page = value();
            if (page == "keyboard")
                options.pageKind = kKindKeyboard;
            else if (page == "mouse")
                options.pageKind = kKindMouse;
            else if (page == "pad")
                options.pageKind = kKindMousePad;
            else if (page == "headset")
                options.pageKind = kKindHeadset;
            else
                usageError("unknown page '" + page + "'");
        } else if (arg == "--sdk-server") {
            options.sdkServer = sdk::ServerOptions{};
            // The port is optional: a next argument that is no option is it.
            if (i + 1 < argc && argv[i + 1][0] != '-') {
                const std::string text = value();
                char* end = nullptr;
                const long port = std::strtol(text.c_str(), &end, 10);
                if (text.empty() || *end != '\0' || port < 1 || port > 65535)
                    usageError("--sdk-server takes a port 1-65535");
                options.sdkServer->port = static_cast<uint16_t>(port);
            }
        } else if (IsQtOption(arg)) {
            value();
        } else {
            usageError("unknown option '" + std::string(arg) + "'");
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    // Each of the device, light and reader threads would otherwise get a malloc arena
    // of its own for a few small allocations; two arenas serve them all.
    mallopt(M_ARENA_MAX, 2);
    const Options parsed = ParseOptions(argc, argv);
    const std::optional<std::string>& screenshot = parsed.screenshot;
    const bool reportStart = parsed.reportStart;
    const bool hidden = parsed.hidden;
    const int pageKind = parsed.pageKind;
    const std::optional<sdk::ServerOptions>& sdkServer = parsed.sdkServer;
    // A copy nobody can see would hold the single-instance lock, and every later start
    // on a display would only wake it: without a display it needs a reason to run.
    if (!HasDisplay() && !screenshot && !reportStart && !OffscreenAsked()) {
        std::fprintf(stderr,
                     "vivori-trivex: no display (DISPLAY or WAYLAND_DISPLAY is not set); "
                     "use --screenshot PATH to render the window into a PNG\n");
        return 1;
    }
    ui::GuiApplication gui(argc, argv, screenshot.has_value() || !HasDisplay());

    // One bus for the whole run, taken here before any thread starts: the real devices,
    // or the simulated ones VIVORI_SIMULATE names.
    const char* simulate = std::getenv("VIVORI_SIMULATE");
    std::string error;
    std::shared_ptr<hid::HidBus> bus = sim::MakeProgramBus(simulate ? simulate : "", &error);
    if (!bus) {
        std::fprintf(stderr, "vivori-trivex: %s\n", error.c_str());
        return 1;
    }
    hid::SetDefaultHidBus(bus);
    // The simulated headset comes with the simulated audio chip, unless a sound
    // server's sink is named to stand for the headset's sound card.
    const char* headsetSink = std::getenv("VIVORI_HEADSET_SINK");
    if (simulate && std::string_view(simulate).find("headset") != std::string_view::npos &&
        !(headsetSink && *headsetSink))
        audio::SetAudioLibrary(std::make_shared<sim::SimAudioChip>());

    app::AppOptions options;
    options.singleInstance = !screenshot;
    options.window.trayIcon = !screenshot;
    options.window.bus = bus;
    options.window.sdkServer = sdkServer;
    app::Application application(options);
    switch (application.Start()) {
        case app::Application::StartResult::AlreadyRunning:
            return 0;
        case app::Application::StartResult::Failed:
            std::fprintf(stderr, "vivori-trivex: the main window could not be built\n");
            // A start-up failure ends quietly, except for a screenshot that was asked for.
            return screenshot ? 1 : 0;
        case app::Application::StartResult::Started:
            break;
    }
    // SIGTERM and SIGINT end the application as its "exit" does: the devices are
    // released and the recorder and updater end with it.
    const ui::HWND main = application.Window()->GetHWND();
    WatchExitSignals([main](int signal) {
        ui::PostMessage(main, app::kMsgEndRequested, ui::WPARAM(signal), 0);
    });
    if (sdkServer && application.Window()->Sdk() == nullptr)
        std::fprintf(
            stderr,
            "vivori-trivex: other lighting programs cannot connect: %s port %u is not free\n",
            sdkServer->address.c_str(), unsigned(sdkServer->port));
    if (screenshot) return Screenshot(*application.Window(), *screenshot, pageKind);
    if (reportStart) return ReportStart(*application.Window());
    if (parsed.pageGiven) ShowPage(*application.Window(), pageKind);
    if (hidden) {
        // Straight to the tray once the devices present at the start have their pages.
        PumpUntil([&] { return application.Window()->IsWindowVisible(); }, 3000);
        PumpUntil([] { return false; }, 500);
        application.Window()->HideToTrayNow();
    }
    const int code = application.Run();
    // The library goes with the last device that holds it, before main returns: the
    // headset equaliser's sink is removed while everything it uses still exists.
    audio::SetAudioLibrary(nullptr);
    return code;
}
