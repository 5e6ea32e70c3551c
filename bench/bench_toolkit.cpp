// Layout of a 600-control tree and hit tests in it, next to their targets
// (1 ms per layout, 5 µs per hit test).
#include <benchmark/benchmark.h>

#include <chrono>

#include "ui/core/CButtonUI.h"
#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/CLabelUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CVerticalLayoutUI.h"

using namespace vivori::ui;

namespace {

constexpr double kLayoutTargetMs = 1.0;
constexpr double kHitTestTargetUs = 5.0;

// 30 rows of a label and 18 buttons, plus the rows and the root: 601 controls in an
// 800 x 572 window, like a crowded device page.
CControlUI* BuildTree() {
    auto* root = new CVerticalLayoutUI;
    root->SetChildPadding(2);
    for (int row = 0; row < 30; ++row) {
        auto* line = new CHorizontalLayoutUI;
        line->SetChildPadding(2);
        line->SetPadding({4, 0, 4, 0});
        auto* label = new CLabelUI;
        label->SetFixedWidth(60);
        label->SetText("row");
        line->Add(label);
        for (int column = 0; column < 18; ++column) {
            auto* button = new CButtonUI;
            button->SetName("key_" + std::to_string(row * 18 + column));
            line->Add(button);
        }
        root->Add(line);
    }
    return root;
}

void BM_Layout600(benchmark::State& state) {
    CPaintManagerUI pm;
    pm.SetInitSize({800, 572});
    pm.AttachDialog(BuildTree());
    pm.LayoutIfNeeded();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        pm.NeedUpdate();
        pm.LayoutIfNeeded();
        benchmark::ClobberMemory();
    }
    std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["ms_per_layout"] = elapsed.count() / double(state.iterations());
    state.counters["target_ms"] = kLayoutTargetMs;
}

void BM_HitTest(benchmark::State& state) {
    CPaintManagerUI pm;
    pm.SetInitSize({800, 572});
    pm.AttachDialog(BuildTree());
    pm.LayoutIfNeeded();
    int x = 0, y = 0;
    std::size_t found = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        x = (x + 37) % 800;
        y = (y + 53) % 572;
        found += pm.FindControl(UiPoint{x, y}) != nullptr;
    }
    benchmark::DoNotOptimize(found);
    std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["us_per_hit_test"] = elapsed.count() / double(state.iterations());
    state.counters["target_us"] = kHitTestTargetUs;
}

}  // namespace

BENCHMARK(BM_Layout600);
BENCHMARK(BM_HitTest);

BENCHMARK_MAIN();
