#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ui/core/IRender.h"
#include "ui/core/UiEvent.h"
#include "ui/core/UiTypes.h"

namespace vivori::ui {

class CPaintManagerUI;

// Search flags of FindControl.
inline constexpr unsigned kFindAll = 0x0;
inline constexpr unsigned kFindVisible = 0x1;
inline constexpr unsigned kFindEnabled = 0x2;
inline constexpr unsigned kFindHitTest = 0x4;
inline constexpr unsigned kFindUpdateTest = 0x8;
inline constexpr unsigned kFindTopFirst = 0x10;
inline constexpr unsigned kFindMeFirst = 0x80000000;

// Control states for painting.
inline constexpr unsigned kStateFocused = 0x01;
inline constexpr unsigned kStateSelected = 0x02;
inline constexpr unsigned kStateDisabled = 0x04;
inline constexpr unsigned kStateHot = 0x08;
inline constexpr unsigned kStatePushed = 0x10;
inline constexpr unsigned kStateReadOnly = 0x20;
inline constexpr unsigned kStateCaptured = 0x40;

// A FindControl visitor: return the control to stop the search with it, or null.
using FindControlProc = std::function<CControlUI*(CControlUI*)>;

// The windowless control every other derives from: name, text, geometry, colours,
// images, states and events. Controls live in a tree owned by their containers; the
// paint manager they are attached to finds, focuses and notifies them.
class CControlUI {
  public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::string_view GetClass() const { return "ControlUI"; }
    // The control as the named interface ("Control", "Container", "Button", ...), or null.
    virtual void* GetInterface(std::string_view name);

    const std::string& GetName() const { return name_; }
    void SetName(std::string_view name);

    // The text shown. A text that names a key of the current language file shows that
    // key's text; GetText returns what is shown, GetRawText what was set.
    virtual std::string GetText() const;
    const std::string& GetRawText() const { return text_; }
    virtual void SetText(std::string_view text);

    const std::string& GetToolTip() const { return toolTip_; }
    void SetToolTip(std::string_view text) { toolTip_ = text; }
    const std::string& GetUserData() const { return userData_; }
    void SetUserData(std::string_view data) { userData_ = data; }
    std::uintptr_t GetTag() const { return tag_; }
    void SetTag(std::uintptr_t tag) { tag_ = tag; }

    // Tree and manager.
    CPaintManagerUI* GetManager() const { return manager_; }
    CControlUI* GetParent() const { return parent_; }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* FindControl(const FindControlProc& proc, unsigned flags);
    // The top-most control under the point that passes the flags.
    virtual CControlUI* FindControlAt(UiPoint point, unsigned flags);
    // Whether the flags let this control take part in a search.
    bool PassesFindFlags(unsigned flags) const;
    // The notification route name of this control (inherited from the parent when empty).
    std::string GetVirtualWnd() const;
    void SetVirtualWnd(std::string_view name) { virtualWnd_ = name; }

    // Geometry.
    const UiRect& GetPos() const { return pos_; }
    virtual void SetPos(const UiRect& rect, bool needInvalidate = true);
    virtual UiSize EstimateSize(UiSize available);
    int GetFixedWidth() const { return fixed_.cx; }
    int GetFixedHeight() const { return fixed_.cy; }
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    int GetMinWidth() const { return min_.cx; }
    int GetMaxWidth() const { return max_.cx; }
    int GetMinHeight() const { return min_.cy; }
    int GetMaxHeight() const { return max_.cy; }
    void SetMinWidth(int width);
    void SetMaxWidth(int width);
    void SetMinHeight(int height);
    void SetMaxHeight(int height);
    const UiRect& GetPadding() const { return padding_; }
    void SetPadding(const UiRect& padding);
    bool IsFloat() const { return float_; }
    void SetFloat(bool floating);
    // A floating control's position relative to its parent's top-left corner.
    const UiRect& GetFloatPos() const { return floatPos_; }
    void SetFloatPos(const UiRect& rect);

