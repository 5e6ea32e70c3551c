#pragma once

#include <array>
#include <cstdint>

#include "lighting/LightTypes.h"
#include "profiles/ProfileRecords.h"

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

// The parameters as the four words the light setters take: mode, brightness, speed and
// direction in bytes 0-3; colourful flag and red, green, blue in bytes 0-3; extra;
// colour block.
inline std::array<uint32_t, 4> LightWordsOf(const LightParameters& p) {
    return {uint32_t(p.mode) | uint32_t(p.brightness) << 8 | uint32_t(p.speed) << 16 |
                uint32_t(p.direction) << 24,
            uint32_t(p.colourful) | uint32_t(p.red) << 8 | uint32_t(p.green) << 16 |
                uint32_t(p.blue) << 24,
            p.extra, p.colourBlock};
}

// The audio light settings of a device as three words: the audio mode (the keyboard's
// music style) in byte 0 and the background colour in bytes 1-3; the foreground
// colour in bytes 0-2 and its colourful flag in byte 3; the layer the colour edits
// change (1 foreground). Kept apart from the colour panel's RGB, which is another
// setting altogether.
struct AudioLightWords {
    uint32_t first = 0;
    uint32_t second = 0;
    uint32_t layer = 0;
    bool operator==(const AudioLightWords&) const = default;
};

inline AudioLightWords AudioWordsOf(const profiles::AudioLightInfo& a) {
    return {uint32_t(a.audioMode) | uint32_t(a.backgroundRed) << 8 |
                uint32_t(a.backgroundGreen) << 16 | uint32_t(a.backgroundBlue) << 24,
            uint32_t(a.foregroundRed) | uint32_t(a.foregroundGreen) << 8 |
                uint32_t(a.foregroundBlue) << 16 | uint32_t(a.sevenColorFlag) << 24,
            a.colorTypeFlag};
}

// The words back into the profile's record; the record's other fields stay.
inline profiles::AudioLightInfo AudioLightInfoOf(const AudioLightWords& w,
                                                 profiles::AudioLightInfo a) {
    a.audioMode = uint8_t(w.first);
    a.backgroundRed = uint8_t(w.first >> 8);
    a.backgroundGreen = uint8_t(w.first >> 16);
    a.backgroundBlue = uint8_t(w.first >> 24);
    a.foregroundRed = uint8_t(w.second);
    a.foregroundGreen = uint8_t(w.second >> 8);
    a.foregroundBlue = uint8_t(w.second >> 16);
    a.sevenColorFlag = uint8_t(w.second >> 24);
    a.colorTypeFlag = uint8_t(w.layer);
    return a;
}

}  // namespace vivori::devices
