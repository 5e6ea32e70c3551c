#pragma once

#include <cstdint>

#include "lighting/LightTypes.h"

namespace vivori::lighting {

// What the music styles of mode 29 draw with. The device keeps them as its two
// current-colour values; a change of these alone does not restart the effect.
struct MusicSettings {
    int style = 0;               // 0-6; other values draw nothing
    Rgb base{0, 0, 0};           // the colour of dark cells
    Rgb peak{255, 255, 255};     // the colour of lit cells
    bool peakColourful = false;  // lit cells take spectrum colours instead
    bool operator==(const MusicSettings&) const = default;
};

// The first current-colour value holds the style in byte 0 and the base colour in
// bytes 1-3; the second holds the peak colour in bytes 0-2 and its flag in byte 3.
MusicSettings MusicSettingsOfCurrentColours(uint32_t first, uint32_t second);

}  // namespace vivori::lighting
