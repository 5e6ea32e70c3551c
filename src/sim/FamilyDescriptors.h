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

// Interface 1 of the keyboards, mice and pads: system control (col 1), keyboard
// bitmap (col 2), the consumer notification collection (col 3) whose one field is
// an array of 16-bit codes, and the vendor command collection (col 4) with 64-byte
// reports under report ID 4.
std::vector<uint8_t> FamilyInterfaceDescriptor();

}  // namespace vivori::sim
