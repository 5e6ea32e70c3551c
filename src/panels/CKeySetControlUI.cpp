#include "panels/CKeySetControlUI.h"

#include "macros/KeyCodeTable.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::panels {
namespace {

using macros::AssignCategory;

constexpr std::string_view kCategories = "keyset_function_combo";
constexpr std::string_view kModifierPrefix = "key_ComBox_check_";
constexpr std::string_view kKeyField = "keyset_keyboard_text_edit";
constexpr int kMacroRowHeight = 30;
constexpr size_t kModifierRows = 8;

}  // namespace

void* CKeySetControlUI::GetInterface(std::string_view name) {
    if (name == "KeySetControl") return this;
    return CVerticalLayoutUI::GetInterface(name);
}

ui::CControlUI* CKeySetControlUI::Child(std::string_view name) {
    return FindControl(
        [name](ui::CControlUI* c) { return ui::EqualNoCase(c->GetName(), name) ? c : nullptr; },
        ui::kFindAll);
}

ui::CComboUI* CKeySetControlUI::Combo(std::string_view name) {
    ui::CControlUI* control = Child(name);
    return control ? static_cast<ui::CComboUI*>(control->GetInterface("Combo")) : nullptr;
}

int CKeySetControlUI::Selection(std::string_view combo) {
    ui::CComboUI* list = Combo(combo);
    return list ? list->GetCurSel() : -1;
}

void CKeySetControlUI::Select(std::string_view combo, int row) {
    if (ui::CComboUI* list = Combo(combo)) list->SelectItem(row, false, false);
}

int CKeySetControlUI::Field(std::string_view edit) {
    ui::CControlUI* control = Child(edit);
    return control ? macros::ParseField(control->GetText()) : 0;
}

void CKeySetControlUI::SetField(std::string_view edit, int value) {
    if (ui::CControlUI* control = Child(edit)) control->SetText(std::to_string(value));
}

void CKeySetControlUI::SetDeviceKind(int kind) {
    deviceKind_ = kind;
    ui::CComboUI* categories = Combo(kCategories);
    if (categories == nullptr) return;
    for (int i = 0; i < categories->GetCount(); ++i) {
        ui::CControlUI* item = categories->GetItemAt(i);
        const int category = macros::ParseField(item->GetUserData());
        const bool mouseOnly =
            category == int(AssignCategory::Dpi) || category == int(AssignCategory::Recoil);
        item->SetVisible(!(kind == kKindKeyboard && mouseOnly));
    }
}

void CKeySetControlUI::SetMacroNames(const std::vector<std::string>& names) {
    macroCount_ = names.size();
    ui::CComboUI* list = Combo("keyset_macro_combo");
    if (list == nullptr) return;
    list->RemoveAll();
    for (const std::string& name : names) {
        auto* item = new ui::CListLabelElementUI;
        item->SetText(name);
        item->SetFixedHeight(kMacroRowHeight);
        list->Add(item);
    }
}

// ---- codes ----

void CKeySetControlUI::ShowKey(const profiles::KeyListEntry& entry) {
    current_ = entry.current;
    default_ = entry.defaultAssign;
    hasKey_ = true;
    ShowAssignment(current_.Code());
}

void CKeySetControlUI::ShowAssignment(uint32_t code) {
    ShowForm(macros::DecodeAssignment(code));
}

profiles::KeyListEntry CKeySetControlUI::BuildAssignment() {
    const uint32_t code =
        macros::EncodeAssignment(ReadForm(), current_.Code(), default_.Code(), macroCount_);
    current_ = profiles::KeyAssign::FromCode(current_.keyIndex, code);
    return {current_, default_};
}

macros::AssignmentForm CKeySetControlUI::ReadForm() {
    macros::AssignmentForm f;
    ui::CComboUI* categories = Combo(kCategories);
    const int row = categories ? categories->GetCurSel() : -1;
    // No category chosen: whatever the key does now stays.
    if (row < 0 || row >= categories->GetCount()) {
        f = macros::DecodeAssignment(current_.Code());
        return f;
    }
    f.category = AssignCategory(macros::ParseField(categories->GetItemAt(row)->GetUserData()));
    f.mouseButtonRow = Selection("keyset_mousekey_combo");
    f.swingDirection = Selection("keyset_mouseswing_combo") == 1 ? 1 : 0;
    f.swingCount = Field("keyset_mouseswing_num_edit");
    f.swingDelay = Field("keyset_mouseswing_delay_edit");
    f.swingSpeed = Field("keyset_mouseswing_speed_edit");
    f.wheelDirection = Selection("keyset_mousewheel_combo") == 1 ? 1 : 0;
    f.wheelCount = Field("keyset_mousewheel_num_edit");
    f.wheelDelay = Field("keyset_mousewheel_delay_edit");
    f.wheelSpeed = Field("keyset_mousewheel_speed_edit");
    f.dpiRow = Selection("keyset_mousedpi_combo");
    f.fireInterval = Field("keyset_mousefire_interval_edit");
    f.fireCount = Field("keyset_mousefire_num_edit");
    f.modifierOption = SelectedModifier();
    f.keyUsage = keyUsage_;
    f.mediaRow = Selection("keyset_media_combo");
    f.systemRow = Selection("keyset_system_combo");
    f.macroIndex = Selection("keyset_macro_combo");
    f.playMode = Selection("keyset_macro_over_combo");
    f.repeatCount = Field("keyset_macro_cycle_edit");
    f.recoilIndex = Selection("keyset_gunkey_combo");
    f.shortcutRow = Selection("keyset_combokey_combo");
    return f;
}

