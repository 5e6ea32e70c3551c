#include "ui/core/CButtonUI.h"

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

void* CButtonUI::GetInterface(std::string_view name) {
    if (name == "Button") return this;
    return CLabelUI::GetInterface(name);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    Notify(kNotifyClick);
    return true;
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.type != UiEventType::SetFocus &&
        event.type != UiEventType::KillFocus && event.type != UiEventType::Timer) {
        CLabelUI::DoEvent(event);
        return;
    }
    switch (event.type) {
        case UiEventType::KeyDown:
            if (event.key == kKeyReturn || event.key == ' ') {
                Activate();
                return;
            }
            break;
        case UiEventType::ButtonDown:
        case UiEventType::DoubleClick:
            if (pos_.Contains(event.mouse) && IsEnabled()) {
                state_ |= kStatePushed | kStateCaptured;
                Invalidate();
            }
            return;
        case UiEventType::MouseMove:
            if ((state_ & kStateCaptured) != 0) {
                if (pos_.Contains(event.mouse)) {
                    state_ |= kStatePushed;
                } else {
                    state_ &= ~kStatePushed;
                }
                Invalidate();
            }
            return;
        case UiEventType::ButtonUp:
            if ((state_ & kStateCaptured) != 0) {
                state_ &= ~(kStatePushed | kStateCaptured);
                Invalidate();
                if (pos_.Contains(event.mouse)) Activate();
            }
            return;
        case UiEventType::MouseEnter:
            if (IsEnabled()) {
                state_ |= kStateHot;
                Invalidate();
            }
            return;
        case UiEventType::MouseLeave:
            if (IsEnabled()) {
                state_ &= ~kStateHot;
                Invalidate();
            }
            return;
        default:
            break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(std::string_view image) {
    normalImage_ = image;
    Invalidate();
}

void CButtonUI::SetHotImage(std::string_view image) {
    hotImage_ = image;
    Invalidate();
}

void CButtonUI::SetPushedImage(std::string_view image) {
    pushedImage_ = image;
    Invalidate();
}

void CButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "normalimage") {
        SetNormalImage(value);
    } else if (name == "hotimage") {
        SetHotImage(value);
    } else if (name == "pushedimage") {
        SetPushedImage(value);
    } else if (name == "focusedimage") {
        focusedImage_ = value;
    } else if (name == "disabledimage") {
        disabledImage_ = value;
    } else if (name == "hotbkcolor") {
        hotBkColor_ = ParseColor(value);
    } else if (name == "pushedbkcolor") {
        pushedBkColor_ = ParseColor(value);
    } else if (name == "hottextcolor") {
        hotTextColor_ = ParseColor(value);
    } else if (name == "pushedtextcolor") {
        pushedTextColor_ = ParseColor(value);
    } else if (name == "focusedtextcolor") {
        focusedTextColor_ = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CButtonUI::PaintBkColor(IRender& render) {
    UiColor color = bkColor_;
    if ((state_ & kStatePushed) != 0 && pushedBkColor_ != 0) {
        color = pushedBkColor_;
    } else if ((state_ & kStateHot) != 0 && hotBkColor_ != 0) {
        color = hotBkColor_;
    }
    if (color != 0) render.FillRect(pos_, color);
}

void CButtonUI::PaintStatusImage(IRender& render) {
    if (!IsEnabled() && !disabledImage_.empty() && DrawImage(render, disabledImage_)) return;
    if ((state_ & kStatePushed) != 0 && !pushedImage_.empty() && DrawImage(render, pushedImage_)) {
        return;
    }
    if ((state_ & kStateHot) != 0 && !hotImage_.empty() && DrawImage(render, hotImage_)) return;
    if ((state_ & kStateFocused) != 0 && !focusedImage_.empty() &&
        DrawImage(render, focusedImage_)) {
        return;
    }
    if (!normalImage_.empty()) DrawImage(render, normalImage_);
}

UiColor CButtonUI::CurrentTextColor() const {
    if (IsEnabled()) {
        if ((state_ & kStatePushed) != 0 && pushedTextColor_ != 0) return pushedTextColor_;
        if ((state_ & kStateHot) != 0 && hotTextColor_ != 0) return hotTextColor_;
        if ((state_ & kStateFocused) != 0 && focusedTextColor_ != 0) return focusedTextColor_;
    }
    return CLabelUI::CurrentTextColor();
}

}  // namespace vivori::ui
