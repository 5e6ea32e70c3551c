#include "platform/WorkerThread.h"

#include "platform/CurrentStopEvent.h"

namespace vivori {

std::string_view StopResultLine(StopResult result) {
    switch (result) {
        case StopResult::Ended:
            return "线程退出：：对象处于激发状态\n";
        case StopResult::TimedOut:
            return "线程退出：：对象处于非激发状态，超时\n";
        case StopResult::NotRunning:
            break;
    }
    return "";
}

WorkerThread::~WorkerThread() {
    Stop(kInfinite);
}

bool WorkerThread::Start(Body body) {
    if (thread_.joinable()) {
        if (!finished_.IsSet()) return false;
        thread_.join();
    }
    stop_.Reset();
    finished_.Reset();
    thread_ = std::thread([this, body = std::move(body)] {
        StopEventScope scope(&stop_);
        body(stop_);
        finished_.Set();
    });
    return true;
}

StopResult WorkerThread::Stop(int timeoutMs) {
    if (!thread_.joinable()) return StopResult::NotRunning;
    stop_.Set();
    // A thread cannot wait for itself; the body ends when it returns.
    if (std::this_thread::get_id() == thread_.get_id()) {
        thread_.detach();
        return StopResult::Ended;
    }
    StopResult result = finished_.Wait(timeoutMs) ? StopResult::Ended : StopResult::TimedOut;
    thread_.join();
    return result;
}

}  // namespace vivori
