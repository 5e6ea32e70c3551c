#pragma once

#include <cstdint>
#include <string_view>

namespace vivori::devices {

// What a device page and the lighting need of its key and LED buttons. The button
// control reaches a page as a toolkit control that answers
// GetInterface(kDeviceKeyButton) with this.
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
    // The light image's colour as TintColour packs it, its brightness (0-4 a device
    // level, above that 0-255) and whether it shows. Stores only: the light output
    // repaints the panel once per frame. Buttons without a tint show the plain colour.
    virtual void SetTint(uint32_t tint, int level, bool on) {
        const uint32_t red = tint & 0xFF, blue = tint >> 8 & 0xFF, green = tint >> 16 & 0xFF;
        SetLightColour(on ? red << 16 | green << 8 | blue : 0,
                       on ? static_cast<uint8_t>(level) : 0);
    }
    // The tooltip's title line (its text is the control's tooltip).
    virtual void SetToolTipTitle(std::string_view title) { (void)title; }
    // Whether the key does what its legend says; buttons mark the others.
    virtual void SetDefaultAssignment(bool isDefault) { (void)isDefault; }
    // The key being edited on the key assignment panel.
    virtual void SetCurrentKey(bool current) { (void)current; }
    // Marked by a drag over the key panel; read when the drag ends.
    virtual void SetInSelection(bool selected) { (void)selected; }
    virtual bool InSelection() const { return false; }
};

}  // namespace vivori::devices
