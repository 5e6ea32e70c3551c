#include "devices/DeviceMessageWindow.h"

#include "ui/message/Messages.h"

namespace vivori::devices {

DeviceMessageWindow::~DeviceMessageWindow() {
    Destroy();
}

bool DeviceMessageWindow::Create() {
    if (handle_.load() != 0) return true;
    handle_.store(CreateHandle("device", "VivoriDeviceWindow"));
    return handle_.load() != 0;
}

void DeviceMessageWindow::Destroy() {
    if (handle_.exchange(0) != 0) DestroyHandle();
}

bool DeviceMessageWindow::Post(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) {
    const ui::HWND handle = handle_.load();
    return handle != 0 && ui::PostMessage(handle, msg, w, l);
}

ui::LRESULT DeviceMessageWindow::HandleMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) {
    if (handler_) handler_(msg, w, l);
    return 0;
}

}  // namespace vivori::devices
