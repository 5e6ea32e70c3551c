#pragma once

#include <cstdint>
#include <string_view>

#include "profiles/PaletteOptions.h"
#include "ui/core/WindowImplBase.h"

namespace vivori::app {

// The modal colour picker: a free palette, 20 presets, 20 slots the user fills with
// colours of their own, and the colour as three decimal edits. The presets, the
// collected colours and the last selections live in "color_option_info.config".
//
// Results: 1 with the colour from "okbtn"; 2 from "okbtn" without a palette control;
// 0 from "closebtn" or "laterbtn".
class CColorSelectWnd : public ui::WindowImplBase {
  public:
    // The palette file was found damaged when the window opened; it is left as it is.
    bool FileDamaged() const { return file_.Damaged(); }
    const std::filesystem::path& FilePath() const { return file_.UserFile(); }
    static constexpr ui::UINT kResultCancel = 0;
    static constexpr ui::UINT kResultColour = 1;
    static constexpr ui::UINT kResultNoPalette = 2;

    CColorSelectWnd(profiles::PaletteFile file, uint32_t initialColour, int dpi = 96);

    std::string GetSkinFile() override { return "PalletDialog.xml"; }
    std::string_view GetWindowClassName() const override { return "PalletDialog"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;

    // Creates the window for owner, centred; 0 when the layout cannot be built.
    ui::HWND CreateFor(ui::HWND owner);
    uint32_t Colour() const { return colour_; }
    bool Colourful() const { return colourful_; }
    // The result the window closed with (kResultCancel until then).
    ui::UINT Result() const { return result_; }
    const profiles::PaletteOptions& Options() const { return options_; }

  private:
    void SelectPreset(int n);
    void SelectCollected(int n);
    void TakePaletteColour();
    void TakeEdits();
    // The selected collected slot takes the current colour (when it is selected).
    void UpdateCollectedSlot();
    void ShowColour(bool edits, bool palette);
    void SetColourful(bool on);
    void Finish(ui::UINT result);

    profiles::PaletteFile file_;
    profiles::PaletteOptions options_;
    uint32_t colour_;
    int dpi_;
    bool colourful_ = false;
    ui::UINT result_ = kResultCancel;
};

}  // namespace vivori::app
