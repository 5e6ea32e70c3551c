#include "devices/DeviceWorker.h"

#include <chrono>

namespace vivori::devices {

void DeviceWorker::Queue(Job job, bool keep) {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    jobs_.push_back({std::move(job), keep});
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    wake_.notify_one();
}

void DeviceWorker::DropQueued() {
    std::deque<Queued> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(jobs_);
        for (Queued& queued : dropped)
            if (queued.keep) jobs_.push_back(std::move(queued));
        if (jobs_.empty() && !running_) idle_.notify_all();
    }
    // The jobs' captures are released outside the lock.
}

bool DeviceWorker::WaitIdle(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return jobs_.empty() && !running_; });
}

bool DeviceWorker::Idle() {
    std::lock_guard lock(mutex_);
    return jobs_.empty() && !running_;
}

void DeviceWorker::Stop() {
    std::thread thread;
    std::deque<Queued> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(jobs_);
        thread.swap(thread_);
        wake_.notify_all();
    }
    if (thread.joinable()) thread.join();
}

void DeviceWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) break;
        Job job = std::move(jobs_.front().job);
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
        running_ = false;
        if (jobs_.empty()) idle_.notify_all();
    }
    running_ = false;
    idle_.notify_all();
}

}  // namespace vivori::devices
