#pragma once

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/Time.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

namespace vivori::ui {

// A window that records what reaches it and on which thread; onMessage answers.
class RecordingWindow : public MessageWindow {
  public:
    struct Record {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::thread::id thread;
    };

    ~RecordingWindow() override { DestroyHandle(); }

    LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override {
        records.push_back({msg, w, l, std::this_thread::get_id()});
        return onMessage ? onMessage(msg, w, l) : 0;
    }

    std::vector<WPARAM> WParamsOf(UINT msg) const {
        std::vector<WPARAM> values;
        for (const Record& record : records)
            if (record.message == msg) values.push_back(record.wParam);
        return values;
    }

    std::function<LRESULT(UINT, WPARAM, LPARAM)> onMessage;
    std::vector<Record> records;
};

// Pumps the calling thread's messages until `done` holds or the time runs out.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        PumpMessages();
        Sleep(1);
    }
    return true;
}

}  // namespace vivori::ui
