#include "panels/PanelControls.h"

#include "ui/core/CContainerUI.h"
#include "ui/core/COptionUI.h"

namespace vivori::panels {

ui::CControlUI* PanelControls::Find(std::string_view name) {
    if (auto found = cache_.find(name); found != cache_.end() && found->second) return found->second;
    auto* container = static_cast<ui::CContainerUI*>(panel_.GetInterface("Container"));
    ui::CControlUI* control =
        container ? container->FindControl(
                        [name](ui::CControlUI* c) {
                            return ui::EqualNoCase(c->GetName(), name) ? c : nullptr;
                        },
                        ui::kFindAll)
                  : nullptr;
    cache_[std::string(name)] = control;
    return control;
}

ui::CControlUI* PanelControls::Find(std::string_view prefix, int index) {
    return Find(std::string(prefix) + std::to_string(index));
}

void SelectOneOption(PanelControls& controls, std::string_view prefix, int first, int last,
                     int selected) {
    for (int n = first; n <= last; ++n) {
        ui::CControlUI* control = controls.Find(prefix, n);
        if (auto* option = control ? static_cast<ui::COptionUI*>(control->GetInterface("Option"))
                                   : nullptr)
            option->Selected(n == selected, false);
    }
}

}  // namespace vivori::panels
