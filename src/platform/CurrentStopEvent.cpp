#include "platform/CurrentStopEvent.h"

namespace vivori {
namespace {
thread_local Event* currentStop = nullptr;
}

Event* CurrentStopEvent() {
    return currentStop;
}

StopEventScope::StopEventScope(Event* stop) : previous_(currentStop) {
    currentStop = stop;
}

StopEventScope::~StopEventScope() {
    currentStop = previous_;
}

}  // namespace vivori
