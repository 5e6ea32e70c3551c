#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "input/CaptureBackend.h"

namespace vivori::ui {

// Captures input through Qt: the keyboard and the pointer are grabbed by the target
// window's Qt window, and an application-wide event filter hands every key and button
// event to the capture. Captured keys go no further (the lock keys excepted); mouse
// buttons go on to their target, so the stop button still works.
//
// On X11 the grab is global: other programs receive nothing meanwhile. A Wayland client
// sees input only while one of its windows has the focus, so there the capture works
// while our window is focused, and TakeNotice says so once.
class QtCaptureBackend : public QObject, public input::ICaptureBackend {
  public:
    QtCaptureBackend();
    ~QtCaptureBackend() override;

    bool StartKeyboard(HWND window, input::KeySink sink) override;
    void StopKeyboard() override;
    bool StartMouse(HWND window, input::MouseSink sink) override;
    void StopMouse() override;
    std::string TakeNotice() override;

    // True on a desktop where a client cannot grab input from other programs.
    static bool FocusOnlyDesktop();

    // Hands key and button events to the capture; true when a key is swallowed.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool OnKey(QEvent* event);
    void OnMouse(QEvent* event);
    // An event's time on the tick clock: the first event of a capture anchors the
    // desktop's time stamps to it, so later delays come from the event times alone
    // and a busy UI thread does not stretch them.
    std::uint32_t Stamp(std::uint64_t eventTime);
    void UpdateFilter();

    input::KeySink key_;
    input::MouseSink mouse_;
    QPointer<QWidget> keyWidget_;
    QPointer<QWidget> mouseWidget_;
    bool filtering_ = false;
    bool anchored_ = false;
    std::int64_t offset_ = 0;
};

// The Qt window that shows a toolkit window; null when it has none.
QWidget* WidgetOfWindow(HWND window);

// Makes QtCaptureBackend the capture of windows created from now on.
void InstallQtCaptureBackend();

}  // namespace vivori::ui
