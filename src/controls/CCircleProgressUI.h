#pragma once

#include "ui/core/CProgressUI.h"

namespace vivori::controls {

// A progress shown as a ring 10 pixels wide: a disc in the background colour with a
// slice in the fore colour from the bottom, clockwise, and a white centre.
class CCircleProgressUI : public ui::CProgressUI {
  public:
    static constexpr int kRingWidth = 10;
    static constexpr ui::UiColor kCentreColour = 0xFFFFFFFF;

    std::string_view GetClass() const override { return "CircleProgress"; }
    void* GetInterface(std::string_view name) override;
    // Degrees of the slice; 0 when the range is empty, so a bad range draws no slice.
    double SweepDegrees() const;

  protected:
    void PaintBkColor(ui::IRender& render) override;
    void PaintStatusImage(ui::IRender& render) override;
};

}  // namespace vivori::controls
