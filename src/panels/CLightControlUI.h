#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/UiTypes.h"

namespace vivori::panels {

// The packed state the panel shows and gives back:
// mode word = mode | brightness << 8 | speed << 16 | direction << 24,
// colour word = colourful | red << 8 | green << 16 | blue << 24,
// extra word: its top byte is the sub-mode index.
struct PackedLight {
    uint32_t modeWord = 0;
    uint32_t colourWord = 0;
    uint32_t extra = 0;
};

// The audio light settings of a device: first = audio mode | background << 8,
// second = foreground | colourful << 24, third = 1 foreground layer, 0 background.
struct AudioLight {
    uint32_t first = 0;
    uint32_t second = 0;
    uint32_t third = 0;
};

// The lighting panel of a device page: the mode list and the mode's settings on the
// left, the colour (or the audio colours) on the right. It only shows state and
// which controls a mode uses; the main window's lighting handlers turn its
// notifications into device calls. Every operation does nothing when its control is
// missing from the layout.
class CLightControlUI : public ui::CHorizontalLayoutUI {
  public:
    std::string_view GetClass() const override { return "LightControlUI"; }
    void* GetInterface(std::string_view name) override;

    // 1 keyboard, 2 mouse, 3 mouse pad, 7 (or 4) headset.
    void SetDeviceType(int type) { deviceType_ = type; }
    int DeviceType() const { return deviceType_; }

    // Fills the mode list (names are language keys; hidden when their flag is false)
    // and sets the two sliders' maxima.
    void InitModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                      int brightnessMax, int speedMax);
    void SetLightInfo(const PackedLight& light);
    PackedLight GetLightInfo();

    // Selects a mode without a notification and updates the controls for it.
    void SelectMode(int mode);
    int GetMode();  // -1 without the list
    int GetCustomSlot();
    int GetSubMode();
    int GetBrightness();
    int GetSpeed();
    void SetBrightness(int value);
    void SetSpeed(int value);
    // 1 when "deng_FXL_check" is selected.
    int GetDirection();
    void SetDirection(int direction);
    bool GetColourful();
    void SetColourful(bool on);
    std::string GetEditText(char channel) { return EditText(kLightColours, channel); }
    void SetEditText(char channel, std::string_view text) {
        SetEditText(kLightColours, channel, text);
    }
    // 0xFF000000 without the palette.
    ui::UiColor GetPaletteColour() { return PaletteColour(kLightColours); }
    // The background colour of "color_option_" + n; 0 without that button.
    ui::UiColor GetPresetColour(int n) { return PresetColour(kLightColours, n); }
    // The three edits, the palette and "deng_colordp_btn" show the colour.
    void ShowColour(ui::UiColor colour) { ShowColourIn(kLightColours, colour); }
    // Only "deng_colordp_btn".
    void ShowColourSample(ui::UiColor colour);

    // A device that runs its effects in its own direction gets no direction choice:
    // "deng_fx_layout" is hidden.
    void SetDirectionOffered(bool offered);
    bool DirectionOffered() const { return directionOffered_; }
    void SetSameModeAllowed(bool allowed);
    bool SameModeAllowed() const { return sameModeAllowed_; }
    void UpdateModeControls(int mode);

    // ---- audio colours ----
    void SetAudioLightInfo(const AudioLight& audio);
    // With takeColour the colour of "deng_audiocolordp_btn" goes into the layer's colour.
    // False (and the settings unchanged) when a control is missing.
    bool GetAudioLightInfo(bool takeColour, AudioLight& audio);
    ui::UiColor GetAudioPresetColour(int n) { return PresetColour(kAudioColours, n); }
    ui::UiColor GetAudioPaletteColour() { return PaletteColour(kAudioColours); }
    // Shows the layer colour on the edits, the palette and "deng_audiocolordp_btn".
    void ShowAudioColour(ui::UiColor colour) { ShowColourIn(kAudioColours, colour); }
    std::string GetAudioEditText(char channel) { return EditText(kAudioColours, channel); }
    void SetAudioEditText(char channel, std::string_view text) {
        SetEditText(kAudioColours, channel, text);
    }
    // The note under the audio settings when no music input can be had.
    void SetMusicInputNote(std::string_view text);

    // A child by name, looked up once.
    ui::CControlUI* Child(std::string_view name);

  private:
    // The controls of one colour: its edits, palette, sample button and presets.
    struct ColourGroup {
        const char* editPrefix;
        const char* palette;
        const char* sample;
        const char* presetPrefix;
    };
    static const ColourGroup kLightColours;
    static const ColourGroup kAudioColours;
    std::string EditText(const ColourGroup& group, char channel);
    void SetEditText(const ColourGroup& group, char channel, std::string_view text);
    ui::UiColor PaletteColour(const ColourGroup& group);
    ui::UiColor PresetColour(const ColourGroup& group, int n);
    void ShowColourIn(const ColourGroup& group, ui::UiColor colour);

    template <typename T>
    T* ChildAs(std::string_view name) {
        return dynamic_cast<T*>(Child(name));
    }
    void Enable(std::string_view name, bool on);
    void Show(std::string_view name, bool on);

    int deviceType_ = 0;
    bool sameModeAllowed_ = false;
    bool directionOffered_ = true;
    std::map<std::string, ui::CControlUI*, std::less<>> children_;
};

}  // namespace vivori::panels
