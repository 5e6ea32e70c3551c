#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "device/CommandTransport.h"
#include "platform/WorkerThread.h"

namespace vivori::lighting {

// Light frames go out every 10 ms on the cable and every 50 ms through the receiver.
uint32_t FrameIntervalMs(bool receiverLink);

// The keyboard's lighting thread: steps the effect at the pace its mode and speed
// ask for and, in the host-driven modes, streams frames while the transport is open.
// Stepping and sending share one wake-up, so streaming needs no UI-thread timer. A frame that meets
// a busy transport is dropped (the next one brings the colours again), a failed one costs a 200 ms
// pause, and Stop ends the thread within its bound.
class LightingDriver {
  public:
    struct Pace {
        int mode = 0;
        int speed = 0;
        // Light ticks between two steps; -1: the keyboard's threshold of mode and speed.
        int threshold = -1;
    };
    struct Hooks {
        std::function<Pace()> pace;  // the running mode and speed
        std::function<void()> step;  // one effect step; the owner takes its light lock
        std::function<int()> sendFrame =
            nullptr;                           // optional: build and send one frame, a result code
        std::function<void()> tick = nullptr;  // optional: once per light tick, after the step
        // Optional: true while nobody looks at the results. Unless it streams, the
        // thread then sleeps until Wake, so an unseen preview costs nothing.
        std::function<bool()> idle = nullptr;
        const char* exitLine = "KB灯光线程设定退出";
    };
    static constexpr int kStopTimeoutMs = 1000;
    static constexpr int kClosedWaitMs = 100;
    static constexpr int kFailedFrameWaitMs = 200;

    explicit LightingDriver(CommandTransport& transport) : transport_(transport) {}
    ~LightingDriver() { Stop(); }
    LightingDriver(const LightingDriver&) = delete;
    LightingDriver& operator=(const LightingDriver&) = delete;

    // Starts the thread (stopping a running one first). False without a step hook.
    bool Start(Hooks hooks);
    StopResult Stop(int timeoutMs = kStopTimeoutMs);
    bool Running() const { return thread_.Running(); }
    // Makes the thread look again at once: the idle hook or the mode may have changed.
    void Wake();

    uint64_t StepsRun() const { return steps_.load(); }
    uint64_t FramesSent() const { return framesSent_.load(); }
    uint64_t FramesDropped() const { return framesDropped_.load(); }

  private:
    void Run(Event& stop);

    CommandTransport& transport_;
    Hooks hooks_;
    WorkerThread thread_;
    Event wake_{ResetMode::Auto};
    std::atomic<uint64_t> steps_{0};
    std::atomic<uint64_t> framesSent_{0};
    std::atomic<uint64_t> framesDropped_{0};
};

}  // namespace vivori::lighting