    // Visibility and state.
    bool IsVisible() const { return visible_ && internVisible_; }
    bool IsOwnVisible() const { return visible_; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    // Enabled, and inside no disabled container: a disabled container takes its
    // children's input away and has them drawn as disabled.
    bool IsEnabled() const;
    bool IsOwnEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const { return mouseEnabled_; }
    void SetMouseEnabled(bool enabled = true) { mouseEnabled_ = enabled; }
    bool IsKeyboardEnabled() const { return keyboardEnabled_; }
    void SetKeyboardEnabled(bool enabled = true) { keyboardEnabled_ = enabled; }
    bool IsFocused() const { return focused_; }
    virtual void SetFocus();
    // The ring round the control that has the keyboard focus, when it is drawn.
    void PaintFocus(IRender& render);
    bool IsContextMenuUsed() const { return menuUsed_; }
    void SetContextMenuUsed(bool used) { menuUsed_ = used; }
    unsigned GetState() const { return state_; }
    void SetState(unsigned state) { state_ = state; }
    bool IsHot() const { return (state_ & kStateHot) != 0; }
    bool IsPushed() const { return (state_ & kStatePushed) != 0; }
    // The click action of buttons and options; false when disabled or hidden.
    virtual bool Activate();

    // Appearance.
    UiColor GetBkColor() const { return bkColor_; }
    void SetBkColor(UiColor color);
    UiColor GetBorderColor() const { return borderColor_; }
    void SetBorderColor(UiColor color);
    int GetBorderSize() const { return borderSize_; }
    void SetBorderSize(int size);
    UiSize GetBorderRound() const { return borderRound_; }
    void SetBorderRound(UiSize round);
    const std::string& GetBkImage() const { return bkImage_; }
    void SetBkImage(std::string_view image);
    const std::string& GetForeImage() const { return foreImage_; }
    void SetForeImage(std::string_view image);
    const std::string& GetCursor() const { return cursor_; }

    // Attributes, as layouts give them.
    virtual void SetAttribute(std::string_view name, std::string_view value);
    void ApplyAttributeList(std::string_view list);

    // Painting and events.
    void Invalidate();
    // A control repainted many times a second over a still picture (a light preview's
    // key): its repaints draw what lies under it from a kept layer.
    bool IsLively() const { return lively_; }
    void SetLively(bool lively) { lively_ = lively; }
    void NeedUpdate();
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return updateNeeded_; }
    virtual void DoPaint(IRender& render, const UiRect& paintRect);
    virtual void DoEvent(TEventUI& event);
    virtual void DoInit() {}
    void Init();

    // Control timers: a "timer" event with this id reaches DoEvent.
    bool SetTimer(unsigned id, unsigned elapseMs);
    void KillTimer(unsigned id);
    void KillTimers();

  protected:
    virtual void PaintBkColor(IRender& render);
    virtual void PaintBkImage(IRender& render);
    virtual void PaintStatusImage(IRender& render) { (void)render; }
    virtual void PaintText(IRender& render) { (void)render; }
    virtual void PaintBorder(IRender& render);
    bool DrawImage(IRender& render, std::string_view image);
    void Notify(std::string_view type, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    CPaintManagerUI* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    std::string name_;
    std::string text_;
    std::string toolTip_;
    std::string userData_;
    std::string virtualWnd_;
    std::string cursor_;
    std::uintptr_t tag_ = 0;

    UiRect pos_;
    UiRect floatPos_;
    UiRect padding_;
    UiSize fixed_;
    UiSize min_;
    UiSize max_{9999, 9999};
    bool float_ = false;

    bool visible_ = true;
    bool internVisible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool keyboardEnabled_ = true;
    bool focused_ = false;
    bool menuUsed_ = false;
    bool updateNeeded_ = true;
    bool lively_ = false;
    unsigned state_ = 0;

    UiColor bkColor_ = 0;
    UiColor borderColor_ = 0;
    int borderSize_ = 0;
    UiSize borderRound_;
    std::string bkImage_;
    std::string foreImage_;
};

}  // namespace vivori::ui
