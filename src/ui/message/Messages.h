#pragma once

#include <functional>
#include <string_view>

#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// The Win32 message services on Qt's event loop. Each thread that creates windows
// has its own queue; see CoreApplication.h for the application object.

bool IsWindow(HWND hwnd);

// Queues the message for the window's thread; false for a dead handle. Posting to
// HWND_BROADCAST reaches every window of the process and the broadcast forwarder.
bool PostMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

// On the window's own thread the handler is called directly. From another thread the
// message is queued and the caller blocks until the window's thread has handled it;
// it gives up with 0, and the handler then never runs, when the caller's
// CurrentStopEvent() is set or the window is destroyed. While blocked, a caller that
// owns windows itself still handles the messages sent to them.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

// SendMessage with a limit (SMTO_BLOCK): false on time-out, dead window or stop, and a
// handler that had not started by then never runs. One that had started is waited
// for, since it may still read the caller's arguments, and counts as answered.
bool SendMessageTimeout(HWND hwnd, UINT msg, WPARAM w, LPARAM l, int timeoutMs, LRESULT* result);

// The same name, compared without case, gives the same identifier (0xC000-0xFFFF) in
// every process of the user; 0 when none can be given.
UINT RegisterWindowMessage(std::string_view name);

// WM_TIMER with wParam = id every elapseMs on the window's thread, which must be the
// calling thread. Setting an existing id restarts it. Returns id, or 0 on failure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
bool KillTimer(HWND hwnd, UINT_PTR id);

// Ends the calling thread's innermost RunMessageLoop (and the loops around it) with
// exitCode, once the messages already queued are handled.
void PostQuitMessage(int exitCode);
// Runs the calling thread's loop: posted and sent messages, timers, watched
// descriptors and whatever Qt events the application object serves (windows of a
// QGuiApplication). Returns the quit message's exit code.
int RunMessageLoop();
// Nested loops for modal windows: RunModalLoop(id) runs the calling thread's loop
// until EndModalLoop(id, code) on the same thread, or a quit, which it passes on.
int NewModalLoopId();
int RunModalLoop(int id);
void EndModalLoop(int id, int exitCode);
// Handles what is pending now without blocking.
void PumpMessages();

// The oldest live window of this process whose class and title match, both without
// case; an empty one matches any. 0 when none matches.
HWND FindWindow(std::string_view className, std::string_view title);

// Calls onReadable on the calling thread's loop while fd is readable (local sockets).
bool WatchReadable(int fd, std::function<void()> onReadable);
bool Unwatch(int fd);

// Receives every broadcast post after the local windows have it queued; the
// inter-process layer installs one to reach other processes. Empty to remove.
using BroadcastForwarder = std::function<void(UINT msg, WPARAM w, LPARAM l)>;
void SetBroadcastForwarder(BroadcastForwarder forwarder);

}  // namespace vivori::ui
