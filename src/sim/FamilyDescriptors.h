#pragma once

#include <cstdint>
#include <vector>

namespace vivori::sim {

inline constexpr uint16_t kVendorFamily = 0x320F;
inline constexpr uint16_t kUsagePageVendor = 0xFF1C;
inline constexpr uint16_t kUsageVendorCommand = 0x92;
inline constexpr uint8_t kCommandReportId = 4;
inline constexpr uint8_t kNotifyReportId = 3;
inline constexpr int kFamilyInterface = 1;

inline constexpr uint16_t kVendorHeadset = 0x0C76;
inline constexpr int kHeadsetInterface = 3;
inline constexpr uint8_t kHeadsetLedReportId = 0xFF;

// How the notification collection carries its 16-bit code: the keyboard's as an
// array (a usage), the mouse's as a value field.
enum class NotificationField { Array, Value };

// Interface 1 of the keyboards, mice and pads: system control (col 1), keyboard
// bitmap (col 2), the consumer notification collection (col 3) with one 16-bit
// code, and the vendor command collection (col 4) with 64-byte reports under
// report ID 4.
std::vector<uint8_t> FamilyInterfaceDescriptor(NotificationField field = NotificationField::Array);

// Interface 3 of the headset: one top-level collection (consumer page, usage 1)
// that carries the 64-byte command frames under report ID 4, and the 17-byte LED
// output report under report ID 0xFF.
std::vector<uint8_t> HeadsetInterfaceDescriptor();

}  // namespace vivori::sim
