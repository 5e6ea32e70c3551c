#include "ui/core/CColorPaletteUI.h"

#include <algorithm>
#include <cmath>

#include "ui/core/AttributeValues.h"

namespace vivori::ui {

HsbColor RgbToHsb(UiColor color) {
    double r = ((color >> 16) & 0xFF) / 255.0;
    double g = ((color >> 8) & 0xFF) / 255.0;
    double b = (color & 0xFF) / 255.0;
    double high = std::max({r, g, b});
    double low = std::min({r, g, b});
    double delta = high - low;
    HsbColor hsb;
    hsb.brightness = high;
    hsb.saturation = high > 0 ? delta / high : 0;
    if (delta > 0) {
        double hue;
        if (high == r) {
            hue = (g - b) / delta;
        } else if (high == g) {
            hue = 2 + (b - r) / delta;
        } else {
            hue = 4 + (r - g) / delta;
        }
        hue /= 6;
        if (hue < 0) hue += 1;
        hsb.hue = hue;
    }
    return hsb;
}

UiColor HsbToRgb(const HsbColor& hsb) {
    double hue = hsb.hue - std::floor(hsb.hue);
    double s = std::clamp(hsb.saturation, 0.0, 1.0);
    double v = std::clamp(hsb.brightness, 0.0, 1.0);
    double sector = hue * 6;
    int i = static_cast<int>(sector) % 6;
    double f = sector - std::floor(sector);
    double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r, g, b;
    switch (i) {
        case 0:
            r = v, g = t, b = p;
            break;
        case 1:
            r = q, g = v, b = p;
            break;
        case 2:
            r = p, g = v, b = t;
            break;
        case 3:
            r = p, g = q, b = v;
            break;
        case 4:
            r = t, g = p, b = v;
            break;
        default:
            r = v, g = p, b = q;
            break;
    }
    auto byte = [](double x) { return static_cast<UiColor>(std::lround(x * 255)); };
    return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

void* CColorPaletteUI::GetInterface(std::string_view name) {
    if (name == "ColorPalette") return this;
    return CControlUI::GetInterface(name);
}

UiColor CColorPaletteUI::GetSelectColor() const {
    return HsbToRgb(hsb_);
}

void CColorPaletteUI::SetSelectColor(UiColor color) {
    hsb_ = RgbToHsb(color);
    Invalidate();
}

UiRect CColorPaletteUI::PalletRect() const {
    return {pos_.left, pos_.top, pos_.right, std::min(pos_.top + palletHeight_, pos_.bottom)};
}

UiRect CColorPaletteUI::BarRect() const {
    int top = std::min(pos_.top + palletHeight_ + 4, pos_.bottom);
    return {pos_.left, top, pos_.right, std::min(top + barHeight_, pos_.bottom)};
}

void CColorPaletteUI::PickAt(UiPoint point) {
    UiRect pallet = PalletRect();
    if (drag_ == Drag::Pallet && pallet.Width() > 0 && pallet.Height() > 0) {
        int x = std::clamp(point.x - pallet.left, 0, pallet.Width() - 1);
        int y = std::clamp(point.y - pallet.top, 0, pallet.Height() - 1);
        hsb_.hue = static_cast<double>(x) / pallet.Width();
        hsb_.saturation = 1.0 - static_cast<double>(y) / std::max(pallet.Height() - 1, 1);
    } else if (drag_ == Drag::Bar) {
        UiRect bar = BarRect();
        int x = std::clamp(point.x - bar.left, 0, std::max(bar.Width() - 1, 0));
        hsb_.brightness = static_cast<double>(x) / std::max(bar.Width() - 1, 1);
    }
    Invalidate();
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case UiEventType::ButtonDown:
            if (!IsEnabled()) return;
            if (PalletRect().Contains(event.mouse)) {
                drag_ = Drag::Pallet;
            } else if (BarRect().Contains(event.mouse)) {
                drag_ = Drag::Bar;
            } else {
                return;
            }
            PickAt(event.mouse);
            return;
        case UiEventType::MouseMove:
            if (drag_ != Drag::None) PickAt(event.mouse);
            return;
        case UiEventType::ButtonUp:
            if (drag_ != Drag::None) {
                PickAt(event.mouse);
                drag_ = Drag::None;
                Notify(kNotifyColorChanged);
            }
            return;
        default:
            CControlUI::DoEvent(event);
    }
}

void CColorPaletteUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "palletheight") {
        palletHeight_ = std::max(ParseInt(value), 1);
    } else if (name == "barheight") {
        barHeight_ = std::max(ParseInt(value), 1);
    } else if (name == "thumbimage") {
        thumbImage_ = value;
    } else if (name == "color") {
        SetSelectColor(ParseColor(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CColorPaletteUI::PaintBkImage(IRender& render) {
    // Columns of hue, each a strip from saturated at the top to white at the bottom,
    // drawn in bands so a repaint stays cheap.
    UiRect pallet = PalletRect();
    constexpr int kBand = 4;
    for (int x = pallet.left; x < pallet.right; x += kBand) {
        for (int y = pallet.top; y < pallet.bottom; y += kBand) {
            HsbColor cell{static_cast<double>(x - pallet.left) / std::max(pallet.Width(), 1),
                          1.0 - static_cast<double>(y - pallet.top) / std::max(pallet.Height(), 1),
                          hsb_.brightness};
            render.FillRect(
                {x, y, std::min(x + kBand, pallet.right), std::min(y + kBand, pallet.bottom)},
                HsbToRgb(cell));
        }
    }
    UiRect bar = BarRect();
    for (int x = bar.left; x < bar.right; x += kBand) {
        HsbColor cell{hsb_.hue, hsb_.saturation,
                      static_cast<double>(x - bar.left) / std::max(bar.Width(), 1)};
        render.FillRect({x, bar.top, std::min(x + kBand, bar.right), bar.bottom}, HsbToRgb(cell));
    }
    // The markers of the current pick.
    int px = pallet.left + static_cast<int>(hsb_.hue * pallet.Width());
    int py = pallet.top + static_cast<int>((1.0 - hsb_.saturation) * pallet.Height());
    render.DrawBorder({px - 4, py - 4, px + 4, py + 4}, 0xFFFFFFFF, 1, {4, 4});
    int bx = bar.left + static_cast<int>(hsb_.brightness * bar.Width());
    render.DrawBorder({bx - 2, bar.top - 2, bx + 2, bar.bottom + 2}, 0xFFFFFFFF, 1, {});
    if (!bkImage_.empty()) CControlUI::PaintBkImage(render);
}

}  // namespace vivori::ui
