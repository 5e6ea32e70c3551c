#include "panels/CMacroControlUI.h"

#include <algorithm>
#include <cctype>

#include "macros/MacroEvents.h"
#include "platform/Time.h"
#include "ui/core/CEditUI.h"
#include "ui/core/CLabelUI.h"
#include "ui/core/CListContainerElementUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::panels {
namespace {

using macros::EventRow;
using macros::InsertPosition;

constexpr const char* kEventRow = "macro_action";
constexpr const char* kDelayField = "macro_delay";
// The controls a recording locks, and the ones that need a macro to act on.
constexpr std::string_view kLockedWhileRecording[] = {
    "macro_name_tab", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit",
    "macro_action_list"};
constexpr std::string_view kNeedAMacro[] = {"macro_action_layout", "mouse_move_layout",
                                            "macro_btn_export", "macro_btn_name_sub",
                                            "macro_btn_name_edit"};

std::string Trimmed(const std::string& text) {
    const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(text.begin(), text.end(), space);
    auto end = std::find_if_not(text.rbegin(), text.rend(), space).base();
    return begin < end ? std::string(begin, end) : std::string();
}

}  // namespace

std::string CMacroControlUI::NoteOf(const macros::MacroResult& refused) {
    switch (refused.error) {
        case macros::MacroError::LimitReached:
            return "macro_limit_text";
        case macros::MacroError::ListUnreadable:
            return "macro_list_unreadable_text";
        default:
            return refused.message;
    }
}

CMacroControlUI::CMacroControlUI() = default;
CMacroControlUI::~CMacroControlUI() = default;

void* CMacroControlUI::GetInterface(std::string_view name) {
    return name == kInterface ? this : CVerticalLayoutUI::GetInterface(name);
}

ui::CControlUI* CMacroControlUI::Find(std::string_view name) const {
    ui::CPaintManagerUI* manager = GetManager();
    return manager ? manager->FindSubControlByName(const_cast<CMacroControlUI*>(this), name)
                   : nullptr;
}

ui::CListUI* CMacroControlUI::EventList() const {
    return dynamic_cast<ui::CListUI*>(Find("macro_action_list"));
}

ui::CListUI* CMacroControlUI::MacroList() const {
    return dynamic_cast<ui::CListUI*>(Find("macro_name_list"));
}

void CMacroControlUI::SetDeviceFolder(const std::filesystem::path& folder) {
    library_ = std::make_unique<macros::MacroLibrary>(folder);
    LoadMacroList();
}

// ---- macros ----

void CMacroControlUI::LoadMacroList() {
    ui::CListUI* list = MacroList();
    if (list == nullptr || library_ == nullptr) return;
    const int selected = list->GetCurSel();
    list->RemoveAll();
    const macros::MacroList macros = library_->ReadList();
    // Unknown, not empty: the user learns why no macro shows, and that keys keep theirs.
    // Once mended, the hint goes back to the usual one.
    if (!macros.known)
        ShowNote("macro_list_unreadable_text");
    else if (listUnknownShown_)
        ShowNote("macro_hint_text");
    listUnknownShown_ = !macros.known;
    for (const macros::MacroEntry& entry : macros.entries) {
        auto* row = new ui::CListLabelElementUI;
        row->SetText(entry.name);
        row->SetUserData(entry.guid);
        list->Add(row);
    }
    if (selected >= 0 && selected < list->GetCount()) list->SelectItem(selected, false, false);
    EnableMacroControls(list->GetCount() > 0);
}

int CMacroControlUI::GetSelectedMacro() const {
    ui::CListUI* list = MacroList();
    return list ? list->GetCurSel() : -1;
}

std::string CMacroControlUI::AddMacro() {
    if (library_ == nullptr) return {};
    const macros::MacroResult added = library_->Add();
    if (!added) {
        ShowNote(NoteOf(added));
        return {};
    }
    LoadMacroList();
    SelectMacro(static_cast<int>(library_->List().size()) - 1);
    return added.guid;
}

void CMacroControlUI::SelectMacro(int index) {
    ui::CListUI* list = MacroList();
    if (list == nullptr || index < 0 || index >= list->GetCount()) return;
    list->SelectItem(index, false, false);
    if (ui::CControlUI* name = Find("macro_edit_macroname"))
        name->SetText(list->GetItemAt(index)->GetText());
    EnableMacroControls(true);
    LoadEvents();
}

