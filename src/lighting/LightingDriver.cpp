#include "lighting/LightingDriver.h"

#include <algorithm>

#include "lighting/LightPacer.h"
#include "lighting/LightTypes.h"
#include "platform/Debug.h"
#include "platform/Time.h"

namespace vivori::lighting {

namespace {
constexpr uint32_t kCableFrameMs = 10;
constexpr uint32_t kReceiverFrameMs = 50;
}  // namespace

uint32_t FrameIntervalMs(bool receiverLink) {
    return receiverLink ? kReceiverFrameMs : kCableFrameMs;
}

bool LightingDriver::Start(Hooks hooks) {
    if (!hooks.step || !hooks.pace) return false;
    Stop();
    hooks_ = std::move(hooks);
    return thread_.Start([this](Event& stop) { Run(stop); });
}

StopResult LightingDriver::Stop(int timeoutMs) {
    if (!thread_.Running()) return thread_.Stop(timeoutMs);
    const StopResult result = thread_.Stop(timeoutMs);
    DebugOutput(StopResultLine(result));
    return result;
}

void LightingDriver::Wake() {
    wake_.Set();
}

void LightingDriver::Run(Event& stop) {
    Event* const events[] = {&stop, &wake_};
    // True when the stop event ended the wait; a wake-up only ends it early.
    auto stopped = [&events](int ms) { return WaitForAny(events, ms) == 0; };
    LightPacer pacer;
    pacer.Reset(GetTickCount());
    uint32_t lastFrame = GetTickCount();
    uint32_t wait = kLightLoopWaitMs;
    // Every wait is on the stop event, so a stop is seen within one wait. Between
    // light ticks there is nothing to count, so the loop sleeps until the next one.
    while (!stopped(static_cast<int>(wait))) {
        wait = kLightLoopWaitMs;
        if (!transport_.IsOpen()) {
            if (stopped(kClosedWaitMs)) break;
            continue;
        }
        // In the synchronised group another thread drives the LEDs: nothing to do here
        // but notice, within a closed transport's wait, that the group was left.
        if (transport_.SyncLighting()) {
            if (stopped(kClosedWaitMs)) break;
            continue;
        }
        const Pace pace = hooks_.pace();
        // Only the host-driven modes need frames; the others run in the firmware.
        const bool streams = hooks_.sendFrame && IsHostDrivenMode(pace.mode);
        // Nobody looks and nothing goes to the device: the steps would be lost, so the
        // thread sleeps until the owner wakes it (shown again, or another mode).
        if (!streams && hooks_.idle && hooks_.idle()) {
            if (stopped(kInfinite)) break;
            continue;
        }
        const uint32_t now = GetTickCount();
        const bool due = pace.threshold < 0 ? pacer.Pass(now, pace.mode, pace.speed)
                                            : pacer.PassTicks(now, pace.threshold);
        if (due) {
            hooks_.step();
            ++steps_;
        }
        if (pacer.Ticked() && hooks_.tick) hooks_.tick();
        const uint32_t frameMs = FrameIntervalMs(transport_.IsReceiverLink());
        wait = pace.threshold < 0 ? pacer.WaitMs(now, pace.mode, pace.speed, frameMs)
                                  : pacer.WaitMs(now, 0);
        if (!streams) continue;
        const uint32_t sinceFrame = now - lastFrame;
        if (sinceFrame < frameMs) {
            wait = std::min(wait, frameMs - sinceFrame);
            continue;
        }
        // Frames keep to their schedule, so late wake-ups do not lower the rate; after
        // a long stall the schedule starts again from now.
        lastFrame = sinceFrame < 2 * frameMs ? lastFrame + frameMs : now;
        wait = std::min(wait, frameMs - (now - lastFrame));
        if (transport_.IsBusy()) {
            ++framesDropped_;
            continue;
        }
        const int sent = hooks_.sendFrame();
        if (sent == CMD_OK)
            ++framesSent_;
        else if (sent == CMD_DROPPED)
            ++framesDropped_;
        else if (stop.Wait(kFailedFrameWaitMs))
            break;
    }
    DebugOutput(hooks_.exitLine);
}

}  // namespace vivori::lighting
