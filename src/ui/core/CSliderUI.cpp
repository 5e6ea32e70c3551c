#include "ui/core/CSliderUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

CSliderUI::CSliderUI() {
    textStyle_ = kTextSingleLine | kTextCenter;
}

void* CSliderUI::GetInterface(std::string_view name) {
    if (name == "Slider") return this;
    return CProgressUI::GetInterface(name);
}

UiRect CSliderUI::GetThumbRect() const {
    long long span = static_cast<long long>(max_) - min_;
    long long done = static_cast<long long>(value_) - min_;
    if (horizontal_) {
        int travel = std::max(pos_.Width() - thumbSize_.cx, 0);
        int left = pos_.left + (span > 0 ? static_cast<int>(done * travel / span) : 0);
        int top = (pos_.top + pos_.bottom - thumbSize_.cy) / 2;
        return {left, top, left + thumbSize_.cx, top + thumbSize_.cy};
    }
    int travel = std::max(pos_.Height() - thumbSize_.cy, 0);
    int top = pos_.bottom - thumbSize_.cy - (span > 0 ? static_cast<int>(done * travel / span) : 0);
    int left = (pos_.left + pos_.right - thumbSize_.cx) / 2;
    return {left, top, left + thumbSize_.cx, top + thumbSize_.cy};
}

int CSliderUI::ValueAt(UiPoint point) const {
    long long span = static_cast<long long>(max_) - min_;
    long long value;
    if (horizontal_) {
        int travel = std::max(pos_.Width() - thumbSize_.cx, 1);
        value = min_ + span * (point.x - pos_.left - thumbSize_.cx / 2) / travel;
    } else {
        int travel = std::max(pos_.Height() - thumbSize_.cy, 1);
        value = min_ + span * (pos_.bottom - point.y - thumbSize_.cy / 2) / travel;
    }
    value = std::clamp<long long>(value, min_, max_);
    // Snap to the change step, counted from the minimum.
    long long snapped = min_ + (value - min_ + step_ / 2) / step_ * step_;
    return static_cast<int>(std::clamp<long long>(snapped, min_, max_));
}

void CSliderUI::MoveTo(UiPoint point) {
    int value = ValueAt(point);
    if (value == value_) return;
    SetValue(value);
    Notify(kNotifyMoveValueChanged);
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() || !IsEnabled()) {
        CProgressUI::DoEvent(event);
        return;
    }
    switch (event.type) {
        case UiEventType::ButtonDown:
        case UiEventType::DoubleClick:
            dragging_ = true;
            state_ |= kStateCaptured | kStatePushed;
            if (!GetThumbRect().Contains(event.mouse)) MoveTo(event.mouse);
            return;
        case UiEventType::MouseMove:
            if (dragging_) MoveTo(event.mouse);
            return;
        case UiEventType::ButtonUp:
            if (dragging_) {
                dragging_ = false;
                state_ &= ~(kStateCaptured | kStatePushed);
                SetValue(ValueAt(event.mouse));
                Invalidate();
                Notify(kNotifyValueChanged);
            }
            return;
        case UiEventType::ScrollWheel:
            SetValue(value_ + (static_cast<int>(event.wParam) > 0 ? step_ : -step_));
            Notify(kNotifyValueChanged);
            return;
        case UiEventType::KeyDown:
            // The arrows move it a step, as the wheel does.
            if (event.key == kKeyRight || event.key == kKeyUp || event.key == kKeyLeft ||
                event.key == kKeyDown) {
                const bool up = event.key == kKeyRight || event.key == kKeyUp;
                SetValue(value_ + (up ? step_ : -step_));
                Notify(kNotifyValueChanged);
                return;
            }
            CProgressUI::DoEvent(event);
            return;
        case UiEventType::MouseEnter:
            state_ |= kStateHot;
            Invalidate();
            return;
        case UiEventType::MouseLeave:
            state_ &= ~kStateHot;
            Invalidate();
            return;
        default:
            CProgressUI::DoEvent(event);
    }
}

void CSliderUI::SetValue(int value) {
    CProgressUI::SetValue(value);
    ShowValue();
}

std::string CSliderUI::ValueText() const {
    // The format comes from our own layouts; only its one "%d" is filled.
    std::string text = valueFormat_;
    const auto at = text.find("%d");
    if (at == std::string::npos) return std::to_string(value_);
    return text.replace(at, 2, std::to_string(value_));
}

void CSliderUI::ShowValue() {
    if (valueLabel_.empty() || manager_ == nullptr) return;
    if (CControlUI* label = manager_->FindControl(valueLabel_)) {
        const std::string text = ValueText();
        if (label->GetText() != text) label->SetText(text);
    }
}

void CSliderUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "valuelabel") {
        valueLabel_ = value;
    } else if (name == "valueformat") {
        valueFormat_ = value;
    } else if (name == "step") {
        SetChangeStep(ParseInt(value));
    } else if (name == "thumbsize") {
        thumbSize_ = ParseSize(value);
    } else if (name == "thumbimage") {
        thumbImage_ = value;
    } else if (name == "thumbhotimage") {
        thumbHotImage_ = value;
    } else if (name == "thumbpushedimage") {
        thumbPushedImage_ = value;
    } else if (name == "thumbcolor") {
        thumbColor_ = ParseColor(value);
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

void CSliderUI::PaintStatusImage(IRender& render) {
    ShowValue();  // a value set before the label was in the window
    CProgressUI::PaintStatusImage(render);
    UiRect thumb = GetThumbRect();
    const std::string* image = &thumbImage_;
    if ((state_ & kStatePushed) != 0 && !thumbPushedImage_.empty()) {
        image = &thumbPushedImage_;
    } else if ((state_ & kStateHot) != 0 && !thumbHotImage_.empty()) {
        image = &thumbHotImage_;
    }
    if (!image->empty()) {
        ImageDrawInfo info = ParseImageString(*image);
        if (info.valid) {
            info.dest = {thumb.left - pos_.left, thumb.top - pos_.top, thumb.right - pos_.left,
                         thumb.bottom - pos_.top};
            if (render.DrawImage(pos_, info)) return;
        }
    }
    if (thumbColor_ != 0) render.FillEllipse(thumb, thumbColor_);
}

}  // namespace vivori::ui
