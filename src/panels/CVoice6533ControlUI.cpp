#include "panels/CVoice6533ControlUI.h"

#include "ui/core/CComboUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CSliderUI.h"

namespace vivori::panels {
namespace {

constexpr int kCustomItemHeight = 30;

ui::CProgressUI* SliderOf(ui::CControlUI* control) {
    return control ? static_cast<ui::CProgressUI*>(control->GetInterface("Progress")) : nullptr;
}

void Select(ui::CControlUI* control, bool on) {
    if (auto* option = control ? static_cast<ui::COptionUI*>(control->GetInterface("Option")) : nullptr)
        option->Selected(on, false);
}

}  // namespace

void* CVoice6533ControlUI::GetInterface(std::string_view name) {
    if (name == "Voice6533Control") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CVoice6533ControlUI::SelectEqOption(int n) {
    const bool valid = n >= 1 && n <= kEqOptions;
    SelectOneOption(controls_, "6533_eq_option_", 1, kEqOptions, valid ? n : 0);
    eqOption_ = valid ? n : 0;
}

void CVoice6533ControlUI::SetBandSlider(int band, int value) {
    if (ui::CProgressUI* slider = SliderOf(controls_.Find("6533_eq_hz_slider_", band)))
        slider->SetValue(value);
}

int CVoice6533ControlUI::GetBandSlider(int band) {
    ui::CProgressUI* slider = SliderOf(controls_.Find("6533_eq_hz_slider_", band));
    return slider ? slider->GetValue() : -1;
}

void CVoice6533ControlUI::EnableCustomEq(bool enable) {
    if (ui::CControlUI* layout = controls_.Find("custom_eq_option_layout")) layout->SetEnabled(enable);
}

void CVoice6533ControlUI::SetCustomName(std::string_view text) {
    if (ui::CControlUI* edit = controls_.Find("custom_eq_name_edit")) edit->SetText(text);
}

std::string CVoice6533ControlUI::GetCustomName() {
    ui::CControlUI* edit = controls_.Find("custom_eq_name_edit");
    return edit ? edit->GetText() : std::string();
}

void CVoice6533ControlUI::AddCustomName(std::string_view name) {
    auto* combo = controls_.As<ui::CComboUI>("custom_eq_name_combo", "Combo");
    if (combo == nullptr) return;
    auto* item = new ui::CListLabelElementUI;
    item->SetFixedHeight(kCustomItemHeight);
    item->SetText(name);
    item->SetToolTip(name);
    combo->Add(item);
}

void CVoice6533ControlUI::RemoveCustomName(int index) {
    auto* combo = controls_.As<ui::CComboUI>("custom_eq_name_combo", "Combo");
    if (combo && index >= 0 && index < combo->GetCount()) combo->RemoveAt(index);
}

void CVoice6533ControlUI::ClearCustomNames() {
    if (auto* combo = controls_.As<ui::CComboUI>("custom_eq_name_combo", "Combo")) combo->RemoveAll();
}

void CVoice6533ControlUI::SelectCustomName(int index) {
    if (auto* combo = controls_.As<ui::CComboUI>("custom_eq_name_combo", "Combo"))
        combo->SelectItem(index, false, false);
    SetCustomName("");
}

int CVoice6533ControlUI::GetCustomSelection() {
    auto* combo = controls_.As<ui::CComboUI>("custom_eq_name_combo", "Combo");
    return combo ? combo->GetCurSel() : -1;
}

int CVoice6533ControlUI::GetCustomCount() {
    auto* combo = controls_.As<ui::CComboUI>("custom_eq_name_combo", "Combo");
    return combo ? combo->GetCount() : 0;
}

std::string CVoice6533ControlUI::GetCustomNameAt(int index) {
    auto* combo = controls_.As<ui::CComboUI>("custom_eq_name_combo", "Combo");
    ui::CControlUI* item = combo ? combo->GetItemAt(index) : nullptr;
    return item ? item->GetText() : std::string();
}

void CVoice6533ControlUI::SetMicOn(bool on) {
    Select(controls_.Find("6533_MicIn_option"), on);
}

void CVoice6533ControlUI::SetMicLevel(int value) {
    if (ui::CProgressUI* slider = SliderOf(controls_.Find("6533_MicIn_slider"))) slider->SetValue(value);
}

int CVoice6533ControlUI::GetMicLevel() {
    ui::CProgressUI* slider = SliderOf(controls_.Find("6533_MicIn_slider"));
    return slider ? slider->GetValue() : -1;
}

void CVoice6533ControlUI::SetMonitorOn(bool on) {
    Select(controls_.Find("6533_MicMoniter_option"), on);
}

void CVoice6533ControlUI::SetMonitorLevel(int value) {
    if (ui::CProgressUI* slider = SliderOf(controls_.Find("6533_MicMoniter_slider")))
        slider->SetValue(value);
}

int CVoice6533ControlUI::GetMonitorLevel() {
    ui::CProgressUI* slider = SliderOf(controls_.Find("6533_MicMoniter_slider"));
    return slider ? slider->GetValue() : -1;
}

}  // namespace vivori::panels
