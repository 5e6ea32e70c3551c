#include "ui/message/MessageWindow.h"

#include "ui/message/ThreadDispatcher.h"
#include "ui/message/ThreadQueue.h"
#include "ui/message/WindowTable.h"

namespace vivori::ui {

MessageWindow::~MessageWindow() {
    ReleaseHandle();
}

HWND MessageWindow::CreateHandle(std::string title, std::string className) {
    if (hwnd_ != 0) return 0;
    hwnd_ = WindowTable::Instance().Add(this, ThreadQueue::Current(), std::move(title),
                                        std::move(className));
    if (HandleMessage(WM_CREATE, 0, 0) == -1) {
        DestroyHandle();
        return 0;
    }
    return hwnd_;
}

void MessageWindow::DestroyHandle() {
    if (hwnd_ == 0 || destroying_) return;
    destroying_ = true;
    // The handle is still valid while WM_DESTROY runs, as on Windows.
    HandleMessage(WM_DESTROY, 0, 0);
    destroying_ = false;
    ReleaseHandle();
}

void MessageWindow::ReleaseHandle() {
    if (hwnd_ == 0) return;
    const HWND hwnd = hwnd_;
    hwnd_ = 0;
    auto queue = WindowTable::Instance().Remove(hwnd);
    if (!queue) return;
    queue->CancelSendsTo(hwnd);
    // Timers belong to the owning thread's Qt objects; from elsewhere they end when
    // they next fire and find the window gone.
    if (ThreadDispatcher* dispatcher = queue->Dispatcher()) dispatcher->StopTimersOf(hwnd);
}

}  // namespace vivori::ui
