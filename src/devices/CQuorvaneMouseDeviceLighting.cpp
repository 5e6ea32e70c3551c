// The mouse's lighting preview: its effects on the preview thread, paced by the light
// tick, and the light output on the UI thread. The mouse shows its effects itself, so
// the preview rests while nobody can see the page.
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/IDeviceKeyButton.h"
#include "devices/ProfileLighting.h"
#include "platform/Time.h"

namespace vivori::devices {

void CQuorvaneMouseDevice::ApplyEffectsLocked() {
    effects_.Apply(SettingsOf(light_));
}

void CQuorvaneMouseDevice::ApplyProfileLighting() {
    const LightParameters parameters = ParametersOf(profile_.GetLightInfo());
    {
        CriticalSectionLock lock(lightLock_);
        light_ = parameters;
        ApplyEffectsLocked();  // a changed mode starts the chase again
    }
    LoadLightProgram();
}

void CQuorvaneMouseDevice::LoadLightProgram() {
    std::vector<lighting::ProgramStep> steps = ProgramStepsOf(profile_);
    std::vector<lighting::LedRecord> records = LedRecordsOf(profile_);
    CriticalSectionLock lock(lightLock_);
    effects_.Program().LoadSteps(std::move(steps));
    CriticalSectionLock recordLock(ledRecordLock_);
    effects_.Program().LoadRecords(std::move(records));
    // The LED layer is worked out once here; the preview thread does not run it.
    if (effects_.Program().HasLedLayer())
        effects_.Program().ApplyLedLayer(GetTickCount(), effects_.MutableColours());
}

void CQuorvaneMouseDevice::ResetEffectState() {
    CriticalSectionLock lock(lightLock_);
    effects_.ResetChase();
}

void CQuorvaneMouseDevice::StepPreview() {
    CriticalSectionLock lock(lightLock_);
    effects_.Step(GetTickCount());
    StepDone(effects_.Colours());
}

uint8_t CQuorvaneMouseDevice::PreviewPosition() const {
    CriticalSectionLock lock(lightLock_);
    return effects_.Position();
}

uint8_t CQuorvaneMouseDevice::PreviewLevel(int led) const {
    CriticalSectionLock lock(lightLock_);
    return effects_.KeyLevel(led);
}

void CQuorvaneMouseDevice::SetLedColour(int index, LedColour colour) {
    CriticalSectionLock lock(lightLock_);
    if (index >= 0 && index < lighting::kMouseLedCount)
        effects_.MutableColours()[size_t(index)] = colour;
}

LedColour CQuorvaneMouseDevice::GetLedColour(int index) const {
    CriticalSectionLock lock(lightLock_);
    return index >= 0 && index < lighting::kMouseLedCount ? effects_.Colours()[size_t(index)]
                                                          : LedColour{};
}

void CQuorvaneMouseDevice::RestartPreview() {
    StopPreview();
    previewDriver_.Start({.pace =
                              [this] {
                                  CriticalSectionLock lock(lightLock_);
                                  const lighting::LightSettings& s = effects_.Settings();
                                  return lighting::LightingDriver::Pace{
                                      s.mode, s.speed,
                                      lighting::MouseStepThreshold(s.mode, s.speed)};
                              },
                          .step = [this] { StepPreview(); },
                          .idle = [this] { return !IsWindowActive(); },
                          .exitLine = "MS灯光线程设定退出"});
}

void CQuorvaneMouseDevice::StopPreview() {
    if (previewDriver_.Running()) previewDriver_.Stop(kPreviewStopMs);
}

void CQuorvaneMouseDevice::RefreshLights() {
    if (!commands_.IsOpen() || !IsWindowActive()) return;
    std::array<LedColour, lighting::kMouseLedCount> colours{};
    {
        CriticalSectionLock lock(lightLock_);
        std::copy_n(effects_.Colours().begin(), colours.size(), colours.begin());
    }
    for (size_t i = 0; i < ledButtons_.size() && i < colours.size(); ++i) {
        ui::CControlUI* control = ledButtons_[i];
        if (control == nullptr || !control->IsVisible()) continue;
        auto* button = static_cast<IDeviceKeyButton*>(control->GetInterface(kDeviceKeyButton));
        if (button == nullptr) continue;
        const LedColour& c = colours[i];
        button->SetTint(TintColour(c.red, c.green, c.blue), c.brightness, true);
    }
    // Each LED whose colour changed repaints itself with the picture behind it; the
    // rest of the mouse picture stays as it is.
}

}  // namespace vivori::devices