CMacroControlUI::RenameResult CMacroControlUI::RenameMacro() {
    const int index = GetSelectedMacro();
    ui::CControlUI* field = Find("macro_edit_macroname");
    if (library_ == nullptr || index < 0 || field == nullptr) return RenameResult::Failed;
    const std::string name = Trimmed(field->GetText());
    if (name.empty()) return RenameResult::IsEmpty;
    const macros::MacroResult renamed = library_->Rename(static_cast<size_t>(index), name);
    if (renamed.error == macros::MacroError::DuplicateName) return RenameResult::Duplicate;
    if (!renamed) return RenameResult::Failed;
    if (ui::CListUI* list = MacroList()) list->GetItemAt(index)->SetText(name);
    field->SetText(name);
    return RenameResult::Renamed;
}

void CMacroControlUI::MacroDeleted() {
    LoadMacroList();
    events_.DeleteAll();
    RebuildRows();
    ui::CListUI* list = MacroList();
    if (list && list->GetCount() > 0) {
        SelectMacro(0);
    } else if (ui::CControlUI* name = Find("macro_edit_macroname")) {
        name->SetText("");
    }
}

bool CMacroControlUI::SaveMacro() {
    const int index = GetSelectedMacro();
    if (library_ == nullptr || index < 0) return false;
    TakeDelays();
    return static_cast<bool>(library_->Save(static_cast<size_t>(index), events_.Events()));
}

macros::MacroResult CMacroControlUI::ImportMacro(const std::filesystem::path& path) {
    if (library_ == nullptr) return {macros::MacroError::NoSuchMacro, {}, "no device folder", {}};
    macros::MacroResult imported = library_->Import(path);
    if (imported) {
        LoadMacroList();
        SelectMacro(static_cast<int>(library_->List().size()) - 1);
    }
    // A hint from an earlier save must not stay: this one wrote nothing to the device.
    ShowNote(!imported                ? NoteOf(imported)
             : imported.notes.empty() ? std::string("macro_imported_text")
                                      : std::string("macro_import_corrected_text"));
    return imported;
}

macros::MacroResult CMacroControlUI::ExportMacro(const std::filesystem::path& path,
                                                 bool overwrite) {
    const int index = GetSelectedMacro();
    if (library_ == nullptr || index < 0)
        return {macros::MacroError::NoSuchMacro, {}, "no macro is selected", {}};
    return library_->Export(static_cast<size_t>(index), path, overwrite);
}

void CMacroControlUI::EnableMacroControls(bool enabled) {
    for (std::string_view name : kNeedAMacro)
        if (ui::CControlUI* control = Find(name)) control->SetEnabled(enabled);
}

// ---- the event list ----

ui::CControlUI* CMacroControlUI::MakeRow(const EventRow& row) const {
    auto* element = new ui::CListContainerElementUI;
    element->SetName(kEventRow);
    element->SetAttribute("height", "30");
    element->SetAttribute("childpadding", "4");
    element->SetUserData(row.event.toStyledString());

    auto* name = new ui::CLabelUI;
    name->SetText(std::string(row.nameKey));
    auto* direction = new ui::CLabelUI;
    auto* delay = new ui::CEditUI;
    delay->SetName(kDelayField);
    delay->SetMaxChar(6);
    delay->SetNumberOnly(true);
    delay->SetText(std::to_string(row.delay));
    element->Add(name);
    element->Add(direction);
    element->Add(delay);

    // Styles come from the panel's layout, which the paint manager holds.
    if (ui::CPaintManagerUI* manager = GetManager()) {
        auto style = [manager](ui::CControlUI* control, std::string_view key) {
            if (const std::string* list = manager->GetStyle(key))
                control->ApplyAttributeList(*list);
        };
        style(name, row.keyboard ? "macro_label_keyboard_style" : "macro_label_mouse_style");
        const MacroEvent e = macros::ReadMacroEvent(row.event);
        if (e.type == macros::kTypeMoveHorizontal || e.type == macros::kTypeMoveVertical) {
            style(direction, "macro_label_text_style");
            direction->SetText(std::to_string(e.button));
        } else if (e.type == 2 || e.type == 3) {
            style(direction, "macro_label_text_style");
        } else {
            style(direction, e.press ? "macro_label_down_style" : "macro_label_up_style");
        }
        style(delay, "macro_label_text_style");
    }
    delay->SetAttribute("bkcolor", "#FF444444");
    delay->SetAttribute("height", "25");
    return element;
}

void CMacroControlUI::InsertRow(size_t index) {
    if (ui::CListUI* list = EventList())
        list->AddAt(MakeRow(events_.Rows()[index]), static_cast<int>(index));
}

