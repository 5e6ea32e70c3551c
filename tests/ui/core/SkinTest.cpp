#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <vector>

#include "platform/Debug.h"
#include "ui/core/CButtonUI.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::ui {
namespace {

namespace fs = std::filesystem;

const fs::path kSkin = VIVORI_SKIN_DIR;

// The program's own control classes stand in here as the toolkit controls they derive
// from, and the panel elements build their panel files, as the main window's factory
// does; so the whole tree of a page is built from the real files.
CControlUI* StandIn(std::string_view name, CPaintManagerUI* manager) {
    static const std::vector<std::pair<std::string_view, std::string_view>> panels = {
        {"DeviceProfileUI", "XML/CustomControlXML/DeviceProfile.xml"},
        {"LightSetControlUI", "XML/CustomControlXML/LightControl.xml"},
        {"KeySetControlUI", "XML/CustomControlXML/KeySetControl.xml"},
        {"MacroSetControlUI", "XML/CustomControlXML/MacroControl.xml"},
        {"ShootKeySetControlUI", "XML/CustomControlXML/ShootControl.xml"},
    };
    for (const auto& [element, file] : panels) {
        if (EqualNoCase(name, element)) {
            CDialogBuilder builder;
            return builder.Create(
                file, [manager](std::string_view inner) { return StandIn(inner, manager); },
                manager);
        }
    }
    for (std::string_view button : {"DeviceKeyButton", "MenuElement"}) {
        if (EqualNoCase(name, button)) return new CButtonUI;
    }
    for (std::string_view horizontal : {"QuorvaneKeyboardDevice", "QuorvaneMouseDevice",
                                        "DeviceOption", "MpDevicePower", "LightControl"}) {
        if (EqualNoCase(name, horizontal)) return new CHorizontalLayoutUI;
    }
    for (std::string_view vertical : {"SelectPanel", "DeviceProfile", "KeySetControl",
                                      "MacroControl", "ShootControl", "Menu"}) {
        if (EqualNoCase(name, vertical)) return new CVerticalLayoutUI;
    }
    return nullptr;
}

class SkinTest : public ::testing::Test {
  protected:
    void SetUp() override { CPaintManagerUI::SetResourcePath(kSkin.string()); }
    void TearDown() override { CPaintManagerUI::SetResourcePath(""); }

    // Builds a layout into a manager of the window's size; an element that no factory
    // knows is a failure, as it would silently vanish from the window.
    CControlUI* Build(std::string_view layout, CPaintManagerUI& manager, UiSize size) {
        DebugCapture capture;
        CDialogBuilder builder;
        CControlUI* root = builder.Create(
            layout, [&manager](std::string_view name) { return StandIn(name, &manager); },
            &manager);
        EXPECT_NE(root, nullptr) << layout << ": " << builder.GetLastError();
        for (const std::string& line : capture.Lines()) ADD_FAILURE() << layout << ": " << line;
        if (root == nullptr) return nullptr;
        manager.SetInitSize(size);
        manager.AttachDialog(root);
        manager.LayoutIfNeeded();
        return root;
    }

    // A device page fills the main window below its caption and holds the panels every
    // page shares.
    CControlUI* BuildDevicePage(std::string_view layout, CPaintManagerUI& manager);

    static CControlUI* Find(CControlUI* root, std::string_view name) {
        return root->FindControl(
            [name](CControlUI* control) {
                return EqualNoCase(control->GetName(), name) ? control : nullptr;
            },
            kFindAll);
    }

    static void ExpectNames(CControlUI* root, const std::vector<std::string>& names) {
        for (const std::string& name : names)
            EXPECT_NE(Find(root, name), nullptr) << "no control " << name;
    }

    static std::vector<std::string> Indexed(std::string_view prefix, int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) names.push_back(std::string(prefix) + std::to_string(i));
        return names;
    }

    static std::vector<std::string> Join(std::vector<std::vector<std::string>> lists) {
        std::vector<std::string> all;
        for (auto& list : lists) all.insert(all.end(), list.begin(), list.end());
        return all;
    }
};

