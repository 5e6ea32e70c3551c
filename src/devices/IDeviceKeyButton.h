#pragma once

#include <cstdint>
#include <string_view>

namespace vivori::devices {

// What a device page needs of its key and LED buttons. The button control reaches a
// page as a toolkit control that answers GetInterface(kDeviceKeyButton) with this.
inline constexpr const char* kDeviceKeyButton = "DeviceKeyButton";

// The light output packs a tint colour red in the low byte, then blue, then green.
constexpr uint32_t TintColour(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t(red) | uint32_t(blue) << 8 | uint32_t(green) << 16;
}

class IDeviceKeyButton {
  public:
    virtual ~IDeviceKeyButton() = default;
    // Shows an LED colour; rgb is 0xRRGGBB.
    virtual void SetLightColour(uint32_t rgb, uint8_t brightness) = 0;
    // The light output's tint: colour packed as TintColour gives it, the brightness,
    // and whether the tint shows. Stores only; the page invalidates its panel once.
    virtual void SetTint(uint32_t colour, uint8_t level, bool on) {
        const uint32_t red = colour & 0xFF, blue = colour >> 8 & 0xFF, green = colour >> 16 & 0xFF;
        SetLightColour(on ? red << 16 | green << 8 | blue : 0, on ? level : 0);
    }
    // The tooltip's title line (its text is the control's tooltip).
    virtual void SetToolTipTitle(std::string_view title) { (void)title; }
    // Whether the key does what its legend says; buttons mark the others.
    virtual void SetDefaultAssignment(bool isDefault) { (void)isDefault; }
};

}  // namespace vivori::devices
