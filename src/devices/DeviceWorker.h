// One device's own thread for its exchanges: the window queues a write and goes on,
// writes to one device stay in their order, and devices never wait on each other.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vivori::devices {

class DeviceWorker {
  public:
    using Job = std::function<void()>;

    DeviceWorker() = default;
    ~DeviceWorker() { Stop(); }
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    // Runs the job after those queued before it. The thread starts with the first job.
    // After Stop, jobs are dropped. A job queued to keep survives DropQueued (a read
    // whose answer someone waits for: it fails fast on a silent device anyway).
    void Queue(Job job, bool keep = false);
    // Drops the jobs not yet started, except those queued to keep; the running one
    // finishes.
    void DropQueued();
    // Waits until nothing is queued or running (or the time is up); true when idle.
    bool WaitIdle(int timeoutMs);
    bool Idle();
    // Finishes the running job, drops the rest and joins the thread. Never called from
    // a job.
    void Stop();

  private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    struct Queued {
        Job job;
        bool keep = false;
    };
    std::deque<Queued> jobs_;
    std::thread thread_;
    bool running_ = false;  // a job is running
    bool stopping_ = false;
};

}  // namespace vivori::devices
