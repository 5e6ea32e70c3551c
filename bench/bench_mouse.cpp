// The whole application's CPU with a simulated mouse, for 10 s each: with no device,
// with the mouse and the main window hidden (the target: at most 0.1 % of one core more
// than with no device), and with the mouse and the window shown and active, its page
// selected, so the lighting preview runs and the LED picture is repainted. The process
// runs offscreen on the virtual bus, with its own data folders.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "AppBench.h"
#include "app/Application.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "platform/Time.h"
#include "sim/SimulatedBus.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"
#include "ui/qt/GuiApplication.h"

namespace {

using namespace vivori;

constexpr double kTargetExtraPercent = 0.1;
constexpr ui::UINT kMeasureMs = 10000;
void PumpFor(int ms) {
    const uint32_t start = GetTickCount();
    while (static_cast<int>(GetTickCount() - start) < ms) {
        ui::PumpMessages();
        Sleep(5);
    }
}

enum class Run { NoDevice, MouseHidden, MouseShown };

struct Result {
    double cpuPercent = 0;
    uint64_t previewSteps = 0;
};

Result Measure(Run run) {
    auto bus = std::make_shared<hid::VirtualHidBus>();
    app::AppOptions options;
    options.singleInstance = false;
    options.window.bus = bus;
    options.window.trayIcon = false;
    app::Application application(options);
    if (application.Start() != app::Application::StartResult::Started) return {};
    app::CMainWnd& window = *application.Window();
    std::shared_ptr<sim::SimDevice> mouse;
    if (run != Run::NoDevice) {
        mouse = sim::MakeSimulatedDevice("mouse");
        bus->Plug(mouse);
        mouse->SetRecording(false);
    }
    PumpFor(1500);  // discovery, connection, the first reads
    auto* device = dynamic_cast<devices::CQuorvaneMouseDevice*>(window.CurrentDevice());
    if (run == Run::MouseShown) {
        window.ShowWindow(true);
        ui::SendMessage(window.GetHWND(), ui::WM_ACTIVATE, 1, 0);
    } else {
        window.ShowWindow(false);
        ui::SendMessage(window.GetHWND(), ui::WM_ACTIVATE, 0, 0);
    }
    PumpFor(300);
    const uint64_t stepsBefore = device ? device->PreviewSteps() : 0;
    Result result;
    result.cpuPercent = bench::LoopCpuPercent(kMeasureMs);
    result.previewSteps = device ? device->PreviewSteps() - stepsBefore : 0;
    if (mouse) bus->Unplug(mouse);
    PumpFor(300);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchHome home("mouse");
    ui::GuiApplication gui(argc, argv, true);

    const Result none = Measure(Run::NoDevice);
    const Result hidden = Measure(Run::MouseHidden);
    const Result shown = Measure(Run::MouseShown);
    std::printf("process CPU over %u s, share of one core:\n", kMeasureMs / 1000);
    std::printf("  no device, window hidden:        %.3f %%\n", none.cpuPercent);
    std::printf("  mouse, window hidden:            %.3f %%  (preview steps %llu)\n",
                hidden.cpuPercent, static_cast<unsigned long long>(hidden.previewSteps));
    std::printf("  mouse hidden minus no device:    %.3f %%  (target at most %.1f %%)\n",
                hidden.cpuPercent - none.cpuPercent, kTargetExtraPercent);
    std::printf("  mouse, window shown and active:  %.3f %%  (preview steps %llu)\n",
                shown.cpuPercent, static_cast<unsigned long long>(shown.previewSteps));
    return 0;
}
