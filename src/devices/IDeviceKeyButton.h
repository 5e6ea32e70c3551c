#pragma once

#include <cstdint>
#include <string_view>

namespace vivori::devices {

// What a device page needs of its key and LED buttons. The button control reaches a
// page as a toolkit control that answers GetInterface(kDeviceKeyButton) with this.
inline constexpr const char* kDeviceKeyButton = "DeviceKeyButton";

class IDeviceKeyButton {
  public:
    virtual ~IDeviceKeyButton() = default;
    // Shows an LED colour; rgb is 0xRRGGBB.
    virtual void SetLightColour(uint32_t rgb, uint8_t brightness) = 0;
    // The tooltip's title line (its text is the control's tooltip).
    virtual void SetToolTipTitle(std::string_view title) { (void)title; }
    // Whether the key does what its legend says; buttons mark the others.
    virtual void SetDefaultAssignment(bool isDefault) { (void)isDefault; }
};

}  // namespace vivori::devices
