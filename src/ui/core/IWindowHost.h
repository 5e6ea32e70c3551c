#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "ui/core/UiTypes.h"
#include "ui/message/MessageTypes.h"

namespace vivori::ui {

class WindowImplBase;

// What a toolkit window needs from whatever shows it on screen. The Qt layer gives
// every window a real one; without it a headless host keeps the state only, so the
// whole toolkit runs in tests and without a display.
class IWindowHost {
  public:
    virtual ~IWindowHost() = default;
    virtual void Show(bool show, bool activate) = 0;
    virtual bool IsVisible() const = 0;
    // SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE.
    virtual void SysCommand(WPARAM command) = 0;
    virtual bool IsMinimized() const = 0;
    // Whether any of the window can be seen: shown, not minimised and not wholly
    // covered, as far as the screen can tell.
    virtual bool IsExposed() const = 0;
    // Pictures a second the window's screen shows.
    virtual int RefreshRate() const = 0;
    virtual void SetTopMost(bool topMost) = 0;
    virtual bool IsTopMost() const = 0;
    virtual void SetTitle(std::string_view title) = 0;
    // The window's outer rectangle in screen coordinates.
    virtual void SetRect(const UiRect& rect) = 0;
    virtual UiRect GetRect() const = 0;
    // The work area of the screen the window is on.
    virtual UiRect ScreenRect() const = 0;
    virtual int ScreenDpi() const = 0;
    virtual void Invalidate(const UiRect& rect) = 0;
    virtual void Activate() = 0;
};

using WindowHostFactory = std::function<std::unique_ptr<IWindowHost>(WindowImplBase& window)>;

// Installs the factory new windows get their host from; empty restores the headless one.
void SetWindowHostFactory(WindowHostFactory factory);
std::unique_ptr<IWindowHost> CreateWindowHost(WindowImplBase& window);

}  // namespace vivori::ui
