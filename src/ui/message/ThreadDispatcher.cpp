#include "ui/message/ThreadDispatcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QTimerEvent>
#include <algorithm>
#include <memory>

#if defined(__SANITIZE_THREAD__)
#define VIVORI_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VIVORI_TSAN 1
#endif
#endif

#ifdef VIVORI_TSAN
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace vivori::ui {
namespace {

// The wake event crosses threads inside Qt's event queue, whose lock ThreadSanitizer
// cannot see in an uninstrumented Qt; these tell it about that hand-over, and nothing
// more, so races in our own code are still found.
void HandOver([[maybe_unused]] QEvent* event) {
#ifdef VIVORI_TSAN
    __tsan_release(event);
#endif
}

void TakeOver([[maybe_unused]] QEvent* event) {
#ifdef VIVORI_TSAN
    __tsan_acquire(event);
#endif
}

QEvent::Type WakeEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Windows raises shorter periods to this minimum too; it keeps a zero period from
// turning into a busy loop.
constexpr UINT kMinimumTimerMs = 10;

}  // namespace

ThreadDispatcher::ThreadDispatcher(Handlers handlers) : handlers_(std::move(handlers)) {
    WakeEventType();
}

ThreadDispatcher::~ThreadDispatcher() {
    for (const auto& [fd, notifier] : watches_) notifier->setEnabled(false);
}

void ThreadDispatcher::Wake() {
    auto* event = new QEvent(WakeEventType());
    HandOver(event);
    QCoreApplication::postEvent(this, event);
}

bool ThreadDispatcher::event(QEvent* event) {
    TakeOver(event);
    if (event->type() != WakeEventType()) return QObject::event(event);
    handlers_.wake();
    return true;
}

bool ThreadDispatcher::StartTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    StopTimer(hwnd, id);
    int qtId = startTimer(static_cast<int>(std::max(elapseMs, kMinimumTimerMs)));
    if (qtId == 0) return false;
    timers_[{hwnd, id}] = qtId;
    timerKeys_[qtId] = {hwnd, id};
    return true;
}

bool ThreadDispatcher::StopTimer(HWND hwnd, UINT_PTR id) {
    auto it = timers_.find({hwnd, id});
    if (it == timers_.end()) return false;
    killTimer(it->second);
    timerKeys_.erase(it->second);
    timers_.erase(it);
    return true;
}

void ThreadDispatcher::StopTimersOf(HWND hwnd) {
    auto it = timers_.lower_bound({hwnd, 0});
    while (it != timers_.end() && it->first.first == hwnd) {
        killTimer(it->second);
        timerKeys_.erase(it->second);
        it = timers_.erase(it);
    }
}

void ThreadDispatcher::timerEvent(QTimerEvent* event) {
    auto it = timerKeys_.find(event->timerId());
    if (it == timerKeys_.end()) return;
    const TimerKey key = it->second;
    if (!handlers_.timer(key.first, key.second)) StopTimersOf(key.first);
}

bool ThreadDispatcher::Watch(int fd, std::function<void()> onReadable) {
    if (fd < 0) return false;
    Unwatch(fd);
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    // Shared, so a callback that unwatches its own descriptor keeps running safely.
    auto callback = std::make_shared<std::function<void()>>(std::move(onReadable));
    QObject::connect(notifier, &QSocketNotifier::activated, this, [callback] { (*callback)(); });
    watches_[fd] = notifier;
    return true;
}

bool ThreadDispatcher::Unwatch(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return false;
    // The notifier may be the one calling us; let Qt delete it later.
    it->second->setEnabled(false);
    it->second->deleteLater();
    watches_.erase(it);
    return true;
}

}  // namespace vivori::ui
