#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/core/CControlUI.h"
#include "ui/core/UiEvent.h"
#include "ui/core/UnderlayCache.h"
#include "ui/message/MessageTypes.h"

namespace vivori::ui {

struct FontInfo {
    int id = 0;
    std::string face;
    int size = 12;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

// The window-side half of the toolkit: owns the control tree of one window, finds
// controls, lays them out, routes input to them as DoEvent calls, keeps focus, capture
// and hot state, runs their timers and delivers their notifications to listeners.
// Input comes either as window messages (MessageHandler) or through the Handle* calls
// hosts and tests use directly.
class CPaintManagerUI {
  public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Process-wide paths: the folder of the program, and where layouts are read from.
    static void SetInstancePath(std::string_view path);
    static const std::string& GetInstancePath();
    static void SetResourcePath(std::string_view path);
    static const std::string& GetResourcePath();
    static void SetResourceType(int type);
    static int GetResourceType();
    // Runs the calling thread's message loop until the quit message; returns its code.
    static int MessageLoop();

    void Init(HWND window, std::string_view name = {});
    HWND GetPaintWindow() const { return window_; }
    const std::string& GetName() const { return name_; }

    // Takes ownership of the root; the previous tree is deleted.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return root_; }
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Forgets a control that is being deleted (focus, hover, capture, timers, names).
    void ReapObjects(CControlUI* control);
    // Deletes the control after the current event has been handled.
    void AddDelayedCleanup(CControlUI* control);
    void RenameControl(CControlUI* control, std::string_view oldName);

    // Lookup; names compare without case.
    CControlUI* FindControl(std::string_view name) const;
    CControlUI* FindControl(UiPoint point) const;
    CControlUI* FindSubControlByName(CControlUI* parent, std::string_view name) const;
    CControlUI* FindSubControlByPoint(CControlUI* parent, UiPoint point) const;
    CControlUI* FindSubControlByClass(CControlUI* parent, std::string_view className,
                                      int index = 0) const;
    std::vector<CControlUI*> FindSubControlsByClass(CControlUI* parent,
                                                    std::string_view className) const;

    // Focus, capture and hover.
    CControlUI* GetFocus() const { return focus_; }
    void SetFocus(CControlUI* control);
    // Tab order: the next (or previous) control that takes the keyboard, in layout
    // order, wrapping round; the focus is drawn from then until the next mouse press.
    void MoveFocus(bool backwards);
    bool IsFocusShown() const { return focusShown_ && focus_ != nullptr; }
    // Escape presses this control (a dialog's close button), when it is shown.
    void SetEscapeControl(std::string name) { escapeControl_ = std::move(name); }
    void SetCapture() { captured_ = true; }
    void ReleaseCapture() { captured_ = false; }
    bool IsCaptured() const { return captured_; }
    CControlUI* GetHover() const { return hover_; }

    // Notifications.
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* control, std::string_view type, std::uintptr_t wParam = 0,
                    std::intptr_t lParam = 0, bool async = false);
    void SendNotify(TNotifyUI& msg, bool async = false);
    // Delivers notifications queued with async; the loop does this by itself.
    void ProcessAsyncNotify();

    // Control timers, run on the window's message timers.
    bool SetTimer(CControlUI* control, unsigned id, unsigned elapseMs);
    bool KillTimer(CControlUI* control, unsigned id);
    void KillTimer(CControlUI* control);
    void RemoveAllTimers();

    // Defaults by control class, named styles and the font table.
    void AddDefaultAttributeList(std::string_view className, std::string_view list);
    const std::string* GetDefaultAttributeList(std::string_view className) const;
    void AddStyle(std::string_view name, std::string_view list);
    const std::string* GetStyle(std::string_view name) const;
    void AddFont(const FontInfo& font, bool isDefault = false);
    const FontInfo* GetFont(int id) const;
    const FontInfo& GetDefaultFont() const { return defaultFont_; }
    UiColor GetDefaultTextColor() const { return defaultTextColor_; }
    void SetDefaultTextColor(UiColor color) { defaultTextColor_ = color; }
    UiColor GetDefaultDisabledColor() const { return defaultDisabledColor_; }
    void SetDefaultDisabledColor(UiColor color) { defaultDisabledColor_ = color; }
    // Laid over a disabled container's area after its children are painted, so what
    // draws no disabled look of its own (images, sliders) looks disabled too.
    UiColor GetDisabledVeilColor() const { return disabledVeilColor_; }
    void SetDisabledVeilColor(UiColor color) { disabledVeilColor_ = color; }

    // Window geometry the host reports and the layout asks for.
    UiSize GetClientSize() const { return clientSize_; }
    void SetClientSize(UiSize size);
    UiSize GetInitSize() const { return initSize_; }
    void SetInitSize(UiSize size) { initSize_ = size; }
    const UiRect& GetCaptionRect() const { return caption_; }
    void SetCaptionRect(const UiRect& rect) { caption_ = rect; }
    const UiRect& GetSizeBox() const { return sizeBox_; }
    void SetSizeBox(const UiRect& rect) { sizeBox_ = rect; }
    UiSize GetRoundCorner() const { return roundCorner_; }
    void SetRoundCorner(UiSize size) { roundCorner_ = size; }
    UiSize GetMinInfo() const { return minInfo_; }
    void SetMinInfo(UiSize size) { minInfo_ = size; }
    UiSize GetMaxInfo() const { return maxInfo_; }
    void SetMaxInfo(UiSize size) { maxInfo_ = size; }
    // Dots per inch of the window's screen (96 is 100 %), limited to 48-192.
    int GetDPI() const { return dpi_; }
    void SetDPI(int dpi);
    int Scale(int value) const { return value * dpi_ / 96; }