void CKeySetControlUI::ShowForm(const macros::AssignmentForm& f) {
    // The category list shows the category's item (found by its user data).
    if (ui::CComboUI* categories = Combo(kCategories)) {
        int row = -1;
        for (int i = 0; i < categories->GetCount(); ++i)
            if (macros::ParseField(categories->GetItemAt(i)->GetUserData()) == int(f.category))
                row = i;
        categories->SelectItem(row, false, false);
    }
    if (auto* pages = static_cast<ui::CTabLayoutUI*>(
            Child("function_switch_tablayout")
                ? Child("function_switch_tablayout")->GetInterface("TabLayout")
                : nullptr))
        pages->SelectItem(int(f.category));
    Select("keyset_mousekey_combo", f.mouseButtonRow);
    Select("keyset_mouseswing_combo", f.swingDirection);
    SetField("keyset_mouseswing_num_edit", f.swingCount);
    SetField("keyset_mouseswing_delay_edit", f.swingDelay);
    SetField("keyset_mouseswing_speed_edit", f.swingSpeed);
    Select("keyset_mousewheel_combo", f.wheelDirection);
    SetField("keyset_mousewheel_num_edit", f.wheelCount);
    SetField("keyset_mousewheel_delay_edit", f.wheelDelay);
    SetField("keyset_mousewheel_speed_edit", f.wheelSpeed);
    Select("keyset_mousedpi_combo", f.dpiRow);
    SetField("keyset_mousefire_interval_edit", f.fireInterval);
    SetField("keyset_mousefire_num_edit", f.fireCount);
    SelectModifier(f.modifierOption);
    ShowKeyName(f.keyUsage);
    Select("keyset_media_combo", f.mediaRow);
    Select("keyset_system_combo", f.systemRow);
    Select("keyset_macro_combo", f.macroIndex);
    Select("keyset_macro_over_combo", f.playMode);
    SetField("keyset_macro_cycle_edit", f.repeatCount);
    if (ui::CControlUI* cycle = Child("keyset_macro_cycle_layout"))
        cycle->SetVisible(f.playMode == macros::kRepeatPlayMode);
    Select("keyset_gunkey_combo", f.recoilIndex);
    Select("keyset_combokey_combo", f.shortcutRow);
}

// ---- panel events ----

void CKeySetControlUI::OnCategoryChosen() {
    const macros::AssignmentForm form = ReadForm();
    if (auto* pages = static_cast<ui::CTabLayoutUI*>(
            Child("function_switch_tablayout")
                ? Child("function_switch_tablayout")->GetInterface("TabLayout")
                : nullptr))
        pages->SelectItem(int(form.category));
    if (form.category == AssignCategory::KeyboardKey) {
        ShowKeyName(-1);
        SelectModifier(-1);
    }
}

void CKeySetControlUI::OnPlayModeChosen() {
    if (ui::CControlUI* cycle = Child("keyset_macro_cycle_layout"))
        cycle->SetVisible(Selection("keyset_macro_over_combo") == macros::kRepeatPlayMode);
}

bool CKeySetControlUI::CaptureKey(size_t keyRow) {
    const auto table = macros::KeyCodeTable();
    if (keyRow >= macros::kHookIdentifiedRows || keyRow >= table.size()) return false;
    const macros::KeyCode& key = table[keyRow];
    if (key.kind != macros::kKindKeyboard) return false;
    if (keyRow < kModifierRows) {
        // Left and right alike: Ctrl, Shift, Alt, Win are options 1 to 4.
        const uint8_t bits = uint8_t((key.code1 | key.code1 >> 4) & 0x0F);
        int option = 1;
        while (option < macros::kModifierOptions && !(bits & (1 << (option - 1)))) ++option;
        SelectModifier(option);
        ShowKeyName(-1);
    } else {
        if (SelectedModifier() < 0) SelectModifier(0);
        ShowKeyName(key.code2);
    }
    SetCaptured(
        macros::EncodeAssignment(ReadForm(), current_.Code(), default_.Code(), macroCount_));
    return true;
}

void CKeySetControlUI::SelectModifier(int option) {
    for (int i = 0; i < macros::kModifierOptions; ++i)
        if (ui::CControlUI* control = Child(std::string(kModifierPrefix) + std::to_string(i)))
            if (auto* check = static_cast<ui::COptionUI*>(control->GetInterface("Option")))
                check->Selected(i == option, false);
}

int CKeySetControlUI::SelectedModifier() {
    for (int i = 0; i < macros::kModifierOptions; ++i)
        if (ui::CControlUI* control = Child(std::string(kModifierPrefix) + std::to_string(i)))
            if (auto* check = static_cast<ui::COptionUI*>(control->GetInterface("Option"));
                check && check->IsSelected())
                return i;
    return -1;
}

void CKeySetControlUI::ShowKeyName(int usage) {
    keyUsage_ = usage;
    ui::CControlUI* field = Child(kKeyField);
    if (field == nullptr) return;
    if (usage < 0) {
        field->SetText("");
        return;
    }
    const auto row = macros::FindKeyByCode(macros::kKindKeyboard, 0, uint8_t(usage));
    // An edit shows its text as it is, so the key's name goes in already translated.
    field->SetText(
        row ? ui::CResourceManager::GetInstance().ResolveText(macros::KeyCodeTable()[*row].nameKey)
            : std::to_string(usage));
}

}  // namespace vivori::panels
