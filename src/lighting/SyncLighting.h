#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "lighting/LightTypes.h"
#include "platform/Event.h"
#include "platform/Time.h"
#include "platform/WorkerThread.h"

// Synchronised lighting: every device in the group shows one effect computed on the
// host, step by step, from one clock.
namespace vivori::lighting {

enum class SyncKind : uint8_t { Breathing = 0, Steady = 1, Flashing = 2, ColourCycle = 3, Off = 4 };
inline constexpr int kSyncKindCount = 5;

// The device families of the lighting panel (its device type codes).
inline constexpr int kPanelKeyboard = 1;
inline constexpr int kPanelMouse = 2;
inline constexpr int kPanelMousePad = 3;
inline constexpr int kPanelHeadsetAlt = 4;
inline constexpr int kPanelHeadset = 7;

// The sync kind a device's light mode stands for; nullopt when the mode has none.
std::optional<SyncKind> SyncKindOfMode(int panelType, int mode);
// The light mode a device of that family runs for a sync kind; -1 for an unknown family.
int ModeOfSyncKind(int panelType, SyncKind kind);

// What the group shows, taken from the device the user synchronised from.
struct SyncSettings {
    SyncKind kind = SyncKind::Steady;
    int brightness = 4;  // level; clamped to 0-4 when used
    int speed = 4;       // level; clamped to 0-4 when used
    int direction = 1;
    bool colourful = false;
    Rgb colour{255, 0, 0};
};

// Light ticks between two steps at a speed level (clamped to 0-4): 28, 23, 18, 13, 7.
int SyncThreshold(int speed);
// Milliseconds between two steps: the threshold in light ticks.
uint32_t SyncStepMs(int speed);

// The effect's state: phase, wheel index, flash position and flash state, shared by
// the whole group. Step computes the colour of the step due at nowMs (the clock's own
// time of that step, so a late wake-up does not change what is shown).
class SyncAnimator {
  public:
    void Reset();
    LedColour Step(const SyncSettings& settings, uint32_t nowMs);

  private:
    uint8_t phase_ = 0;
    uint8_t wheel_ = 0;
    uint8_t flashPosition_ = 0;
    bool flashOn_ = false;
    std::optional<uint32_t> lastToggle_;
};

// The thread that drives the group. The UI thread hands it the members (a snapshot:
// the thread never walks the device lists) and the settings; the thread sleeps until
// the next step of its clock, and without limit while no member is active.
//
// Steps are numbered from the clock's start; step k is due at start + k x interval.
// All members get the colour of a step in the same pass, so they never drift apart.
class SyncLightingDriver {
  public:
    struct Member {
        std::function<bool()> active;         // open transport and in the group
        std::function<void(LedColour)> show;  // writes the colour into every LED
    };
    static constexpr int kStopTimeoutMs = 1000;

    SyncLightingDriver() = default;
    ~SyncLightingDriver() { Stop(); }
    SyncLightingDriver(const SyncLightingDriver&) = delete;
    SyncLightingDriver& operator=(const SyncLightingDriver&) = delete;

    bool Start();
    StopResult Stop(int timeoutMs = kStopTimeoutMs);
    bool Running() const { return thread_.Running(); }

    // New settings restart the clock from now (the effect's state goes on).
    void SetSettings(const SyncSettings& settings);
    SyncSettings Settings() const;
    // Replaces the members; waits for a running step to finish, so a member removed
    // here is not called afterwards.
    void SetMembers(std::vector<Member> members);
    // A member's flag or transport changed: look again.
    void Wake() { wake_.Set(); }

    // Tests and benchmarks run the clock this many times faster than real time.
    void SetTimeScale(uint32_t scale);

    uint64_t StepsRun() const;
    // Optional: called after each step with its number and colour (tests, benchmarks).
    void SetStepObserver(std::function<void(uint64_t, LedColour)> observer);

  private:
    void Run(Event& stop);
    bool AnyActiveLocked() const;
    uint32_t NowLocked() const { return GetTickCount() * timeScale_; }

    mutable std::mutex mutex_;
    std::vector<Member> members_;
    SyncSettings settings_;
    SyncAnimator animator_;
    uint32_t clockStart_ = 0;
    uint32_t timeScale_ = 1;
    uint64_t stepsRun_ = 0;    // steps of the current clock that have run
    uint64_t totalSteps_ = 0;  // every step since start
    std::function<void(uint64_t, LedColour)> observer_;
    Event wake_{ResetMode::Auto};
    WorkerThread thread_;
};

}  // namespace vivori::lighting
