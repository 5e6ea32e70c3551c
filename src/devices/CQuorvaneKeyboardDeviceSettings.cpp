// The keyboard's settings tab and its custom per-key colours, as the main window's
// handlers change them (UI thread).
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/KeyboardSettingsBlock.h"

namespace vivori::devices {

int CQuorvaneKeyboardDevice::ChangeSystemSettings(const profiles::KeyboardSystemStages& stages) {
    system_ = stages;
    profile_.SetSystemStages(system_);
    SaveProfile();
    ShowSettings();
    return WriteSettings();
}

int CQuorvaneKeyboardDevice::ResetKeyRepeat() {
    profiles::CKeyboardProfiledata shipped;
    shipped.Load(DefaultDataFile());
    const profiles::KeyboardSystemStages defaults = shipped.GetSystemStages();
    profiles::KeyboardSystemStages stages = system_;
    stages.repeat = defaults.repeat;
    stages.repeatDelay = defaults.repeatDelay;
    return ChangeSystemSettings(stages);
}

std::vector<LedColour> CQuorvaneKeyboardDevice::CustomKeyColours() const {
    CriticalSectionLock lock(lightLock_);
    return customKeyColours_;
}

int CQuorvaneKeyboardDevice::PaintKeys(const std::vector<int>& keys) {
    if (paintTool_ == PaintTool::None || keys.empty()) return CMD_OK;
    LedColour paint{};
    if (paintTool_ == PaintTool::Lit) {
        const std::array<int, 3> rgb = GetCurrentColour();
        paint = {uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2]), 255};
    }
    std::vector<profiles::RgbaColor> stored;
    {
        CriticalSectionLock lock(lightLock_);
        for (int key : keys)
            if (key >= 0 && key < int(customKeyColours_.size()))
                customKeyColours_[size_t(key)] = paint;
        for (const LedColour& c : customKeyColours_)
            stored.push_back({c.red, c.green, c.blue, c.brightness});
    }
    // The painted colours show in the custom-colour mode: the keyboard goes there.
    profiles::LightInfo light = profile_.GetLightInfo();
    light.selectItem = kCustomColourMode;
    profile_.SetLightInfo(light);
    profile_.SetCustomLightColors(stored, light.customGroup);
    SaveProfile();
    ApplyProfileLighting();
    if (int r = WriteSettings(); r != CMD_OK) return r;
    return WriteKeyColours();
}

}  // namespace vivori::devices
