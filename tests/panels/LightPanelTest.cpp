// The lighting panel built from its real layout: which controls each mode of each
// device kind uses, and the packed state it shows and gives back.
#include <gtest/gtest.h>

#include <memory>

#include "panels/CLightControlUI.h"
#include "panels/ColourText.h"
#include "panels/ModeControls.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::panels {
namespace {

class LightPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::CPaintManagerUI::SetResourcePath(VIVORI_SKIN_DIR);
        ui::CControlUI* root = ui::CDialogBuilder().Create(
            "XML/CustomControlXML/LightControl.xml",
            [](std::string_view name) -> ui::CControlUI* {
                return name == "LightControl" ? new CLightControlUI : nullptr;
            },
            nullptr);
        ASSERT_NE(root, nullptr);
        owned.reset(root);
        panel = static_cast<CLightControlUI*>(root->GetInterface("LightControl"));
        ASSERT_NE(panel, nullptr);
        std::vector<std::string> names;
        for (int i = 0; i < 31; ++i) names.push_back("mode_" + std::to_string(i));
        panel->InitModeList(names, std::vector<bool>(names.size(), true), 4, 4);
    }
    void TearDown() override { ui::CPaintManagerUI::SetResourcePath(""); }

    bool Enabled(std::string_view name) { return panel->Child(name)->IsEnabled(); }
    bool Shown(std::string_view name) { return panel->Child(name)->IsOwnVisible(); }
    int Tab() {
        return static_cast<ui::CTabLayoutUI*>(panel->Child("light_color_tablayout"))->GetCurSel();
    }
    std::string Text(std::string_view name) { return panel->Child(name)->GetText(); }
    // "7CPLSF": enabled state of the six groups.
    std::string Groups() {
        std::string out;
        for (const char* name : {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                                 "deng_light_layout", "deng_speed_layout", "deng_fx_layout"})
            out += Enabled(name) ? '1' : '0';
        return out;
    }

    std::unique_ptr<ui::CControlUI> owned;
    CLightControlUI* panel = nullptr;
};

TEST_F(LightPanelTest, KeyboardModesSwitchTheirGroupsLayoutsAndLabels) {
    panel->SetDeviceType(kLightPanelKeyboard);
    struct Case {
        int mode;
        const char* groups;
    };
    for (Case c : {Case{1, "111111"},
                   {4, "000110"},
                   {6, "111100"},
                   {12, "000111"},
                   {18, "000101"},
                   {19, "011100"},
                   {20, "000000"},
                   {27, "000110"},
                   {28, "000000"},
                   {29, "111101"},
                   {30, "000100"},
                   {99, "000000"}}) {
        panel->UpdateModeControls(c.mode);
        EXPECT_EQ(Groups(), c.groups) << "mode " << c.mode;
        EXPECT_TRUE(Enabled("lighteffect_layout"));
    }
    panel->SelectMode(17);  // the sub-mode list in place of the speed
    EXPECT_FALSE(Shown("deng_speed_layout"));
    EXPECT_TRUE(Shown("light_combo_ZZCCmodeSelectLayout"));
    EXPECT_FALSE(Enabled("light_color_layout"));
    panel->SelectMode(19);  // the custom lighting group
    EXPECT_TRUE(Shown("lightcustom_layout"));
    EXPECT_FALSE(Shown("light_combo_ZZCCmodeSelectLayout"));
    EXPECT_TRUE(Enabled("light_color_layout"));
    panel->SelectMode(29);  // the audio colours
    EXPECT_EQ(Tab(), 1);
    EXPECT_TRUE(Shown("light_combo_AudiomodeSelectLayout"));
    EXPECT_FALSE(Shown("lightcustom_layout"));
    panel->SelectMode(3);
    EXPECT_EQ(Text("deng_FXL_check"), "light_set_clockwise_text");
    EXPECT_EQ(Text("deng_FXR_check"), "light_set_anticlockwise_text");
    EXPECT_EQ(Tab(), 0);
    panel->SelectMode(21);
    EXPECT_EQ(Text("deng_FXL_check"), "light_set_up_to_down_text");
    panel->SelectMode(1);
    EXPECT_EQ(Text("deng_FXL_check"), "light_set_right_to_left_text");
    EXPECT_TRUE(Shown("deng_speed_layout"));
}

