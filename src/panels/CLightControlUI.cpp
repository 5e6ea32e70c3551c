#include "panels/CLightControlUI.h"

#include <algorithm>

#include "panels/ColourText.h"
#include "panels/ModeControls.h"
#include "platform/Debug.h"
#include "ui/core/CColorPaletteUI.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::panels {
namespace {

constexpr int kItemHeight = 30;
constexpr int kAudioModeWithoutColours = 3;

std::string EditName(std::string_view prefix, char channel) {
    return std::string(prefix) + channel;
}

int Component(uint32_t word, int byte) {
    return static_cast<int>(word >> (8 * byte) & 0xFF);
}

}  // namespace

void* CLightControlUI::GetInterface(std::string_view name) {
    if (name == "LightControl") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

ui::CControlUI* CLightControlUI::Child(std::string_view name) {
    if (auto found = children_.find(name); found != children_.end()) return found->second;
    ui::CControlUI* control = FindControl(
        [name](ui::CControlUI* c) { return ui::EqualNoCase(c->GetName(), name) ? c : nullptr; },
        ui::kFindAll);
    if (control != nullptr) children_.emplace(std::string(name), control);
    return control;
}

void CLightControlUI::Enable(std::string_view name, bool on) {
    if (ui::CControlUI* control = Child(name)) control->SetEnabled(on);
}

void CLightControlUI::Show(std::string_view name, bool on) {
    if (ui::CControlUI* control = Child(name)) control->SetVisible(on);
}

// ---- mode list and packed state ----

void CLightControlUI::InitModeList(const std::vector<std::string>& names,
                                   const std::vector<bool>& visible, int brightnessMax,
                                   int speedMax) {
    if (auto* combo = ChildAs<ui::CComboUI>("light_combo_modeSelect")) {
        // The list is filled again whenever the names are read again (a new macro,
        // a language): the effect shown stays the one running.
        const int shown = combo->GetCurSel();
        combo->RemoveAll();
        for (size_t i = 0; i < names.size(); ++i) {
            auto* item = new ui::CListLabelElementUI;
            item->SetFixedHeight(kItemHeight);
            item->SetText(names[i]);
            item->SetUserData(names[i]);
            item->SetVisible(i < visible.size() && visible[i]);
            combo->Add(item);
        }
        if (shown >= 0 && shown < combo->GetCount()) combo->SelectItem(shown, false, false);
    }
    if (auto* slider = ChildAs<ui::CProgressUI>("deng_light_slider"))
        slider->SetMaxValue(brightnessMax);
    if (auto* slider = ChildAs<ui::CProgressUI>("deng_speed_slider")) slider->SetMaxValue(speedMax);
}

void CLightControlUI::SetLightInfo(const PackedLight& light) {
    const int mode = Component(light.modeWord, 0);
    if (auto* combo = ChildAs<ui::CComboUI>("light_combo_modeSelect"))
        if (mode < combo->GetCount()) combo->SelectItem(mode, false, false);
    SetBrightness(Component(light.modeWord, 1));
    SetSpeed(Component(light.modeWord, 2));
    ShowColour(OpaqueColour(Component(light.colourWord, 1), Component(light.colourWord, 2),
                            Component(light.colourWord, 3)));
    SetColourful(Component(light.colourWord, 0) != 0);
    if (auto* combo = ChildAs<ui::CComboUI>("light_combo_ZZCCmodeSelect")) {
        const int sub = Component(light.extra, 3);
        if (sub < combo->GetCount()) combo->SelectItem(sub, false, false);
    }
    SetDirection(Component(light.modeWord, 3));
    UpdateModeControls(GetMode());
}

PackedLight CLightControlUI::GetLightInfo() {
    PackedLight light;
    light.modeWord = uint32_t(std::clamp(GetMode(), 0, 255)) |
                     uint32_t(std::clamp(GetBrightness(), 0, 255)) << 8 |
                     uint32_t(std::clamp(GetSpeed(), 0, 255)) << 16 |
                     uint32_t(GetDirection()) << 24;
    auto component = [this](char channel) {
        return uint32_t(ReadColourComponent(GetEditText(channel)).value);
    };
    light.colourWord = uint32_t(GetColourful() ? 1 : 0) | component('R') << 8 |
                       component('G') << 16 | component('B') << 24;
    light.extra = uint32_t(std::clamp(GetSubMode(), 0, 255)) << 24;
    return light;
}

void CLightControlUI::SelectMode(int mode) {
    if (auto* combo = ChildAs<ui::CComboUI>("light_combo_modeSelect"))
        if (mode >= 0 && mode < combo->GetCount()) combo->SelectItem(mode, false, false);
    UpdateModeControls(GetMode());
}

int CLightControlUI::GetMode() {
    auto* combo = ChildAs<ui::CComboUI>("light_combo_modeSelect");
    return combo ? combo->GetCurSel() : -1;
}

int CLightControlUI::GetCustomSlot() {
    auto* combo = ChildAs<ui::CComboUI>("light_combo_custommodeSelect");
    return combo ? combo->GetCurSel() : -1;
}

int CLightControlUI::GetSubMode() {
    auto* combo = ChildAs<ui::CComboUI>("light_combo_ZZCCmodeSelect");
    return combo ? combo->GetCurSel() : -1;
}

int CLightControlUI::GetBrightness() {
    auto* slider = ChildAs<ui::CProgressUI>("deng_light_slider");
    return slider ? slider->GetValue() : 0;
}

int CLightControlUI::GetSpeed() {
    auto* slider = ChildAs<ui::CProgressUI>("deng_speed_slider");
    return slider ? slider->GetValue() : 0;
}

void CLightControlUI::SetBrightness(int value) {
    if (auto* slider = ChildAs<ui::CProgressUI>("deng_light_slider")) slider->SetValue(value);
}

void CLightControlUI::SetSpeed(int value) {
    if (auto* slider = ChildAs<ui::CProgressUI>("deng_speed_slider")) slider->SetValue(value);
}

int CLightControlUI::GetDirection() {
    auto* forward = ChildAs<ui::COptionUI>("deng_FXL_check");
    return forward && forward->IsSelected() ? 1 : 0;
}

void CLightControlUI::SetDirection(int direction) {
    auto* forward = ChildAs<ui::COptionUI>("deng_FXL_check");
    auto* backward = ChildAs<ui::COptionUI>("deng_FXR_check");
    if (forward) forward->Selected(direction != 0, false);
    if (backward) backward->Selected(direction == 0, false);
}

bool CLightControlUI::GetColourful() {
    auto* check = ChildAs<ui::COptionUI>("deng_7color_check");
    return check && check->IsSelected();
}

void CLightControlUI::SetColourful(bool on) {
    if (auto* check = ChildAs<ui::COptionUI>("deng_7color_check")) check->Selected(on, false);
}

// ---- the two colour groups: the light colour and the audio colour ----

const CLightControlUI::ColourGroup CLightControlUI::kLightColours = {
    "deng_edit_", "deng_Color_Pallet", "deng_colordp_btn", "color_option_"};
const CLightControlUI::ColourGroup CLightControlUI::kAudioColours = {
    "deng_audioedit_", "deng_audioColor_Pallet", "deng_audiocolordp_btn", "audiocolor_option_"};

std::string CLightControlUI::EditText(const ColourGroup& group, char channel) {
    ui::CControlUI* edit = Child(EditName(group.editPrefix, channel));
    return edit ? edit->GetText() : std::string();
}

void CLightControlUI::SetEditText(const ColourGroup& group, char channel, std::string_view text) {
    if (ui::CControlUI* edit = Child(EditName(group.editPrefix, channel))) edit->SetText(text);
}

ui::UiColor CLightControlUI::PaletteColour(const ColourGroup& group) {
    auto* palette = ChildAs<ui::CColorPaletteUI>(group.palette);
    return palette ? palette->GetSelectColor() : 0xFF000000;
}

ui::UiColor CLightControlUI::PresetColour(const ColourGroup& group, int n) {
    ui::CControlUI* button = Child(std::string(group.presetPrefix) + std::to_string(n));
    return button ? button->GetBkColor() : 0;
}

void CLightControlUI::ShowColourIn(const ColourGroup& group, ui::UiColor colour) {
    SetEditText(group, 'R', std::to_string(RedOf(colour)));
    SetEditText(group, 'G', std::to_string(GreenOf(colour)));
    SetEditText(group, 'B', std::to_string(BlueOf(colour)));
    if (auto* palette = ChildAs<ui::CColorPaletteUI>(group.palette))
        palette->SetSelectColor(colour);
    PaintColourSample(Child(group.sample), colour);
}

void CLightControlUI::ShowColourSample(ui::UiColor colour) {
    PaintColourSample(Child("deng_colordp_btn"), colour);
}

// ---- which controls a mode uses ----

void CLightControlUI::SetDirectionOffered(bool offered) {
    directionOffered_ = offered;
    Show("deng_fx_layout", offered);
}

void CLightControlUI::SetSameModeAllowed(bool allowed) {
    sameModeAllowed_ = allowed;
    UpdateModeControls(GetMode());
}

void CLightControlUI::UpdateModeControls(int mode) {
    Show("deng_same_mode", false);
    Enable("deng_fx_layout", true);
    Enable("lighteffect_layout", true);
    const bool keyboard = deviceType_ == kLightPanelKeyboard;
    auto labels = [this](std::string_view forward, std::string_view backward) {
        if (ui::CControlUI* option = Child("deng_FXL_check")) option->SetText(forward);
        if (ui::CControlUI* option = Child("deng_FXR_check")) option->SetText(backward);
    };
    if (keyboard) {
        Show("lightcustom_layout", false);
        Show("deng_speed_layout", true);
        Show("light_combo_ZZCCmodeSelectLayout", false);
        Show("light_combo_AudiomodeSelectLayout", false);
        Enable("light_color_layout", true);
        if (auto* tabs = ChildAs<ui::CTabLayoutUI>("light_color_tablayout")) tabs->SelectItem(0);
        labels(kDefaultForwardLabel, kDefaultBackwardLabel);
    }
    const ModeControls m = ModeControlsFor(deviceType_, mode);
    auto group = [this](std::string_view name, Group g) {
        if (g != Group::Keep) Enable(name, g == Group::On);
    };
    group("deng_7color_check", m.colourful);
    group("deng_color_layout", m.colour);
    group("colorpallet_layout", m.palette);
    group("deng_light_layout", m.brightness);
    group("deng_speed_layout", m.speed);
    group("deng_fx_layout", m.direction);
    if (m.sameMode && sameModeAllowed_) Show("deng_same_mode", true);
    if (m.colourLayoutOff) Enable("light_color_layout", false);
    if (!keyboard) return;
    if (m.hideSpeed) Show("deng_speed_layout", false);
    if (m.showSubModes) Show("light_combo_ZZCCmodeSelectLayout", true);
    if (m.showCustom) Show("lightcustom_layout", true);
    if (m.audioPage) {
        Show("light_combo_AudiomodeSelectLayout", true);
        if (auto* tabs = ChildAs<ui::CTabLayoutUI>("light_color_tablayout")) tabs->SelectItem(1);
    }
    if (!m.forwardLabel.empty()) labels(m.forwardLabel, m.backwardLabel);
}

// ---- audio colours ----

void CLightControlUI::SetAudioLightInfo(const AudioLight& audio) {
    auto* combo = ChildAs<ui::CComboUI>("light_combo_audiomodeSelect");
    auto* background = ChildAs<ui::COptionUI>("audio_BkColor_check");
    auto* foreground = ChildAs<ui::COptionUI>("audio_FgColor_check");
    auto* colourful = ChildAs<ui::COptionUI>("deng_7audiocolor_check");
    if (!combo || !background || !foreground || !colourful) {
        DebugOutput(" SetAudioLightInfo control is NULL");
        return;
    }
    const int mode = Component(audio.first, 0);
    if (mode < combo->GetCount()) combo->SelectItem(mode, false, false);
    ui::UiColor colour = 0;
    if (audio.third == 1) {
        colour = OpaqueColour(Component(audio.second, 0), Component(audio.second, 1),
                              Component(audio.second, 2));
        foreground->Selected(true, false);
        background->Selected(false, false);
        colourful->SetEnabled(true);
    } else {
        colour = OpaqueColour(Component(audio.first, 1), Component(audio.first, 2),
                              Component(audio.first, 3));
        background->Selected(true, false);
        foreground->Selected(false, false);
        colourful->SetEnabled(false);
    }
    // The flag belongs to the foreground; shown (disabled) with the background too, so
    // reading the panel back keeps it.
    colourful->Selected(Component(audio.second, 3) != 0, false);
    ShowAudioColour(colour);
    const bool colours = mode != kAudioModeWithoutColours;
    Enable("light_audiocolor_layout", colours);
    Enable("audiocolorpallet_layout", colours);
}

bool CLightControlUI::GetAudioLightInfo(bool takeColour, AudioLight& audio) {
    auto* combo = ChildAs<ui::CComboUI>("light_combo_audiomodeSelect");
    auto* background = ChildAs<ui::COptionUI>("audio_BkColor_check");
    auto* foreground = ChildAs<ui::COptionUI>("audio_FgColor_check");
    auto* colourful = ChildAs<ui::COptionUI>("deng_7audiocolor_check");
    ui::CControlUI* sample = Child("deng_audiocolordp_btn");
    if (!combo || !background || !foreground || !colourful || !sample) {
        DebugOutput("GetAudioLightInfo control is NULL");
        return false;
    }
    const int mode = std::clamp(combo->GetCurSel(), 0, 255);
    const bool previousForeground = audio.third == 1;
    bool layerForeground = !background->IsSelected();
    if (background->IsSelected() && foreground->IsSelected() && !previousForeground)
        layerForeground = true;
    audio.first = (audio.first & ~0xFFu) | uint32_t(mode);
    audio.second = (audio.second & 0x00FFFFFFu) | uint32_t(colourful->IsSelected() ? 1 : 0) << 24;
    audio.third = layerForeground ? 1 : 0;
    if (takeColour) {
        const ui::UiColor c = sample->GetBkColor();
        const uint32_t rgb =
            uint32_t(RedOf(c)) | uint32_t(GreenOf(c)) << 8 | uint32_t(BlueOf(c)) << 16;
        if (layerForeground)
            audio.second = (audio.second & 0xFF000000u) | rgb;
        else
            audio.first = (audio.first & 0xFFu) | rgb << 8;
    }
    return true;
}

void CLightControlUI::SetMusicInputNote(std::string_view text) {
    if (ui::CControlUI* note = Child("music_input_note")) {
        note->SetText(text);
        note->SetVisible(!text.empty());
    }
}

}  // namespace vivori::panels
