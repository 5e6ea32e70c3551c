// How long the window waits on its devices, in the whole application on the virtual
// bus (offscreen): the time from a click on a colour preset of the keyboard page until
// the handler returns (the page shows the change then), with a healthy keyboard and
// with one that never answers; and the UI thread's longest stall while four devices
// connect at once, all healthy and with a mouse that never answers. Each figure is measured with writes on the devices' own threads (as
// the program runs) and, as the baseline, with every write on the UI thread.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "AppBench.h"
#include "app/Application.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "panels/CLightControlUI.h"
#include "platform/Time.h"
#include "sim/SimProduct.h"
#include "sim/SimulatedBus.h"
#include "ui/message/Messages.h"
#include "ui/qt/GuiApplication.h"

namespace {

using namespace vivori;
using Clock = std::chrono::steady_clock;

constexpr double kGoalMs = 50;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Pumps for ms; the longest time one pass of the loop took.
double PumpLongestMs(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    double longest = 0;
    while (Clock::now() < end) {
        const auto start = Clock::now();
        ui::PumpMessages();
        longest = std::max(longest, Ms(Clock::now() - start));
        Sleep(2);
    }
    return longest;
}

struct Result {
    double healthyClickMs = 0;
    double silentClickMs = 0;  // the longest of three clicks
    double connectStallMs = 0;
    double silentConnectStallMs = 0;  // the mouse never answers
};

devices::CQuorvaneKeyboardDevice* Keyboard(app::CMainWnd& window) {
    for (auto* d : window.DevicesOfKind({kKindKeyboard}))
        if (auto* k = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(d)) return k;
    return nullptr;
}

double ClickMs(app::CMainWnd& window, devices::CQuorvaneKeyboardDevice& keyboard, int preset) {
    ui::CControlUI* option =
        keyboard.LightPanel()->Child("color_option_" + std::to_string(preset));
    const auto start = Clock::now();
    window.PaintManager().SendNotify(option, ui::kNotifyClick);
    return Ms(Clock::now() - start);
}

// The whole application on its own virtual bus.
struct RunningApp {
    explicit RunningApp(bool queued) : bus(std::make_shared<hid::VirtualHidBus>()) {
        app::AppOptions options;
        options.singleInstance = false;
        options.window.bus = bus;
        options.window.trayIcon = false;
        options.window.queueDeviceWrites = queued;
        application = std::make_unique<app::Application>(options);
        started = application->Start() == app::Application::StartResult::Started;
    }
    // Plugs the four kinds (the one named silent never answers); the keyboard's device.
    std::shared_ptr<sim::SimDevice> PlugFour(std::string_view silent = {}) {
        std::shared_ptr<sim::SimDevice> keyboard;
        for (const char* name : {"keyboard", "mouse", "pad", "headset"}) {
            auto device = sim::MakeSimulatedDevice(name);
            if (name == silent) device->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
            bus->Plug(device);
            if (keyboard == nullptr) keyboard = device;
        }
        return keyboard;
    }

    std::shared_ptr<hid::VirtualHidBus> bus;
    std::unique_ptr<app::Application> application;
    bool started = false;
};

Result Measure(bool queued) {
    Result result;
    {
        RunningApp running(queued);
        if (!running.started) return result;
        running.PlugFour("mouse");
        result.silentConnectStallMs = PumpLongestMs(3500);
    }
    RunningApp running(queued);
    if (!running.started) return result;
    app::CMainWnd& window = *running.application->Window();
    std::shared_ptr<sim::SimDevice> keyboard = running.PlugFour();
    result.connectStallMs = PumpLongestMs(2500);

    devices::CQuorvaneKeyboardDevice* device = Keyboard(window);
    if (device == nullptr || device->LightPanel() == nullptr) return result;
    window.ShowSelectorEntry(device->SelectorValue(), true, true);
    PumpLongestMs(100);
    result.healthyClickMs = ClickMs(window, *device, 2);
    PumpLongestMs(300);

    keyboard->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    for (int preset = 3; preset <= 5; ++preset) {
        result.silentClickMs = std::max(result.silentClickMs, ClickMs(window, *device, preset));
        PumpLongestMs(50);
    }
    keyboard->ClearFaults();
    device->WaitWorkerIdle(5000);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchHome home("silent");
    ui::GuiApplication gui(argc, argv, true);

    const Result baseline = Measure(false);
    const Result queued = Measure(true);
    std::printf("                                          device thread   baseline (UI thread)\n");
    std::printf("click to page, healthy keyboard:          %8.2f ms     %8.2f ms\n",
                queued.healthyClickMs, baseline.healthyClickMs);
    std::printf("click to page, keyboard never answering:  %8.2f ms     %8.2f ms  (goal <= %.0f ms)\n",
                queued.silentClickMs, baseline.silentClickMs, kGoalMs);
    std::printf("longest UI stall, four devices connecting:%8.2f ms     %8.2f ms\n",
                queued.connectStallMs, baseline.connectStallMs);
    std::printf("  the same with the mouse never answering:%8.2f ms     %8.2f ms  (goal <= %.0f ms)\n",
                queued.silentConnectStallMs, baseline.silentConnectStallMs, kGoalMs);
    return 0;
}
