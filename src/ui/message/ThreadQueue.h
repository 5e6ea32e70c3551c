#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Event.h"
#include "ui/message/MessageTypes.h"

class QEventLoop;

namespace vivori::ui {

class ThreadDispatcher;
struct PendingSend;

// The message queue of one thread that owns windows: posted messages in order, sends
// from other threads, the quit request and the nested loops running on it. Other
// threads only queue work (Post, QueueSend, CancelSendsTo); the rest runs on the
// owning thread.
class ThreadQueue {
  public:
    // The calling thread's queue, created (with a QCoreApplication if the process has
    // no application object yet) on first use.
    static std::shared_ptr<ThreadQueue> Current();
    // The calling thread's queue if it has one.
    static ThreadQueue* Existing();

    ThreadQueue();
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    bool IsOwnerThread() const { return std::this_thread::get_id() == owner_; }

    bool Post(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    bool QueueSend(std::shared_ptr<PendingSend> send);
    // Releases the senders still waiting on a destroyed window.
    void CancelSendsTo(HWND hwnd);
    // Set when a send is queued, so the owner can serve sends while it waits itself.
    Event& SendArrived() { return sendArrived_; }

    void DispatchSends();
    // Sends first, then posted messages in order, until the queue is empty.
    void DispatchAll();
    void PostQuit(int exitCode);
    // Runs a nested loop; one with a non-zero id can also be ended by EndLoop(id).
    int Run(int id = 0);
    void EndLoop(int id, int exitCode);
    void Pump();
    // The Qt side for timers and watches; null off the owning thread or once closed.
    ThreadDispatcher* Dispatcher() { return IsOwnerThread() ? dispatcher_.get() : nullptr; }

    // At thread exit: stops accepting work and releases every waiting sender.
    void Close();

  private:
    struct Posted {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    void WakeLocked();
    void OnWake();
    void DeliverSend(PendingSend& send);

    const std::thread::id owner_;
    std::mutex mutex_;
    std::deque<Posted> posted_;
    std::deque<std::shared_ptr<PendingSend>> sends_;
    bool wakePending_ = false;
    bool closed_ = false;
    Event sendArrived_{ResetMode::Auto};
    std::unique_ptr<ThreadDispatcher> dispatcher_;

    // Owner thread only.
    struct RunningLoop {
        QEventLoop* loop;
        bool endedByQuit;
        int id;
    };
    std::vector<RunningLoop> loops_;
    bool quitPending_ = false;
    int quitCode_ = 0;
};

}  // namespace vivori::ui
