#pragma once

#include <atomic>
#include <cstdint>
#include <span>

namespace vivori {

// Waits take milliseconds; kInfinite waits without limit.
inline constexpr int kInfinite = -1;
// Results of WaitForAny besides an index.
inline constexpr int kWaitTimeout = -1;
inline constexpr int kWaitFailed = -2;

enum class ResetMode { Manual, Auto };

// A Windows-style event. The signalled state is an atomic flag, so Set, Reset and
// IsSet cost no system call; an eventfd is kicked only while someone is blocked on
// the event, which lets one poll() wait on events and file descriptors together.
class Event {
  public:
    explicit Event(ResetMode mode = ResetMode::Auto, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const { return state_.load(); }
    // Waits until signalled; an auto-reset event is consumed by the wait.
    bool Wait(int timeoutMs);

    ResetMode Mode() const { return mode_; }

  private:
    friend int WaitForAny(std::span<Event* const>, int, std::span<const int>);
    bool TryTake();
    void Kick();
    void Drain();

    const ResetMode mode_;
    std::atomic<bool> state_;
    std::atomic<int> waiters_{0};
    int fd_ = -1;
};

// Waits until one of the events is signalled or one of the extra descriptors is
// readable. Returns the index of the first signalled event (lowest index wins, as
// with WaitForMultipleObjects), events.size() + i for extra descriptor i, or
// kWaitTimeout / kWaitFailed.
int WaitForAny(std::span<Event* const> events, int timeoutMs, std::span<const int> extraFds = {});

}  // namespace vivori
