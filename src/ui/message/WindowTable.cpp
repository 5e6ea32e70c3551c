#include "ui/message/WindowTable.h"

#include "platform/CaseFold.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/PendingSend.h"
#include "ui/message/ThreadQueue.h"

namespace vivori::ui {

WindowTable& WindowTable::Instance() {
    // Never destroyed: windows of other threads may outlive static destruction.
    static WindowTable* table = new WindowTable;
    return *table;
}

HWND WindowTable::Add(MessageWindow* window, std::shared_ptr<ThreadQueue> queue, std::string title,
                      std::string className) {
    std::lock_guard lock(mutex_);
    HWND hwnd = next_++;
    if (hwnd == HWND_BROADCAST) hwnd = next_++;
    windows_.emplace(hwnd, Entry{window, std::move(queue), std::move(title), std::move(className)});
    return hwnd;
}

std::shared_ptr<ThreadQueue> WindowTable::Remove(HWND hwnd) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return nullptr;
    auto queue = std::move(it->second.queue);
    windows_.erase(it);
    return queue;
}

bool WindowTable::Contains(HWND hwnd) {
    std::lock_guard lock(mutex_);
    return windows_.count(hwnd) != 0;
}

std::shared_ptr<ThreadQueue> WindowTable::QueueOf(HWND hwnd) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : it->second.queue;
}

std::vector<HWND> WindowTable::Handles() {
    std::lock_guard lock(mutex_);
    std::vector<HWND> handles;
    handles.reserve(windows_.size());
    for (const auto& [hwnd, entry] : windows_) handles.push_back(hwnd);
    return handles;
}

HWND WindowTable::Find(std::string_view className, std::string_view title) {
    // Both compare without case, as FindWindow does; an empty one matches any window.
    auto matches = [](std::string_view wanted, const std::string& actual) {
        return wanted.empty() || EqualIgnoringCase(wanted, actual);
    };
    std::lock_guard lock(mutex_);
    HWND found = 0;
    for (const auto& [hwnd, entry] : windows_) {
        // The oldest match wins, so the answer does not depend on the map's order.
        if (matches(className, entry.className) && matches(title, entry.title) &&
            (found == 0 || hwnd < found))
            found = hwnd;
    }
    return found;
}

bool WindowTable::Post(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    return it != windows_.end() && it->second.queue->Post(hwnd, msg, w, l);
}

bool WindowTable::QueueSend(const std::shared_ptr<PendingSend>& send) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(send->hwnd);
    return it != windows_.end() && it->second.queue->QueueSend(send);
}

std::optional<LRESULT> WindowTable::Call(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    MessageWindow* window = nullptr;
    {
        std::lock_guard lock(mutex_);
        auto it = windows_.find(hwnd);
        if (it == windows_.end()) return std::nullopt;
        window = it->second.window;
    }
    // Only the owning thread destroys a window, and that is this thread, so the
    // object stays alive without the lock (the handler may destroy it itself).
    return window->HandleMessage(msg, w, l);
}

}  // namespace vivori::ui
