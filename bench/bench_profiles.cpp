// Load and save of the shipped keyboard profile (126 keys, 126 custom colours), next
// to the 1 ms target for a save. A save re-reads the file, replaces its entry, writes
// a temporary file, flushes it to disk and renames it; the flush is the disk's cost,
// so the save runs twice: in the temporary folder (a real disk here) and in
// /dev/shm (memory), which leaves only our own work.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>

#include "ProcessCpu.h"
#include "profiles/CKeyboardProfiledata.h"

using namespace vivori::profiles;

namespace {

constexpr double kSaveTargetMs = 1.0;

struct Fixture {
    std::filesystem::path folder;
    CKeyboardProfiledata profile;

    explicit Fixture(const std::filesystem::path& parent) {
        std::string pattern = (parent / "vivori-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        profile.SetDefaultProfilePath(VIVORI_DEFAULT_DATA_DIR "/keyboard.Json");
        profile.SetProfilePath(folder / "p.Json");
        profile.Load(folder / "p.Json");
    }
    ~Fixture() { std::filesystem::remove_all(folder); }
};

// Runs `step` for every iteration and reports wall and CPU milliseconds per step.
template <class Step>
void Measure(benchmark::State& state, const char* name, Step step) {
    auto wall = std::chrono::steady_clock::now();
    double cpu = ProcessCpuSeconds();
    for (auto _ : state) step();
    double n = double(state.iterations());
    state.counters[std::string(name) + "_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count() /
        n;
    state.counters["cpu_ms"] = (ProcessCpuSeconds() - cpu) * 1e3 / n;
}

void BM_LoadKeyboardProfile(benchmark::State& state) {
    Fixture f(std::filesystem::temp_directory_path());
    Measure(state, "load", [&] {
        f.profile.Load(f.profile.GetProfilePath());
        benchmark::DoNotOptimize(f.profile.GetKeyList());
        benchmark::DoNotOptimize(f.profile.GetLightInfo());
        benchmark::DoNotOptimize(f.profile.GetCustomLightColors(0, 126));
    });
}

void BM_SaveKeyboardProfile(benchmark::State& state, const char* parent) {
    if (!std::filesystem::is_directory(parent)) return state.SkipWithError("no such folder");
    Fixture f(parent);
    LightInfo light = f.profile.GetLightInfo();
    int failures = 0;
    Measure(state, "save", [&] {
        light.red = std::uint8_t(light.red + 1);
        f.profile.SetLightInfo(light);
        failures += !f.profile.Save();
    });
    state.counters["target_ms"] = kSaveTargetMs;
    state.counters["failures"] = failures;
}

}  // namespace

BENCHMARK(BM_LoadKeyboardProfile)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SaveKeyboardProfile, disk, "/var/tmp")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SaveKeyboardProfile, memory, "/dev/shm")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
