// The audio path's two costs: the recorder's analysis at 60 frames a second, as a
// share of one core (target 2 %), paced in real time over 5 s; and the main window's
// reduction of one spectrum frame to the keyboard's 25 bands (target 5 us).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "ProcessCpu.h"
#include "FrequencyAnalyser.h"
#include "lighting/AudioBands.h"

namespace {

using namespace vivori;

constexpr double kTargetRecorderPercent = 2.0;
constexpr double kTargetReduceMicroseconds = 5.0;
constexpr int kFramesPerSecond = 60;
constexpr int kSeconds = 5;

void BM_RecorderAt60Fps(benchmark::State& state) {
    std::vector<float> noise(recorder::kFftSize);
    std::mt19937 random(1);
    std::uniform_real_distribution<float> level(-0.3f, 0.3f);
    for (float& s : noise) s = level(random);
    for (auto _ : state) {
        recorder::SpectrumAnalyser analyser;
        analyser.Add(noise, [](const auto&) {});
        int64_t sum = 0;
        const double cpuBefore = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kFramesPerSecond * kSeconds; ++i) {
            // One frame: window, FFT, 500 bands.
            sum += analyser.Analyse()[268];
            std::this_thread::sleep_until(
                start + std::chrono::microseconds((i + 1) * 1000000 / kFramesPerSecond));
        }
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
        state.counters["target_percent"] = kTargetRecorderPercent;
        benchmark::DoNotOptimize(sum);
    }
}

void BM_ReduceOneFrame(benchmark::State& state) {
    lighting::SpectrumReducer reducer;
    std::vector<std::vector<int32_t>> frames(16, std::vector<int32_t>(lighting::kSpectrumValues));
    std::mt19937 random(2);
    for (auto& f : frames)
        for (auto& v : f) v = int32_t(random() % 2001);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reducer.Add(frames[i++ % frames.size()]));
    }
    state.counters["target_us"] = kTargetReduceMicroseconds;
}

}  // namespace

BENCHMARK(BM_RecorderAt60Fps)
    ->Name("recorder_analysis_60_frames_a_second")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_ReduceOneFrame)->Name("reduce_one_spectrum_frame")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
