#include "platform/Event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

namespace vivori {

Event::Event(ResetMode mode, bool initiallySet) : mode_(mode), state_(initiallySet) {
    fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Event::~Event() {
    if (fd_ >= 0) close(fd_);
}

void Event::Set() {
    state_.store(true);
    if (waiters_.load() > 0) Kick();
}

void Event::Reset() {
    state_.store(false);
}

bool Event::TryTake() {
    if (mode_ == ResetMode::Manual) return state_.load();
    bool expected = true;
    return state_.compare_exchange_strong(expected, false);
}

void Event::Kick() {
    uint64_t one = 1;
    ssize_t n = write(fd_, &one, sizeof one);
    (void)n;
}

void Event::Drain() {
    uint64_t value;
    ssize_t n = read(fd_, &value, sizeof value);
    (void)n;
    // Another waiter may still need the kick this drain swallowed.
    if (state_.load() && waiters_.load() > 1) Kick();
}

bool Event::Wait(int timeoutMs) {
    Event* self = this;
    return WaitForAny(std::span<Event* const>(&self, 1), timeoutMs) == 0;
}

int WaitForAny(std::span<Event* const> events, int timeoutMs, std::span<const int> extraFds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);

    // Fast path: something is already signalled.
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i]->TryTake()) return static_cast<int>(i);

    for (Event* e : events) e->waiters_.fetch_add(1);
    std::vector<pollfd> fds;
    fds.reserve(events.size() + extraFds.size());
    for (Event* e : events) fds.push_back({e->fd_, POLLIN, 0});
    for (int fd : extraFds) fds.push_back({fd, POLLIN, 0});

    int result = kWaitTimeout;
    for (;;) {
        bool taken = false;
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i]->TryTake()) {
                result = static_cast<int>(i);
                taken = true;
                break;
            }
        }
        if (taken) break;

        int waitMs = -1;
        if (timeoutMs >= 0) {
            // Rounded up: a truncated remainder of 0 ms would make poll return at once
            // and spin through the last fraction of every wait.
            auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left < 0) left = 0;
            waitMs = static_cast<int>(left);
        }
        for (auto& p : fds) p.revents = 0;
        int n = poll(fds.data(), fds.size(), waitMs);
        if (n < 0) {
            if (errno == EINTR) continue;
            result = kWaitFailed;
            break;
        }
        if (n == 0) {
            if (timeoutMs >= 0 && Clock::now() >= deadline) break;
            continue;
        }
        for (size_t i = 0; i < events.size(); ++i)
            if (fds[i].revents & POLLIN) events[i]->Drain();
        // Events win over descriptors, as the abort wins over the I/O.
        bool anySet = false;
        for (size_t i = 0; i < events.size(); ++i) anySet = anySet || events[i]->IsSet();
        if (anySet) continue;
        for (size_t i = 0; i < extraFds.size(); ++i) {
            if (fds[events.size() + i].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) {
                result = static_cast<int>(events.size() + i);
                taken = true;
                break;
            }
        }
        if (taken) break;
    }
    for (Event* e : events) e->waiters_.fetch_sub(1);
    return result;
}

}  // namespace vivori
