#pragma once

#include <cstdint>
#include <string>

#include "ui/core/UiTypes.h"

namespace vivori::ui {

class CControlUI;

// What DoEvent receives. Mouse positions are in window client coordinates.
enum class UiEventType {
    MouseMove,
    MouseLeave,
    MouseEnter,
    MouseHover,
    ButtonDown,
    ButtonUp,
    RightButtonDown,
    RightButtonUp,
    DoubleClick,
    ContextMenu,
    ScrollWheel,
    KeyDown,
    KeyUp,
    Char,
    SetFocus,
    KillFocus,
    Timer,
    SetCursor,
};

// Key codes the controls act on (the virtual-key values the host passes on).
inline constexpr int kKeyBack = 0x08;
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyPrior = 0x21;
inline constexpr int kKeyNext = 0x22;
inline constexpr int kKeyEnd = 0x23;
inline constexpr int kKeyHome = 0x24;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyRight = 0x27;
inline constexpr int kKeyDown = 0x28;
inline constexpr int kKeyDelete = 0x2E;

// Modifier bits of TEventUI::keyState.
inline constexpr unsigned kModShift = 0x04;
inline constexpr unsigned kModControl = 0x08;

struct TEventUI {
    UiEventType type = UiEventType::MouseMove;
    CControlUI* sender = nullptr;
    std::uint64_t timestamp = 0;
    UiPoint mouse;
    // The key code for key events, a Unicode code point for Char, the timer id for Timer.
    std::uint32_t key = 0;
    unsigned keyState = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Notification type names, exactly as handlers compare them.
inline constexpr const char* kNotifyWindowInit = "windowinit";
inline constexpr const char* kNotifyWindowSize = "windowsize";
inline constexpr const char* kNotifyClick = "click";
inline constexpr const char* kNotifySelectChanged = "selectchanged";
inline constexpr const char* kNotifyItemSelect = "itemselect";
inline constexpr const char* kNotifyItemClick = "itemclick";
inline constexpr const char* kNotifyItemActivate = "itemactivate";
inline constexpr const char* kNotifyValueChanged = "valuechanged";
inline constexpr const char* kNotifyMoveValueChanged = "movevaluechanged";
inline constexpr const char* kNotifyTextChanged = "textchanged";
inline constexpr const char* kNotifyKillFocus = "killfocus";
inline constexpr const char* kNotifySetFocus = "setfocus";
inline constexpr const char* kNotifyReturn = "return";
inline constexpr const char* kNotifyTimer = "timer";
inline constexpr const char* kNotifyMenu = "menu";
inline constexpr const char* kNotifyColorChanged = "colorchanged";
inline constexpr const char* kNotifyDoubleClick = "dbclick";
inline constexpr const char* kNotifyMouseEnter = "msenter";
inline constexpr const char* kNotifyMouseLeave = "msleave";
inline constexpr const char* kNotifyDropDown = "dropdown";
inline constexpr const char* kNotifyScroll = "scroll";
inline constexpr const char* kNotifyTabSelect = "tabselect";

struct TNotifyUI {
    std::string sType;
    std::string sVirtualWnd;
    CControlUI* pSender = nullptr;
    std::uint64_t dwTimestamp = 0;
    UiPoint ptMouse;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

class INotifyUI {
  public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

}  // namespace vivori::ui
