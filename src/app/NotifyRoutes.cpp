#include "app/NotifyRoutes.h"

#include <algorithm>
#include <charconv>

#include "ui/core/UiTypes.h"

namespace vivori::app {
namespace {

enum class Match {
    Any,       // every sender
    Name,      // the whole name, without regard to case
    NameCase,  // the whole name, letter case included
    Prefix,    // the prefix of an indexed name, without regard to case
};

struct Rule {
    std::string_view type;
    Match match;
    std::string_view name;
    std::string_view handler;
};

// The order within a type is the order the handlers run in. No sender name matches
// two click rules, so a click on "closebtn" reaches nothing else.
constexpr Rule kRules[] = {
    {"windowinit", Match::Any, "", "WindowInit"},
    {"windowsize", Match::Name, "root", "SizeChanged"},
    {"colorchanged", Match::Name, "deng_Color_Pallet", "LightPanelColour"},
    {"colorchanged", Match::Name, "deng_audioColor_Pallet", "AudioStyleColour"},
    {"click_select_end", Match::Name, "device_key_light", "KeyLightSelection"},
    {"click_select_end", Match::Name, "mouse_device_key_light", "MouseKeyLightSelection"},
    // Clicks: window-level names, caption buttons, indexed names, then the rest.
    {"click", Match::Name, "closebtn", "HideToTray"},
    {"click", Match::Name, "nodevice_ok_btn", "HideWindow"},
    {"click", Match::Name, "control_light_status", "ToggleLightControl"},
    {"click", Match::Name, "minbtn", "Minimize"},
    {"click", Match::Name, "maxbtn", "Maximize"},
    {"click", Match::Name, "restorebtn", "Restore"},
    {"click", Match::Name, "skinbtn", "OpenSkinWindow"},
    {"click", Match::Name, "setbtn", "OpenSettingsAnchored"},
    {"click", Match::Name, "gamemodebtn", "NoAction"},
    {"click", Match::Name, "cloudbtn", "NoAction"},
    {"click", Match::Name, "smarteyesbtn", "NoAction"},
    {"click", Match::Prefix, "key_", "KeyButtonClicked"},
    {"click", Match::Prefix, "color_option_", "PresetColour"},
    {"click", Match::Prefix, "audiocolor_option_", "AudioPresetColour"},
    {"click", Match::Prefix, "windowdeviceset_", "SystemInputSettings"},
    {"click", Match::Prefix, "DPI_color_option_", "DpiStageColour"},
    {"click", Match::Name, "default_btn", "FactoryReset"},
    {"click", Match::Name, "reset_repeat_btn", "ResetKeyRepeat"},
    {"click", Match::Name, "device_add_btn", "ProfileAdd"},
    {"click", Match::Name, "device_sub_btn", "ProfileDelete"},
    {"click", Match::Name, "device_export_btn", "ProfileExport"},
    {"click", Match::Name, "device_import_btn", "ProfileImport"},
    {"click", Match::Name, "device_copy_btn", "ProfileCopy"},
    {"click", Match::Name, "device_reset_btn", "ProfileReset"},
    {"click", Match::Name, "device_profile_edit_save_btn", "ProfileRename"},
    {"click", Match::Name, "key_butt_keysave", "KeyAssignmentSave"},
    {"click", Match::Name, "key_butt_keydefalut", "KeyAssignmentDefault"},
    {"click", Match::Name, "key_butt_keycancel", "KeyAssignmentCancel"},
    {"click", Match::Name, "key_butt_prosave", "KeyAssignmentSaveToProfile"},
    {"click", Match::Name, "macro_btn_starredio", "MacroRecordStart"},
    {"click", Match::Name, "macro_btn_stopredio", "MacroRecordStop"},
    {"click", Match::Name, "macro_btn_name_add", "MacroFileOperation"},
    {"click", Match::Name, "macro_btn_name_sub", "MacroFileOperation"},
    {"click", Match::Name, "macro_btn_name_edit", "MacroFileOperation"},
    {"click", Match::Name, "macro_btn_save", "MacroFileOperation"},
    {"click", Match::Name, "macro_btn_cancel", "MacroFileOperation"},
    {"click", Match::Name, "macro_btn_export", "MacroFileOperation"},
    {"click", Match::Name, "macro_btn_import", "MacroFileOperation"},
    {"click", Match::Name, "macro_btn_up", "MacroActionEdit"},
    {"click", Match::Name, "macro_btn_down", "MacroActionEdit"},
    {"click", Match::Name, "macro_btn_uptop", "MacroActionEdit"},
    {"click", Match::Name, "macro_btn_downbottom", "MacroActionEdit"},
    {"click", Match::Name, "macro_btn_delete", "MacroActionEdit"},
    {"click", Match::Name, "macro_btn_deleteall", "MacroActionEdit"},
    {"click", Match::Name, "shootdate_save_btn", "RecoilOperation"},
    {"click", Match::Name, "shootdate_reset_btn", "RecoilOperation"},
    {"click", Match::Name, "shootdate_import_btn", "RecoilOperation"},
    {"click", Match::Name, "shootdate_export_btn", "RecoilOperation"},
    {"click", Match::Name, "bullet_selected_prev", "RecoilOperation"},
    {"click", Match::Name, "bullet_selected_next", "RecoilOperation"},
    {"click", Match::Name, "custom_bright_color_btn", "CustomPaintLit"},
    {"click", Match::Name, "custom_off_color_btn", "CustomPaintOff"},
    {"click", Match::Name, "deng_same_mode", "SynchronisedLighting"},
    {"click", Match::Name, "deng_colordp_btn", "OpenLightPalette"},
    {"click", Match::Name, "hs_EQ_btn_save", "EqualiserPresetSave"},
    {"click", Match::Name, "hs_EQ_btn_delete", "EqualiserPresetDelete"},
    {"click", Match::NameCase, "profile_fun_spread_btn", "ProfilePanelFold"},
    {"click", Match::NameCase, "macro_inset_moveleftkey_btn", "MacroInsertMove"},
    {"click", Match::NameCase, "macro_inset_moverightkey_btn", "MacroInsertMove"},
    {"click", Match::NameCase, "macro_inset_moveupkey_btn", "MacroInsertMove"},
    {"click", Match::NameCase, "macro_inset_movedownkey_btn", "MacroInsertMove"},
    {"click", Match::Name, "device_select_prev", "SelectPreviousDevice"},
    {"click", Match::Name, "device_select_next", "SelectNextDevice"},
    {"click", Match::Name, "Close_bkColor_btn", "BackgroundLightOff"},
    {"click", Match::Name, "music_setting_btn", "OpenAudioStyleWindow"},
    // Selection changes of options, check boxes and tab buttons.
    {"selectchanged", Match::Prefix, "DPI_enable_check_", "DpiStageEnable"},
    {"selectchanged", Match::Prefix, "DPI_select_check_", "DpiStageSelect"},
    {"selectchanged", Match::Prefix, "polling_rate_option_", "ReportRate"},
    {"selectchanged", Match::Prefix, "repeat_delay_check_", "KeyRepeatDelay"},
    {"selectchanged", Match::Prefix, "mouse_device_seting_option_", "MouseSettingsPage"},
    {"selectchanged", Match::Prefix, "shoot_gun_op_", "RecoilWeapon"},
    {"selectchanged", Match::Prefix, "bullet_op_", "RecoilBullet"},
    {"selectchanged", Match::Prefix, "magic_option_", "VoiceEffect"},
    {"selectchanged", Match::Prefix, "6533_eq_option_", "EqualiserPreset"},
    {"selectchanged", Match::Prefix, "key_ComBox_check_", "KeyComboModifier"},
    {"selectchanged", Match::Name, "pointer_precision_check", "MouseSystemSetting"},
    {"selectchanged", Match::Name, "scrolls_page_check", "MouseSystemSetting"},
    {"selectchanged", Match::Name, "winlockflag_option", "KeyboardLockFlag"},
    {"selectchanged", Match::Name, "wflag_option", "KeyboardLockFlag"},
    {"selectchanged", Match::Name, "6flag_option", "KeyboardLockFlag"},
    {"selectchanged", Match::Name, "device_select", "DeviceChosen"},
    {"selectchanged", Match::Name, "synchro_device_select", "NoAction"},
    {"selectchanged", Match::Name, "deng_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "key_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "macro_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "system_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "cursor_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "6533_voice_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "magic_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "Virtual7.1_Op_tab", "PageTab"},
    {"selectchanged", Match::Name, "deng_FXL_check", "LightDirection"},
    {"selectchanged", Match::Name, "deng_FXR_check", "LightDirection"},
    {"selectchanged", Match::Name, "deng_7color_check", "LightColourful"},
    {"selectchanged", Match::Name, "bullet_x_check", "RecoilAxis"},
    {"selectchanged", Match::Name, "bullet_y_check", "RecoilAxis"},
    {"selectchanged", Match::Name, "magic_enable_option", "HeadsetSwitch"},
    {"selectchanged", Match::Name, "6533_MicIn_option", "HeadsetSwitch"},
    {"selectchanged", Match::Name, "6533_MicMoniter_option", "HeadsetSwitch"},
    {"selectchanged", Match::Name, "deng_7audiocolor_check", "AudioStyleOption"},
    {"selectchanged", Match::Name, "audio_BkColor_check", "AudioStyleOption"},
    {"selectchanged", Match::Name, "audio_FgColor_check", "AudioStyleOption"},
    // Lists and combos; the key assignment combos also save at once.
    {"itemselect", Match::Name, "device_profile_combo", "ProfileChosen"},
    {"itemselect", Match::Name, "light_combo_modeSelect", "LightModeList"},
    {"itemselect", Match::Name, "light_combo_custommodeSelect", "LightModeList"},
    {"itemselect", Match::Name, "light_combo_ZZCCmodeSelect", "LightModeList"},
    {"itemselect", Match::Name, "light_combo_audiomodeSelect", "AudioModeList"},
    {"itemselect", Match::Name, "keyset_function_combo", "KeyFunctionType"},
    {"itemselect", Match::Name, "keyset_macro_over_combo", "MacroEndMode"},
    {"itemselect", Match::Name, "macro_name_list", "MacroChosen"},
    {"itemselect", Match::Name, "custom_eq_name_combo", "EqualiserPresetChosen"},
    {"itemselect", Match::Name, "keyset_function_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_mousekey_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_mouseswing_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_mousewheel_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_mousedpi_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_media_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_system_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_macro_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_macro_over_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_gunkey_combo", "KeyAssignmentSave"},
    {"itemselect", Match::Name, "keyset_combokey_combo", "KeyAssignmentSave"},
    // Sliders, while dragged and when let go.
    {"valuechanged", Match::Prefix, "DPI_slider_", "DpiStageValue"},
    {"valuechanged", Match::Prefix, "6533_eq_hz_slider_", "EqualiserBand"},
    {"valuechanged", Match::Name, "pointer_speed_slider", "MouseSystemSlider"},
    {"valuechanged", Match::Name, "scroll_speed_slider", "MouseSystemSlider"},
    {"valuechanged", Match::Name, "double_click_slider", "MouseSystemSlider"},
    {"valuechanged", Match::Name, "repeat_rate_slider", "KeyRepeatRate"},
    {"valuechanged", Match::Name, "deng_light_slider", "LightBrightness"},
    {"valuechanged", Match::Name, "deng_speed_slider", "LightSpeed"},
    {"valuechanged", Match::Name, "6533_MicIn_slider", "HeadsetMicLevel"},
    {"valuechanged", Match::Name, "6533_MicMoniter_slider", "HeadsetMicLevel"},
    {"valuechanged", Match::Name, "R_light_slider", "AudioChannelSlider"},
    {"valuechanged", Match::Name, "G_light_slider", "AudioChannelSlider"},
    {"valuechanged", Match::Name, "B_light_slider", "AudioChannelSlider"},
    {"movevaluechanged", Match::Prefix, "zunik_DPI_slider_", "DpiSliderShowsValue"},
    {"movevaluechanged", Match::Prefix, "DPI_slider_", "DpiStageDrag"},
    // Edits when they lose the focus; a DPI edit also takes Enter as its confirmation.
    {"killfocus", Match::Prefix, "DPI_edit_", "DpiStageTyped"},
    {"return", Match::Prefix, "DPI_edit_", "DpiStageTyped"},
    {"killfocus", Match::Prefix, "zunik_DPI_edit_", "DpiEditSetsSlider"},
    {"killfocus", Match::Name, "deng_edit_R", "LightColourTyped"},
    {"killfocus", Match::Name, "deng_edit_G", "LightColourTyped"},
    {"killfocus", Match::Name, "deng_edit_B", "LightColourTyped"},
    {"killfocus", Match::Name, "deng_audioedit_R", "AudioColourTyped"},
    {"killfocus", Match::Name, "deng_audioedit_G", "AudioColourTyped"},
    {"killfocus", Match::Name, "deng_audioedit_B", "AudioColourTyped"},
    {"killfocus", Match::Name, "keyset_keyboard_text_edit", "RemoveInputHook"},
    {"killfocus", Match::Name, "bullet_x_eidt", "RecoilValueTyped"},
    {"killfocus", Match::Name, "bullet_y_eidt", "RecoilValueTyped"},
    {"killfocus", Match::Name, "bullet_delay_eidt", "RecoilValueTyped"},
    {"killfocus", Match::Name, "macro_delay", "MacroDelayTyped"},
    {"killfocus", Match::Name, "keyset_mouseswing_num_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_mouseswing_delay_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_mouseswing_speed_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_mousewheel_num_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_mousewheel_delay_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_mousewheel_speed_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_mousefire_interval_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_mousefire_num_edit", "KeyAssignmentSave"},
    {"killfocus", Match::Name, "keyset_macro_cycle_edit", "KeyAssignmentSave"},
    // The window's message map.
    {"itemactivate", Match::Name, "macro_action", "EditMacroAction"},
    {"setfocus", Match::Name, "keyset_keyboard_text_edit", "InstallInputHook"},
};

bool Matches(const Rule& rule, std::string_view name, const std::optional<IndexedName>& split) {
    switch (rule.match) {
        case Match::Any:
            return true;
        case Match::Name:
            return ui::EqualNoCase(rule.name, name);
        case Match::NameCase:
            return rule.name == name;
        case Match::Prefix:
            return split && ui::EqualNoCase(rule.name, split->prefix);
    }
    return false;
}

}  // namespace

std::optional<IndexedName> SplitIndexedName(std::string_view name) {
    const size_t last = name.rfind('_');
    if (last == std::string_view::npos) return std::nullopt;
    IndexedName split{std::string(name.substr(0, last + 1)), 0};
    const std::string_view tail = name.substr(last + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(tail.data(), tail.data() + tail.size(), value);
    if (error == std::errc() && end == tail.data() + tail.size()) split.index = value;
    return split;
}

std::vector<Route> NotifyRoutes::Resolve(std::string_view type, std::string_view name) {
    std::vector<Route> routes;
    const std::optional<IndexedName> split = SplitIndexedName(name);
    for (const Rule& rule : kRules) {
        if (rule.type != type || !Matches(rule, name, split)) continue;
        routes.push_back({rule.handler, rule.match == Match::Prefix ? split->index : -1});
    }
    return routes;
}

bool NotifyRoutes::EndsRouting(std::string_view type) {
    return type == "click_wpremove" || type == "click_wpedit";
}

std::vector<std::string_view> NotifyRoutes::Handlers() {
    std::vector<std::string_view> handlers;
    for (const Rule& rule : kRules)
        if (std::find(handlers.begin(), handlers.end(), rule.handler) == handlers.end())
            handlers.push_back(rule.handler);
    return handlers;
}

}  // namespace vivori::app
