// What the benchmarks that run the message loop share: a loop that ends after a set
// time with the process CPU it took, and a data home of the run's own.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "ProcessCpu.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

namespace vivori::bench {

// Ends the message loop when its timer fires.
class LoopEnd : public ui::MessageWindow {
  public:
    static constexpr ui::UINT_PTR kTimer = 1;
    LoopEnd() { CreateHandle("bench-end", "bench"); }
    ~LoopEnd() override { DestroyHandle(); }
    ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM) override {
        if (msg == ui::WM_TIMER && w == kTimer) {
            ui::KillTimer(GetHWND(), kTimer);
            ended = true;
            ui::PostQuitMessage(0);
        }
        return 0;
    }
    bool ended = false;
};

// Runs the message loop for ms; the process CPU it took, as a share of one core.
inline double LoopCpuPercent(ui::UINT ms) {
    LoopEnd end;
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    ui::SetTimer(end.GetHWND(), LoopEnd::kTimer, ms);
    // A quit left over from an earlier window ends a loop early: run again.
    while (!end.ended) ui::RunMessageLoop();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    return 100.0 * cpu / wall;
}

// The run's own data, settings and runtime folders, removed at the end.
class BenchHome {
  public:
    explicit BenchHome(const std::string& name)
        : folder_(std::filesystem::temp_directory_path() /
                  ("vivori-bench-" + name + "-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder_ / "run");
        std::filesystem::permissions(folder_ / "run", std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    }
    ~BenchHome() {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;

  private:
    std::filesystem::path folder_;
};

}  // namespace vivori::bench
