#pragma once

#include <cstdint>

namespace vivori::lighting {

// One light tick. Effect speeds count ticks of the coarse system timer (about
// 16 ms); the millisecond clock here would count far faster, so a tick is a fixed
// 16 ms.
inline constexpr uint32_t kLightTickMs = 16;
// The lighting loop waits at least this long per pass.
inline constexpr int kLightLoopWaitMs = 1;

// Light ticks between two steps of a mode at a speed (clamped to 0-4); 0 runs the
// step on every loop pass. Modes outside 1-30 (and 28) run on every pass; mode 29
// runs once more than one tick has passed.
int SpeedThreshold(int mode, int speed);
// Time between two steps, for running the engine without the loop.
uint32_t StepIntervalMs(int mode, int speed);

// The lighting loop's step pacing: one Pass per loop pass says whether the running
// mode's step is due.
class LightPacer {
  public:
    void Reset(uint32_t nowMs);
    bool Pass(uint32_t nowMs, int mode, int speed);
    // The same for a device kind with thresholds of its own: due once `threshold`
    // light ticks have passed (0: every pass).
    bool PassTicks(uint32_t nowMs, int threshold);
    // Whether the last Pass counted a light tick: the work done once per tick whatever
    // the mode (the custom program and LED layer) runs then.
    bool Ticked() const { return ticked_; }
    // How long the loop may wait before its next pass can matter: until the next
    // light tick, or, for a streamed mode stepped on every pass, `outputMs` (stepping
    // faster than the output shows the colours only burns the core). At least one
    // loop wait.
    uint32_t WaitMs(uint32_t nowMs, int mode, int speed, uint32_t outputMs) const;
    // Until the next light tick, or `everyPassMs` when that is not 0.
    uint32_t WaitMs(uint32_t nowMs, uint32_t everyPassMs) const;
    int Ticks() const { return ticks_; }

  private:
    uint32_t lastTick_ = 0;
    int ticks_ = 0;
    bool ticked_ = false;
};

}  // namespace vivori::lighting
