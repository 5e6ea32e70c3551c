// Process CPU of the capture thread over 10 s, with no device and with every device
// present (then it only probes), next to the target of 0.1 % of one core; and on the
// Linux bus over 20 hidraw nodes of other devices, with the parsed nodes kept and
// with every node read afresh each poll as the baseline.
#include <benchmark/benchmark.h>

#include <chrono>

#include "ProcessCpu.h"
#include "devices/CaptureThread.h"
#include "platform/FakeHidraw.h"
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

// Runs the capture thread on bus (or, with run false, only waits) and reports the
// process CPU as a share of one core.
void MeasureCapture(benchmark::State& state, std::shared_ptr<vivori::hid::HidBus> bus, bool run) {
    vivori::devices::DeviceList list;
    QuietWindow window;
    window.CreateHandle("bench", "bench");
    vivori::devices::CaptureThread capture(list, std::move(bus));
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

void BM_CaptureThreadCpu(benchmark::State& state, const char* devices, bool run = true) {
    for (auto _ : state) MeasureCapture(state, vivori::sim::MakeSimulatedBus(devices)->bus, run);
}

// The Linux bus over a fake sysfs of 20 hidraw nodes of other devices, so every
// poll lists them all: each node read and parsed every time (the baseline), or
// only once (cached).
void BM_CaptureOnHidrawNodes(benchmark::State& state, bool cached) {
    for (auto _ : state) {
        vivori::hid::fake::FakeHidraw tree;
        for (int i = 0; i < 20; ++i)
            tree.AddNode({"hidraw" + std::to_string(i),
                          vivori::hid::fake::UsbUevent(0x046D, static_cast<uint16_t>(0xC000 + i)),
                          vivori::sim::FamilyInterfaceDescriptor(), "1-2:1.1", "01"});
        MeasureCapture(state, tree.MakeSharedBus(cached), true);
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

BENCHMARK_CAPTURE(BM_CaptureOnHidrawNodes, hidraw_20_nodes_read_every_poll_baseline, false)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_CaptureOnHidrawNodes, hidraw_20_nodes_cached, true)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
