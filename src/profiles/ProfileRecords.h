#pragma once

// The typed records a profile hands to the device objects. Widths are those of the
// device blocks; values read from a file are truncated to them.

#include <cstdint>
#include <string>

namespace vivori::profiles {

struct LightInfo {
    std::uint8_t selectItem = 0;  // light-mode index
    std::uint8_t light = 0;       // brightness level 0-4
    std::uint8_t speed = 0;
    std::uint8_t fx = 0;  // direction
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t working1 = 0;  // the three working fields are never stored
    std::uint8_t working2 = 0;
    std::uint8_t present = 0;  // set for an entry read from "LightList"
    std::uint8_t zzccLedMode = 0;
    std::uint8_t customGroup = 0;
    std::uint8_t oldLedMode = 0;
    bool operator==(const LightInfo&) const = default;
};

struct AudioLightInfo {
    std::uint8_t audioMode = 0;
    std::uint8_t backgroundRed = 0;
    std::uint8_t backgroundGreen = 0;
    std::uint8_t backgroundBlue = 0;
    std::uint8_t foregroundRed = 0;
    std::uint8_t foregroundGreen = 0;
    std::uint8_t foregroundBlue = 0;
    std::uint8_t sevenColorFlag = 0;
    std::uint8_t colorTypeFlag = 0;
    bool operator==(const AudioLightInfo&) const = default;
};

// One step of a custom light effect, read from a "<Guid>.light" file.
struct LightStep {
    LightInfo light;
    std::int32_t time = 0;  // ms
    std::int32_t cycle = 0;
    bool operator==(const LightStep&) const = default;
};

// A 24-bit assignment code split into its three bytes, high byte first.
struct KeyAssign {
    std::uint16_t keyIndex = 0;
    std::uint8_t type = 0;
    std::uint8_t code1 = 0;
    std::uint8_t code2 = 0;

    std::uint32_t Code() const { return std::uint32_t(type) << 16 | code1 << 8 | code2; }
    static KeyAssign FromCode(std::uint16_t keyIndex, std::uint32_t code) {
        return {keyIndex, std::uint8_t(code >> 16), std::uint8_t(code >> 8), std::uint8_t(code)};
    }
    bool operator==(const KeyAssign&) const = default;
};

struct KeyListEntry {
    KeyAssign current;
    KeyAssign defaultAssign;
    bool operator==(const KeyListEntry&) const = default;
};

struct KeyboardSystemStages {
    std::uint16_t repeat = 0;
    std::uint16_t repeatDelay = 0;
    std::uint16_t key6Flag = 0;
    std::uint16_t pollingRate = 0;
    std::uint16_t wFlag = 0;
    std::uint16_t winFlag = 0;
    bool operator==(const KeyboardSystemStages&) const = default;
};

struct RgbaColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;
    bool operator==(const RgbaColor&) const = default;
};

struct DpiStage {
    std::uint8_t stageActive = 0;
    std::uint8_t stageXY = 0;
    std::uint16_t dpiX = 0;  // slider positions, not DPI
    std::uint16_t dpiY = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const DpiStage&) const = default;
};

struct MouseSystemStages {
    std::uint16_t doubleClickTime = 0;
    std::uint16_t mouseSpeed = 0;
    std::uint16_t pointerPrecision = 0;
    std::uint16_t scrollPage = 0;
    std::uint16_t wheelScrollLines = 0;
    std::uint16_t reportRate = 0;  // "ReportStages"."StageActive"
    bool operator==(const MouseSystemStages&) const = default;
};

struct CorrectInfoEntry {
    std::uint8_t pixelThreshold = 0;
    std::uint8_t minSquare = 0;
    std::uint8_t select = 0;
    std::string name;  // UTF-8
    bool operator==(const CorrectInfoEntry&) const = default;
};

struct SystemSetStages {
    std::int32_t magicEnable = 0;
    std::int32_t magicType = 0;
    std::int32_t eqType = 0;
    std::int32_t customEqSelectIndex = 0;
    std::int32_t micInSelect = 0;
    std::int32_t micInValue = 0;
    std::int32_t micMonitorSelect = 0;
    std::int32_t micMonitorValue = 0;
    bool operator==(const SystemSetStages&) const = default;
};

}  // namespace vivori::profiles
