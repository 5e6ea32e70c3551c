#include "panels/CShootControlUI.h"

#include <algorithm>
#include <string>

#include "macros/AssignmentCodes.h"
#include "ui/core/COptionUI.h"

namespace vivori::panels {
namespace {

void SelectOnly(ui::CControlUI* root, const std::string& prefix, int count, int selected) {
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + std::to_string(i);
        ui::CControlUI* control = root->FindControl(
            [&](ui::CControlUI* c) { return ui::EqualNoCase(c->GetName(), name) ? c : nullptr; },
            ui::kFindAll);
        if (auto* option =
                control ? static_cast<ui::COptionUI*>(control->GetInterface("Option")) : nullptr)
            option->Selected(i == selected, false);
    }
}

}  // namespace

void* CShootControlUI::GetInterface(std::string_view name) {
    if (name == "ShootControl") return this;
    return CVerticalLayoutUI::GetInterface(name);
}

ui::CControlUI* CShootControlUI::Child(std::string_view name) {
    return FindControl(
        [name](ui::CControlUI* c) { return ui::EqualNoCase(c->GetName(), name) ? c : nullptr; },
        ui::kFindAll);
}

bool CShootControlUI::Checked(std::string_view name) {
    ui::CControlUI* control = Child(name);
    auto* option = control ? static_cast<ui::COptionUI*>(control->GetInterface("Option")) : nullptr;
    return option != nullptr && option->IsSelected();
}

void CShootControlUI::SetFolders(std::filesystem::path user, std::filesystem::path defaults) {
    user_ = std::move(user);
    defaults_ = std::move(defaults);
    macros::EnsurePatterns(user_, defaults_);
    SelectPattern(0);
}

void CShootControlUI::SelectPattern(int pattern) {
    pattern_ = std::clamp(pattern, 0, macros::kRecoilPatternCount - 1);
    SelectOnly(this, "shoot_gun_op_", macros::kRecoilPatternCount, pattern_);
    SelectBullet(bullet_);
}

void CShootControlUI::SelectBullet(int bullet) {
    bullet_ = std::clamp(bullet, 0, macros::kBulletsPerPattern - 1);
    SelectOnly(this, "bullet_op_", macros::kBulletsPerPattern, bullet_);
    if (ui::CControlUI* index = Child("bullet_select_index"))
        index->SetText(std::to_string(bullet_ + 1));
    LoadBullet();
}

void CShootControlUI::LoadBullet() {
    if (user_.empty()) return;
    const macros::Bullet bullet = macros::ReadBullet(user_, pattern_, bullet_);
    auto set = [this](std::string_view name, int value) {
        if (ui::CControlUI* field = Child(name)) field->SetText(std::to_string(value));
    };
    set("bullet_x_eidt", bullet.x);
    set("bullet_y_eidt", bullet.y);
    set("bullet_delay_eidt", bullet.delay);
    for (auto [name, on] :
         {std::pair{"bullet_x_check", bullet.left}, {"bullet_y_check", bullet.up}})
        if (ui::CControlUI* control = Child(name))
            if (auto* check = static_cast<ui::COptionUI*>(control->GetInterface("Option")))
                check->Selected(on, false);
    ShowAxisTexts();
}

bool CShootControlUI::SaveBullet() {
    if (user_.empty()) return false;  // no folder yet: nothing to write into
    auto field = [this](std::string_view name) {
        ui::CControlUI* control = Child(name);
        return control ? macros::ParseField(control->GetText()) : 0;
    };
    const macros::Bullet bullet{field("bullet_x_eidt"), field("bullet_y_eidt"),
                                field("bullet_delay_eidt"), Checked("bullet_x_check"),
                                Checked("bullet_y_check")};
    const bool saved = macros::SaveBullet(user_, pattern_, bullet_, bullet);
    LoadBullet();  // the fields show what the file now holds (clamped values included)
    return saved;
}

void CShootControlUI::ShowAxisTexts() {
    if (ui::CControlUI* x = Child("bullet_x_check"))
        x->SetText(Checked("bullet_x_check") ? "mouse_move_to_left_text"
                                             : "mouse_move_to_right_text");
    if (ui::CControlUI* y = Child("bullet_y_check"))
        y->SetText(Checked("bullet_y_check") ? "mouse_move_to_up_text" : "mouse_move_to_down_text");
}

}  // namespace vivori::panels
