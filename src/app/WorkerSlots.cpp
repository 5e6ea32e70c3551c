#include "app/WorkerSlots.h"

#include <algorithm>

#include "platform/Debug.h"
#include "platform/Time.h"

namespace vivori::app {

WorkerSlots::~WorkerSlots() {
    StopAll();
}

bool WorkerSlots::Start(int slot, WorkerThread::Body body) {
    if (slot < 0 || slot >= kSlotCount || slots_[slot].thread || slots_[slot].stop) return false;
    auto thread = std::make_unique<WorkerThread>();
    if (!thread->Start(std::move(body))) return false;
    slots_[slot].thread = std::move(thread);
    return true;
}

void WorkerSlots::Attach(int slot, std::function<StopResult()> stop) {
    if (slot < 0 || slot >= kSlotCount || slots_[slot].thread) return;
    slots_[slot].stop = std::move(stop);
}

bool WorkerSlots::Running(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return false;
    return (slots_[slot].thread && slots_[slot].thread->Running()) || slots_[slot].stop != nullptr;
}

int WorkerSlots::StopAll() {
    for (Slot& slot : slots_)
        if (slot.thread) slot.thread->StopEvent().Set();
    int slowest = 0;
    for (Slot& slot : slots_) {
        if (!slot.thread && !slot.stop) continue;
        const uint32_t start = GetTickCount();
        const StopResult result = slot.thread ? slot.thread->Stop(kStopTimeoutMs) : slot.stop();
        if (result == StopResult::Ended) DebugOutput("所有对象处于激发状态\n");
        // A thread cannot be killed; past its bound it is still joined, and says so.
        if (result == StopResult::TimedOut) DebugOutput("所有对象处于非激发状态，超时\n");
        slowest = std::max(slowest, static_cast<int>(GetTickCount() - start));
        slot.thread.reset();
        slot.stop = nullptr;
    }
    return slowest;
}

}  // namespace vivori::app
