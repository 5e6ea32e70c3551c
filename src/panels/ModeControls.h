#pragma once

#include <cstdint>
#include <string_view>

namespace vivori::panels {

// The lighting panel's device type codes.
inline constexpr int kLightPanelKeyboard = 1;
inline constexpr int kLightPanelMouse = 2;
inline constexpr int kLightPanelMousePad = 3;
inline constexpr int kLightPanelHeadsetAlt = 4;
inline constexpr int kLightPanelHeadset = 7;

// One group of the panel: switched on, off, or left as the mode's first step set it.
enum class Group : int8_t { Keep = -1, Off = 0, On = 1 };

// What a light mode of a device type enables, shows and labels in the lighting panel.
struct ModeControls {
    Group colourful = Group::Off;   // "deng_7color_check"
    Group colour = Group::Off;      // "deng_color_layout"
    Group palette = Group::Off;     // "colorpallet_layout"
    Group brightness = Group::Off;  // "deng_light_layout"
    Group speed = Group::Off;       // "deng_speed_layout"
    Group direction = Group::Off;   // "deng_fx_layout"
    bool sameMode = false;          // the mode can be synchronised: "deng_same_mode" offered
    bool colourLayoutOff = false;   // "light_color_layout" disabled
    bool hideSpeed = false;         // "deng_speed_layout" hidden
    bool showSubModes = false;      // "light_combo_ZZCCmodeSelectLayout" shown
    bool showCustom = false;        // "lightcustom_layout" shown
    bool audioPage = false;         // the audio colours: "light_combo_AudiomodeSelectLayout"
                                    // shown, page 1 of "light_color_tablayout"
    // Language keys of the direction options 1 and 0; empty: the defaults stay.
    std::string_view forwardLabel;
    std::string_view backwardLabel;
};

// The keyboard's default direction labels.
inline constexpr std::string_view kDefaultForwardLabel = "light_set_right_to_left_text";
inline constexpr std::string_view kDefaultBackwardLabel = "light_set_left_to_right_text";

// The row for a mode of a device type; unknown types and modes get every group off.
ModeControls ModeControlsFor(int deviceType, int mode);

}  // namespace vivori::panels
