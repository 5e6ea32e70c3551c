#pragma once

#include <array>
#include <functional>
#include <memory>

#include "platform/WorkerThread.h"

namespace vivori::app {

// The main window's worker slots. A slot runs a thread of its own (Start) or stands
// for a worker another object runs (Attach, with how to stop it). StopAll signals
// every slot first, then gives each one its bound to end.
class WorkerSlots {
  public:
    static constexpr int kSlotCount = 20;
    static constexpr int kStopTimeoutMs = 1000;

    ~WorkerSlots();

    bool Start(int slot, WorkerThread::Body body);
    void Attach(int slot, std::function<StopResult()> stop);
    bool Running(int slot) const;
    // Returns the slowest stop's milliseconds.
    int StopAll();

  private:
    struct Slot {
        std::unique_ptr<WorkerThread> thread;
        std::function<StopResult()> stop;
    };
    std::array<Slot, kSlotCount> slots_;
};

}  // namespace vivori::app
