#pragma once

#include "platform/Event.h"

namespace vivori {

// The stop event of the worker running on this thread, or null on a thread that has
// none. Blocking services (a cross-thread send) give way when it is set, so a worker
// never holds up its own shut-down.
Event* CurrentStopEvent();

// Makes `stop` the current stop event of this thread for the scope's lifetime.
class StopEventScope {
  public:
    explicit StopEventScope(Event* stop);
    ~StopEventScope();
    StopEventScope(const StopEventScope&) = delete;
    StopEventScope& operator=(const StopEventScope&) = delete;

  private:
    Event* previous_;
};

}  // namespace vivori
