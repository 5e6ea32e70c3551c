#pragma once

#include <functional>
#include <string_view>
#include <thread>

#include "platform/Event.h"

namespace vivori {

enum class StopResult { Ended, TimedOut, NotRunning };

// The fixed debug line a stop writes for its result.
std::string_view StopResultLine(StopResult result);

// A worker with a manual-reset stop event. The body must wait on that event (or on
// an abort it triggers) in every blocking call, because a C++ thread cannot be
// killed: Stop gives it a bounded time to end, reports whether it did, and then
// joins it anyway. While the body runs, the stop event is also the thread's
// CurrentStopEvent().
class WorkerThread {
  public:
    using Body = std::function<void(Event& stop)>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body on a new thread with the stop event reset. Fails when running.
    bool Start(Body body);
    // Sets the stop event, waits up to timeoutMs for the body to return, then joins.
    StopResult Stop(int timeoutMs);
    bool Running() const { return thread_.joinable() && !finished_.IsSet(); }
    Event& StopEvent() { return stop_; }
    std::thread::id Id() const { return thread_.get_id(); }

  private:
    Event stop_{ResetMode::Manual};
    Event finished_{ResetMode::Manual};
    std::thread thread_;
};

}  // namespace vivori
