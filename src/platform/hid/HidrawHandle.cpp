#include "platform/hid/HidrawHandle.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace vivori::hid {
namespace {

using Clock = std::chrono::steady_clock;

// What is left of a time-out: kInfinite stays so, a spent one gives 0.
int MillisecondsLeft(int timeoutMs, Clock::time_point deadline) {
    if (timeoutMs < 0) return kInfinite;
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<decltype(left)>(left, 0));
}

// Errors that mean the device behind a descriptor is gone for good.
bool DeviceEnded(int error) {
    return error == ENODEV || error == EIO || error == EPIPE || error == ESHUTDOWN;
}

}  // namespace

void NodeWatch::Add(int fd) {
    std::lock_guard lock(mutex_);
    fds_.push_back(fd);
}

void NodeWatch::Remove(int fd) {
    std::lock_guard lock(mutex_);
    fds_.erase(std::remove(fds_.begin(), fds_.end(), fd), fds_.end());
}

bool NodeWatch::Gone() {
    if (gone_.load()) return true;
    // Under the lock: a descriptor is removed before it is closed, so none polled
    // here can be a number the process has reused.
    std::lock_guard lock(mutex_);
    std::vector<pollfd> polled;
    for (int fd : fds_) polled.push_back({fd, 0, 0});
    if (!polled.empty() && poll(polled.data(), polled.size(), 0) > 0)
        for (const pollfd& p : polled)
            if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) gone_.store(true);
    return gone_.load();
}

HidrawHandle::HidrawHandle(int fd, const HidAttributes& attributes,
                           std::shared_ptr<const ParsedDescriptor> descriptor,
                           size_t collectionIndex, std::shared_ptr<NodeWatch> watch)
    : fd_(fd),
      attributes_(attributes),
      descriptor_(std::move(descriptor)),
      collection_(descriptor_->collections.at(collectionIndex)),
      watch_(std::move(watch)),
      scratch_(kMaxReportBytes) {
    if (watch_) watch_->Add(fd_);
}

HidrawHandle::~HidrawHandle() {
    if (watch_) watch_->Remove(fd_);
    close(fd_);
}

HidrawHandle::Take HidrawHandle::TakeOne() {
    // Without report IDs the kernel passes the bare report; a 0 byte in front gives
    // every report the same shape.
    const size_t skip = collection_.usesReportIds ? 0 : 1;
    scratch_[0] = 0;
    for (;;) {
        ssize_t n = read(fd_, scratch_.data() + skip, scratch_.size() - skip);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return Take::Empty;
        // 0 is end of file: the node (or, in tests, its peer) is gone.
        if (n == 0 || (n < 0 && DeviceEnded(errno))) {
            if (watch_) watch_->MarkGone();
            return Take::Gone;
        }
        if (n < 0) return Take::Gone;
        if (!collection_.OwnsInputReport(scratch_[0])) return Take::Report;  // not ours: dropped
        if (pending_.size() >= kPendingLimit) pending_.pop_front();
        pending_.emplace_back(scratch_.begin(), scratch_.begin() + n + skip);
        return Take::Report;
    }
}

IoStatus HidrawHandle::Read(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs,
                            Event& abort) {
    bytesRead = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (abort.IsSet()) return IoStatus::Aborted;
        {
            std::lock_guard lock(mutex_);
            Take taken = Take::Report;
            while (pending_.empty() && taken == Take::Report) taken = TakeOne();
            if (!pending_.empty()) {
                const auto& report = pending_.front();
                bytesRead = std::min(report.size(), buffer.size());
                std::memcpy(buffer.data(), report.data(), bytesRead);
                pending_.pop_front();
                return IoStatus::Ok;
            }
            if (taken == Take::Gone) return IoStatus::Failed;
        }
        if (timeoutMs >= 0 && MillisecondsLeft(timeoutMs, deadline) == 0) return IoStatus::TimedOut;
        Event* events[] = {&abort};
        const int fds[] = {fd_};
        int woke = WaitForAny(events, MillisecondsLeft(timeoutMs, deadline), fds);
        if (woke == 0) return IoStatus::Aborted;
        if (woke == kWaitTimeout) return IoStatus::TimedOut;
        if (woke == kWaitFailed) return IoStatus::Failed;
    }
}

void HidrawHandle::DiscardInput() {
    std::lock_guard lock(mutex_);
    while (TakeOne() == Take::Report) {
    }
    pending_.clear();
}

IoStatus HidrawHandle::Write(std::span<const uint8_t> report, size_t& bytesWritten, int timeoutMs,
                             Event& abort) {
    bytesWritten = 0;
    if (abort.IsSet()) return IoStatus::Aborted;
    if (report.empty()) return IoStatus::Failed;
    // A device without report IDs takes the report without the 0 byte in front.
    const size_t skip = collection_.usesReportIds ? 0 : 1;
    if (skip && (report[0] != 0 || report.size() < 2)) return IoStatus::Failed;
    const auto data = report.subspan(skip);
    {
        std::lock_guard lock(mutex_);
        while (TakeOne() == Take::Report) {
        }
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        ssize_t n = write(fd_, data.data(), data.size());
        if (n >= 0) {
            if (static_cast<size_t>(n) != data.size()) return IoStatus::Failed;
            bytesWritten = report.size();
            return IoStatus::Ok;
        }
        if (errno == EINTR) continue;
        if (DeviceEnded(errno) && watch_) watch_->MarkGone();
        if (errno != EAGAIN) return IoStatus::Failed;
        // A full output queue is rare; look again every millisecond.
        int left = MillisecondsLeft(timeoutMs, deadline);
        if (left == 0) return IoStatus::TimedOut;
        if (abort.Wait(1)) return IoStatus::Aborted;
    }
}

}  // namespace vivori::hid