// The names the code looks up in every device page (lighting, key assignment, macro and
// profile panels and the page's own tab layouts).
const std::vector<std::string> kPageNames = {
    "SelectPanel", "device_function_switch", "device_key_function_switch", "DeviceProfileItem",
    "LightControlItem", "MacroControlItem", "KeySetControlItem", "default_btn", "text_test",
    // profile panel
    "device_profile_combo", "device_profile_name_edit", "device_profile_edit_save_btn",
    "profile_fun_spread_btn", "profile_menu_layout", "device_add_btn", "device_sub_btn",
    "device_copy_btn", "device_reset_btn", "device_import_btn", "device_export_btn", "deng_Op_tab",
    "key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab",
    "magic_Op_tab", "Virtual7.1_Op_tab",
    // lighting panel
    "light_combo_modeSelect", "light_combo_custommodeSelect", "light_combo_ZZCCmodeSelect",
    "deng_light_slider", "deng_speed_slider", "deng_edit_R", "deng_edit_G", "deng_edit_B",
    "deng_Color_Pallet", "deng_colordp_btn", "deng_7color_check", "deng_FXL_check",
    "deng_FXR_check", "deng_same_mode", "lighteffect_layout", "deng_color_layout",
    "colorpallet_layout", "deng_light_layout", "deng_speed_layout", "deng_fx_layout",
    "lightcustom_layout", "light_combo_ZZCCmodeSelectLayout", "light_color_layout",
    "light_combo_AudiomodeSelectLayout", "light_color_tablayout", "custom_bright_color_btn",
    "custom_off_color_btn", "light_combo_audiomodeSelect", "deng_7audiocolor_check",
    "deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B", "audio_BkColor_check",
    "audio_FgColor_check", "deng_audioColor_Pallet", "light_audiocolor_layout",
    "audiocolorpallet_layout", "deng_audiocolordp_btn", "Close_bkColor_btn", "music_setting_btn",
    "R_light_slider", "G_light_slider", "B_light_slider", "R_light_label", "G_light_label",
    "B_light_label",
    // key assignment panel
    "keyset_layout", "keyset_function_combo", "key_butt_keydefalut", "key_butt_keysave",
    "key_butt_keycancel", "key_butt_prosave", "function_switch_tablayout", "keyset_mousekey_combo",
    "keyset_mouseswing_combo", "keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",
    "keyset_mouseswing_speed_edit", "keyset_mousewheel_combo", "keyset_mousewheel_num_edit",
    "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit", "keyset_mousedpi_combo",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_keyboard_text_edit",
    "keyset_media_combo", "keyset_system_combo", "keyset_macro_combo", "keyset_macro_over_combo",
    "keyset_macro_cycle_layout", "keyset_macro_cycle_edit", "keyset_gunkey_combo",
    "keyset_combokey_combo", "key_ComBox_check_0", "key_ComBox_check_4",
    // macro panel
    "macro_name_list", "macro_name_tab", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit",
    "macro_action_list", "macro_btn_starredio", "macro_btn_stopredio", "macro_check_time",
    "macro_fixed_time_edit", "macro_btn_up", "macro_btn_down", "macro_btn_uptop",
    "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall", "macro_btn_save",
    "macro_btn_cancel", "macro_btn_name_add", "macro_btn_name_sub", "macro_btn_name_edit",
    "macro_btn_export", "macro_btn_import", "macro_inset_moveleftkey_btn",
    "macro_inset_moverightkey_btn", "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn",
    "mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit", "mouse_y_down_edit"};

CControlUI* SkinTest::BuildDevicePage(std::string_view layout, CPaintManagerUI& manager) {
    CControlUI* page = Build(layout, manager, {1000, 640 - 72});
    if (page != nullptr) ExpectNames(page, kPageNames);
    return page;
}

