#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vivori::devices {

// How the mouse's DPI slider positions map to DPI, from its information block.
struct DpiScale {
    int step = 0;     // DPI per position
    int base = 0;     // DPI at position 0
    int highest = 0;  // highest position
    uint16_t sensor = 0;
};

// Where the information block holds them (16-bit values little-endian).
inline constexpr size_t kInfoSensor = 9;
inline constexpr size_t kInfoDpiStep = 11;
inline constexpr size_t kInfoHighestPosition = 12;
inline constexpr size_t kInfoDpiBase = 14;
DpiScale ScaleOfInfo(std::span<const uint8_t> info);

// This sensor counts 200 DPI a position above position 48.
inline constexpr uint16_t kWideRangeSensor = 0x3325;
inline constexpr int kWideRangeFrom = 48;
inline constexpr int kWideRangeStep = 200;

// The DPI a slider position shows.
int PositionToDpi(const DpiScale& scale, int position);
// The slider position of a typed DPI: the exact inverse of PositionToDpi for every
// DPI it shows, truncating in between, kept within 0 .. highest. An empty text
// counts as 0, a value below the base as the base; a scale without a step (not yet
// read from the mouse) gives 0.
int DpiTextToPosition(const DpiScale& scale, std::string_view text);

}  // namespace vivori::devices