void CMacroControlUI::ShowDelay(size_t index) {
    ui::CListUI* list = EventList();
    if (list == nullptr || index >= events_.Size()) return;
    ui::CControlUI* row = list->GetItemAt(static_cast<int>(index));
    if (row == nullptr) return;
    row->SetUserData(events_.Rows()[index].event.toStyledString());
    if (ui::CControlUI* field = GetManager()->FindSubControlByName(row, kDelayField))
        field->SetText(std::to_string(events_.Rows()[index].delay));
}

void CMacroControlUI::RebuildRow(size_t index) {
    ui::CListUI* list = EventList();
    if (list == nullptr) return;
    list->RemoveAt(static_cast<int>(index));
    InsertRow(index);
}

void CMacroControlUI::RebuildRows() {
    ui::CListUI* list = EventList();
    if (list == nullptr) return;
    list->RemoveAll();
    for (size_t i = 0; i < events_.Size(); ++i) list->Add(MakeRow(events_.Rows()[i]));
}

void CMacroControlUI::TakeSelection() {
    if (ui::CListUI* list = EventList()) events_.Select(list->GetCurSel());
}

void CMacroControlUI::ShowSelection(bool scroll) {
    ui::CListUI* list = EventList();
    if (list == nullptr) return;
    if (events_.Selected() < 0) {
        list->UnSelectAllItems();
        return;
    }
    list->SelectItem(events_.Selected(), false, false);
    if (scroll) list->EnsureVisible(events_.Selected());
}

void CMacroControlUI::TakeDelays() {
    ui::CListUI* list = EventList();
    if (list == nullptr) return;
    for (int i = 0; i < list->GetCount() && static_cast<size_t>(i) < events_.Size(); ++i)
        if (ui::CControlUI* field =
                GetManager()->FindSubControlByName(list->GetItemAt(i), kDelayField))
            events_.SetDelay(static_cast<size_t>(i), macros::ParseDelay(field->GetText()));
}

void CMacroControlUI::DelayTyped(ui::CControlUI* field) {
    ui::CListUI* list = EventList();
    if (list == nullptr || field == nullptr) return;
    for (int i = 0; i < list->GetCount(); ++i) {
        ui::CControlUI* row = list->GetItemAt(i);
        if (GetManager()->FindSubControlByName(row, kDelayField) != field) continue;
        events_.SetDelay(static_cast<size_t>(i), macros::ParseDelay(field->GetText()));
        ShowDelay(static_cast<size_t>(i));
        return;
    }
}

void CMacroControlUI::LoadEvents() {
    const int index = GetSelectedMacro();
    events_.Load(library_ && index >= 0 ? library_->Document(static_cast<size_t>(index))
                                        : Json::Value());
    RebuildRows();
}

void CMacroControlUI::ShowNote(const std::string& textKey) {
    if (ui::CControlUI* hint = Find("macro_hint")) hint->SetText(textKey);
}

// ---- recording ----

bool CMacroControlUI::UsesConstantTime() const {
    auto* check = dynamic_cast<ui::COptionUI*>(Find("macro_check_time"));
    return check != nullptr && check->IsSelected();
}

uint16_t CMacroControlUI::ReadConstantDelay() {
    ui::CControlUI* field = Find("macro_fixed_time_edit");
    if (field == nullptr) return events_.ConstantDelay();
    const std::string text = field->GetText();
    std::string digits;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        digits += c;
    }
    const uint16_t value = macros::ParseDelay(digits);
    if (value != events_.ConstantDelay() || digits != text) {
        field->SetText(std::to_string(value));
        if (auto* edit = dynamic_cast<ui::CEditUI*>(field)) edit->SetSel(-1, -1);
    }
    return value;
}

void CMacroControlUI::StartRecording(macros::TimingMode mode) {
    TakeSelection();
    TakeDelays();
    const uint16_t constant =
        mode == macros::TimingMode::Constant ? ReadConstantDelay() : events_.ConstantDelay();
    events_.StartRecording(mode, constant, GetTickCount());
    recording_ = true;
    for (std::string_view name : kLockedWhileRecording)
        if (ui::CControlUI* control = Find(name)) control->SetEnabled(false);
    if (ui::CControlUI* start = Find("macro_btn_starredio")) start->SetVisible(false);
    if (ui::CControlUI* stop = Find("macro_btn_stopredio")) stop->SetVisible(true);
}

