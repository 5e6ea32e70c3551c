#include "controls/CCircleProgressUI.h"

#include <algorithm>
#include <cmath>

namespace vivori::controls {

void* CCircleProgressUI::GetInterface(std::string_view name) {
    if (name == "CircleProgress") return this;
    return CProgressUI::GetInterface(name);
}

double CCircleProgressUI::SweepDegrees() const {
    const int range = max_ - min_;
    if (range <= 0) return 0.0;
    const double sweep = std::trunc(static_cast<double>(value_) / range * 360.0);
    return std::clamp(sweep, 0.0, 360.0);
}

void CCircleProgressUI::PaintBkColor(ui::IRender& render) {
    render.FillEllipse(pos_, bkColor_);
}

void CCircleProgressUI::PaintStatusImage(ui::IRender& render) {
    // The renderer counts angles counter-clockwise from three o'clock: the bottom is
    // -90 and a clockwise sweep is negative.
    if (const double sweep = SweepDegrees(); sweep > 0.0)
        render.FillPie(pos_, -90.0, -sweep, foreColor_);
    render.FillEllipse(pos_.Deflate({kRingWidth, kRingWidth, kRingWidth, kRingWidth}),
                       kCentreColour);
}

}  // namespace vivori::controls
