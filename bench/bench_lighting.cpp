// Time to compute one frame of each keyboard lighting mode over the 170-entry LED
// colour list (one step, then the light frame bytes for 104 key slots), next to the
// 5 µs target; then each music style of mode 29 fed fresh input every frame, and a
// light tick of the custom step program with a light list over all 170 LEDs.
#include <benchmark/benchmark.h>

#include "ProcessCpu.h"
#include "lighting/LightEngine.h"
#include "lighting/LightFrame.h"
#include "lighting/LightProgram.h"

using namespace vivori::lighting;

namespace {

constexpr double kTargetMicros = 5.0;
constexpr int kKeySlots = 104;

// Times frames of 16 ms light ticks: `frame(now)` computes one and returns the list,
// which then becomes the light frame bytes, as on the lighting thread.
template <typename ComputeFrame>
void RunFrames(benchmark::State& state, ComputeFrame frame) {
    KeyIndexMap ledOfKey;
    ledOfKey.fill(kNoIndex);
    for (int k = 0; k < kKeySlots; ++k) ledOfKey[static_cast<size_t>(k)] = static_cast<uint8_t>(k);
    std::vector<uint8_t> bytes;
    uint32_t now = 0;
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        BuildLightFrame(frame(now += 16), ledOfKey, kKeySlots, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    state.counters["cpu_us_per_frame"] = cpu * 1e6 / double(state.iterations());
    state.counters["target_us"] = kTargetMicros;
}

void BM_Frame(benchmark::State& state) {
    LightSettings settings;
    settings.mode = static_cast<int>(state.range(0));
    settings.colourful = state.range(1) != 0;
    LightEngine engine(1);
    engine.Start(settings);
    int key = 0;
    RunFrames(state, [&](uint32_t now) -> const LedColourList& {
        // Keep the key-reactive modes busy: a press every frame somewhere.
        engine.OnKeyEvent(key = (key + 37) % kKeyCount, KeyAction::Press);
        engine.Step(now);
        return engine.Colours();
    });
}

void BM_MusicFrame(benchmark::State& state) {
    LightSettings settings;
    settings.mode = kMusicMode;
    LightEngine engine(1);
    engine.SetMusicSettings({.style = static_cast<int>(state.range(0)), .peakColourful = true});
    engine.Start(settings);
    std::array<int, kMusicValueCount> values{};
    int loudness = 0;
    RunFrames(state, [&](uint32_t now) -> const LedColourList& {
        loudness = (loudness + 313) % 2000;
        for (int i = 0; i < kMusicValueCount; ++i) values[size_t(i)] = (loudness + 97 * i) % 2000;
        engine.SetMusicInput(values);
        engine.Step(now);
        return engine.Colours();
    });
}

void BM_ProgramTick(benchmark::State& state) {
    LightProgram program;
    std::vector<ProgramStep> steps = {{.type = 4, .multiColour = true, .timeMs = 1000},
                                      {.type = 0, .colour = {0, 200, 90}, .timeMs = 1000}};
    std::vector<LedRecord> records(kKeyCount, {.pattern = 0, .speed = 2, .present = true});
    program.Load(steps, records);
    LedColourList colours{};
    RunFrames(state, [&](uint32_t now) -> const LedColourList& {
        program.StepProgram(now, 4, colours);
        program.ApplyLedLayer(now, colours);
        return colours;
    });
}

}  // namespace

BENCHMARK(BM_Frame)
    ->ArgsProduct({benchmark::CreateDenseRange(1, 30, 1), {0, 1}})
    ->ArgNames({"mode", "colourful"});
BENCHMARK(BM_MusicFrame)->DenseRange(0, 6)->ArgName("style");
BENCHMARK(BM_ProgramTick)->Name("custom_program_and_light_list_tick");

BENCHMARK_MAIN();
