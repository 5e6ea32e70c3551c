#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/message/MessageTypes.h"

namespace vivori::ui {

class MessageWindow;
class ThreadQueue;
struct PendingSend;

// The live windows of the process, by handle. A handle maps to its window object and
// to the queue of the thread that created it.
class WindowTable {
  public:
    static WindowTable& Instance();

    HWND Add(MessageWindow* window, std::shared_ptr<ThreadQueue> queue, std::string title,
             std::string className);
    // Returns the queue the window belonged to, or null when the handle was not live.
    std::shared_ptr<ThreadQueue> Remove(HWND hwnd);

    bool Contains(HWND hwnd);
    std::shared_ptr<ThreadQueue> QueueOf(HWND hwnd);
    std::vector<HWND> Handles();
    HWND Find(std::string_view className, std::string_view title);

    // Queue work for the window's thread; false when the handle is not live. Done
    // under the table lock, so nothing is queued for a window after its removal.
    bool Post(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
    bool QueueSend(const std::shared_ptr<PendingSend>& send);

    // Runs the window's handler on the calling thread, which must be the window's
    // own; nullopt when the handle is not live.
    std::optional<LRESULT> Call(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

  private:
    struct Entry {
        MessageWindow* window;
        std::shared_ptr<ThreadQueue> queue;
        std::string title;
        std::string className;
    };

    std::mutex mutex_;
    std::unordered_map<HWND, Entry> windows_;
    HWND next_ = 1;
};

}  // namespace vivori::ui
