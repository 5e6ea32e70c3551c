#pragma once

#include "ui/core/CControlUI.h"

namespace vivori::ui {

// Hue, saturation and brightness, each 0-1 (hue wraps).
struct HsbColor {
    double hue = 0;
    double saturation = 0;
    double brightness = 0;
};

HsbColor RgbToHsb(UiColor color);
UiColor HsbToRgb(const HsbColor& hsb);

// A free colour picker: a field where across is hue and down is saturation, and under
// it a bar for brightness. Picking sends "colorchanged"; GetSelectColor gives the
// colour as 0xFFRRGGBB.
class CColorPaletteUI : public CControlUI {
  public:
    std::string_view GetClass() const override { return "ColorPaletteUI"; }
    void* GetInterface(std::string_view name) override;

    UiColor GetSelectColor() const;
    // Shows the colour; no notification.
    void SetSelectColor(UiColor color);
    const HsbColor& GetHsb() const { return hsb_; }
    int GetPalletHeight() const { return palletHeight_; }
    int GetBarHeight() const { return barHeight_; }
    UiRect PalletRect() const;
    UiRect BarRect() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  protected:
    void PaintBkImage(IRender& render) override;

  private:
    enum class Drag { None, Pallet, Bar };
    void PickAt(UiPoint point);

    HsbColor hsb_{0, 1, 1};
    int palletHeight_ = 200;
    int barHeight_ = 10;
    std::string thumbImage_;
    Drag drag_ = Drag::None;
};

}  // namespace vivori::ui
