#pragma once

#include <array>
#include <cstdint>

namespace vivori::lighting {

// Logical keys 0-169: the page's "light_" N buttons and the engine's LED colour list.
inline constexpr int kKeyCount = 170;
// "No key" in the geometry tables that hold logical key indexes.
inline constexpr uint8_t kNoKey = 170;
// "No key" in the tables and maps that hold 255 for a missing entry.
inline constexpr uint8_t kNoEntry = 255;
inline constexpr int kGridColumns = 23;
inline constexpr int kGridRows = 6;
inline constexpr int kSpectrumSize = 192;
inline constexpr int kBrightnessLevels = 5;
inline constexpr int kSpeeds = 5;
// The modes whose colours the host computes and streams to the keyboard.
inline constexpr int kMusicMode = 29;
inline constexpr int kExternalColourMode = 30;
// Values per delivery of the audio spectrum (music) and level input.
inline constexpr int kMusicValueCount = 25;
inline constexpr int kLevelValueCount = 6;
constexpr bool IsHostDrivenMode(int mode) {
    return mode == kMusicMode || mode == kExternalColourMode;
}
// Mode 28 plays the profile's custom step program, and so does any mode outside 1-30.
inline constexpr int kCustomProgramMode = 28;
inline constexpr int kLastMode = 30;
constexpr bool RunsCustomProgram(int mode) {
    return mode == kCustomProgramMode || mode < 1 || mode > kLastMode;
}

// One entry of the LED colour list.
struct LedColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t brightness = 0;  // 0-255
    bool operator==(const LedColour&) const = default;
};

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

using LedColourList = std::array<LedColour, kKeyCount>;

// A device index (key slot or LED) for each logical key; kNoIndex where the key has
// none. Flat, because the light output reads it on every frame.
inline constexpr uint8_t kNoIndex = 255;
using KeyIndexMap = std::array<uint8_t, kKeyCount>;

// The effect settings the engine runs with. Values come from the device or a
// profile file, so every table lookup made with them is bounded.
struct LightSettings {
    int mode = 0;
    int brightness = 4;  // level 0-4
    int speed = 4;       // 0-4
    int direction = 1;   // 0 backward, else forward
    bool colourful = true;
    Rgb colour{255, 0, 0};
    int preset = 0;  // colour preset of mode 17
};

}  // namespace vivori::lighting
