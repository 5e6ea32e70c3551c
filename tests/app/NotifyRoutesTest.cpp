#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/CMainWnd.h"
#include "app/NotifyRoutes.h"
#include "app/ScreenRules.h"
#include "ui/core/CMenuWnd.h"

namespace vivori::app {
namespace {

std::vector<Route> R(std::string_view type, std::string_view name) {
    return NotifyRoutes::Resolve(type, name);
}

TEST(NotifyRoutesTest, IndexedNamesSplitAtTheLastUnderscore) {
    auto split = SplitIndexedName("DPI_color_option_12");
    ASSERT_TRUE(split);
    EXPECT_EQ(split->prefix, "DPI_color_option_");
    EXPECT_EQ(split->index, 12);
    EXPECT_EQ(SplitIndexedName("color_option_")->index, 0);
    EXPECT_EQ(SplitIndexedName("color_option_x7")->index, 0);
    EXPECT_FALSE(SplitIndexedName("closebtn"));
}

TEST(NotifyRoutesTest, IndexedClicksReachTheirFamilyWithTheIndexInAnyCase) {
    EXPECT_EQ(R("click", "color_option_"), (std::vector<Route>{{"PresetColour", 0}}));
    EXPECT_EQ(R("click", "KEY_41"), (std::vector<Route>{{"KeyButtonClicked", 41}}));
    EXPECT_EQ(R("click", "dpi_color_option_3"), (std::vector<Route>{{"DpiStageColour", 3}}));
    EXPECT_EQ(R("click", "windowdeviceset_1"), (std::vector<Route>{{"SystemInputSettings", 1}}));
    // "key_butt_keysave" is its own name, not key button "keysave".
    EXPECT_EQ(R("click", "key_butt_keysave"), (std::vector<Route>{{"KeyAssignmentSave", -1}}));
    EXPECT_EQ(R("valuechanged", "6533_eq_hz_slider_9"), (std::vector<Route>{{"EqualiserBand", 9}}));
    EXPECT_EQ(R("movevaluechanged", "zunik_DPI_slider_2"),
              (std::vector<Route>{{"DpiSliderShowsValue", 2}}));
}

TEST(NotifyRoutesTest, ExactCaseNamesMatchOnlyAsSpelled) {
    EXPECT_EQ(R("click", "profile_fun_spread_btn"), (std::vector<Route>{{"ProfilePanelFold", -1}}));
    EXPECT_TRUE(R("click", "Profile_Fun_Spread_Btn").empty());
    EXPECT_TRUE(R("click", "MACRO_INSET_MOVELEFTKEY_BTN").empty());
    // Every other name ignores case.
    EXPECT_EQ(R("click", "CLOSEBTN"), (std::vector<Route>{{"HideToTray", -1}}));
}

TEST(NotifyRoutesTest, TypesDecideAndSomeNamesReachTwoHandlers) {
    EXPECT_EQ(R("click", "closebtn").size(), 1u);
    EXPECT_TRUE(R("selectchanged", "closebtn").empty());
    EXPECT_EQ(R("selectchanged", "synchro_device_select"), (std::vector<Route>{{"NoAction", -1}}));
    EXPECT_EQ(R("itemselect", "keyset_function_combo"),
              (std::vector<Route>{{"KeyFunctionType", -1}, {"KeyAssignmentSave", -1}}));
    EXPECT_EQ(R("itemselect", "keyset_media_combo"),
              (std::vector<Route>{{"KeyAssignmentSave", -1}}));
    EXPECT_EQ(R("windowsize", "root"), (std::vector<Route>{{"SizeChanged", -1}}));
    EXPECT_TRUE(R("windowsize", "caption").empty());
    EXPECT_TRUE(R("msenter", "closebtn").empty());
    EXPECT_TRUE(NotifyRoutes::EndsRouting("click_wpremove"));
    EXPECT_FALSE(NotifyRoutes::EndsRouting("click_wpadd"));
    EXPECT_TRUE(R("click", "no_such_control").empty());
}

TEST(NotifyRoutesTest, EveryHandlerIsBoundOrListedAsPending) {
    const auto pending = CMainWnd::PendingHandlers();
    for (std::string_view bound :
         {"HideToTray", "ToggleLightControl", "SelectNextDevice", "DeviceChosen",
          "AudioChannelSlider", "ProfileChosen", "PresetColour", "SynchronisedLighting",
          "LightModeList", "ProfileAdd", "ProfileReset", "ProfilePanelFold", "MacroRecordStart",
          "MacroActionEdit", "DpiStageValue", "ReportRate", "KeyAssignmentSave", "RecoilOperation"})
        EXPECT_EQ(std::count(pending.begin(), pending.end(), bound), 0) << bound;
}

// The routes whose handlers come with another area's work, by area. An area moves to
// kLandedAreas when its work lands; from then on none of its handlers may be pending.
struct HandlerArea {
    std::string_view area;
    std::vector<std::string_view> handlers;
};
const std::vector<HandlerArea> kHandlerAreas = {
    {"keyboard settings",
     {"KeyRepeatRate", "KeyRepeatDelay", "ResetKeyRepeat", "KeyboardLockFlag", "FactoryReset",
      "CustomPaintLit", "CustomPaintOff", "KeyLightSelection", "KeyButtonClicked",
      "SystemInputSettings", "ReportRate"}},
    {"lighting panel",
     {"LightPanelColour", "DpiStageColour", "OpenLightPalette", "PresetColour",
      "SynchronisedLighting", "LightDirection", "LightColourful", "LightModeList",
      "LightBrightness", "LightSpeed", "LightColourTyped"}},
    {"audio light styles",
     {"AudioStyleColour", "AudioPresetColour", "BackgroundLightOff", "OpenAudioStyleWindow",
      "AudioStyleOption", "AudioModeList", "AudioColourTyped"}},
    {"settings window", {"OpenSettingsAnchored"}},
    {"skin window", {"OpenSkinWindow"}},
    {"mouse",
     {"DpiStageEnable", "DpiStageSelect", "MouseSettingsPage", "MouseSystemSetting",
      "DpiStageValue", "MouseSystemSlider", "DpiStageDrag", "DpiStageTyped"}},
    {"profiles",
     {"ProfileAdd", "ProfileDelete", "ProfileExport", "ProfileImport", "ProfileCopy",
      "ProfileReset", "ProfileRename", "ProfilePanelFold"}},
    {"key assignment",
     {"KeyAssignmentSave", "KeyAssignmentDefault", "KeyAssignmentCancel",
      "KeyAssignmentSaveToProfile", "KeyFunctionType", "MacroEndMode", "KeyComboModifier"}},
    {"macros",
     {"MacroRecordStart", "MacroRecordStop", "MacroFileOperation", "MacroActionEdit",
      "MacroInsertMove", "MacroChosen", "MacroDelayTyped", "EditMacroAction"}},
    {"recoil",
     {"RecoilOperation", "RecoilWeapon", "RecoilBullet", "RecoilAxis", "RecoilValueTyped"}},
    {"headset",
     {"EqualiserPresetSave", "EqualiserPresetDelete", "VoiceEffect", "EqualiserPreset",
      "EqualiserPresetChosen", "EqualiserBand", "HeadsetSwitch", "HeadsetMicLevel"}},
};
const std::set<std::string_view> kLandedAreas = {
    "keyboard settings", "lighting panel", "audio light styles", "settings window", "skin window",
    "mouse",             "profiles",       "key assignment",     "macros",          "recoil",
    "headset"};

// The list follows what is built both ways: a landed area has no pending handler, and an
// area whose handlers are all bound is listed as landed.
TEST(NotifyRoutesTest, LandedAreasAreExactlyThoseWithEveryHandlerBound) {
    const auto pending = CMainWnd::PendingHandlers();
    for (std::string_view handler : pending) {
        const auto area = std::find_if(kHandlerAreas.begin(), kHandlerAreas.end(), [&](auto& a) {
            return std::count(a.handlers.begin(), a.handlers.end(), handler) > 0;
        });
        ASSERT_NE(area, kHandlerAreas.end()) << handler << ": a route with no area to build it";
    }
    for (const HandlerArea& area : kHandlerAreas) {
        const bool bound = std::none_of(area.handlers.begin(), area.handlers.end(), [&](auto h) {
            return std::count(pending.begin(), pending.end(), h) > 0;
        });
        EXPECT_EQ(kLandedAreas.count(area.area) != 0, bound)
            << area.area << (bound ? ": every handler is bound, but the area is not listed"
                                   : ": listed as landed, but a handler is still pending");
    }
    if (kLandedAreas.size() == kHandlerAreas.size()) {
        EXPECT_TRUE(pending.empty());
    }
}

TEST(ScreenRulesTest, OnlyAMonitorBeyond1500By960GetsTheLargerDpi) {
    EXPECT_EQ(ChooseDpi({0, 0, 1920, 1080}), 144);
    EXPECT_EQ(ChooseDpi({0, 0, 1366, 768}), 96);
    EXPECT_EQ(ChooseDpi({0, 0, 1500, 1000}), 96);
    EXPECT_EQ(ChooseDpi({0, 0, 1600, 960}), 96);
    EXPECT_EQ(ValidDpi(120), 120);
    EXPECT_EQ(ValidDpi(100), 96);
}

TEST(ScreenRulesTest, TrayMenuKeepsClearOfTheTaskbarOnEachSide) {
    using namespace ui;
    const UiPoint cursor{1800, 1050};
    auto top = PlaceTrayMenu(cursor, UiRect{0, 0, 1920, 40});
    EXPECT_EQ(top.point.y, 41);
    EXPECT_EQ(top.alignment, eMenuAlignment_Top | eMenuAlignment_Right);
    auto left = PlaceTrayMenu(cursor, UiRect{0, 0, 48, 1080});
    EXPECT_EQ(left.point.x, 49);
    EXPECT_EQ(left.alignment, eMenuAlignment_Left | eMenuAlignment_Bottom);
    auto bottom = PlaceTrayMenu(cursor, UiRect{0, 1040, 1920, 1080});
    EXPECT_EQ(bottom.point.y, 1020);
    EXPECT_EQ(bottom.alignment, eMenuAlignment_Right | eMenuAlignment_Bottom);
    auto right = PlaceTrayMenu(cursor, UiRect{1872, 0, 1920, 1080});
    EXPECT_EQ(right.point.x, 1871);
    EXPECT_EQ(right.alignment, eMenuAlignment_Right | eMenuAlignment_Bottom);
    EXPECT_EQ(PlaceTrayMenu(cursor, std::nullopt).alignment, 6);
}

}  // namespace
}  // namespace vivori::app