    // Layout and painting.
    void NeedUpdate() { updateNeeded_ = true; }
    bool IsUpdateNeeded() const { return updateNeeded_; }
    // Lays out the tree when something changed; the first layout sends "windowinit".
    void LayoutIfNeeded();
    void Invalidate(const UiRect& rect);
    // A lively control's own picture changed; what lies under it did not.
    void InvalidateLively(CControlUI* control);
    const UiRect& GetInvalidRect() const { return invalid_; }
    void Paint(IRender& render, const UiRect& rect);
    // One picture of several dirty rectangles, each painted on its own: the controls
    // between small scattered rectangles are left alone.
    void Paint(IRender& render, std::span<const UiRect> rects);
    // Painting the tree: whether a container leaves this child out (it is lively and
    // the picture under it is being kept).
    bool LeavesOut(CControlUI* item, const UiRect& clip) {
        return underlays_.LeavesOut(item, clip);
    }
    const UnderlayCache& Underlays() const { return underlays_; }
    // How many times the window has been painted: what a preview costs the screen.
    std::uint64_t PaintCount() const { return paintCount_; }
    // The host's repaint hook: called with the area to repaint.
    void SetInvalidateHandler(std::function<void(const UiRect&)> handler) {
        invalidateHandler_ = std::move(handler);
    }

    // A drop-down or other popup laid over the window; a press outside closes it.
    void OpenPopup(CControlUI* popup, CControlUI* owner, const UiRect& rect);
    void ClosePopup();
    CControlUI* GetPopup() const { return popup_; }
    CControlUI* GetPopupOwner() const { return popupOwner_; }

    // Input, in window client coordinates.
    void HandleMouseMove(UiPoint point, unsigned keyState = 0);
    void HandleMouseLeaveWindow();
    void HandleButtonDown(UiPoint point, unsigned keyState = 0);
    void HandleButtonUp(UiPoint point, unsigned keyState = 0);
    void HandleDoubleClick(UiPoint point, unsigned keyState = 0);
    void HandleRightButtonDown(UiPoint point, unsigned keyState = 0);
    void HandleRightButtonUp(UiPoint point, unsigned keyState = 0);
    void HandleWheel(UiPoint point, int delta, unsigned keyState = 0);
    void HandleKeyDown(std::uint32_t key, unsigned keyState = 0);
    void HandleKeyUp(std::uint32_t key, unsigned keyState = 0);
    void HandleChar(std::uint32_t codePoint);
    // Window messages: mouse, keys, size and the timers of this manager. Returns true
    // when the message was consumed.
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Runs after every handled event: deletes controls removed during it.
    void ProcessDelayedCleanup();

    // Every manager alive on this thread, so language changes reach all windows.
    static std::vector<CPaintManagerUI*> AllManagers();

  private:
    struct TimerInfo {
        CControlUI* control;
        unsigned id;
        UINT_PTR windowTimer;
    };

    // Hands the notification to every listener.
    void Deliver(TNotifyUI& msg);
    // Runs the control timer behind a window timer; false when it is none of ours.
    bool FireTimer(UINT_PTR windowTimer);
    // Ends the matching timers; returns how many there were.
    std::size_t KillTimersWhere(const std::function<bool(const TimerInfo&)>& match);
    void MapNames(CControlUI* control);
    CControlUI* HitTest(UiPoint point) const;
    void SendEvent(CControlUI* control, UiEventType type, UiPoint point, unsigned keyState,
                   std::uint32_t key = 0, WPARAM wParam = 0);
    void UpdateHover(CControlUI* control, UiPoint point, unsigned keyState);

    HWND window_ = 0;
    std::string name_;
    CControlUI* root_ = nullptr;
    CControlUI* focus_ = nullptr;
    CControlUI* hover_ = nullptr;
    CControlUI* click_ = nullptr;
    CControlUI* rightClick_ = nullptr;
    CControlUI* popup_ = nullptr;
    bool focusShown_ = false;
    std::string escapeControl_;
    CControlUI* popupOwner_ = nullptr;
    bool captured_ = false;
    bool updateNeeded_ = true;
    bool firstLayout_ = true;
    UiPoint lastMouse_;

    std::unordered_map<std::string, CControlUI*> names_;
    std::vector<INotifyUI*> notifiers_;
    std::deque<TNotifyUI> asyncNotify_;
    std::vector<CControlUI*> delayedCleanup_;
    std::vector<TimerInfo> timers_;
    UINT_PTR nextTimer_ = 0x10000;
    std::map<std::string, std::string> defaultAttributes_;
    std::map<std::string, std::string> styles_;
    std::map<int, FontInfo> fonts_;
    FontInfo defaultFont_{-1, "Roboto", 12, false, false, false};
    UiColor defaultTextColor_ = 0xFF000000;
    UiColor defaultDisabledColor_ = 0xFFA7A6AA;
    UiColor disabledVeilColor_ = 0x801B1C21;

    UiSize clientSize_;
    UiSize initSize_;
    UiRect caption_;
    UiRect sizeBox_;
    UiSize roundCorner_;
    UiSize minInfo_;
    UiSize maxInfo_;
    int dpi_ = 96;
    UiRect invalid_;
    std::uint64_t paintCount_ = 0;
    UnderlayCache underlays_;
    std::function<void(const UiRect&)> invalidateHandler_;
};

// The message the manager posts to itself to deliver asynchronous notifications.
inline constexpr UINT kAsyncNotifyMessage = 0x8000 + 1;

}  // namespace vivori::ui
