#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ui/core/IRender.h"
#include "ui/core/UiTypes.h"

namespace vivori::ui {

class CControlUI;

// The light preview repaints a hundred key caps at the screen's rate while the page
// around them stays still. Walking the tree for each cap paints every container,
// background and veil under it again. Instead, what the window paints under a lively
// control is kept as a layer the first time, and a repaint of the control alone draws
// that layer and then the control.
//
// A layer is dropped when anything else is invalidated over it, at every layout and
// whenever a control leaves the tree; a control with something painted above it
// (a veil, a later sibling) is never painted this way.
class UnderlayCache {
  public:
    UnderlayCache();
    ~UnderlayCache();
    UnderlayCache(const UnderlayCache&) = delete;
    UnderlayCache& operator=(const UnderlayCache&) = delete;

    // A lively control asked to be painted again: only its own picture changed (and
    // the layers it lies in).
    void Touched(CControlUI* control);
    // Something else changed in rect: the layers there no longer show what is under
    // their controls.
    void Invalidated(const UiRect& rect);
    // Layout moved things, or a control left: nothing kept is sure any more.
    void Clear();

    // Paints rect when it lies on one touched lively control: its layer (made now when
    // there is none), then the lively controls there. False when the caller must paint
    // the tree. `popup` is what lies over the whole window, if anything.
    bool Paint(IRender& render, const UiRect& rect, CControlUI& root, const UiRect* popup);
    // The picture is on the screen: the touched controls are painted.
    void EndPaint() {
        touched_.clear();
        lastFound_ = 0;
    }

    // While a layer is made, the containers leave the control and the lively controls
    // after it out; true for such a control. `clip` is what its container would have
    // painted it through.
    bool LeavesOut(CControlUI* item, const UiRect& clip);

    std::uint64_t Captures() const { return captures_; }
    std::uint64_t LayerPaints() const { return layerPaints_; }

  private:
    // A lively control over the layer, as the tree paints it.
    struct Piece {
        CControlUI* control;
        UiRect pos;   // its place when the layer was made
        UiRect clip;  // its containers' clip there
    };
    struct Entry {
        UiRect pos;
        // The lively controls the layer leaves out, in the tree's order: the control and
        // any laid on it or near it after it.
        std::vector<Piece> pieces;
        std::unique_ptr<IRenderLayer> layer;
        bool usable = false;
    };
    struct Capture;
    class Probe;

    Entry& Make(IRender& render, CControlUI* control, CControlUI& root);

    std::unordered_map<const CControlUI*, Entry> entries_;
    // For each lively control painted into layers, whose layers they are.
    std::unordered_map<const CControlUI*, std::vector<const CControlUI*>> bakedInto_;
    std::vector<CControlUI*> touched_;
    size_t lastFound_ = 0;  // where in touched_ the last rectangle's control was
    Capture* capture_ = nullptr;
    std::uint64_t captures_ = 0;
    std::uint64_t layerPaints_ = 0;
};

}  // namespace vivori::ui
