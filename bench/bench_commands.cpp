// The command set against the simulated keyboard, each figure next to its target:
// key-map pages per second on both links, the host CPU time of one 510-byte light
// frame, and the time to build a macro image of 64 macros of 100 events.
#include <benchmark/benchmark.h>

#include "ProcessCpu.h"
#include "device/CommandTransport.h"
#include "device/MacroImage.h"
#include "sim/SimulatedBus.h"

using namespace vivori;

namespace {

constexpr double kTargetMacroImageMicros = 50.0;

// A keyboard and its receiver on one bus, with a transport open on the chosen link.
struct Bench {
    explicit Bench(bool receiverLink) : made(*sim::MakeSimulatedBus("keyboard,keyboard-receiver")) {
        for (auto& d : made.devices) d->SetRecording(false);
        transport = std::make_unique<CommandTransport>(made.bus);
        std::vector<std::string> paths;
        made.bus->Enumerate(paths);
        // Collection 4 of the keyboard, then of the receiver.
        const std::string& path = paths[receiverLink ? 7 : 3];
        HidConnection& c = receiverLink ? transport->Receiver() : transport->Wired();
        c.OpenPath(path, true, true, true, false);
        transport->SetOpen(true);
        transport->SetLinkType(receiverLink ? kLinkReceiver : kLinkWired);
    }
    sim::SimulatedBus made;
    std::unique_ptr<CommandTransport> transport;
};

void BM_KeyMapWrite(benchmark::State& state, bool receiverLink) {
    Bench bench(receiverLink);
    bench.transport->SetDataLength(312);
    std::vector<uint8_t> map(312, 0x20);
    const int pages = receiverLink ? 13 : 6;
    int64_t failures = 0;
    for (auto _ : state) failures += bench.transport->WriteKeyMap(map.data(), 0) != CMD_OK;
    state.counters["pages_per_s"] =
        benchmark::Counter(double(state.iterations() * pages), benchmark::Counter::kIsRate);
    state.counters["pages_per_write"] = pages;
    state.counters["failures"] = double(failures);
}

void BM_LightFrame(benchmark::State& state) {
    Bench bench(false);
    std::vector<uint8_t> frame(510, 0x40);
    int64_t failures = 0;
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) failures += bench.transport->SendLightFrame(frame.data(), 510) != CMD_OK;
    const double cpu = ProcessCpuSeconds() - cpuStart;
    // Lighting runs every 10 ms on the cable; one frame should cost a small part of it.
    state.counters["cpu_us_per_frame"] = cpu * 1e6 / double(state.iterations());
    state.counters["frame_period_us"] = 10000;
    state.counters["failures"] = double(failures);
}

void BM_MacroImage(benchmark::State& state) {
    std::vector<std::vector<MacroEvent>> macros(64);
    for (auto& m : macros)
        for (int i = 0; i < 100; ++i)
            m.push_back({i % 2 == 0, 0x20, static_cast<uint8_t>(i), static_cast<uint16_t>(i * 7)});
    size_t bytes = 0;
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        MacroImage image = BuildMacroImage(macros, 0xFFFF);
        bytes = image.bytes.size();
        benchmark::DoNotOptimize(image.bytes.data());
    }
    state.counters["image_bytes"] = double(bytes);
    state.counters["cpu_us_per_image"] =
        (ProcessCpuSeconds() - cpuStart) * 1e6 / double(state.iterations());
    state.counters["target_us"] = kTargetMacroImageMicros;
}

}  // namespace

BENCHMARK_CAPTURE(BM_KeyMapWrite, cable, false)->UseRealTime();
BENCHMARK_CAPTURE(BM_KeyMapWrite, receiver, true)->UseRealTime();
BENCHMARK(BM_LightFrame)->UseRealTime();
BENCHMARK(BM_MacroImage);

BENCHMARK_MAIN();
