#pragma once

#include <cstdint>

#include "lighting/LightTypes.h"

namespace vivori::devices {

// One entry of a device's LED colour list: the lighting engine's own entry type.
using LedColour = lighting::LedColour;

// The effect settings of a device.
struct LightParameters {
    uint8_t mode = 0;
    uint8_t brightness = 0;  // level 0-4
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t colourful = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint32_t extra = 0;
    uint32_t colourBlock = 0;  // the per-key colour block index of the colour commands
    bool operator==(const LightParameters&) const = default;
};

}  // namespace vivori::devices
