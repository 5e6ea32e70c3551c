#include "ui/core/CControlUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"

namespace vivori::ui {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (manager_ != nullptr) manager_->ReapObjects(this);
}

void* CControlUI::GetInterface(std::string_view name) {
    if (name == "Control") return this;
    return nullptr;
}

void CControlUI::SetName(std::string_view name) {
    if (name_ == name) return;
    std::string old = std::move(name_);
    name_ = name;
    if (manager_ != nullptr) manager_->RenameControl(this, old);
}

std::string CControlUI::GetText() const {
    return CResourceManager::GetInstance().ResolveText(text_);
}

void CControlUI::SetText(std::string_view text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    manager_ = manager;
    parent_ = parent;
    if (init && parent_ != nullptr) Init();
}

bool CControlUI::PassesFindFlags(unsigned flags) const {
    if ((flags & kFindVisible) != 0 && !IsVisible()) return false;
    if ((flags & kFindEnabled) != 0 && !IsEnabled()) return false;
    if ((flags & kFindHitTest) != 0 && !mouseEnabled_) return false;
    return true;
}

CControlUI* CControlUI::FindControl(const FindControlProc& proc, unsigned flags) {
    return PassesFindFlags(flags) ? proc(this) : nullptr;
}

CControlUI* CControlUI::FindControlAt(UiPoint point, unsigned flags) {
    return PassesFindFlags(flags) && pos_.Contains(point) ? this : nullptr;
}

std::string CControlUI::GetVirtualWnd() const {
    if (!virtualWnd_.empty()) return virtualWnd_;
    return parent_ != nullptr ? parent_->GetVirtualWnd() : std::string();
}

void CControlUI::SetPos(const UiRect& rect, bool needInvalidate) {
    UiRect bounded = rect;
    if (bounded.right < bounded.left) bounded.right = bounded.left;
    if (bounded.bottom < bounded.top) bounded.bottom = bounded.top;
    if (needInvalidate && bounded != pos_) Invalidate();
    pos_ = bounded;
    updateNeeded_ = false;
    if (needInvalidate) Invalidate();
}

UiSize CControlUI::EstimateSize(UiSize available) {
    (void)available;
    return fixed_;
}

void CControlUI::SetFixedWidth(int width) {
    fixed_.cx = std::max(width, 0);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
    fixed_.cy = std::max(height, 0);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int width) {
    min_.cx = std::max(width, 0);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int width) {
    max_.cx = std::max(width, 0);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int height) {
    min_.cy = std::max(height, 0);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int height) {
    max_.cy = std::max(height, 0);
    NeedParentUpdate();
}

