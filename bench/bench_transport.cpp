// Exchanges per second through CommandTransport over the virtual bus against an
// instant-echo device, and host CPU time per exchange, next to the 2 µs target.
#include <benchmark/benchmark.h>

#include "ProcessCpu.h"
#include "device/CommandTransport.h"
#include "sim/SimulatedBus.h"

using namespace vivori;

namespace {

constexpr double kTargetCpuMicros = 2.0;

void BM_Exchange(benchmark::State& state, bool quiet) {
    auto made = sim::MakeSimulatedBus("keyboard");
    auto keyboard = made->devices[0];
    keyboard->SetRecording(false);
    std::vector<std::string> paths;
    made->bus->Enumerate(paths);
    CommandTransport transport(made->bus);
    transport.Wired().OpenPath(paths[3], true, true, true, false);
    transport.SetOpen(true);
    transport.SetLinkType(kLinkWired);

    const Frame request = BuildFrame(0x01, 0, 0);
    Frame reply{};
    int64_t failures = 0;
    double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        uint32_t n = 0;
        int r = quiet ? transport.TransactQuiet(request.data(), 64, reply.data(), 64, &n)
                      : transport.Transact(request.data(), 64, reply.data(), 64, &n);
        failures += r != CMD_OK;
    }
    double cpu = ProcessCpuSeconds() - cpuStart;
    state.counters["exchanges_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_exchange"] = cpu * 1e6 / double(state.iterations());
    state.counters["target_cpu_us"] = kTargetCpuMicros;
    state.counters["failures"] = double(failures);
}

}  // namespace

BENCHMARK_CAPTURE(BM_Exchange, logged, false)->UseRealTime();
BENCHMARK_CAPTURE(BM_Exchange, quiet, true)->UseRealTime();

BENCHMARK_MAIN();