TEST_F(SkinTest, MainWindowHoldsEveryControlTheWindowLooksUp) {
    ASSERT_TRUE(CResourceManager::GetInstance().LoadResource("res.xml"));
    CPaintManagerUI manager;
    CControlUI* root = Build("XML_MAIN", manager, {1000, 640});
    ASSERT_NE(root, nullptr);
    ExpectNames(root, {"root",
                       "closebtn",
                       "maxbtn",
                       "restorebtn",
                       "minbtn",
                       "skinbtn",
                       "gamemodebtn",
                       "cloudbtn",
                       "smarteyesbtn",
                       "setbtn",
                       "control_light_status",
                       "setting_progress",
                       "No_device_Link",
                       "nodevice_ok_btn",
                       "tab_header_device",
                       "device_select_layout",
                       "device_select_prev",
                       "device_select_next",
                       "device_switch",
                       "device_power_switch"});
    // Pages and power displays are added after page 0, which is shown while no device is.
    for (std::string_view tab : {"device_switch", "device_power_switch"}) {
        auto* container = static_cast<CContainerUI*>(Find(root, tab)->GetInterface("TabLayout"));
        ASSERT_NE(container, nullptr) << tab;
        EXPECT_EQ(container->GetCount(), 1) << tab;
    }
    // The selector has room for an entry of each of the four device kinds, and the
    // caption buttons sit inside the caption.
    CControlUI* selector = Find(root, "device_select_layout");
    ASSERT_NE(selector->GetInterface("Container"), nullptr);
    EXPECT_GE(selector->GetPos().Width(), 4 * 80 + 3 * 6);
    CControlUI* caption = Find(root, "caption");
    for (std::string_view button :
         {"control_light_status", "skinbtn", "setbtn", "minbtn", "closebtn"}) {
        const UiRect& place = Find(root, button)->GetPos();
        EXPECT_EQ(caption->GetPos().Intersect(place), place) << button;
        EXPECT_GT(place.Width(), 0) << button;
    }

    CPaintManagerUI message;
    CControlUI* box = Build("XML_MSG", message, {420, 200});
    ASSERT_NE(box, nullptr);
    ExpectNames(box, {"MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn"});
    CResourceManager::GetInstance().Release();
}

TEST_F(SkinTest, KeyboardPageHoldsEveryKeyInsideItsPictureAndEveryNamedControl) {
    CPaintManagerUI manager;
    CControlUI* page = BuildDevicePage("XML/DeviceXml/keyboarddevice.xml", manager);
    ASSERT_NE(page, nullptr);
    ExpectNames(page, Join({Indexed("polling_rate_option_", 4),
                            Indexed("repeat_delay_check_", 4),
                            {"keyboard_device_key_light", "device_key_light", "winlockflag_option",
                             "wflag_option", "6flag_option", "repeat_rate_slider",
                             "repeat_delay_time_label1", "repeat_input_richedit",
                             "reset_repeat_btn", "windowdeviceset_0"}}));

    // All 170 keys and lights exist (the code indexes them by name); the shown ones lie
    // inside the picture and no two keycaps overlap.
    CControlUI* picture = Find(page, "device_key_light");
    ASSERT_NE(picture, nullptr);
    std::vector<UiRect> caps;
    for (int i = 0; i < 170; ++i) {
        CControlUI* key = Find(picture, "key_" + std::to_string(i));
        CControlUI* light = Find(picture, "light_" + std::to_string(i));
        ASSERT_NE(key, nullptr) << i;
        ASSERT_NE(light, nullptr) << i;
        EXPECT_EQ(key->IsVisible(), light->IsVisible()) << i;
        if (!key->IsVisible()) continue;
        EXPECT_EQ(key->GetPos(), light->GetPos()) << i;
        if (i == 0) std::printf("picture %d %d %d %d\n", picture->GetPos().left, picture->GetPos().top, picture->GetPos().right, picture->GetPos().bottom);
        EXPECT_EQ(picture->GetPos().Intersect(key->GetPos()), key->GetPos())
            << "key " << i << " outside the picture";
        for (const UiRect& other : caps)
            EXPECT_TRUE(other.Intersect(key->GetPos()).IsEmpty()) << "key " << i;
        caps.push_back(key->GetPos());
    }
    EXPECT_GE(caps.size(), 104u);  // a full-size board
    // A click on a key reaches the keycap, not the light drawn over it.
    const UiRect& cap = Find(picture, "key_64")->GetPos();
    EXPECT_EQ(manager.FindControl(UiPoint{(cap.left + cap.right) / 2, (cap.top + cap.bottom) / 2}),
              Find(picture, "key_64"));
}

