#include "panels/CDeviceProfileUI.h"

#include <array>

#include "ui/core/CComboUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::panels {

using profiles::ProfileOutcome;
using profiles::ProfileStatus;

namespace {

constexpr std::array<std::string_view, CDeviceProfileUI::kTabCount> kTabs = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

// Pages hidden and shown for each device kind; the others keep the layout's visibility.
struct TabRule {
    int kind;
    std::initializer_list<int> hidden;
    std::initializer_list<int> shown;
};
// Page 1, the lighting, is shown for every kind.
constexpr int kKeys = 2, kMacro = 3, kSystem = 4, kCursor = 5, kVoice = 6, kMagic = 7, kVirtual = 8;
const TabRule kTabRules[] = {
    {1, {kCursor}, {}},
    {2, {}, {}},
    {3, {kCursor, kMacro, kSystem, kKeys}, {}},
    {4, {kCursor, kMacro, kKeys}, {}},
    {5, {kCursor, kMacro, kSystem, kKeys}, {}},
    {6, {}, {}},
    // Virtual surround has no counterpart in the sound server here: a note stands in
    // its place instead.
    {7, {kCursor, kMacro, kSystem, kKeys, kVirtual}, {kVoice, kMagic}},
};
constexpr int kHeadsetKind = 7;

ProfileOutcome NoPanel() {
    return {ProfileStatus::Refused, "the profile panel is not set up"};
}

}  // namespace

void* CDeviceProfileUI::GetInterface(std::string_view name) {
    return name == "DeviceProfile" ? this : CVerticalLayoutUI::GetInterface(name);
}

void CDeviceProfileUI::SetFolders(std::filesystem::path userDeviceFolder,
                                  std::filesystem::path defaultProfilePath) {
    userDeviceFolder_ = std::move(userDeviceFolder);
    defaultProfilePath_ = std::move(defaultProfilePath);
}

ui::CControlUI* CDeviceProfileUI::Child(std::string_view name) const {
    // Every device page has a panel with these names, so look only inside this one.
    return const_cast<CDeviceProfileUI*>(this)->FindControl(
        [name](ui::CControlUI* c) { return ui::EqualNoCase(c->GetName(), name) ? c : nullptr; },
        ui::kFindAll);
}

ui::CComboUI* CDeviceProfileUI::Combo() const {
    ui::CControlUI* combo = Child("device_profile_combo");
    return combo ? static_cast<ui::CComboUI*>(combo->GetInterface("Combo")) : nullptr;
}

ProfileOutcome CDeviceProfileUI::InitProfiles() {
    model_ = std::make_unique<profiles::ProfileListModel>(userDeviceFolder_, defaultProfilePath_,
                                                          deviceKind_);
    ProfileOutcome outcome = model_->Load();
    Fill();
    ApplyTabTable();
    return outcome;
}

void CDeviceProfileUI::Fill() {
    ui::CComboUI* combo = Combo();
    if (combo == nullptr || !model_) return;
    combo->RemoveAll();
    for (const profiles::ProfileEntry& entry : model_->Entries()) {
        auto* row = new ui::CListLabelElementUI;
        row->SetFixedHeight(30);
        row->SetAttribute("textpadding", "8,0,8,0");
        row->SetText(entry.name);
        row->SetToolTip(entry.name);
        combo->Add(row);
    }
    const int selected = model_->Selected();
    if (selected >= 0) combo->SelectItem(selected, false, false);
    SetNameText(selected >= 0 ? model_->Entries()[std::size_t(selected)].name : "");
}

CDeviceProfileUI::ListChange CDeviceProfileUI::FollowList() {
    if (!model_) return {};
    const std::vector<profiles::ProfileEntry> entries = model_->Entries();
    const std::string selectedUUID = model_->SelectedUUID();
    const int selected = model_->Selected();
    if (ProfileOutcome loaded = model_->Load(); !loaded) return {};
    ListChange change;
    change.selection = model_->SelectedUUID() != selectedUUID;
    change.shown =
        change.selection || model_->Selected() != selected || model_->Entries() != entries;
    if (change.shown) Fill();
    return change;
}

ProfileOutcome CDeviceProfileUI::Run(ProfileOutcome outcome) {
    Fill();
    return outcome;
}

