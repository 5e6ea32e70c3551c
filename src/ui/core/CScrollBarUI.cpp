#include "ui/core/CScrollBarUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"
#include "ui/core/CContainerUI.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

namespace {
constexpr int kDefaultBarSize = 8;
constexpr int kMinThumb = 12;
}  // namespace

CScrollBarUI::CScrollBarUI() {
    fixed_ = {kDefaultBarSize, 0};
}

void* CScrollBarUI::GetInterface(std::string_view name) {
    if (name == "ScrollBar") return this;
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    horizontal_ = horizontal;
    fixed_ = horizontal ? UiSize{0, kDefaultBarSize} : UiSize{kDefaultBarSize, 0};
}

void CScrollBarUI::SetScrollRange(int range) {
    range_ = std::max(range, 0);
    scrollPos_ = std::clamp(scrollPos_, 0, range_);
    UpdateThumb();
}

void CScrollBarUI::SetScrollPos(int pos) {
    scrollPos_ = std::clamp(pos, 0, range_);
    UpdateThumb();
    Invalidate();
}

void CScrollBarUI::SetPos(const UiRect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    UpdateThumb();
}

void CScrollBarUI::UpdateThumb() {
    int length = horizontal_ ? pos_.Width() : pos_.Height();
    int track = std::max(length - 2 * buttonSize_, 0);
    int view = length;
    int thumbLength = range_ + view > 0 ? track * view / (range_ + view) : track;
    thumbLength = std::min(std::max(thumbLength, kMinThumb), track);
    int travel = track - thumbLength;
    int offset =
        range_ > 0 ? static_cast<int>(static_cast<long long>(travel) * scrollPos_ / range_) : 0;
    if (horizontal_) {
        button1_ = {pos_.left, pos_.top, pos_.left + buttonSize_, pos_.bottom};
        button2_ = {pos_.right - buttonSize_, pos_.top, pos_.right, pos_.bottom};
        int start = pos_.left + buttonSize_ + offset;
        thumb_ = {start, pos_.top, start + thumbLength, pos_.bottom};
    } else {
        button1_ = {pos_.left, pos_.top, pos_.right, pos_.top + buttonSize_};
        button2_ = {pos_.left, pos_.bottom - buttonSize_, pos_.right, pos_.bottom};
        int start = pos_.top + buttonSize_ + offset;
        thumb_ = {pos_.left, start, pos_.right, start + thumbLength};
    }
}

void CScrollBarUI::ScrollTo(int pos) {
    pos = std::clamp(pos, 0, range_);
    if (owner_ != nullptr) {
        UiSize current = owner_->GetScrollPos();
        if (horizontal_) {
            owner_->SetScrollPos({pos, current.cy});
        } else {
            owner_->SetScrollPos({current.cx, pos});
        }
    } else {
        SetScrollPos(pos);
    }
    if (manager_ != nullptr) manager_->SendNotify(this, kNotifyScroll, static_cast<WPARAM>(pos));
}

void CScrollBarUI::DoEvent(TEventUI& event) {
    if (!IsEnabled()) return;
    switch (event.type) {
        case UiEventType::ButtonDown:
        case UiEventType::DoubleClick: {
            int length = horizontal_ ? pos_.Width() : pos_.Height();
            if (button1_.Contains(event.mouse)) {
                ScrollTo(scrollPos_ - lineSize_);
            } else if (button2_.Contains(event.mouse)) {
                ScrollTo(scrollPos_ + lineSize_);
            } else if (thumb_.Contains(event.mouse)) {
                dragging_ = true;
                dragStart_ = event.mouse;
                dragStartPos_ = scrollPos_;
            } else {
                bool before =
                    horizontal_ ? event.mouse.x < thumb_.left : event.mouse.y < thumb_.top;
                ScrollTo(before ? scrollPos_ - length : scrollPos_ + length);
            }
            return;
        }
        case UiEventType::MouseMove: {
            if (!dragging_) return;
            int length = horizontal_ ? pos_.Width() : pos_.Height();
            int thumbLength = horizontal_ ? thumb_.Width() : thumb_.Height();
            int travel = length - 2 * buttonSize_ - thumbLength;
            if (travel <= 0) return;
            int moved = horizontal_ ? event.mouse.x - dragStart_.x : event.mouse.y - dragStart_.y;
            ScrollTo(dragStartPos_ +
                     static_cast<int>(static_cast<long long>(moved) * range_ / travel));
            return;
        }
        case UiEventType::ButtonUp:
            dragging_ = false;
            return;
        case UiEventType::ScrollWheel:
            if (owner_ != nullptr) owner_->DoEvent(event);
            return;
        default:
            CControlUI::DoEvent(event);
    }
}

void CScrollBarUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "hor") {
        SetHorizontal(ParseBool(value));
    } else if (name == "range") {
        SetScrollRange(ParseInt(value));
    } else if (name == "value") {
        SetScrollPos(ParseInt(value));
    } else if (name == "linesize") {
        SetLineSize(ParseInt(value));
    } else if (name == "thumbcolor") {
        thumbColor_ = ParseColor(value);
    } else if (name == "trackcolor") {
        trackColor_ = ParseColor(value);
    } else if (name == "buttonsize") {
        buttonSize_ = std::max(ParseInt(value), 0);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CScrollBarUI::PaintStatusImage(IRender& render) {
    if (trackColor_ != 0) render.FillRect(pos_, trackColor_);
    if (thumbColor_ != 0 && range_ > 0) render.FillRect(thumb_, thumbColor_);
}

}  // namespace vivori::ui
