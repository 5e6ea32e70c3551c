#pragma once

#include <string>

#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// A window's message procedure, bound to the thread that creates its handle: posted
// and sent messages and timers for it all run on that thread. The handle must be
// destroyed on that thread too.
class MessageWindow {
  public:
    MessageWindow() = default;
    // Releases the handle if still alive, without WM_DESTROY (the derived part is gone
    // by then); call DestroyHandle first to have WM_DESTROY handled.
    virtual ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // Gives the window a new handle and sends it WM_CREATE; a handler answering -1
    // refuses the creation, as on Windows, and 0 is returned. Fails (0) while the
    // window still has a handle.
    HWND CreateHandle(std::string title, std::string className);
    // Sends WM_DESTROY, then the handle dies: messages still queued for it are
    // dropped, its timers end and senders waiting on it return 0.
    void DestroyHandle();
    HWND GetHWND() const { return hwnd_; }

    virtual LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) = 0;

  private:
    void ReleaseHandle();

    HWND hwnd_ = 0;
    bool destroying_ = false;
};

}  // namespace vivori::ui
