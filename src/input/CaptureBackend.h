#pragma once

#include <functional>
#include <memory>
#include <string>

#include "input/HookTypes.h"
#include "ui/message/MessageTypes.h"

namespace vivori::input {

// Receives a captured keyboard event; answers true when the event should still reach
// the system (the lock keys), false when the capture swallows it.
using KeySink = std::function<bool(std::uint32_t message, const KeyHookRecord& record)>;
// Receives a captured mouse button event; mouse events always go on to their target,
// so the stop button stays clickable.
using MouseSink = std::function<void(std::uint32_t message, const MouseHookRecord& record)>;

// Where captured input comes from. The desktop implementation grabs the keyboard and
// pointer of a window of ours; the scripted one is fed by tests and by vivori-ctl.
// Every call and every sink call happens on the thread of the window given to Start.
class ICaptureBackend {
  public:
    virtual ~ICaptureBackend() = default;

    // Starts delivering keyboard events; false when the keyboard cannot be captured.
    virtual bool StartKeyboard(ui::HWND window, KeySink sink) = 0;
    virtual void StopKeyboard() = 0;
    // Starts delivering mouse button events; false when the pointer cannot be captured.
    virtual bool StartMouse(ui::HWND window, MouseSink sink) = 0;
    // Harmless when nothing is captured.
    virtual void StopMouse() = 0;
    // The language key of a notice about the capture's limits on this desktop, given
    // once per process; empty when there is none or it was given already.
    virtual std::string TakeNotice() { return {}; }
};

// A backend that captures nothing: StartKeyboard fails, so installing a keyboard hook
// reports failure as it would on a system without the service.
class NullCaptureBackend : public ICaptureBackend {
  public:
    bool StartKeyboard(ui::HWND, KeySink) override { return false; }
    void StopKeyboard() override {}
    bool StartMouse(ui::HWND, MouseSink) override { return false; }
    void StopMouse() override {}
};

using CaptureBackendFactory = std::function<std::shared_ptr<ICaptureBackend>()>;
// The desktop registers its backend at start-up; without one the default is the
// NullCaptureBackend.
void SetDefaultCaptureBackend(CaptureBackendFactory factory);
std::shared_ptr<ICaptureBackend> MakeDefaultCaptureBackend();

}  // namespace vivori::input
