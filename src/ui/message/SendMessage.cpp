#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/CurrentStopEvent.h"
#include "ui/message/Messages.h"
#include "ui/message/PendingSend.h"
#include "ui/message/ThreadQueue.h"
#include "ui/message/WindowTable.h"

namespace vivori::ui {
namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    // Rounded up, so the wait never ends before the deadline.
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// Waits for the window's thread to answer. Gives way on the caller's stop event and
// on the time-out, and meanwhile serves sends to the caller's own windows, so two
// window threads sending to each other do not deadlock.
bool AwaitReply(PendingSend& send, int timeoutMs, LRESULT* result) {
    ThreadQueue* own = ThreadQueue::Existing();
    std::vector<Event*> events{&send.done};
    if (own) events.push_back(&own->SendArrived());
    if (Event* stop = CurrentStopEvent()) events.push_back(stop);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);

    for (;;) {
        int which = WaitForAny(events, timeoutMs == kInfinite ? kInfinite : RemainingMs(deadline));
        if (which == 0) break;
        if (own && which == 1) {
            own->DispatchSends();
            continue;
        }
        if (which == kWaitTimeout && RemainingMs(deadline) > 0) continue;
        if (send.Claim(PendingSend::Cancelled)) return false;
        // The handler is already running and may still read our arguments.
        send.done.Wait(kInfinite);
        break;
    }
    if (send.state.load() != PendingSend::Done) return false;
    if (result) *result = send.result;
    return true;
}

}  // namespace

bool SendMessageTimeout(HWND hwnd, UINT msg, WPARAM w, LPARAM l, int timeoutMs, LRESULT* result) {
    if (result) *result = 0;
    WindowTable& table = WindowTable::Instance();
    if (hwnd == HWND_BROADCAST) {
        for (HWND each : table.Handles()) SendMessageTimeout(each, msg, w, l, timeoutMs, nullptr);
        return true;
    }
    auto queue = table.QueueOf(hwnd);
    if (!queue) return false;
    if (queue->IsOwnerThread()) {
        auto answer = table.Call(hwnd, msg, w, l);
        if (answer && result) *result = *answer;
        return answer.has_value();
    }
    if (Event* stop = CurrentStopEvent(); stop && stop->IsSet()) return false;
    auto send = std::make_shared<PendingSend>(hwnd, msg, w, l);
    if (!table.QueueSend(send)) return false;
    return AwaitReply(*send, timeoutMs, result);
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    LRESULT result = 0;
    SendMessageTimeout(hwnd, msg, w, l, kInfinite, &result);
    return result;
}

}  // namespace vivori::ui
