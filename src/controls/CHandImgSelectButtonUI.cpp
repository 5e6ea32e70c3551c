#include "controls/CHandImgSelectButtonUI.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "controls/HoverNotify.h"

namespace vivori::controls {
namespace {

CHandImgSelectButtonUI::ImageSizeLookup& Lookup() {
    static CHandImgSelectButtonUI::ImageSizeLookup lookup;
    return lookup;
}

constexpr std::array<std::string_view, 14> kCursors = {
    "arrow",    "ibeam",    "wait",   "cross",  "uparrow", "size", "icon",
    "sizenwse", "sizenesw", "sizewe", "sizens", "sizeall", "no",   "hand"};

// Moves [low, high) by delta, kept within [0, limit) without changing its length.
void Shift(int& low, int& high, int delta, int limit) {
    const int length = high - low;
    low = std::clamp(low + delta, 0, std::max(0, limit - length));
    high = low + length;
}

}  // namespace

void CHandImgSelectButtonUI::SetImageSizeLookup(ImageSizeLookup lookup) {
    Lookup() = std::move(lookup);
}

void* CHandImgSelectButtonUI::GetInterface(std::string_view name) {
    if (name == "HandImgSelectButton") return this;
    return CButtonUI::GetInterface(name);
}

void CHandImgSelectButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "handimage") {
        SetHandImage(value);
    } else if (name == "cursor") {
        if (std::find(kCursors.begin(), kCursors.end(), value) != kCursors.end()) cursor_ = value;
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CHandImgSelectButtonUI::SetHandImage(std::string_view name) {
    handImage_ = name;
    std::optional<ui::UiSize> size;
    if (Lookup()) size = Lookup()(handImage_);
    if (size) imageSize_ = *size;
    const int width = pos_.right - pos_.left;
    const int height = pos_.bottom - pos_.top;
    source_ = {0, 0, width, height};
    if (width < imageSize_.cx || height < imageSize_.cy) {
        ShowSourceWindow();
    } else {
        display_ = handImage_;
    }
    Invalidate();
}

void CHandImgSelectButtonUI::ShowSourceWindow() {
    char source[64];
    std::snprintf(source, sizeof source, "source='%d,%d,%d,%d'", source_.left, source_.top,
                  source_.right, source_.bottom);
    display_ = "file='" + handImage_ + "' " + source;
}

void CHandImgSelectButtonUI::Pan(ui::UiPoint point) {
    // The image follows the pointer: moving left shows more of its right side.
    Shift(source_.left, source_.right, last_.x - point.x, imageSize_.cx);
    Shift(source_.top, source_.bottom, last_.y - point.y, imageSize_.cy);
    last_ = point;
    ShowSourceWindow();
}

void CHandImgSelectButtonUI::DoEvent(ui::TEventUI& event) {
    NotifyHover(*this, event);
    switch (event.type) {
        case ui::UiEventType::ButtonDown:
        case ui::UiEventType::DoubleClick:
            dragging_ = true;
            if (pos_.Contains(event.mouse) && IsEnabled()) {
                state_ |= ui::kStatePushed | ui::kStateCaptured;
                last_ = event.mouse;
            }
            Invalidate();
            return;
        case ui::UiEventType::ButtonUp:
            state_ &= ~(ui::kStatePushed | ui::kStateCaptured);
            dragging_ = false;
            Invalidate();
            return;
        case ui::UiEventType::MouseMove:
            if (!dragging_) return;
            Pan(event.mouse);
            if ((state_ & ui::kStateCaptured) != 0) {
                if (pos_.Contains(event.mouse)) {
                    state_ |= ui::kStatePushed;
                } else {
                    state_ &= ~ui::kStatePushed;
                }
            }
            Invalidate();
            return;
        default:
            break;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgSelectButtonUI::PaintStatusImage(ui::IRender& render) {
    CButtonUI::PaintStatusImage(render);
    if (!display_.empty()) DrawImage(render, display_);
}

}  // namespace vivori::controls
