#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <utility>

#include "ui/message/MessageTypes.h"

class QSocketNotifier;

namespace vivori::ui {

// The Qt side of one thread's queue: it lives on that thread and turns Qt's posted
// events, timers and socket notifiers into calls of the queue's handlers. Only
// Wake() may be called from other threads.
class ThreadDispatcher : public QObject {
  public:
    struct Handlers {
        std::function<void()> wake;
        // Returns false when the window is gone, which ends the timer.
        std::function<bool(HWND, UINT_PTR)> timer;
    };

    explicit ThreadDispatcher(Handlers handlers);
    ~ThreadDispatcher() override;

    void Wake();

    // A window timer; setting an existing one restarts it with the new period.
    bool StartTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
    bool StopTimer(HWND hwnd, UINT_PTR id);
    void StopTimersOf(HWND hwnd);

    bool Watch(int fd, std::function<void()> onReadable);
    bool Unwatch(int fd);

  protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    using TimerKey = std::pair<HWND, UINT_PTR>;

    Handlers handlers_;
    std::map<TimerKey, int> timers_;     // window timer -> Qt timer id
    std::map<int, TimerKey> timerKeys_;  // Qt timer id -> window timer
    std::map<int, QSocketNotifier*> watches_;
};

}  // namespace vivori::ui
