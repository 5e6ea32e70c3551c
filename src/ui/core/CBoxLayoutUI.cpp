#include "ui/core/CBoxLayoutUI.h"

#include <algorithm>
#include <vector>

#include "ui/core/CScrollBarUI.h"

namespace vivori::ui {
namespace {

// The two axes in one shape: "main" runs along the layout, "cross" across it.
struct Axis {
    bool vertical;
    int Main(UiSize size) const { return vertical ? size.cy : size.cx; }
    int Cross(UiSize size) const { return vertical ? size.cx : size.cy; }
    int MinMain(const CControlUI* c) const {
        return vertical ? c->GetMinHeight() : c->GetMinWidth();
    }
    int MaxMain(const CControlUI* c) const {
        return vertical ? c->GetMaxHeight() : c->GetMaxWidth();
    }
    int MinCross(const CControlUI* c) const {
        return vertical ? c->GetMinWidth() : c->GetMinHeight();
    }
    int MaxCross(const CControlUI* c) const {
        return vertical ? c->GetMaxWidth() : c->GetMaxHeight();
    }
    int PadBefore(const UiRect& p) const { return vertical ? p.top : p.left; }
    int PadAfter(const UiRect& p) const { return vertical ? p.bottom : p.right; }
    int CrossBefore(const UiRect& p) const { return vertical ? p.left : p.top; }
    int CrossAfter(const UiRect& p) const { return vertical ? p.right : p.bottom; }
};

int Clamp(int value, int low, int high) {
    return std::max(low, std::min(value, std::max(low, high)));
}

}  // namespace

int CBoxLayoutUI::Arrange(const UiRect& rect, bool place) {
    Axis axis{vertical_};
    UiSize available{rect.Width(), rect.Height()};
    int adjustables = 0;
    int fixedLength = 0;
    int counted = 0;
    // Measured once: estimating may measure text, and the placing pass needs the same.
    std::vector<UiSize> sizes(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CControlUI* item = items_[i];
        if (!item->IsVisible() || item->IsFloat()) continue;
        UiSize size = sizes[i] = item->EstimateSize(available);
        int main = axis.Main(size);
        if (main == 0) {
            ++adjustables;
            main = axis.MinMain(item);
        } else {
            main = Clamp(main, axis.MinMain(item), axis.MaxMain(item));
        }
        fixedLength +=
            main + axis.PadBefore(item->GetPadding()) + axis.PadAfter(item->GetPadding());
        ++counted;
    }
    if (counted > 1) fixedLength += (counted - 1) * childPadding_;
    int space = axis.Main(available);
    int expand = adjustables > 0 ? std::max(0, (space - fixedLength) / adjustables) : 0;
    int remainder = adjustables > 0 ? std::max(0, space - fixedLength - expand * adjustables) : 0;

    UiSize scroll = GetScrollPos();
    int position = vertical_ ? rect.top - scroll.cy : rect.left - scroll.cx;
    int needed = 0;
    int adjusted = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CControlUI* item = items_[i];
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            if (place) SetFloatPos(static_cast<int>(i));
            continue;
        }
        const UiRect& padding = item->GetPadding();
        const UiSize size = sizes[i];
        int main = axis.Main(size);
        if (main == 0) {
            ++adjusted;
            main = expand + (adjusted == adjustables ? remainder : 0);
        }
        main = Clamp(main, axis.MinMain(item), axis.MaxMain(item));
        int crossSpace =
            axis.Cross(available) - axis.CrossBefore(padding) - axis.CrossAfter(padding);
        int cross = axis.Cross(size);
        if (cross == 0) cross = crossSpace;
        cross = Clamp(cross, axis.MinCross(item), axis.MaxCross(item));
        int start = position + axis.PadBefore(padding);
        if (place) {
            UiRect itemRect = vertical_ ? UiRect{rect.left + padding.left, start,
                                                 rect.left + padding.left + cross, start + main}
                                        : UiRect{start, rect.top + padding.top, start + main,
                                                 rect.top + padding.top + cross};
            item->SetPos(itemRect, false);
        }
        int step = main + axis.PadBefore(padding) + axis.PadAfter(padding);
        position += step + childPadding_;
        needed += step + childPadding_;
    }
    if (needed > 0) needed -= childPadding_;
    return needed;
}

void CBoxLayoutUI::SetPos(const UiRect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    UiRect client = pos_.Deflate(inset_);
    CScrollBarUI* bar = vertical_ ? verticalBar_ : horizontalBar_;
    if (bar != nullptr) {
        // Measure first: the bar takes room only when the content overflows.
        int needed = Arrange(client, false);
        int view = vertical_ ? client.Height() : client.Width();
        if (needed > view) {
            if (vertical_) {
                client.right -= bar->GetFixedWidth();
            } else {
                client.bottom -= bar->GetFixedHeight();
            }
        }
        ProcessScrollBar(client, vertical_ ? 0 : needed, vertical_ ? needed : 0);
    }
    int needed = Arrange(client, true);
    if (bar != nullptr) ProcessScrollBar(client, vertical_ ? 0 : needed, vertical_ ? needed : 0);
}

}  // namespace vivori::ui
