// Time to compute one frame of each keyboard lighting mode over the 170-entry LED
// colour list (one step, then the light frame bytes for 104 key slots), next to the
// 5 µs target.
#include <benchmark/benchmark.h>

#include "ProcessCpu.h"
#include "lighting/LightEngine.h"
#include "lighting/LightFrame.h"

using namespace vivori::lighting;

namespace {

constexpr double kTargetMicros = 5.0;
constexpr int kKeySlots = 104;

void BM_Frame(benchmark::State& state) {
    LightSettings settings;
    settings.mode = static_cast<int>(state.range(0));
    settings.colourful = state.range(1) != 0;
    LightEngine engine(1);
    engine.Start(settings);
    KeyIndexMap ledOfKey;
    ledOfKey.fill(kNoIndex);
    for (int k = 0; k < kKeySlots; ++k) ledOfKey[static_cast<size_t>(k)] = static_cast<uint8_t>(k);
    uint32_t now = 0;
    int key = 0;
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        // Keep the key-reactive modes busy: a press every frame somewhere.
        engine.OnKeyEvent(key = (key + 37) % kKeyCount, KeyAction::Press);
        engine.Step(now += 16);
        auto frame = BuildLightFrame(engine.Colours(), ledOfKey, kKeySlots);
        benchmark::DoNotOptimize(frame.data());
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    state.counters["cpu_us_per_frame"] = cpu * 1e6 / double(state.iterations());
    state.counters["target_us"] = kTargetMicros;
}

}  // namespace

BENCHMARK(BM_Frame)
    ->ArgsProduct({benchmark::CreateDenseRange(1, 30, 1), {0, 1}})
    ->ArgNames({"mode", "colourful"});

BENCHMARK_MAIN();
