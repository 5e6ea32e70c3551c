// Process CPU of the capture thread over 10 s, with no device and with every device
// present (then it only probes), next to the target of 0.1 % of one core.
#include <benchmark/benchmark.h>

#include <chrono>

#include "ProcessCpu.h"
#include "devices/CaptureThread.h"
#include "platform/Time.h"
#include "sim/SimulatedBus.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

namespace {

constexpr double kTargetPercentOfCore = 0.1;
constexpr int kMeasureMs = 10000;

class QuietWindow : public vivori::ui::MessageWindow {
  public:
    ~QuietWindow() override { DestroyHandle(); }
    vivori::ui::LRESULT HandleMessage(vivori::ui::UINT, vivori::ui::WPARAM,
                                      vivori::ui::LPARAM) override {
        return 0;
    }
};

void BM_CaptureThreadCpu(benchmark::State& state, const char* devices, bool run = true) {
    for (auto _ : state) {
        auto made = vivori::sim::MakeSimulatedBus(devices);
        vivori::devices::DeviceList list;
        QuietWindow window;
        window.CreateHandle("bench", "bench");
        vivori::devices::CaptureThread capture(list, made->bus);
        if (run) capture.Start(window.GetHWND());
        // Let it claim what is plugged (its sends need this thread), then stay out of
        // its way: with nothing arriving or leaving it sends nothing more.
        const auto settle = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < settle) {
            vivori::ui::PumpMessages();
            vivori::Sleep(5);
        }
        const double cpuBefore = ProcessCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        vivori::Sleep(kMeasureMs);
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        capture.Stop();
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
        state.counters["target_percent"] = kTargetPercentOfCore;
        state.counters["claimed_entries"] = double(list.PresentPaths().size());
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_CaptureThreadCpu, idle_process_without_thread, "", false)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_CaptureThreadCpu, no_device, "")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_CaptureThreadCpu, all_devices,
                  "keyboard,keyboard-receiver,mouse,mouse-receiver,pad,headset")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
