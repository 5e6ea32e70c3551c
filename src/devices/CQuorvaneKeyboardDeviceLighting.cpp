// The keyboard's software lighting: the engine on the lighting thread, key presses
// from the notification reader, and the light output on the UI thread.
#include <algorithm>

#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/IDeviceKeyButton.h"
#include "devices/ProfileLighting.h"
#include "devices/ProfileLighting.h"
#include "lighting/LightFrame.h"
#include "lighting/MusicSettings.h"
#include "platform/Time.h"

namespace vivori::devices {

void CQuorvaneKeyboardDevice::LoadLightProgram() {
    std::vector<lighting::ProgramStep> steps = ProgramStepsOf(profile_);
    std::vector<lighting::LedRecord> records = LedRecordsOf(profile_);
    {
        CriticalSectionLock lock(lightLock_);
        program_.LoadSteps(std::move(steps));
    }
    CriticalSectionLock lock(ledRecordLock_);
    program_.LoadRecords(std::move(records));
}

void CQuorvaneKeyboardDevice::RunLightTick() {
    const uint32_t now = GetTickCount();
    CriticalSectionLock lock(lightLock_);
    if (hostColoursOn_) return;  // another program's colours, as it set them
    lighting::LedColourList& colours = engine_.MutableColours();
    const lighting::LightSettings& settings = engine_.Settings();
    if (lighting::RunsCustomProgram(settings.mode))
        program_.StepProgram(now, settings.speed, colours);
    CriticalSectionLock records(ledRecordLock_);
    if (program_.HasLedLayer()) program_.ApplyLedLayer(now, colours);
}

void CQuorvaneKeyboardDevice::ResetEffectState() {
    CriticalSectionLock lock(lightLock_);
    RestartEngineLocked();
}

// The engine restarts itself on a mode change, and on every change in mode 19, whose
// start-up shows the per-key colours.
void CQuorvaneKeyboardDevice::UpdateEngineLocked() {
    // The audio light words, not the colour panel's RGB, hold the music style.
    engine_.SetMusicSettings(
        lighting::MusicSettingsOfCurrentColours(audioWords_.first, audioWords_.second));
    GiveEngineCustomColoursLocked();
    engine_.Apply(SettingsOf(light_));
    // A host-driven mode streams even while nobody looks.
    lightingDriver_.Wake();
}

void CQuorvaneKeyboardDevice::RestartEngineLocked() {
    GiveEngineCustomColoursLocked();
    engine_.Start(SettingsOf(light_));
    lightingDriver_.Wake();
}

void CQuorvaneKeyboardDevice::GiveEngineCustomColoursLocked() {
    if (light_.mode != kCustomColourMode) return;
    std::vector<lighting::Rgb> custom;
    for (const LedColour& c : customKeyColours_) custom.push_back({c.red, c.green, c.blue});
    engine_.SetCustomColours(custom);
}

// A step may repaint every LED (mode 30 does, every frame): the LED layer goes back
// on top at once, so no frame goes out without it. Its patterns move on ticks only.
//
// While another program sets the colours, they are the effect: each step puts them in
// the list (a mode change in between cannot leave its own start-up on the keys).
void CQuorvaneKeyboardDevice::StepEngine() {
    const uint32_t now = GetTickCount();
    CriticalSectionLock lock(lightLock_);
    if (hostColoursOn_) {
        lighting::LedColourList& colours = engine_.MutableColours();
        std::copy_n(hostColours_.begin(), std::min(hostColours_.size(), colours.size()),
                    colours.begin());
    } else {
        engine_.Step(now);
        CriticalSectionLock records(ledRecordLock_);
        if (program_.HasLedLayer()) program_.ApplyLedLayer(now, engine_.MutableColours(), false);
    }
    StepDone(engine_.Colours());
}

// The engine's list is the keyboard's LED colour list: no copy to keep in step.
void CQuorvaneKeyboardDevice::SetLedColour(int index, LedColour colour) {
    CriticalSectionLock lock(lightLock_);
    if (index >= 0 && index < lighting::kKeyCount) engine_.MutableColours()[size_t(index)] = colour;
}

LedColour CQuorvaneKeyboardDevice::GetLedColour(int index) const {
    CriticalSectionLock lock(lightLock_);
    return index >= 0 && index < lighting::kKeyCount ? engine_.Colours()[size_t(index)]
                                                     : LedColour{};
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
                           .tick = [this] { RunLightTick(); },
                           // The firmware runs its own effects: the steps only feed
                           // the page's picture.
                           .idle = [this] { return !IsWindowActive(); }});
}

void CQuorvaneKeyboardDevice::StopLightingThread() {
    if (lightingDriver_.Running()) lightingDriver_.Stop(kLightingStopMs);
}

void CQuorvaneKeyboardDevice::RefreshLights() {
    if (!commands_.IsOpen()) return;
    // Nobody sees the page while the main window is hidden; the keyboard's frames come
    // from the lighting thread, so there is nothing to do here then.
    if (!IsWindowActive()) return;
    lighting::LedColourList colours;
    {
        CriticalSectionLock lock(lightLock_);
        colours = engine_.Colours();
    }
    PaintLedButtons(colours, GetFunctionPage() == 1);
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