void CControlUI::SetPadding(const UiRect& padding) {
    padding_ = padding;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool floating) {
    if (float_ == floating) return;
    float_ = floating;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(const UiRect& rect) {
    floatPos_ = rect;
    if (fixed_.cx == 0) fixed_.cx = std::max(rect.Width(), 0);
    if (fixed_.cy == 0) fixed_.cy = std::max(rect.Height(), 0);
    NeedParentUpdate();
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    bool wasVisible = IsVisible();
    visible_ = visible;
    if (focused_ && !IsVisible() && manager_ != nullptr) manager_->SetFocus(nullptr);
    if (IsVisible() != wasVisible) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    internVisible_ = visible;
    if (!visible && focused_ && manager_ != nullptr) manager_->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const {
    for (const CControlUI* control = this; control != nullptr; control = control->parent_)
        if (!control->enabled_) return false;
    return true;
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (enabled) {
        state_ &= ~kStateDisabled;
    } else {
        // Hover, press and focus end; being selected is not a passing state and stays.
        state_ = (state_ & kStateSelected) | kStateDisabled;
        if (focused_ && manager_ != nullptr) manager_->SetFocus(nullptr);
    }
    Invalidate();
}

void CControlUI::SetFocus() {
    if (manager_ != nullptr) manager_->SetFocus(this);
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

void CControlUI::SetBkColor(UiColor color) {
    bkColor_ = color;
    Invalidate();
}

void CControlUI::SetBorderColor(UiColor color) {
    borderColor_ = color;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    borderSize_ = std::max(size, 0);
    Invalidate();
}

void CControlUI::SetBorderRound(UiSize round) {
    borderRound_ = round;
    Invalidate();
}

void CControlUI::SetBkImage(std::string_view image) {
    bkImage_ = image;
    Invalidate();
}

void CControlUI::SetForeImage(std::string_view image) {
    foreImage_ = image;
    Invalidate();
}

void CControlUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "name") {
        SetName(value);
    } else if (name == "text") {
        SetText(value);
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "userdata") {
        SetUserData(value);
    } else if (name == "virtualwnd") {
        SetVirtualWnd(value);
    } else if (name == "pos") {
        UiRect rect = ParseRect(value);
        fixed_ = {std::max(rect.Width(), 0), std::max(rect.Height(), 0)};
        SetFloatPos(rect);
    } else if (name == "float") {
        SetFloat(ParseBool(value));
    } else if (name == "padding") {
        SetPadding(ParseRect(value));
    } else if (name == "width") {
        SetFixedWidth(ParseInt(value));
    } else if (name == "height") {
        SetFixedHeight(ParseInt(value));
    } else if (name == "minwidth") {
        SetMinWidth(ParseInt(value));
    } else if (name == "maxwidth") {
        SetMaxWidth(ParseInt(value));
    } else if (name == "minheight") {
        SetMinHeight(ParseInt(value));
    } else if (name == "maxheight") {
        SetMaxHeight(ParseInt(value));
    } else if (name == "visible") {
        SetVisible(ParseBool(value));
    } else if (name == "enabled") {
        SetEnabled(ParseBool(value));
    } else if (name == "mouse") {
        SetMouseEnabled(ParseBool(value));
    } else if (name == "keyboard") {
        SetKeyboardEnabled(ParseBool(value));
    } else if (name == "menu") {
        SetContextMenuUsed(ParseBool(value));
    } else if (name == "bkcolor" || name == "bkcolor1") {
        SetBkColor(ParseColor(value));
    } else if (name == "bordercolor") {
        SetBorderColor(ParseColor(value));
    } else if (name == "bordersize") {
        SetBorderSize(ParseInt(value));
    } else if (name == "borderround") {
        SetBorderRound(ParseSize(value));
    } else if (name == "bkimage") {
        SetBkImage(value);
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else if (name == "cursor") {
        cursor_ = value;
    } else if (name == "style") {
        const std::string* style = manager_ != nullptr ? manager_->GetStyle(value) : nullptr;
        if (style != nullptr) ApplyAttributeList(*style);
    }
}

void CControlUI::ApplyAttributeList(std::string_view list) {
    ForEachAttribute(list, [this](const std::string& name, const std::string& value) {
        SetAttribute(name, value);
    });
}

void CControlUI::Invalidate() {
    if (!IsVisible() || manager_ == nullptr) return;
    if (lively_)
        manager_->InvalidateLively(this);
    else
        manager_->Invalidate(pos_);
}

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    updateNeeded_ = true;
    Invalidate();
    if (manager_ != nullptr) manager_->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (parent_ != nullptr) {
        parent_->NeedUpdate();
    } else {
        NeedUpdate();
    }
    if (manager_ != nullptr) manager_->NeedUpdate();
}

void CControlUI::DoPaint(IRender& render, const UiRect& paintRect) {
    if (pos_.Intersect(paintRect).IsEmpty()) return;
    PaintBkColor(render);
    PaintBkImage(render);
    PaintStatusImage(render);
    PaintText(render);
    PaintBorder(render);
    PaintFocus(render);
}

void CControlUI::PaintFocus(IRender& render) {
    // Only after the keyboard moved it: a mouse user knows where they clicked.
    if (manager_ == nullptr || !manager_->IsFocusShown() || manager_->GetFocus() != this) return;
    constexpr UiColor kFocusColour = 0xFF8FB8FF;
    render.DrawBorder(pos_, kFocusColour, 2, borderRound_);
}

void CControlUI::PaintBkColor(IRender& render) {
    if (bkColor_ != 0) render.FillRect(pos_, bkColor_);
}

void CControlUI::PaintBkImage(IRender& render) {
    if (!bkImage_.empty()) DrawImage(render, bkImage_);
}

void CControlUI::PaintBorder(IRender& render) {
    if (borderSize_ > 0 && borderColor_ != 0) {
        render.DrawBorder(pos_, borderColor_, borderSize_, borderRound_);
    }
}

bool CControlUI::DrawImage(IRender& render, std::string_view image) {
    const ImageDrawInfo& info = ParsedImageString(image);
    if (!info.valid) return false;
    return render.DrawImage(pos_, info);
}

void CControlUI::Notify(std::string_view type, std::uintptr_t wParam, std::intptr_t lParam) {
    if (manager_ != nullptr) manager_->SendNotify(this, type, wParam, lParam);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case UiEventType::SetFocus:
            focused_ = true;
            state_ |= kStateFocused;
            Invalidate();
            return;
        case UiEventType::KillFocus:
            focused_ = false;
            state_ &= ~kStateFocused;
            Invalidate();
            return;
        case UiEventType::Timer:
            Notify(kNotifyTimer, event.wParam, event.lParam);
            return;
        case UiEventType::ContextMenu:
            if (menuUsed_) {
                Notify(
                    kNotifyMenu, event.wParam,
                    static_cast<std::intptr_t>((event.mouse.y << 16) | (event.mouse.x & 0xFFFF)));
                return;
            }
            break;
        default:
            break;
    }
    // Unhandled events travel up, as a click on a label inside a button should.
    if (parent_ != nullptr) parent_->DoEvent(event);
}

void CControlUI::Init() {
    DoInit();
}

bool CControlUI::SetTimer(unsigned id, unsigned elapseMs) {
    return manager_ != nullptr && manager_->SetTimer(this, id, elapseMs);
}

void CControlUI::KillTimer(unsigned id) {
    if (manager_ != nullptr) manager_->KillTimer(this, id);
}

void CControlUI::KillTimers() {
    if (manager_ != nullptr) manager_->KillTimer(this);
}

}  // namespace vivori::ui