TEST_F(SkinTest, MousePageHoldsItsButtonsLightsAndSettings) {
    CPaintManagerUI manager;
    CControlUI* page = BuildDevicePage("XML/DeviceXml/mousedevice.xml", manager);
    ASSERT_NE(page, nullptr);
    ExpectNames(page, Join({Indexed("key_", 11),
                            Indexed("light_", 15),
                            Indexed("DPI_layout_", 5),
                            Indexed("DPI_enable_check_", 5),
                            Indexed("DPI_select_check_", 5),
                            Indexed("DPI_slider_", 5),
                            Indexed("DPI_edit_", 5),
                            Indexed("DPI_color_option_", 5),
                            Indexed("polling_rate_option_", 5),
                            Indexed("mouse_device_seting_option_", 3),
                            Indexed("shoot_gun_op_", 4),
                            Indexed("bullet_op_", 30),
                            {"mouse_device_key_light",
                             "logo",
                             "mouse_device_seting_layout",
                             "mouse_option_layout",
                             "device_setkeyinfo_list",
                             "device_tishi_info",
                             "pointer_speed_slider",
                             "pointer_precision_check",
                             "scrolls_page_check",
                             "scroll_speed_slider",
                             "double_click_slider",
                             "windowdeviceset_1",
                             "ShootControlItem",
                             "bullet_select_index",
                             "bullet_selected_prev",
                             "bullet_selected_next",
                             "bullet_edit_layout",
                             "shoot_image_display_switch",
                             "bullet_x_check",
                             "bullet_y_check",
                             "bullet_x_eidt",
                             "bullet_y_eidt",
                             "bullet_delay_eidt",
                             "shootdate_import_btn",
                             "shootdate_export_btn",
                             "shootdate_save_btn",
                             "shootdate_reset_btn"}}));
    // The macro editor styles the event rows it builds by these names.
    for (std::string_view style :
         {"macro_label_keyboard_style", "macro_label_mouse_style", "macro_label_down_style",
          "macro_label_up_style", "macro_label_text_style"}) {
        EXPECT_NE(manager.GetStyle(style), nullptr) << style;
    }
    // The settings tabs hold the picture panel, where the page collects its buttons.
    CControlUI* tabs = Find(page, "mouse_device_seting_layout");
    EXPECT_NE(Find(tabs, "mouse_device_key_light"), nullptr);
    CControlUI* picture = Find(page, "mouse_device_key_light");
    for (int i = 0; i < 15; ++i) {
        CControlUI* light = Find(picture, "light_" + std::to_string(i));
        EXPECT_EQ(picture->GetPos().Intersect(light->GetPos()), light->GetPos()) << "light " << i;
    }
}

TEST_F(SkinTest, SelectorEntryPowerDisplayRowAndMenusHoldTheirItems) {
    CPaintManagerUI entry, power, tray, macro;
    ExpectNames(Build("XML/CustomControlXML/DeviceOption.xml", entry, {84, 52}),
                {"device_select", "synchro_device_select", "device_select_name"});
    ExpectNames(Build("XML/CustomControlXML/MpDevicePower.xml", power, {150, 52}),
                {"device_power_Layout", "device_power_value", "device_wuxian_logo",
                 "device_power_status", "device_Power_progress", "device_phone_type"});
    ExpectNames(Build("menu.xml", tray, {160, 100}), {"about_menu", "setwnd_menu", "exit"});
    CPaintManagerUI row;
    ExpectNames(Build("XML/CustomControlXML/ComboEditElementItem.xml", row, {300, 30}),
                {"text1", "text2", "delay_edit"});
    ExpectNames(Build("XML/Menus/macro_action_menu.xml", macro, {220, 600}),
                {"redio_previous_record_time", "redio_later_ignore_time", "left_click", "back_up",
                 "macro_action_edit"});
}

