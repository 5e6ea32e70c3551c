#pragma once

#include <memory>
#include <string_view>

#include "input/CaptureBackend.h"
#include "ui/message/MessageTypes.h"

namespace vivori::input {

// Hook modes: what the keyboard capture reports, and what the mouse capture is asked
// to do.
inline constexpr int kHookSingleKey = 1;
inline constexpr int kHookHitKey = 2;
inline constexpr int kHookMacroEnd = 4;
inline constexpr int kHookMacroBefore = 8;
inline constexpr int kHookMacroAfter = 16;
inline constexpr int kHookMacroReplace = 32;
inline constexpr int kHookMouseSingleKey = 256;
inline constexpr int kHookMouseHitKey = 512;
inline constexpr int kHookMouseMacro = 1024;

// The registered message name a keyboard event is sent as in this mode; empty when
// the mode sends nothing.
std::string_view KeyboardMessageName(int mode);
// The registered message name a mouse button event is sent as in this mode.
std::string_view MouseMessageName(int mode);

// Captures the keyboard and the mouse buttons for a recording or a single-key
// capture, and sends each event synchronously to the target window as the registered
// message of the hook mode (wParam: the keyboard or mouse window message, lParam: a
// KeyHookRecord* or MouseHookRecord* valid during the send). While the keyboard is
// captured no program receives keys, except the three lock keys.
class CDeviceHook {
  public:
    explicit CDeviceHook(std::shared_ptr<ICaptureBackend> backend = MakeDefaultCaptureBackend());
    ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Replaces any keyboard capture, captures the keyboard (ownKeyboardHook) and the
    // mouse buttons (libraryHook) for window. 0 when the keyboard capture failed, with
    // nothing else changed; 1 otherwise.
    int Install(int mode, ui::HWND window, bool ownKeyboardHook, bool libraryHook);
    // Ends both captures; 1 when a keyboard capture was removed, else 0.
    int Uninstall();

    bool KeyboardInstalled() const { return keyboardInstalled_; }
    int Mode() const { return mode_; }
    ui::HWND Window() const { return window_; }
    ICaptureBackend& Backend() const { return *backend_; }

  private:
    bool OnKey(std::uint32_t message, const KeyHookRecord& record) const;
    void OnMouse(std::uint32_t message, const MouseHookRecord& record) const;

    std::shared_ptr<ICaptureBackend> backend_;
    bool keyboardInstalled_ = false;
    int mode_ = 0;
    ui::HWND window_ = 0;
};

}  // namespace vivori::input
