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

void LightingDriver::Run(Event& stop) {
    LightPacer pacer;
    pacer.Reset(GetTickCount());
    uint32_t lastFrame = GetTickCount();
    uint32_t wait = kLightLoopWaitMs;
    // Every wait is on the stop event, so a stop is seen within one wait. Between
    // light ticks there is nothing to count, so the loop sleeps until the next one.
    while (!stop.Wait(static_cast<int>(wait))) {
        wait = kLightLoopWaitMs;
        if (!transport_.IsOpen() || (hooks_.idle && hooks_.idle())) {
            stop.Wait(kClosedWaitMs);
            continue;
        }
        // In the synchronised group another thread drives the LEDs: nothing to do here
        // but notice, within a closed transport's wait, that the group was left.
        if (transport_.SyncLighting()) {
            stop.Wait(kClosedWaitMs);
            continue;
        }
        const uint32_t now = GetTickCount();
        const Pace pace = hooks_.pace();
        const bool due = pace.threshold < 0 ? pacer.Pass(now, pace.mode, pace.speed)
                                            : pacer.PassTicks(now, pace.threshold);
        if (due) {
            hooks_.step();
            ++steps_;
        }
        if (pacer.Ticked() && hooks_.tick) hooks_.tick();
        const uint32_t frameMs = FrameIntervalMs(transport_.IsReceiverLink());
        // Only the host-driven modes need frames; the others run in the firmware.
        const bool streams = hooks_.sendFrame && IsHostDrivenMode(pace.mode);
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
        if (hooks_.sendFrame() == CMD_OK)
            ++framesSent_;
        else
            stop.Wait(kFailedFrameWaitMs);
    }
    DebugOutput(hooks_.exitLine);
}

}  // namespace vivori::lighting
