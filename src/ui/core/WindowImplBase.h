#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/core/CNotifyPump.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/IWindowHost.h"
#include "ui/message/MessageWindow.h"

namespace vivori::ui {

// Window styles callers pass on; only these bits mean something here.
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;

inline constexpr UINT IDOK = 1;
inline constexpr UINT IDCANCEL = 2;

// A toolkit window: a message window whose content is a control tree built from a
// layout, a paint manager that drives it, and a host that puts it on screen. Derived
// windows name their layout and class, create their custom controls, and handle
// notifications (through the pump) and messages (HandleCustomMessage).
class WindowImplBase : public MessageWindow, public CNotifyPump, public INotifyUI {
  public:
    WindowImplBase();
    ~WindowImplBase() override;

    virtual std::string GetSkinFile() = 0;
    virtual std::string_view GetWindowClassName() const = 0;
    // Custom controls named by the layout; null for names this window does not know.
    virtual CControlUI* CreateControl(std::string_view name);
    // After the layout is built and attached, before the window shows.
    virtual void InitWindow() {}
    // Runs first for every message but WM_CREATE; set handled to stop it there.
    virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    // After the handle is gone; a window that owns itself may delete itself here.
    virtual void OnFinalMessage(HWND hwnd) { (void)hwnd; }
    void Notify(TNotifyUI& msg) override;

    // Creates the handle, builds the layout and places the window; a layout that gives
    // its size gets it, else the size asked for. Returns 0 when the layout cannot be built.
    HWND Create(HWND parent, std::string_view title, std::uint32_t style, std::uint32_t exStyle,
                int x = 0, int y = 0, int width = 0, int height = 0);
    void ShowWindow(bool show = true, bool takeFocus = true);
    bool IsWindowVisible() const;
    // Centres on the screen the window is on.
    void CenterWindow();
    // Draws the window at dpi and sizes it to match: its layout size (at 96 dots per
    // inch) scaled, the top left corner kept. Every window follows the main window's.
    void ScaleWindow(int dpi);
    // The layout size the window scales from; ScaleWindow applies it.
    void SetLayoutSize(UiSize size) { layoutSize_ = size; }
    UiSize LayoutSize() const { return layoutSize_; }
    // Ends the window with a result: a modal run returns it.
    void Close(UINT result = IDOK);
    // Shows the window and handles messages until it closes; returns Close's result.
    UINT ShowModal();
    bool IsModal() const { return modal_; }
    HWND GetOwner() const { return owner_; }

    CPaintManagerUI& PaintManager() { return pm_; }
    IWindowHost* Host() const { return host_.get(); }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  protected:
    virtual LRESULT OnCreate();
    // Destroys the handle and the host; runs OnFinalMessage.
    void DestroyWindow();

    CPaintManagerUI pm_;
    std::unique_ptr<IWindowHost> host_;

  private:
    UiSize layoutSize_{};
    HWND owner_ = 0;
    bool modal_ = false;
    UINT result_ = IDCANCEL;
    int modalLoop_ = 0;
};

}  // namespace vivori::ui