TEST_F(LightPanelTest, MousePadAndHeadsetTablesLeaveTheKeyboardOnlyLayoutsAlone) {
    panel->SetDeviceType(kLightPanelMouse);
    for (auto [mode, groups] : {std::pair{0, "111111"},
                                {1, "000110"},
                                {3, "011100"},
                                {6, "111110"},
                                {8, "000110"},
                                {9, "000000"},
                                {10, "000000"}}) {
        panel->SelectMode(mode);
        EXPECT_EQ(Groups(), groups) << "mouse mode " << mode;
    }
    // Mode 29 of a mouse is no audio mode: the colour page stays.
    panel->SelectMode(29);
    EXPECT_EQ(Tab(), 0);
    for (int type : {kLightPanelMousePad, kLightPanelHeadset, kLightPanelHeadsetAlt}) {
        panel->SetDeviceType(type);
        for (auto [mode, groups] :
             {std::pair{0, "111111"}, {2, "111110"}, {3, "011100"}, {5, "000000"}, {8, "000000"}}) {
            panel->SelectMode(mode);
            EXPECT_EQ(Groups(), groups) << type << " mode " << mode;
        }
    }
}

TEST_F(LightPanelTest, SameModeButtonNeedsASharableModeAndPermission) {
    panel->SetDeviceType(kLightPanelKeyboard);
    panel->SelectMode(5);
    EXPECT_FALSE(Shown("deng_same_mode"));  // one device: never
    panel->SetSameModeAllowed(true);
    EXPECT_TRUE(Shown("deng_same_mode"));
    panel->SelectMode(1);  // a wave has no shared form
    EXPECT_FALSE(Shown("deng_same_mode"));
    panel->SelectMode(20);
    EXPECT_TRUE(Shown("deng_same_mode"));
    panel->SetSameModeAllowed(false);
    EXPECT_FALSE(Shown("deng_same_mode"));
    panel->SetDeviceType(kLightPanelMousePad);
    panel->SetSameModeAllowed(true);
    panel->SelectMode(8);
    EXPECT_TRUE(Shown("deng_same_mode"));
}

TEST_F(LightPanelTest, PackedStateRoundTripsThroughTheControls) {
    panel->SetDeviceType(kLightPanelKeyboard);
    const PackedLight in{.modeWord = 17u | 3u << 8 | 2u << 16 | 0u << 24,
                         .colourWord = 1u | 10u << 8 | 200u << 16 | 255u << 24,
                         .extra = 2u << 24};
    panel->SetLightInfo(in);
    EXPECT_EQ(Text("deng_edit_G"), "200");
    EXPECT_TRUE(static_cast<ui::COptionUI*>(panel->Child("deng_FXR_check"))->IsSelected());
    EXPECT_EQ(panel->Child("deng_colordp_btn")->GetBkColor(), 0xFF0AC8FFu);
    EXPECT_EQ(panel->GetPaletteColour(), 0xFF0AC8FFu);
    const PackedLight out = panel->GetLightInfo();
    EXPECT_EQ(out.modeWord, in.modeWord);
    EXPECT_EQ(out.colourWord, in.colourWord);
    EXPECT_EQ(out.extra, in.extra);
    EXPECT_EQ(panel->GetPresetColour(1), 0xFFFF7F00u);
    EXPECT_EQ(panel->GetPresetColour(55), 0u);
}

TEST(ColourText, TypedComponentsAreHeldToBothEndsOfTheRange) {
    auto read = [](std::string_view t) { return ReadColourComponent(t); };
    EXPECT_EQ(read("300").value, 255);
    EXPECT_EQ(read("300").rewrite, "255");
    EXPECT_EQ(read("99999999999999").value, 255);
    EXPECT_EQ(read("-7").value, 0);
    EXPECT_EQ(read("-7").rewrite, "0");
    EXPECT_EQ(read("").rewrite, "0");
    EXPECT_EQ(read("42").value, 42);
    EXPECT_FALSE(read("42").rewrite);
    EXPECT_EQ(read("12ab").value, 12);  // leading digits, as a decimal conversion reads them
    EXPECT_EQ(read("ab").value, 0);
    EXPECT_FALSE(read("ab").rewrite);
}

}  // namespace
}  // namespace vivori::panels
