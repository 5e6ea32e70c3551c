#include "ui/core/CProgressUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"

namespace vivori::ui {

void* CProgressUI::GetInterface(std::string_view name) {
    if (name == "Progress") return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int value) {
    min_ = value;
    if (max_ < min_) max_ = min_;
    value_ = std::clamp(value_, min_, max_);
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    max_ = value;
    if (min_ > max_) min_ = max_;
    value_ = std::clamp(value_, min_, max_);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    value_ = std::clamp(value, min_, max_);
    Invalidate();
}

void CProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "hor") {
        SetHorizontal(ParseBool(value));
    } else if (name == "min") {
        SetMinValue(ParseInt(value));
    } else if (name == "max") {
        SetMaxValue(ParseInt(value));
    } else if (name == "value") {
        SetValue(ParseInt(value));
    } else if (name == "forecolor") {
        foreColor_ = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

UiRect CProgressUI::FilledRect() const {
    UiRect rect = pos_;
    long long span = static_cast<long long>(max_) - min_;
    if (span <= 0)
        return horizontal_ ? UiRect{rect.left, rect.top, rect.left, rect.bottom}
                           : UiRect{rect.left, rect.bottom, rect.right, rect.bottom};
    long long done = static_cast<long long>(value_) - min_;
    if (horizontal_) {
        rect.right = rect.left + static_cast<int>(done * pos_.Width() / span);
    } else {
        rect.top = rect.bottom - static_cast<int>(done * pos_.Height() / span);
    }
    return rect;
}

void CProgressUI::PaintStatusImage(IRender& render) {
    UiRect filled = FilledRect();
    if (filled.IsEmpty()) return;
    if (foreColor_ != 0) render.FillRect(filled, foreColor_);
    if (!foreImage_.empty()) {
        ImageDrawInfo info = ParseImageString(foreImage_);
        if (info.valid) {
            // The fore image is cut to the filled part, not stretched into it.
            info.dest = {filled.left - pos_.left, filled.top - pos_.top, filled.right - pos_.left,
                         filled.bottom - pos_.top};
            render.DrawImage(pos_, info);
        }
    }
}

}  // namespace vivori::ui