// Every file of the skin: layouts, menus and both language files.
std::vector<fs::path> SkinXmlFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(kSkin)) {
        if (entry.path().extension() == ".xml" &&
            entry.path().parent_path().filename() != "tools") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::set<std::string> LanguageKeys(const fs::path& file) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(file.c_str())) << file;
    std::set<std::string> keys;
    for (pugi::xml_node text : document.document_element().children("Text"))
        keys.insert(text.attribute("id").value());
    return keys;
}

void ForEachAttribute(const pugi::xml_node& node,
                      const std::function<void(const pugi::xml_attribute&)>& visit) {
    for (pugi::xml_attribute attribute : node.attributes()) visit(attribute);
    for (pugi::xml_node child : node.children()) ForEachAttribute(child, visit);
}

TEST_F(SkinTest, EveryTextOfTheLayoutsIsAKeyOfBothLanguages) {
    std::set<std::string> english = LanguageKeys(kSkin / "lan_en.xml");
    std::set<std::string> chinese = LanguageKeys(kSkin / "lan_cn.xml");
    EXPECT_EQ(english, chinese);
    // Texts the program itself shows by key.
    for (const char* key :
         {"message_text_2", "message_text_4", "message_text_5", "message_text_6", "message_text_7",
          "message_text_16", "message_text_22", "message_text_25", "close_text", "Key_Set",
          "Repeat_Delay_Time", "Phone_type_no_device", "kb_device_name_text", "控制灯光",
          "不控制灯光", "keyboard_key_Browaer Home", "wed_stop", "keyboard_key_GM"}) {
        EXPECT_TRUE(english.count(key)) << key;
    }
    int checked = 0;
    for (const fs::path& file : SkinXmlFiles()) {
        if (file.filename().string().rfind("lan_", 0) == 0) continue;
        pugi::xml_document document;
        ASSERT_TRUE(document.load_file(file.c_str())) << file;
        ForEachAttribute(document, [&](const pugi::xml_attribute& attribute) {
            std::string_view name = attribute.name();
            std::string value = attribute.value();
            bool number = !value.empty() && std::all_of(value.begin(), value.end(), ::isdigit);
            if ((name != "text" && name != "tooltip") || value.empty() || number) return;
            ++checked;
            EXPECT_TRUE(english.count(value))
                << file.filename() << ": \"" << value << "\" is not in lan_en.xml";
            EXPECT_TRUE(chinese.count(value))
                << file.filename() << ": \"" << value << "\" is not in lan_cn.xml";
        });
    }
    EXPECT_GT(checked, 300);
}

TEST_F(SkinTest, EveryImageALayoutNamesIsInTheSkin) {
    int checked = 0;
    for (const fs::path& file : SkinXmlFiles()) {
        pugi::xml_document document;
        ASSERT_TRUE(document.load_file(file.c_str())) << file;
        ForEachAttribute(document, [&](const pugi::xml_attribute& attribute) {
            std::string value = attribute.value();
            // Image strings name their file bare or as file='...'; attribute lists of
            // styles and defaults hold such strings too.
            for (std::size_t at = value.find(".png"); at != std::string::npos;
                 at = value.find(".png", at + 1)) {
                std::size_t start = value.find_last_of("'\"= ", at);
                std::size_t begin = start == std::string::npos ? 0 : start + 1;
                std::string image = value.substr(begin, at + 4 - begin);
                ++checked;
                EXPECT_TRUE(fs::exists(kSkin / image))
                    << file.filename() << " names missing image " << image;
            }
        });
    }
    EXPECT_GT(checked, 50);
}

}  // namespace
}  // namespace vivori::ui
