#pragma once

#include <atomic>

#include "platform/Event.h"
#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// A message sent from another thread, shared by the sender and the window's queue.
// Whoever moves it out of Waiting first decides its fate: the window's thread runs
// it, or the sender (stop, time-out) or DestroyHandle cancels it, so a cancelled
// handler never runs later on data the sender has dropped.
struct PendingSend {
    enum State { Waiting, Running, Done, Cancelled };

    PendingSend(HWND target, UINT msg, WPARAM w, LPARAM l)
        : hwnd(target), message(msg), wParam(w), lParam(l) {}

    bool Claim(State next) {
        int expected = Waiting;
        return state.compare_exchange_strong(expected, next);
    }
    void Finish(State final, LRESULT value) {
        result = value;
        state.store(final);
        done.Set();
    }

    const HWND hwnd;
    const UINT message;
    const WPARAM wParam;
    const LPARAM lParam;
    LRESULT result = 0;
    std::atomic<int> state{Waiting};
    Event done{ResetMode::Manual};
};

}  // namespace vivori::ui
