#pragma once

#include "panels/PanelControls.h"
#include "ui/core/CHorizontalLayoutUI.h"

namespace vivori::panels {

// The headset's voice-effect panel: the effect on or off, and one of four effects,
// whose options are usable only while the effect is on.
class CMagicControlUI : public ui::CHorizontalLayoutUI {
  public:
    static constexpr int kEffects = 4;

    std::string_view GetClass() const override { return "MagicControl"; }
    void* GetInterface(std::string_view name) override;

    void SetEffectOn(bool on);
    bool IsEffectOn();
    void SelectEffect(int n);
    int SelectedEffect() const { return effect_; }

  private:
    PanelControls controls_{*this};
    int effect_ = 0;
};

}  // namespace vivori::panels