ProfileOutcome CDeviceProfileUI::SelectProfile(int index, bool notify) {
    ui::CComboUI* combo = Combo();
    if (combo == nullptr || !model_) return NoPanel();
    const int old = combo->GetCurSel();
    ProfileOutcome outcome = model_->Select(index);
    Fill();
    // The row may already be shown selected, so the notification is sent here.
    if (outcome && notify && GetManager() != nullptr)
        GetManager()->SendNotify(combo, ui::kNotifyItemSelect, ui::WPARAM(model_->Selected()),
                                 ui::LPARAM(old));
    return outcome;
}

int CDeviceProfileUI::GetSelectedIndex() const {
    const ui::CComboUI* combo = Combo();
    return combo ? combo->GetCurSel() : -1;
}

std::string CDeviceProfileUI::GetSelectedUUID() const {
    return model_ ? model_->SelectedUUID() : std::string();
}

std::string CDeviceProfileUI::GetSelectedName() const {
    if (!model_ || model_->Selected() < 0) return {};
    const auto& entries = model_->Entries();
    const auto index = std::size_t(model_->Selected());
    return index < entries.size() ? entries[index].name : std::string();
}

std::string CDeviceProfileUI::GetNameText() const {
    const ui::CControlUI* edit = Child("device_profile_name_edit");
    return edit ? edit->GetText() : std::string();
}

void CDeviceProfileUI::SetNameText(std::string_view text) {
    if (ui::CControlUI* edit = Child("device_profile_name_edit")) edit->SetText(text);
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
    if (ui::CControlUI* menu = Child("profile_menu_layout")) menu->SetVisible(show);
}

bool CDeviceProfileUI::IsProfileMenuShown() const {
    const ui::CControlUI* menu = Child("profile_menu_layout");
    return menu && menu->IsOwnVisible();
}

int CDeviceProfileUI::GetProfileCount() {
    if (!model_) return 0;
    model_->Load();
    return int(model_->Entries().size());
}

std::optional<std::filesystem::path> CDeviceProfileUI::GetProfilePathAt(int index) const {
    if (!model_ || index < 0) return std::nullopt;
    return model_->PathAt(std::size_t(index));
}

ProfileOutcome CDeviceProfileUI::AddProfile() {
    return Combo() && model_ ? Run(model_->Add()) : NoPanel();
}

ProfileOutcome CDeviceProfileUI::CopyProfile() {
    return Combo() && model_ ? Run(model_->Copy()) : NoPanel();
}

ProfileOutcome CDeviceProfileUI::DeleteProfile() {
    return Combo() && model_ ? Run(model_->Delete()) : NoPanel();
}

ProfileOutcome CDeviceProfileUI::RenameProfile(std::string_view name) {
    return Combo() && model_ ? Run(model_->Rename(name)) : NoPanel();
}

ProfileOutcome CDeviceProfileUI::ImportProfile(const std::filesystem::path& path) {
    return Combo() && model_ ? Run(model_->Import(path)) : NoPanel();
}

ProfileOutcome CDeviceProfileUI::ExportProfile(const std::filesystem::path& path, bool overwrite) {
    return Combo() && model_ ? model_->Export(path, overwrite) : NoPanel();
}

ProfileOutcome CDeviceProfileUI::ResetProfile() {
    return Combo() && model_ ? Run(model_->Reset()) : NoPanel();
}

void CDeviceProfileUI::SelectTab(int page) {
    for (int n = 1; n <= kTabCount; ++n)
        if (auto* tab = dynamic_cast<ui::COptionUI*>(Child(kTabs[std::size_t(n - 1)])))
            tab->Selected(n == page, false);
}

void CDeviceProfileUI::ApplyTabTable() {
    for (const TabRule& rule : kTabRules) {
        if (rule.kind != deviceKind_) continue;
        for (int page : rule.hidden)
            if (ui::CControlUI* tab = Child(kTabs[std::size_t(page - 1)])) tab->SetVisible(false);
        for (int page : rule.shown)
            if (ui::CControlUI* tab = Child(kTabs[std::size_t(page - 1)])) tab->SetVisible(true);
    }
    if (ui::CControlUI* note = Child("virtual71_note"))
        note->SetVisible(deviceKind_ == kHeadsetKind);
}

}  // namespace vivori::panels
