#pragma once

#include <string>

#include "panels/PanelControls.h"
#include "ui/core/CHorizontalLayoutUI.h"

namespace vivori::panels {

// The headset's voice and equaliser panel: microphone level and mute, monitoring,
// the equaliser choice (presets 1-12, 13 custom), its ten band sliders and the named
// custom settings. It shows state and reports clicks; it changes nothing itself.
// Every operation does nothing when its control is missing; getters then give -1, 0
// or an empty text.
class CVoice6533ControlUI : public ui::CHorizontalLayoutUI {
  public:
    static constexpr int kEqOptions = 13;
    static constexpr int kBands = 10;

    std::string_view GetClass() const override { return "Voice6533Control"; }
    void* GetInterface(std::string_view name) override;

    void SelectEqOption(int n);
    int SelectedEqOption() const { return eqOption_; }
    void SetBandSlider(int band, int value);
    int GetBandSlider(int band);
    void EnableCustomEq(bool enable);
    void SetCustomName(std::string_view text);
    std::string GetCustomName();
    void AddCustomName(std::string_view name);
    void RemoveCustomName(int index);
    void ClearCustomNames();
    // Also clears the name edit.
    void SelectCustomName(int index);
    int GetCustomSelection();
    int GetCustomCount();
    std::string GetCustomNameAt(int index);
    void SetMicOn(bool on);
    void SetMicLevel(int value);
    int GetMicLevel();
    void SetMonitorOn(bool on);
    void SetMonitorLevel(int value);
    int GetMonitorLevel();

  private:
    PanelControls controls_{*this};
    int eqOption_ = 0;
};

}  // namespace vivori::panels
