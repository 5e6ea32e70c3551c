#include "lighting/SyncLighting.h"

#include <algorithm>
#include <array>

#include "lighting/LightPacer.h"
#include "lighting/LightTables.h"
#include "platform/Debug.h"
#include "platform/Time.h"

namespace vivori::lighting {
namespace {

struct KindRow {
    SyncKind kind;
    int keyboard;
    int mouse;
    int padOrHeadset;
};

constexpr KindRow kKindModes[] = {
    {SyncKind::Breathing, 5, 2, 2},   {SyncKind::Steady, 6, 3, 3}, {SyncKind::Flashing, 23, 4, 4},
    {SyncKind::ColourCycle, 4, 1, 1}, {SyncKind::Off, 20, 9, 8},
};

constexpr std::array<int, kSpeeds> kThresholds{28, 23, 18, 13, 7};
constexpr uint32_t kFlashUnitMs = 200;
constexpr int kFlashStep = 14;
constexpr int kBreathingLength = 128;
// A clock this far behind (a suspended machine) starts again instead of catching up.
constexpr uint64_t kMaxCatchUpSteps = 64;

int ModeOf(const KindRow& row, int panelType) {
    switch (panelType) {
        case kPanelKeyboard:
            return row.keyboard;
        case kPanelMouse:
            return row.mouse;
        case kPanelMousePad:
        case kPanelHeadset:
        case kPanelHeadsetAlt:
            return row.padOrHeadset;
        default:
            return -1;
    }
}

}  // namespace

std::optional<SyncKind> SyncKindOfMode(int panelType, int mode) {
    for (const KindRow& row : kKindModes)
        if (ModeOf(row, panelType) == mode && mode >= 0) return row.kind;
    return std::nullopt;
}

int ModeOfSyncKind(int panelType, SyncKind kind) {
    for (const KindRow& row : kKindModes)
        if (row.kind == kind) return ModeOf(row, panelType);
    return -1;
}

int SyncThreshold(int speed) {
    return kThresholds[static_cast<size_t>(std::clamp(speed, 0, kSpeeds - 1))];
}

uint32_t SyncStepMs(int speed) {
    return static_cast<uint32_t>(SyncThreshold(speed)) * kLightTickMs;
}

// ---- the effect ----

void SyncAnimator::Reset() {
    *this = SyncAnimator();
}

LedColour SyncAnimator::Step(const SyncSettings& s, uint32_t nowMs) {
    const uint8_t level = BrightnessValue(s.brightness);
    auto shown = [](Rgb c, uint8_t brightness) {
        return LedColour{c.red, c.green, c.blue, brightness};
    };
    switch (s.kind) {
        case SyncKind::Breathing: {
            phase_ =
                static_cast<uint8_t>(NextPosition(s.direction != 0, kBreathingLength, phase_, 1));
            Rgb colour = s.colour;
            if (s.colourful) {
                if (phase_ < 2)
                    wheel_ = static_cast<uint8_t>(NextPosition(true, kSpectrumSize, wheel_, 16));
                colour = Spectrum(wheel_);
            }
            return shown(colour, static_cast<uint8_t>(level * BreathingCurve(phase_) >> 8));
        }
        case SyncKind::Steady:
            return shown(s.colour, level);
        case SyncKind::Flashing: {
            const uint32_t period = static_cast<uint32_t>(SyncThreshold(s.speed)) * kFlashUnitMs;
            if (!lastToggle_ || nowMs - *lastToggle_ >= period) {
                flashOn_ = !flashOn_;
                lastToggle_ = nowMs;
                // The step does not divide 192: wrap on passing the end, not on meeting it.
                flashPosition_ =
                    static_cast<uint8_t>((flashPosition_ + kFlashStep) % kSpectrumSize);
            }
            if (!flashOn_) return {};
            return shown(s.colourful ? Spectrum(flashPosition_) : s.colour, level);
        }
        case SyncKind::ColourCycle:
            wheel_ = static_cast<uint8_t>(NextPosition(true, kSpectrumSize, wheel_, 1));
            return shown(Spectrum(wheel_), level);
        case SyncKind::Off:
            return {};
    }
    return {};
}

// ---- the thread ----

bool SyncLightingDriver::Start() {
    {
        std::lock_guard lock(mutex_);
        clockStart_ = NowLocked();
        stepsRun_ = 0;
    }
    return thread_.Start([this](Event& stop) { Run(stop); });
}

StopResult SyncLightingDriver::Stop(int timeoutMs) {
    if (!thread_.Running()) return thread_.Stop(timeoutMs);
    const StopResult result = thread_.Stop(timeoutMs);
    DebugOutput(StopResultLine(result));
    return result;
}

void SyncLightingDriver::SetSettings(const SyncSettings& settings) {
    {
        std::lock_guard lock(mutex_);
        settings_ = settings;
        clockStart_ = NowLocked();
        stepsRun_ = 0;
    }
    wake_.Set();
}

SyncSettings SyncLightingDriver::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void SyncLightingDriver::SetMembers(std::vector<Member> members) {
    {
        std::lock_guard lock(mutex_);
        members_ = std::move(members);
    }
    wake_.Set();
}

void SyncLightingDriver::SetTimeScale(uint32_t scale) {
    std::lock_guard lock(mutex_);
    timeScale_ = std::max(scale, 1u);
    clockStart_ = NowLocked();
    stepsRun_ = 0;
}

uint64_t SyncLightingDriver::StepsRun() const {
    std::lock_guard lock(mutex_);
    return totalSteps_;
}

void SyncLightingDriver::SetStepObserver(std::function<void(uint64_t, LedColour)> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

bool SyncLightingDriver::AnyActiveLocked() const {
    return std::any_of(members_.begin(), members_.end(),
                       [](const Member& m) { return m.active && m.active(); });
}

void SyncLightingDriver::Run(Event& stop) {
    Event* const events[] = {&stop, &wake_};
    bool idle = false;
    for (;;) {
        int waitMs = kInfinite;
        {
            std::unique_lock lock(mutex_);
            if (!AnyActiveLocked()) {
                idle = true;
            } else {
                const uint32_t now = NowLocked();
                if (idle) {
                    // Back from sleep: the clock starts again instead of catching up.
                    clockStart_ = now;
                    stepsRun_ = 0;
                    idle = false;
                }
                const uint32_t interval = SyncStepMs(settings_.speed);
                uint64_t due = (now - clockStart_) / interval;
                if (due > stepsRun_ + kMaxCatchUpSteps) {
                    clockStart_ = now - interval;
                    stepsRun_ = 0;
                    due = 1;
                }
                // Every due step advances the effect, so its phase follows the clock even
                // after a late wake-up; the members see the newest one.
                if (due > stepsRun_) {
                    LedColour colour;
                    while (stepsRun_ < due) {
                        ++stepsRun_;
                        colour = animator_.Step(
                            settings_, clockStart_ + static_cast<uint32_t>(stepsRun_ * interval));
                        ++totalSteps_;
                    }
                    for (const Member& m : members_)
                        if (m.active && m.active() && m.show) m.show(colour);
                    if (observer_) observer_(totalSteps_, colour);
                }
                const uint32_t next =
                    clockStart_ + static_cast<uint32_t>((stepsRun_ + 1) * interval);
                const int32_t ahead = static_cast<int32_t>(next - NowLocked());
                waitMs = ahead > 0
                             ? static_cast<int>((uint32_t(ahead) + timeScale_ - 1) / timeScale_)
                             : 0;
            }
        }
        if (WaitForAny(events, waitMs) == 0) break;
    }
    DebugOutput("同步灯光线程设定退出");
}

}  // namespace vivori::lighting
