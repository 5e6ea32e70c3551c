#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "lighting/LightTypes.h"

namespace vivori::lighting {

// One timed step of a profile's custom light program (mode 28). Every value comes
// from a profile file, so none is trusted: out-of-range levels and speeds are
// clamped, unknown types show nothing.
struct ProgramStep {
    int type = 0;   // 0 breathing, 1 static, 2 blink, 4 wave, 5 colour cycle
    int light = 4;  // brightness level 0-4
    int speed = 0;  // 0-4
    int fx = 0;     // wave direction: non-zero runs it backward
    bool multiColour = false;
    Rgb colour{};
    int32_t timeMs = 0;  // how long the step plays
};

// One record of a profile's light list; record i drives LED i.
struct LedRecord {
    int pattern = 0;  // 0 breathing, 1 static, 2 blinking, 3 colour cycling, 4 off
    int light = 4;    // brightness level 0-4
    int speed = 0;    // 0-4
    int fx = 0;
    bool multiColour = false;
    Rgb colour{};
    bool present = false;  // the record was read from the file
};

// The custom light program of mode 28 and the per-LED layer a profile lays over every
// mode. One call is one loop of the lighting thread, i.e. one 16 ms light tick: the
// paces below count calls, so the owner makes exactly one of each per tick.
//
// Not thread-safe, and it takes no lock itself; the owner (the keyboard) locks:
// - its light lock around LoadSteps and StepProgram (steps, step index, program
//   state);
// - its LED record lock around LoadRecords and ApplyLedLayer (records, per-LED state);
// - both, light lock first, around Load.
// The two halves share no data, so each needs only its own lock. HasLedLayer and
// LedLayerCountsLoops belong to the layer half.
//
// A multicolour breathing step moves to the next colour of the spectrum (16 entries
// on) each time a breath ends, as the colourful breathing mode does, rather than
// breathing in one fixed spectrum colour.
class LightProgram {
  public:
    // Replaces the steps and the light list and restarts every LED's pattern. The
    // program keeps its position, step index and step start time.
    void Load(std::vector<ProgramStep> steps, std::vector<LedRecord> records);
    void LoadSteps(std::vector<ProgramStep> steps);
    void LoadRecords(std::vector<LedRecord> records);

    // One loop of the program: plays the current step into `colours` and moves to
    // the next step once its time is up. No steps turns every LED off. Blink steps
    // use the keyboard's own speed (0-4), not the step's.
    void StepProgram(uint32_t nowMs, int keyboardSpeed, LedColourList& colours);

    // One pass of the LED layer over `colours`: the LEDs of acting records are
    // overwritten, the rest keep what the running mode painted. With `advance` the
    // patterns move on (once per light tick: breathing and colour cycling count
    // ticks); without it the pass only paints their current colours again, which is
    // what must follow every step of a mode that repaints all LEDs, whatever its pace.
    void ApplyLedLayer(uint32_t nowMs, LedColourList& colours, bool advance = true);

    // Some record writes its LED: without one the pass can be skipped.
    bool HasLedLayer() const { return hasLayer_; }
    // Some record animates by counting passes (breathing, colour cycling), so the
    // pass must run once on every light tick, even when the mode's step is not due.
    // Otherwise a pass after each step keeps the layer on top; blinking follows the
    // clock, so a later pass only toggles later.
    bool LedLayerCountsLoops() const { return countsLoops_; }

    int StepIndex() const { return stepIndex_; }
    int Position() const { return position_; }

  private:
    // An on/off phase that flips each time its period has passed.
    struct Blinker {
        uint32_t lastToggleMs = 0;
        bool on = false;
        bool Toggle(uint32_t nowMs, uint32_t periodMs);
    };
    // Breathing keeps its curve position in `position`, colour cycling its loop count.
    struct LedState {
        int position = 0;
        int colourIndex = 0;
        Blinker blinker;
    };

    void PlayStep(const ProgramStep& step, uint32_t nowMs, int keyboardSpeed,
                  LedColourList& colours);
    // Counts a loop toward a pace; true (and the count restarts) when it is reached.
    bool PaceReached(int pace);
    void PlayBreathing(const ProgramStep& step, LedColourList& colours);
    void PlayBlink(const ProgramStep& step, uint32_t nowMs, int keyboardSpeed,
                   LedColourList& colours);
    void PlayWave(const ProgramStep& step, LedColourList& colours);
    void NextStepWhenDue(uint32_t nowMs, int32_t timeMs);
    static bool Acts(const LedRecord& record);
    static void ApplyRecord(const LedRecord& record, LedState& state, uint32_t nowMs, bool advance,
                            LedColour& colour);

    // Program state: under the light lock.
    std::vector<ProgramStep> steps_;
    int stepIndex_ = 0;
    std::optional<uint32_t> stepStartMs_;
    int loopCount_ = 0;
    int position_ = 0;
    Blinker blinker_;
    int blinkColour_ = 0;
    int breathColour_ = 0;

    // Layer state: under the LED record lock.
    std::vector<LedRecord> records_;
    std::array<LedState, kKeyCount> leds_{};
    bool hasLayer_ = false;
    bool countsLoops_ = false;
};

}  // namespace vivori::lighting
