#include "ui/message/Messages.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "ui/message/MessageRegistry.h"
#include "ui/message/RuntimeDirectory.h"
#include "ui/message/ThreadDispatcher.h"
#include "ui/message/ThreadQueue.h"
#include "ui/message/WindowTable.h"

namespace vivori::ui {
namespace {

std::mutex forwarderMutex;
BroadcastForwarder forwarder;

// The calling thread's Qt side, created with its queue when `create` is set.
ThreadDispatcher* CallingThreadDispatcher(bool create) {
    ThreadQueue* queue = create ? ThreadQueue::Current().get() : ThreadQueue::Existing();
    return queue ? queue->Dispatcher() : nullptr;
}

// The dispatcher of the window's thread if that is the calling thread.
ThreadDispatcher* OwnDispatcher(HWND hwnd) {
    auto queue = WindowTable::Instance().QueueOf(hwnd);
    return queue ? queue->Dispatcher() : nullptr;
}

}  // namespace

bool IsWindow(HWND hwnd) {
    return WindowTable::Instance().Contains(hwnd);
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    WindowTable& table = WindowTable::Instance();
    if (hwnd != HWND_BROADCAST) return table.Post(hwnd, msg, w, l);
    for (HWND each : table.Handles()) table.Post(each, msg, w, l);
    BroadcastForwarder forward;
    {
        std::lock_guard lock(forwarderMutex);
        forward = forwarder;
    }
    if (forward) forward(msg, w, l);
    return true;
}

void SetBroadcastForwarder(BroadcastForwarder next) {
    std::lock_guard lock(forwarderMutex);
    forwarder = std::move(next);
}

UINT RegisterWindowMessage(std::string_view name) {
    static std::mutex mutex;
    static std::unique_ptr<MessageRegistry> registry;
    {
        std::lock_guard lock(mutex);
        if (!registry) {
            auto folder = UserRuntimeDirectory();
            if (!folder) return 0;
            registry =
                std::make_unique<MessageRegistry>(*folder + "/" + MessageRegistry::kFileName);
        }
    }
    return registry->Register(name);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    ThreadDispatcher* dispatcher = OwnDispatcher(hwnd);
    if (id == 0 || dispatcher == nullptr || !dispatcher->StartTimer(hwnd, id, elapseMs)) return 0;
    return id;
}

bool KillTimer(HWND hwnd, UINT_PTR id) {
    ThreadDispatcher* dispatcher = OwnDispatcher(hwnd);
    return dispatcher != nullptr && dispatcher->StopTimer(hwnd, id);
}

void PostQuitMessage(int exitCode) {
    ThreadQueue::Current()->PostQuit(exitCode);
}

int RunMessageLoop() {
    return ThreadQueue::Current()->Run();
}

int NewModalLoopId() {
    static std::atomic<int> next{1};
    return next++;
}

int RunModalLoop(int id) {
    return ThreadQueue::Current()->Run(id);
}

void EndModalLoop(int id, int exitCode) {
    if (ThreadQueue* queue = ThreadQueue::Existing()) queue->EndLoop(id, exitCode);
}

void PumpMessages() {
    ThreadQueue::Current()->Pump();
}

HWND FindWindow(std::string_view className, std::string_view title) {
    return WindowTable::Instance().Find(className, title);
}

bool WatchReadable(int fd, std::function<void()> onReadable) {
    ThreadDispatcher* dispatcher = CallingThreadDispatcher(true);
    return dispatcher != nullptr && dispatcher->Watch(fd, std::move(onReadable));
}

bool Unwatch(int fd) {
    ThreadDispatcher* dispatcher = CallingThreadDispatcher(false);
    return dispatcher != nullptr && dispatcher->Unwatch(fd);
}

}  // namespace vivori::ui
