// The mouse's page and its notifications: what runs on the UI thread to show the
// device object's state and take the user's changes, and the reader side that hands
// codes over to it.

#include <algorithm>
#include <string>

#include "devices/AssignmentLabel.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/IDeviceKeyButton.h"
#include "panels/CKeySetControlUI.h"
#include "panels/CShootControlUI.h"
#include "panels/ColourText.h"
#include "platform/Debug.h"
#include "ui/core/CEditUI.h"
#include "ui/core/CLabelUI.h"
#include "ui/core/CListContainerElementUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CSliderUI.h"
#include "ui/core/CTabLayoutUI.h"
#include "ui/message/Messages.h"

namespace vivori::devices {
namespace {

// Posted to the device's own window: a notification code (wParam) from a reader.
constexpr ui::UINT kMsgNotificationCode = ui::WM_USER + 1;

constexpr const char* kLayoutPrefix = "DPI_layout_";
constexpr const char* kEnablePrefix = "DPI_enable_check_";
constexpr const char* kSelectPrefix = "DPI_select_check_";
constexpr const char* kSliderPrefix = "DPI_slider_";
constexpr const char* kEditPrefix = "DPI_edit_";
constexpr const char* kColourPrefix = "DPI_color_option_";
constexpr const char* kPollingPrefix = "polling_rate_option_";

constexpr const char* kSliderFore = "Control/SliderBar_BK1.png";
constexpr const char* kCurrentThumb = "Control/SliderBar1_Thumb.png";
constexpr const char* kOtherThumb = "Control/SliderBar2_Thumb.png";

constexpr int kSummaryNameWidth = 200;
constexpr int kSummaryValueWidth = 180;
constexpr ui::UiColor kSummaryNameColour = 0xFFFFFFFF;
constexpr ui::UiColor kSummaryValueColour = 0xFF0099FF;
constexpr int kCustomLightBase = 10;

}  // namespace

template <typename T>
T* CQuorvaneMouseDevice::Control(const std::string& name) {
    return dynamic_cast<T*>(FindChild(name));
}

template <typename T>
T* CQuorvaneMouseDevice::Panel(std::string_view interfaceName) {
    ui::CControlUI* panel = FindControl(
        [interfaceName](ui::CControlUI* c) { return c->GetInterface(interfaceName) ? c : nullptr; },
        ui::kFindAll);
    return panel ? static_cast<T*>(panel->GetInterface(interfaceName)) : nullptr;
}

template <typename T>
T* CQuorvaneMouseDevice::StageControl(const char* prefix, int index) {
    return Control<T>(prefix + std::to_string(index));
}

void CQuorvaneMouseDevice::BuildPage() {
    // Reader threads post here: the window must belong to the UI thread.
    postWindow_.Create();
    textLabel_ = FindChild("text_test");
    logo_ = FindChild("logo");
    LoadNameLists();
    SelectSettingsTab(0);
    if (auto* keys = Panel<panels::CKeySetControlUI>("KeySetControl")) {
        keys->SetDeviceKind(panels::CKeySetControlUI::kKindMouse);
        keys->SetMacroNames(macroNames_);
    }
    if (auto* recoil = Panel<panels::CShootControlUI>("ShootControl"))
        recoil->SetFolders(DataFolder(), DefaultDataFolder());
}

std::string CQuorvaneMouseDevice::Translate(const std::string& key) {
    if (textLabel_ == nullptr) return key;
    textLabel_->SetText(key);
    return textLabel_->GetText();
}

void CQuorvaneMouseDevice::ShowTip(int page) {
    CQuorvaneUSBDevice::ShowTip(page);
    if (ui::CControlUI* hint = FindChild("device_tishi_info")) hint->SetVisible(false);
}

void CQuorvaneMouseDevice::SelectKey(int index) {
    if (index < 0 || index >= kButtonCount) return;
    CQuorvaneUSBDevice::SelectKey(index);
    for (int j = 0; j < kButtonCount; ++j)
        if (ui::CControlUI* button = KeyButton(j))
            if (auto* key = static_cast<IDeviceKeyButton*>(button->GetInterface(kDeviceKeyButton)))
                key->SetCurrentKey(j == index);
    ShowTip(2);  // the key assignment panel
}

// ---- refresh ----

void CQuorvaneMouseDevice::RefreshPage() {
    LoadNameLists();
    RefreshButtonSummary();
    RefreshLightSummary();
    const LightParameters light = Light();
    SetCurrentColour(light.red, light.green, light.blue);
    ShowLightParameters();
    ShowStages();
    SelectPollingOption(system_.reportRate);
    ShowSystemControls();
}

void CQuorvaneMouseDevice::ShowStages() {
    // Positions mean nothing before the information block gives their scale: the
    // stages wait, disabled, under a note that the mouse is not answering.
    if (ui::CControlUI* stages = FindChild("DPI_stages_layout")) stages->SetEnabled(infoRead_);
    if (ui::CControlUI* note = FindChild("DPI_not_answering_label")) note->SetVisible(!infoRead_);
    if (ui::CControlUI* title = FindChild("DPI_title_label")) title->SetVisible(infoRead_);
    for (size_t i = 0; i < stages_.size() && i < size_t(kStageCount); ++i) {
        const profiles::DpiStage& stage = stages_[i];
        SetStageLayout(int(i), stage.stageActive != 0);
        ShowStageValue(int(i), stage.dpiX);
        SetStageColourControl(int(i), panels::OpaqueColour(stage.red, stage.green, stage.blue));
    }
}

void CQuorvaneMouseDevice::ShowSystemControls() {
    if (ui::CSliderUI* slider = PointerSpeedSlider()) slider->SetValue(system_.mouseSpeed);
    if (ui::CSliderUI* slider = DoubleClickSlider()) slider->SetValue(system_.doubleClickTime);
    if (ui::COptionUI* check = PointerPrecisionCheck())
        check->Selected(system_.pointerPrecision != 0, false);
    SetScrollControls(system_.scrollPage != 0, system_.wheelScrollLines);
}

std::vector<std::pair<std::string, std::string>> CQuorvaneMouseDevice::ButtonSummary() {
    const TextOf text = [this](std::string_view key) { return Translate(std::string(key)); };
    std::vector<std::pair<std::string, std::string>> rows;
    for (int j = 0; j < kButtonCount; ++j) {
        if (KeyButton(j) == nullptr) continue;
        std::string shown;
        if (size_t(j) < keys_.size())
            shown = AssignmentLabel(keys_[size_t(j)].current, text, macroNames_).value_or("");
        rows.emplace_back(Translate(ButtonFunctions()[size_t(j)].nameKey), shown);
    }
    return rows;
}

void CQuorvaneMouseDevice::RefreshButtonSummary() {
    auto* list = Control<ui::CListUI>("device_setkeyinfo_list");
    if (list == nullptr) return;
    const auto rows = ButtonSummary();
    // Rows are added as needed and kept: the list is rebuilt in place.
    while (list->GetCount() < int(rows.size())) {
        auto* row = new ui::CListContainerElementUI;
        auto* name = new ui::CLabelUI;
        name->SetFixedWidth(kSummaryNameWidth);
        name->SetTextColor(kSummaryNameColour);
        auto* value = new ui::CLabelUI;
        value->SetFixedWidth(kSummaryValueWidth);
        value->SetTextColor(kSummaryValueColour);
        value->SetAttribute("endellipsis", "true");
        row->Add(name);
        row->Add(value);
        list->Add(row);
    }
    for (int r = 0; r < list->GetCount(); ++r) {
        auto* row = dynamic_cast<ui::CContainerUI*>(list->GetItemAt(r));
        if (row == nullptr || row->GetCount() < 2) continue;
        row->SetVisible(r < int(rows.size()));
        if (r >= int(rows.size())) continue;
        row->GetItemAt(0)->SetText(rows[size_t(r)].first);
        row->GetItemAt(1)->SetText(rows[size_t(r)].second);
    }
}

void CQuorvaneMouseDevice::RefreshLightSummary() {
    const int mode = Light().mode;
    std::string name;
    if (mode >= kCustomLightBase) {
        const size_t custom = size_t(mode - kCustomLightBase);
        if (custom < nameLists_.customNames.size()) name = nameLists_.customNames[custom];
    } else if (size_t(mode) < nameLists_.modeNames.size()) {
        name = Translate(nameLists_.modeNames[size_t(mode)]);
    }
    summary_ = Translate("Light_Set") + "\n" + Translate("Overall_Light_Set") + name;
    if (logo_ != nullptr) logo_->SetToolTip(summary_);
}

// ---- DPI stages ----

void CQuorvaneMouseDevice::SetDpiRanges() {
    const DpiScale scale = Scale();
    for (int i = 0; i < kStageCount; ++i) {
        if (auto* slider = StageControl<ui::CSliderUI>(kSliderPrefix, i)) {
            slider->SetMinValue(0);
            slider->SetMaxValue(scale.highest);
        }
        // The edit takes the digits of the highest DPI; the text is clamped when read.
        if (auto* edit = StageControl<ui::CEditUI>(kEditPrefix, i))
            edit->SetMaxChar(int(std::to_string(PositionToDpi(scale, scale.highest)).size()));
    }
}

void CQuorvaneMouseDevice::SelectDpiStage(int index) {
    index = std::clamp(index, 0, kStageCount - 1);
    profile_.SetActiveDpiStage(index);
    block_[mouse_byte::kDpiStage] = static_cast<uint8_t>(index);
    for (int i = 0; i < kStageCount; ++i)
        if (auto* check = StageControl<ui::COptionUI>(kSelectPrefix, i))
            check->Selected(i == index, false);
}

void CQuorvaneMouseDevice::SetStageLayout(int index, bool enabled) {
    if (ui::CControlUI* layout = StageControl<ui::CControlUI>(kLayoutPrefix, index))
        layout->SetEnabled(enabled);
    if (auto* check = StageControl<ui::COptionUI>(kEnablePrefix, index))
        check->Selected(enabled, false);
    if (enabled) return;
    // At least one stage stays on: the last enabled check cannot be cleared.
    ui::COptionUI* last = nullptr;
    int selected = 0;
    for (int i = 0; i < kStageCount; ++i)
        if (auto* check = StageControl<ui::COptionUI>(kEnablePrefix, i);
            check && check->IsSelected()) {
            ++selected;
            last = check;
        }
    if (selected == 1) last->SetEnabled(false);
}

bool CQuorvaneMouseDevice::IsStageEnabled(int index) {
    auto* check = StageControl<ui::COptionUI>(kEnablePrefix, index);
    return check != nullptr && check->IsSelected();
}

void CQuorvaneMouseDevice::ShowStageValue(int index, int position) {
    const bool current = index == CurrentDpiStage();
    if (auto* slider = StageControl<ui::CSliderUI>(kSliderPrefix, index)) {
        slider->SetValue(position);
        const std::string thumb =
            std::string("file='") + (current ? kCurrentThumb : kOtherThumb) + "'";
        slider->SetAttribute("foreimage", std::string("file='") + kSliderFore + "'");
        slider->SetAttribute("thumbimage", thumb);
        slider->SetAttribute("thumbhotimage", thumb);
        slider->SetAttribute("thumbpushedimage", thumb);
    }
    if (auto* check = StageControl<ui::COptionUI>(kEnablePrefix, index))
        check->SetEnabled(!current);
    if (auto* check = StageControl<ui::COptionUI>(kSelectPrefix, index))
        check->Selected(current, false);
    if (auto* edit = StageControl<ui::CControlUI>(kEditPrefix, index))
        edit->SetText(infoRead_ ? std::to_string(PositionToDpi(Scale(), position)) : "");
}

int CQuorvaneMouseDevice::GetSliderPosition(int index) {
    auto* slider = StageControl<ui::CSliderUI>(kSliderPrefix, index);
    return slider != nullptr ? slider->GetValue() : 0;
}

int CQuorvaneMouseDevice::EditToSliderPosition(int index) {
    auto* edit = StageControl<ui::CControlUI>(kEditPrefix, index);
    return DpiTextToPosition(Scale(), edit != nullptr ? edit->GetText() : std::string());
}

void CQuorvaneMouseDevice::SetStageColourControl(int index, ui::UiColor colour) {
    panels::PaintColourSample(StageControl<ui::CControlUI>(kColourPrefix, index), colour);
}

ui::UiColor CQuorvaneMouseDevice::GetStageColourControl(int index) {
    ui::CControlUI* option = StageControl<ui::CControlUI>(kColourPrefix, index);
    return option != nullptr ? option->GetBkColor() : 0;
}

void CQuorvaneMouseDevice::SelectPollingOption(int index) {
    if (index < 0 || index >= kPollingOptions) index = 0;
    for (int i = 0; i < kPollingOptions; ++i)
        if (auto* option = StageControl<ui::COptionUI>(kPollingPrefix, i))
            option->Selected(i == index, false);
}

void CQuorvaneMouseDevice::SetScrollControls(bool page, int speed) {
    if (ui::COptionUI* check = ScrollPageCheck()) check->Selected(page, false);
    if (ui::CSliderUI* slider = ScrollSpeedSlider()) slider->SetValue(speed);
}

void CQuorvaneMouseDevice::SelectSettingsTab(int index) {
    if (index < 0 || index >= kSettingsTabs) index = 0;
    SelectTab("mouse_device_seting_layout", index);
    auto* options = Control<ui::CContainerUI>("mouse_option_layout");
    if (options == nullptr) return;
    const std::string wanted = "mouse_device_seting_option_" + std::to_string(index);
    for (int i = 0; i < options->GetCount(); ++i)
        if (auto* option = dynamic_cast<ui::COptionUI*>(options->GetItemAt(i)))
            option->Selected(ui::EqualNoCase(option->GetName(), wanted), false);
}

ui::CSliderUI* CQuorvaneMouseDevice::PointerSpeedSlider() {
    return Control<ui::CSliderUI>("pointer_speed_slider");
}
ui::COptionUI* CQuorvaneMouseDevice::PointerPrecisionCheck() {
    return Control<ui::COptionUI>("pointer_precision_check");
}
ui::COptionUI* CQuorvaneMouseDevice::ScrollPageCheck() {
    return Control<ui::COptionUI>("scrolls_page_check");
}
ui::CSliderUI* CQuorvaneMouseDevice::ScrollSpeedSlider() {
    return Control<ui::CSliderUI>("scroll_speed_slider");
}
ui::CSliderUI* CQuorvaneMouseDevice::DoubleClickSlider() {
    return Control<ui::CSliderUI>("double_click_slider");
}

// ---- page reactions ----

int CQuorvaneMouseDevice::WriteAndSave() {
    SaveProfile();
    return WriteSettings();
}

int CQuorvaneMouseDevice::CommitStagePosition(int index, int position) {
    // Without the scale a position is no DPI: nothing is stored.
    if (index < 0 || index >= kStageCount || !infoRead_) return CMD_NO_REPLY;
    position = std::clamp(position, 0, std::max(Scale().highest, 0));
    ShowStageValue(index, position);
    std::vector<profiles::DpiStage> stages = stages_;
    if (stages.size() < size_t(index) + 1) stages.resize(size_t(index) + 1);
    stages[size_t(index)].dpiX = static_cast<uint16_t>(position);
    SetDpiStages(std::move(stages));
    return WriteAndSave();
}

int CQuorvaneMouseDevice::OnStageSelected(int index) {
    // The sliders' positions are stored too, so the scale must be known.
    if (index < 0 || index >= kStageCount || !infoRead_) return CMD_NO_REPLY;
    SelectDpiStage(index);
    std::vector<profiles::DpiStage> stages = stages_;
    if (stages.size() < size_t(kStageCount)) stages.resize(size_t(kStageCount));
    for (int i = 0; i < kStageCount; ++i) {
        // Without a page (the command-line tool) the stored positions stand.
        const bool shown = StageControl<ui::CSliderUI>(kSliderPrefix, i) != nullptr;
        const int position = shown ? GetSliderPosition(i) : stages[size_t(i)].dpiX;
        ShowStageValue(i, position);
        stages[size_t(i)].dpiX = static_cast<uint16_t>(position);
    }
    SetDpiStages(std::move(stages));
    return WriteAndSave();
}

int CQuorvaneMouseDevice::OnStageEnabled(int index) {
    if (index < 0 || index >= kStageCount) return CMD_NO_REPLY;
    bool enabled = IsStageEnabled(index);
    if (!enabled) {
        // A click that reached a check the page had locked still keeps one stage on.
        bool another = false;
        for (int i = 0; i < kStageCount; ++i)
            another = another || (i != index && IsStageEnabled(i));
        if (!another) enabled = true;
    }
    SetStageLayout(index, enabled);
    std::vector<profiles::DpiStage> stages = stages_;
    if (stages.size() < size_t(index) + 1) stages.resize(size_t(index) + 1);
    stages[size_t(index)].stageActive = enabled ? 1 : 0;
    SetDpiStages(std::move(stages));
    return WriteAndSave();
}

int CQuorvaneMouseDevice::OnStageColour(int index, ui::UiColor colour) {
    if (index < 0 || index >= kStageCount) return CMD_NO_REPLY;
    SetStageColourControl(index, colour | 0xFF000000u);
    std::vector<profiles::DpiStage> stages = stages_;
    if (stages.size() < size_t(index) + 1) stages.resize(size_t(index) + 1);
    profiles::DpiStage& stage = stages[size_t(index)];
    stage.red = static_cast<uint8_t>(colour >> 16);
    stage.green = static_cast<uint8_t>(colour >> 8);
    stage.blue = static_cast<uint8_t>(colour);
    SetDpiStages(std::move(stages));
    return WriteAndSave();
}

int CQuorvaneMouseDevice::OnPollingOption(int index) {
    if (index < 0 || index >= kPollingOptions) index = 0;
    SelectPollingOption(index);
    auto words = GetSystemSettings();
    words[2] = uint32_t(index) << 16 | (words[2] & 0xFFFF);
    SetSystemSettings(words[0], words[1], words[2]);
    return WriteAndSave();
}

void CQuorvaneMouseDevice::OnSystemControl(std::string_view name) {
    auto words = GetSystemSettings();
    auto value = [](ui::CProgressUI* control) {
        return control != nullptr ? uint32_t(std::max(control->GetValue(), 0)) & 0xFFFF : 0u;
    };
    auto checked = [](ui::COptionUI* check) { return check != nullptr && check->IsSelected(); };
    if (ui::EqualNoCase(name, "pointer_speed_slider")) {
        words[0] = value(PointerSpeedSlider()) << 16 | (words[0] & 0xFFFF);
    } else if (ui::EqualNoCase(name, "double_click_slider")) {
        words[0] = (words[0] & 0xFFFF0000u) | value(DoubleClickSlider());
    } else if (ui::EqualNoCase(name, "pointer_precision_check")) {
        words[1] = (words[1] & 0xFFFF0000u) | (checked(PointerPrecisionCheck()) ? 1u : 0u);
    } else if (ui::EqualNoCase(name, "scroll_speed_slider")) {
        if (ui::COptionUI* check = ScrollPageCheck()) check->Selected(false, false);
        words[2] = (words[2] & 0xFFFF0000u) | value(ScrollSpeedSlider());
        words[1] &= 0xFFFF;
    } else if (ui::EqualNoCase(name, "scrolls_page_check")) {
        words[1] = (checked(ScrollPageCheck()) ? 1u : 0u) << 16 | (words[1] & 0xFFFF);
        words[2] = (words[2] & 0xFFFF0000u) | value(ScrollSpeedSlider());
    } else {
        return;
    }
    SetSystemSettings(words[0], words[1], words[2]);
    SaveProfile();
}

// ---- notifications ----

void CQuorvaneMouseDevice::OnNotificationReport(const std::vector<HidDataItem>& items,
                                                bool receiverWay) {
    DebugOutput("接收到自动添加设备的同步信息要求  TEST");
    const std::optional<uint16_t> code = NotificationValueCode(items);
    if (!code) return;
    if (*code == kCodeFade) {
        // Only the cable brings it; it feeds the preview and touches no page.
        if (receiverWay) return;
        CriticalSectionLock lock(lightLock_);
        effects_.TriggerFade();
        return;
    }
    // Everything else touches the page or the commands: the UI thread does it.
    postWindow_.Post(kMsgNotificationCode, *code, receiverWay ? 1 : 0);
}

void CQuorvaneMouseDevice::HandleWindowMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) {
    (void)l;
    if (msg == kMsgNotificationCode) {
        OnNotificationCode(static_cast<uint16_t>(w));
    } else if (msg == ui::WM_TIMER && w == kSyncTimer) {
        ui::KillTimer(postWindow_.Handle(), kSyncTimer);
        SyncFromDevice();
    }
}

void CQuorvaneMouseDevice::OnNotificationCode(uint16_t code) {
    if (code == kCodeSync) {
        DebugOutput("接收到自动添加设备的同步信息要求");
        // Several requests in a row make one re-read.
        ui::SetTimer(postWindow_.Handle(), kSyncTimer, kSyncDelayMs);
        return;
    }
    if (code <= kCodeSync || !commands_.IsOpen()) return;
    const int high = code >> 8;
    if (high != 0x10 && high != 0x11) return;
    block_[mouse_byte::kValue] = code & 0x0F;
    if (high == 0x11) {
        const int stage = std::min((code >> 4) & 0x0F, kStageCount - 1);
        block_[mouse_byte::kDpiStage] = static_cast<uint8_t>(stage);
        profile_.SetActiveDpiStage(stage);
    }
    RefreshPage();
}

}  // namespace vivori::devices
