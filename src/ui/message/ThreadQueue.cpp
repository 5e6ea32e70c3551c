#include "ui/message/ThreadQueue.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "ui/message/CoreApplication.h"
#include "ui/message/PendingSend.h"
#include "ui/message/ThreadDispatcher.h"
#include "ui/message/WindowTable.h"

namespace vivori::ui {
namespace {

// Closes the thread's queue when the thread ends, releasing any sender still waiting.
struct CurrentQueue {
    std::shared_ptr<ThreadQueue> queue;
    ~CurrentQueue() {
        if (queue) queue->Close();
    }
};
thread_local CurrentQueue current;

void Release(PendingSend& send) {
    if (send.Claim(PendingSend::Cancelled)) send.Finish(PendingSend::Cancelled, 0);
}

}  // namespace

std::shared_ptr<ThreadQueue> ThreadQueue::Current() {
    if (!current.queue) {
        EnsureCoreApplication();
        current.queue = std::make_shared<ThreadQueue>();
    }
    return current.queue;
}

ThreadQueue* ThreadQueue::Existing() {
    return current.queue.get();
}

ThreadQueue::ThreadQueue() : owner_(std::this_thread::get_id()) {
    // Constructing a loop gives a thread not started by Qt its event dispatcher, which
    // timers, socket notifiers and processEvents need.
    { QEventLoop ensureDispatcher; }
    dispatcher_ = std::make_unique<ThreadDispatcher>(ThreadDispatcher::Handlers{
        [this] { OnWake(); },
        [](HWND hwnd, UINT_PTR id) {
            return WindowTable::Instance().Call(hwnd, WM_TIMER, id, 0).has_value();
        }});
}

ThreadQueue::~ThreadQueue() = default;

void ThreadQueue::WakeLocked() {
    if (wakePending_) return;
    wakePending_ = true;
    dispatcher_->Wake();
}

bool ThreadQueue::Post(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    posted_.push_back({hwnd, msg, w, l});
    WakeLocked();
    return true;
}

bool ThreadQueue::QueueSend(std::shared_ptr<PendingSend> send) {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    sends_.push_back(std::move(send));
    WakeLocked();
    sendArrived_.Set();
    return true;
}

void ThreadQueue::CancelSendsTo(HWND hwnd) {
    std::vector<std::shared_ptr<PendingSend>> cancelled;
    {
        std::lock_guard lock(mutex_);
        for (auto it = sends_.begin(); it != sends_.end();) {
            if ((*it)->hwnd == hwnd) {
                cancelled.push_back(std::move(*it));
                it = sends_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& send : cancelled) Release(*send);
}

void ThreadQueue::DeliverSend(PendingSend& send) {
    if (!send.Claim(PendingSend::Running)) return;
    auto result = WindowTable::Instance().Call(send.hwnd, send.message, send.wParam, send.lParam);
    send.Finish(result ? PendingSend::Done : PendingSend::Cancelled, result.value_or(0));
}

void ThreadQueue::DispatchSends() {
    for (;;) {
        std::shared_ptr<PendingSend> send;
        {
            std::lock_guard lock(mutex_);
            if (sends_.empty()) return;
            send = std::move(sends_.front());
            sends_.pop_front();
        }
        DeliverSend(*send);
    }
}

void ThreadQueue::DispatchAll() {
    for (;;) {
        DispatchSends();
        Posted next;
        {
            std::lock_guard lock(mutex_);
            if (posted_.empty()) return;
            next = posted_.front();
            posted_.pop_front();
        }
        // A message for a window destroyed meanwhile is dropped here.
        WindowTable::Instance().Call(next.hwnd, next.message, next.wParam, next.lParam);
    }
}

void ThreadQueue::OnWake() {
    {
        std::lock_guard lock(mutex_);
        wakePending_ = false;
    }
    DispatchAll();
    // As with WM_QUIT, the quit is taken once nothing else is queued.
    if (quitPending_ && !loops_.empty()) {
        quitPending_ = false;
        loops_.back().endedByQuit = true;
        loops_.back().loop->exit(quitCode_);
    }
}

void ThreadQueue::PostQuit(int exitCode) {
    quitPending_ = true;
    quitCode_ = exitCode;
    std::lock_guard lock(mutex_);
    WakeLocked();
}

int ThreadQueue::Run(int id) {
    QEventLoop loop;
    loops_.push_back({&loop, false, id});
    if (quitPending_) {
        // Posted while no loop ran: let this loop see it once the queue is served.
        std::lock_guard lock(mutex_);
        WakeLocked();
    }
    int exitCode = loop.exec();
    bool endedByQuit = loops_.back().endedByQuit;
    loops_.pop_back();
    // A quit ends the enclosing loops too, as a modal loop passes WM_QUIT on.
    if (endedByQuit && !loops_.empty()) PostQuit(exitCode);
    return exitCode;
}

void ThreadQueue::EndLoop(int id, int exitCode) {
    for (RunningLoop& running : loops_) {
        if (running.id == id) running.loop->exit(exitCode);
    }
}

void ThreadQueue::Pump() {
    QCoreApplication::processEvents();
    DispatchAll();
}

void ThreadQueue::Close() {
    std::deque<std::shared_ptr<PendingSend>> sends;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        sends.swap(sends_);
        posted_.clear();
    }
    for (auto& send : sends) Release(*send);
    dispatcher_.reset();
}

}  // namespace vivori::ui
