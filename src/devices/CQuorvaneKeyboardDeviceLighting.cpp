// The keyboard's software lighting: the engine on the lighting thread, key presses
// from the notification reader, and the light output on the UI thread.
#include <algorithm>

#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/IDeviceKeyButton.h"
#include "lighting/LightFrame.h"
#include "platform/Time.h"

namespace vivori::devices {
namespace {

lighting::LightSettings SettingsOf(const LightParameters& p) {
    lighting::LightSettings s;
    s.mode = p.mode;
    s.brightness = p.brightness;
    s.speed = p.speed;
    s.direction = p.direction;
    s.colourful = p.colourful != 0;
    s.colour = {p.red, p.green, p.blue};
    return s;
}

}  // namespace

void CQuorvaneKeyboardDevice::ResetEffectState() {
    CriticalSectionLock lock(lightLock_);
    RestartEngineLocked();
}

void CQuorvaneKeyboardDevice::UpdateEngineLocked() {
    if (light_.mode != engine_.Settings().mode || light_.mode == kCustomColourMode)
        RestartEngineLocked();
    else
        engine_.Apply(SettingsOf(light_));
}

void CQuorvaneKeyboardDevice::RestartEngineLocked() {
    if (light_.mode == kCustomColourMode) {
        std::vector<lighting::Rgb> custom;
        for (const LedColour& c : customKeyColours_) custom.push_back({c.red, c.green, c.blue});
        engine_.SetCustomColours(custom);
    }
    engine_.Start(SettingsOf(light_));
    const auto& colours = engine_.Colours();
    std::copy_n(colours.begin(), std::min(colours.size(), ledColours_.size()), ledColours_.begin());
}

void CQuorvaneKeyboardDevice::StepEngine() {
    CriticalSectionLock lock(lightLock_);
    engine_.Step(GetTickCount());
    const auto& colours = engine_.Colours();
    std::copy_n(colours.begin(), std::min(colours.size(), ledColours_.size()), ledColours_.begin());
}

void CQuorvaneKeyboardDevice::RestartLightingThread() {
    StopLightingThread();
    lightingDriver_.Start({.pace =
                               [this] {
                                   CriticalSectionLock lock(lightLock_);
                                   return lighting::LightingDriver::Pace{engine_.Settings().mode,
                                                                         engine_.Settings().speed};
                               },
                           .step = [this] { StepEngine(); },
                           .sendFrame = [this] { return StreamLightFrame(); },
                           .tick = nullptr});
}

void CQuorvaneKeyboardDevice::StopLightingThread() {
    if (lightingDriver_.Running()) lightingDriver_.Stop(kLightingStopMs);
}

void CQuorvaneKeyboardDevice::RefreshLights() {
    if (!commands_.IsOpen()) return;
    // Nobody sees the page while the main window is hidden; the keyboard's frames come
    // from the lighting thread, so there is nothing to do here then.
    if (!IsWindowActive()) return;
    lighting::LedColourList colours{};
    {
        CriticalSectionLock lock(lightLock_);
        std::copy_n(ledColours_.begin(), std::min(colours.size(), ledColours_.size()),
                    colours.begin());
    }
    const bool lightPage = GetFunctionPage() == 1;
    for (size_t i = 0; i < ledButtons_.size() && i < colours.size(); ++i) {
        ui::CControlUI* control = ledButtons_[i];
        if (control == nullptr) continue;
        auto* button = static_cast<IDeviceKeyButton*>(control->GetInterface(kDeviceKeyButton));
        if (button == nullptr) continue;
        const LedColour& c = colours[i];
        if (lightPage && control->IsVisible())
            button->SetTint(TintColour(c.red, c.green, c.blue), c.brightness, true);
        else
            button->SetTint(0, 0, false);
    }
    if (selectPanel_ != nullptr) selectPanel_->Invalidate();
}

// Lighting thread. The frame buffer is the thread's own, so a frame costs no allocation.
int CQuorvaneKeyboardDevice::StreamLightFrame() {
    {
        CriticalSectionLock lock(lightLock_);
        lighting::BuildLightFrame(engine_.Colours(), locations_.led, slotCount_, lightFrame_);
    }
    if (lightFrame_.empty()) return CMD_OK;
    return commands_.SendLightFrame(lightFrame_.data(), lightFrame_.size());
}

}  // namespace vivori::devices