void CMacroControlUI::StopRecording() {
    recording_ = false;
    for (std::string_view name : kLockedWhileRecording)
        if (ui::CControlUI* control = Find(name)) control->SetEnabled(true);
    if (ui::CControlUI* start = Find("macro_btn_starredio")) start->SetVisible(true);
    if (ui::CControlUI* stop = Find("macro_btn_stopredio")) stop->SetVisible(false);
}

void CMacroControlUI::AddKeyEvent(std::uint32_t message, const input::KeyHookRecord& event,
                                  InsertPosition position) {
    const auto index =
        events_.AddKeyEvent(input::IsKeyDownMessage(message), static_cast<uint8_t>(event.scanCode),
                            event.Extended(), event.time, position);
    if (!index) return;
    InsertRow(*index);
    if (*index > 0) ShowDelay(*index - 1);
    ShowSelection(position == InsertPosition::End);
}

void CMacroControlUI::AddMouseEvent(std::uint32_t message, const input::MouseHookRecord& event,
                                    InsertPosition position, bool insideStopButton) {
    const auto index =
        events_.AddMouseEvent(message, event.ExtraButton(), event.time, position, insideStopButton);
    if (!index) return;
    InsertRow(*index);
    if (*index > 0) ShowDelay(*index - 1);
    ShowSelection(position == InsertPosition::End);
}

void CMacroControlUI::InsertMouseAction(std::uint32_t message, int variant) {
    TakeSelection();
    int distance = 0;
    if (message == 0x200) {
        constexpr const char* kFields[] = {"mouse_x_left_edit", "mouse_x_right_edit",
                                           "mouse_y_up_edit", "mouse_y_down_edit"};
        if (variant < 0 || variant > 3) return;
        if (ui::CControlUI* field = Find(kFields[variant]))
            distance = static_cast<int>(macros::ParseDelay(field->GetText()));
    }
    const auto index = events_.InsertMouseAction(message, variant, distance);
    if (!index) return;
    InsertRow(*index);
    ShowSelection(true);
}

void CMacroControlUI::ReplaceKeyEvent(std::uint32_t message, const input::KeyHookRecord& event) {
    if (events_.ReplaceKeyEvent(input::IsKeyDownMessage(message),
                                static_cast<uint8_t>(event.scanCode), event.Extended())) {
        RebuildRow(static_cast<size_t>(events_.Selected()));
        ShowSelection(false);
    }
}

void CMacroControlUI::ReplaceMouseEvent(std::uint32_t message, const input::MouseHookRecord& event,
                                        bool insideStopButton) {
    if (events_.ReplaceMouseEvent(message, event.ExtraButton(), insideStopButton)) {
        RebuildRow(static_cast<size_t>(events_.Selected()));
        ShowSelection(false);
    }
}

// ---- editing the list ----

bool CMacroControlUI::Moved(bool moved, int visibleOffset) {
    if (!moved) return false;
    TakeDelays();
    RebuildRows();
    ShowSelection(false);
    ui::CListUI* list = EventList();
    if (list == nullptr) return true;
    const int target = events_.Selected() + visibleOffset;
    if (visibleOffset == 0 && events_.Selected() == 0)
        list->HomeUp();
    else if (target >= 0 && target < list->GetCount() && visibleOffset != 0)
        list->EnsureVisible(target);
    else
        list->EndDown();
    return true;
}

bool CMacroControlUI::MoveEventUp() {
    TakeSelection();
    TakeDelays();
    const int s = events_.Selected();
    return Moved(events_.MoveUp(), s + 5 - (s - 1));
}

bool CMacroControlUI::MoveEventDown() {
    TakeSelection();
    TakeDelays();
    const int s = events_.Selected();
    return Moved(events_.MoveDown(), s + 7 - (s + 1));
}

bool CMacroControlUI::MoveEventToTop() {
    TakeSelection();
    TakeDelays();
    return Moved(events_.MoveToTop(), 0);
}

bool CMacroControlUI::MoveEventToBottom() {
    TakeSelection();
    TakeDelays();
    const bool moved = events_.MoveToBottom();
    if (moved) {
        RebuildRows();
        ShowSelection(false);
        if (ui::CListUI* list = EventList()) list->EndDown();
    }
    return moved;
}

bool CMacroControlUI::DeleteEvent() {
    TakeSelection();
    TakeDelays();
    const int s = events_.Selected();
    if (!events_.Delete()) return false;
    if (ui::CListUI* list = EventList()) list->RemoveAt(s);
    return true;
}

void CMacroControlUI::DeleteAllEvents() {
    events_.DeleteAll();
    RebuildRows();
}

}  // namespace vivori::panels
