#pragma once

#include <atomic>
#include <functional>

#include "ui/message/MessageWindow.h"

namespace vivori::devices {

// A device's hidden window on the UI thread: its reader threads post work here, and
// the work runs on the UI thread, where the page and the commands may be touched.
class DeviceMessageWindow : public ui::MessageWindow {
  public:
    using Handler = std::function<void(ui::UINT msg, ui::WPARAM w, ui::LPARAM l)>;

    explicit DeviceMessageWindow(Handler handler) : handler_(std::move(handler)) {}
    ~DeviceMessageWindow() override;

    // On the UI thread; once is enough, later calls keep the window.
    bool Create();
    void Destroy();
    // Any thread; false while there is no window (the work is dropped).
    bool Post(ui::UINT msg, ui::WPARAM w = 0, ui::LPARAM l = 0);
    ui::HWND Handle() const { return handle_.load(); }

    ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) override;

  private:
    Handler handler_;
    std::atomic<ui::HWND> handle_{0};
};

}  // namespace vivori::devices
