#include "ui/core/UnderlayCache.h"

#include <algorithm>

#include "ui/core/CControlUI.h"

namespace vivori::ui {

namespace {

// Hosts round a control's rectangle out to whole device pixels and a pixel more; the
// layer covers that much round the control.
constexpr int kMargin = 2;

UiRect Grown(const UiRect& rect, int by) {
    return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by};
}

bool Holds(const UiRect& outer, const UiRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Meet(const UiRect& a, const UiRect& b) { return !a.Intersect(b).IsEmpty(); }

}  // namespace

struct UnderlayCache::Capture {
    UiRect area;
    CControlUI* control = nullptr;
    Entry* entry = nullptr;
    bool seen = false;        // the control was reached and left out
    bool drawnAbove = false;  // and something else was painted after it
};

// Passes the tree's painting on to the layer, noting whether anything is painted after
// a lively control was left out: that would lie above it, not under it.
class UnderlayCache::Probe final : public IRender {
  public:
    Probe(IRender& inner, Capture& capture) : inner_(inner), capture_(capture) {}

    void PushClip(const UiRect& rect) override { inner_.PushClip(rect); }
    void PopClip() override { inner_.PopClip(); }
    void FillRect(const UiRect& rect, UiColor color) override {
        Drawn();
        inner_.FillRect(rect, color);
    }
    void DrawBorder(const UiRect& rect, UiColor color, int size, UiSize round) override {
        Drawn();
        inner_.DrawBorder(rect, color, size, round);
    }
    void DrawLine(UiPoint from, UiPoint to, UiColor color, int width) override {
        Drawn();
        inner_.DrawLine(from, to, color, width);
    }
    void FillEllipse(const UiRect& rect, UiColor color) override {
        Drawn();
        inner_.FillEllipse(rect, color);
    }
    void FillPie(const UiRect& rect, double startAngle, double spanAngle,
                 UiColor color) override {
        Drawn();
        inner_.FillPie(rect, startAngle, spanAngle, color);
    }
    bool DrawImage(const UiRect& controlRect, const ImageDrawInfo& image) override {
        Drawn();
        return inner_.DrawImage(controlRect, image);
    }
    bool DrawTintedImage(const UiRect& controlRect, const ImageDrawInfo& image,
                         std::uint32_t tint, int level, bool on) override {
        Drawn();
        return inner_.DrawTintedImage(controlRect, image, tint, level, on);
    }
    void DrawText(const UiRect& rect, std::string_view text, UiColor color, int font,
                  unsigned style) override {
        Drawn();
        inner_.DrawText(rect, text, color, font, style);
    }
    UiSize MeasureText(std::string_view text, int font) override {
        return inner_.MeasureText(text, font);
    }

  private:
    void Drawn() {
        if (capture_.seen) capture_.drawnAbove = true;
    }

    IRender& inner_;
    Capture& capture_;
};

UnderlayCache::UnderlayCache() = default;
UnderlayCache::~UnderlayCache() = default;

void UnderlayCache::Touched(CControlUI* control) {
    // The layers it was painted into no longer show it as it is.
    if (auto baked = bakedInto_.find(control); baked != bakedInto_.end())
        for (const CControlUI* owner : baked->second) entries_.erase(owner);
    if (std::find(touched_.begin(), touched_.end(), control) == touched_.end())
        touched_.push_back(control);
}

void UnderlayCache::Invalidated(const UiRect& rect) {
    std::erase_if(entries_,
                  [&rect](const auto& item) { return Meet(Grown(item.second.pos, kMargin), rect); });
}

void UnderlayCache::Clear() {
    lastFound_ = 0;
    entries_.clear();
    bakedInto_.clear();
    touched_.clear();
}

bool UnderlayCache::LeavesOut(CControlUI* item, const UiRect& clip) {
    if (capture_ == nullptr || !item->IsLively()) return false;
    if (!Meet(item->GetPos(), capture_->area)) return true;
    // Those under the control (its key cap under its light) go into the layer.
    if (!capture_->seen && item != capture_->control) {
        auto& owners = bakedInto_[item];
        if (std::find(owners.begin(), owners.end(), capture_->control) == owners.end())
            owners.push_back(capture_->control);
        return false;
    }
    capture_->seen = true;
    capture_->entry->pieces.push_back({item, item->GetPos(), clip});
    return true;
}

UnderlayCache::Entry& UnderlayCache::Make(IRender& render, CControlUI* control, CControlUI& root) {
    Entry entry;
    entry.pos = control->GetPos();
    Capture capture{Grown(entry.pos, kMargin), control, &entry};
    capture_ = &capture;
    entry.layer = render.CaptureLayer(capture.area, [&](IRender& layer) {
        Probe probe(layer, capture);
        root.DoPaint(probe, capture.area);
    });
    capture_ = nullptr;
    ++captures_;
    entry.usable = entry.layer != nullptr && capture.seen && !capture.drawnAbove;
    return entries_.insert_or_assign(control, std::move(entry)).first->second;
}

bool UnderlayCache::Paint(IRender& render, const UiRect& rect, CControlUI& root,
                          const UiRect* popup) {
    if (touched_.empty() || (popup != nullptr && Meet(*popup, rect))) return false;
    // The rectangles come in the order the controls were touched, near enough: the
    // search starts where the last one was found.
    const auto holds = [&rect](CControlUI* c) { return Holds(Grown(c->GetPos(), kMargin), rect); };
    const auto from = touched_.begin() + std::ptrdiff_t(lastFound_ < touched_.size() ? lastFound_ : 0);
    auto covering = std::find_if(from, touched_.end(), holds);
    if (covering == touched_.end()) {
        covering = std::find_if(touched_.begin(), from, holds);
        if (covering == from) return false;
    }
    lastFound_ = size_t(covering - touched_.begin());
    CControlUI* control = *covering;
    if (!control->IsVisible()) return false;
    auto found = entries_.find(control);
    Entry& entry = found != entries_.end() && found->second.pos == control->GetPos()
                       ? found->second
                       : Make(render, control, root);
    if (!entry.usable) return false;
    // Those painted over the layer must still be where and as they were.
    for (const Piece& piece : entry.pieces)
        if (piece.control->GetPos() != piece.pos || !piece.control->IsVisible()) {
            entries_.erase(control);
            return false;
        }
    render.PushClip(rect);
    const bool drawn = render.DrawLayer(*entry.layer);
    if (drawn) {
        for (const Piece& piece : entry.pieces) {
            const UiRect clip = piece.clip.Intersect(rect);
            if (clip.IsEmpty()) continue;
            render.PushClip(clip);
            piece.control->DoPaint(render, clip);
            render.PopClip();
        }
    }
    render.PopClip();
    if (!drawn) {
        // Made for another scale: the next picture makes it again.
        entries_.erase(control);
        return false;
    }
    ++layerPaints_;
    return true;
}

}  // namespace vivori::ui
