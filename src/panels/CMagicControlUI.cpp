#include "panels/CMagicControlUI.h"

#include "ui/core/COptionUI.h"

namespace vivori::panels {

void* CMagicControlUI::GetInterface(std::string_view name) {
    if (name == "MagicControl") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CMagicControlUI::SetEffectOn(bool on) {
    if (auto* option = controls_.As<ui::COptionUI>("magic_enable_option", "Option"))
        option->Selected(on, false);
    if (ui::CControlUI* layout = controls_.Find("magic_option_layout")) layout->SetEnabled(on);
}

bool CMagicControlUI::IsEffectOn() {
    auto* option = controls_.As<ui::COptionUI>("magic_enable_option", "Option");
    return option != nullptr && option->IsSelected();
}

void CMagicControlUI::SelectEffect(int n) {
    const bool valid = n >= 1 && n <= kEffects;
    SelectOneOption(controls_, "magic_option_", 1, kEffects, valid ? n : 0);
    effect_ = valid ? n : 0;
}

}  // namespace vivori::panels
