#include "panels/CUpdateInfoListItemUI.h"

#include <iterator>

#include "ui/core/CDialogBuilder.h"
#include "ui/core/CLabelUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CProgressUI.h"

namespace vivori::panels {
namespace {

struct StateLook {
    const char* textKey;
    bool progress;
    bool done;
    bool tickable;
    bool highlighted;  // the update colours instead of the plain ones
};
constexpr StateLook kLooks[] = {
    {"LessUpdateText", false, false, false, false}, {"NeedUpdateText", false, false, true, true},
    {"NeedUpdateText", false, false, true, true},   {"DownloadWaitText", false, false, false, true},
    {"DownloadIngText", true, false, false, true},  {"DownloadOkText", false, true, false, true},
    {"UpdateIngText", true, false, false, true},    {"UpdateOkText", false, false, false, false},
    {"UpdateFailText", false, false, true, true},   {"NotCheckedText", false, false, false, false},
};

}  // namespace

bool CUpdateInfoListItemUI::Build(ui::CPaintManagerUI* manager) {
    ui::CDialogBuilder builder;
    ui::CControlUI* content = builder.Create(kLayout, nullptr, manager);
    if (content == nullptr) return false;
    Add(content);
    SetAttribute("height", "40");
    return true;
}

ui::CControlUI* CUpdateInfoListItemUI::Child(std::string_view name) const {
    ui::CPaintManagerUI* manager = GetManager();
    if (manager != nullptr)
        return manager->FindSubControlByName(const_cast<CUpdateInfoListItemUI*>(this), name);
    // Not attached yet: look through the children directly.
    return const_cast<CUpdateInfoListItemUI*>(this)->FindControl(
        [name](ui::CControlUI* c) { return c->GetName() == name ? c : nullptr; }, 0);
}

void CUpdateInfoListItemUI::SetState(int state) {
    if (state == state_ || state < 0 || state >= int(std::size(kLooks))) return;
    state_ = state;
    const StateLook& look = kLooks[state];
    if (ui::CControlUI* text = Child("update_status_text")) {
        text->SetText(look.textKey);
        if (auto* label = dynamic_cast<ui::CLabelUI*>(text)) {
            label->SetTextColor(look.highlighted ? 0xFF0099FF : 0xFFFFFFFF);
            label->SetDisabledTextColor(look.highlighted ? 0xFF0078C8 : 0xFF666666);
        }
    }
    if (ui::CControlUI* progress = Child("update_status_ing")) progress->SetVisible(look.progress);
    if (ui::CControlUI* value = Child("update_progress_value")) value->SetVisible(look.progress);
    if (ui::CControlUI* done = Child("update_status_ok")) done->SetVisible(look.done);
    SetTickable(look.tickable);
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
    if (auto* bar = dynamic_cast<ui::CProgressUI*>(Child("update_status_ing")))
        bar->SetValue(percent);
    if (ui::CControlUI* value = Child("update_progress_value"))
        value->SetText(std::to_string(percent) + "%");
}

void CUpdateInfoListItemUI::SetTexts(const std::string& name, const std::string& current,
                                     const std::string& available) {
    if (ui::CControlUI* check = Child("check_name_select")) check->SetText(name);
    if (ui::CControlUI* old = Child("OldRev")) old->SetText(current);
    if (ui::CControlUI* fresh = Child("updateRev")) fresh->SetText(available);
}

bool CUpdateInfoListItemUI::Ticked() const {
    auto* check = dynamic_cast<ui::COptionUI*>(Child("check_name_select"));
    return check != nullptr && check->IsSelected();
}

void CUpdateInfoListItemUI::SetTicked(bool ticked) {
    if (auto* check = dynamic_cast<ui::COptionUI*>(Child("check_name_select")))
        check->Selected(ticked, false);
}

void CUpdateInfoListItemUI::SetTickable(bool enabled) {
    if (ui::CControlUI* check = Child("check_name_select")) check->SetEnabled(enabled);
}

}  // namespace vivori::panels
