#include <gtest/gtest.h>

#include "TempFolder.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/CRi6533Profiledata.h"
#include "profiles/JsonFile.h"

using namespace vivori::profiles;
using namespace vivori::testing;

namespace {

// Loads `entry` as the profile object of a fresh file and returns the loaded profile.
template <class Profile>
Profile LoadEntry(const TempFolder& dir, const std::string& entry) {
    WriteText(dir / "p.Json", "{\"Device\": [" + entry + "]}");
    Profile profile;
    profile.SetProfilePath(dir / "p.Json");
    profile.Load(dir / "p.Json");
    return profile;
}

Json::Value Saved(const TempFolder& dir) {
    return ReadJsonFile(dir / "p.Json")["Device"][0];
}

}  // namespace

TEST(ProfileRecords, ValuesAreTruncatedToTheirFieldAndFlagsReadAsBooleans) {
    TempFolder dir;
    auto profile = LoadEntry<CKeyboardProfiledata>(
        dir, R"({"LightInfo": {"MultiColor": 7, "Red": 300, "Green": "17", "Blue": true,
                 "SelectItem": -1, "Speed": "fast"},
                 "AudioLightInfo": {"7ColorFlags": 9, "BkColorR": 256}})");
    LightInfo light = profile.GetLightInfo();
    EXPECT_EQ(light.multiColor, 1);
    EXPECT_EQ(light.red, 44);
    EXPECT_EQ(light.green, 17);
    EXPECT_EQ(light.blue, 1);
    EXPECT_EQ(light.selectItem, 255);
    EXPECT_EQ(light.speed, 0);  // not a number: treated as missing
    AudioLightInfo audio = profile.GetAudioLightInfo();
    EXPECT_EQ(audio.sevenColorFlag, 1);
    EXPECT_EQ(audio.backgroundRed, 0);
}

TEST(ProfileRecords, SectionsOfTheWrongTypeReadAsZeroAndAreReplacedOnWrite) {
    TempFolder dir;
    auto profile = LoadEntry<CMouseProfiledata>(
        dir, R"({"LightInfo": [1, 2], "KeyList": {"a": 1}, "DPIStages": "x",
                 "SystemStages": 5, "ReportStages": [], "CorrectInfo": [3, null, {"CorrectName": 4}]})");
    EXPECT_EQ(profile.GetLightInfo(), LightInfo{});
    EXPECT_TRUE(profile.GetKeyList().empty());
    EXPECT_TRUE(profile.GetDpiStages().empty());
    EXPECT_EQ(profile.GetSystemStages(), MouseSystemStages{});
    auto correct = profile.GetCorrectInfo();
    ASSERT_EQ(correct.size(), 3u);
    EXPECT_EQ(correct[2].name, "4");

    MouseSystemStages stages;
    stages.wheelScrollLines = 3;
    stages.reportRate = 2;
    profile.SetSystemStages(stages);
    profile.SetDpiStages({DpiStage{1, 0, 300, 301, 1, 2, 3}});
    ASSERT_TRUE(profile.Save());
    Json::Value saved = Saved(dir);
    EXPECT_EQ(saved["SystemStages"]["WheelScorlllinse"], 3);
    EXPECT_EQ(saved["ReportStages"]["StageActive"], 2);
    EXPECT_EQ(saved["DPIStages"]["StageDPIs"][0]["StageDPIX"], 300);
}

TEST(ProfileRecords, KeyListKeepsDefaultsAndMissingAssignmentsReadAsZero) {
    TempFolder dir;
    auto profile = LoadEntry<CKeyboardProfiledata>(
        dir, R"({"KeyList": [{"Assignment": 2097193, "DefaultAssignment": 2097193},
                             {"DefaultAssignment": 2097210}, null]})");
    auto keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].current, (KeyAssign{0, 0x20, 0x00, 0x29}));
    EXPECT_EQ(keys[1].current.Code(), 0u);
    EXPECT_EQ(keys[1].defaultAssign.keyIndex, 1);
    keys[1].current = KeyAssign::FromCode(1, 0xA01B00);
    profile.SetKeyList(keys);
    ASSERT_TRUE(profile.Save());
    Json::Value saved = Saved(dir)["KeyList"];
    EXPECT_EQ(saved[1]["Assignment"], 0xA01B00);
    EXPECT_EQ(saved[1]["DefaultAssignment"], 2097210);
    EXPECT_FALSE(saved[2].isMember("DefaultAssignment"));
}

TEST(ProfileRecords, DpiStagesFromTheFileMergeOverTheHeldOnes) {
    TempFolder dir;
    auto profile = LoadEntry<CMouseProfiledata>(dir, "{}");
    std::vector<DpiStage> five(5, DpiStage{1, 0, 9, 9, 0, 0, 0});
    profile.SetDpiStages(five);
    WriteText(dir / "three.Json",
              R"({"Device": [{"DPIStages": {"StageActive": 2, "StageDPIs": [
                  {"StageDPIX": 1}, {"StageDPIX": 2}, {"StageDPIX": 3}]}}]})");
    profile.Load(dir / "three.Json");
    auto stages = profile.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[2].dpiX, 3);
    EXPECT_EQ(stages[3].dpiX, 9);
    EXPECT_EQ(profile.GetActiveDpiStage(), 2);
}

TEST(ProfileRecords, CustomColoursAreZeroFilledOnlyForGroupsInRange) {
    TempFolder dir;
    auto profile = LoadEntry<CKeyboardProfiledata>(
        dir, R"({"CustomLightMode": {"CustomLightModeGroupIndex": 4000000,
                 "LightColorInfo": [[{"Red": 5, "Alpha": 255}, null]]}})");
    EXPECT_EQ(profile.GetCustomLightGroup(), 0);
    auto colors = profile.GetCustomLightColors(0, 3);
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[0], (RgbaColor{5, 0, 0, 255}));
    EXPECT_EQ(colors[1], RgbaColor{});

    EXPECT_EQ(profile.GetCustomLightColors(2, 16), std::vector<RgbaColor>(16));
    EXPECT_EQ(profile.GetCustomLightColors(4000000, 16), std::vector<RgbaColor>(16));
    profile.SetCustomLightColors({RgbaColor{1, 2, 3, 4}}, -1);
    ASSERT_TRUE(profile.Save());
    Json::Value groups = Saved(dir)["CustomLightMode"]["LightColorInfo"];
    ASSERT_EQ(groups.size(), 3u);  // groups 0 to 2, never 4000000
    EXPECT_EQ(groups[0].size(), 3u);
    EXPECT_EQ(groups[0][0]["Red"], 5);
    EXPECT_EQ(groups[2].size(), 16u);
    EXPECT_EQ(groups[2][15]["Alpha"], 0);
}

TEST(ProfileRecords, EqualiserSlotsFollowTheEqTypeAndCustomIndexesAreBounded) {
    TempFolder dir;
    auto profile = LoadEntry<CRi6533Profiledata>(
        dir, R"({"SystemSetStages": {"EqType": 13, "CustomEqSeletIndex": "1000000"},
                 "EQHzValueInfo": [[], [{"value": 7}, {"value": "11"}]],
                 "CustomEQNameInfo": [{"Name": "Bass"}, {"Name": 5}, 7]})");
    EXPECT_EQ(profile.GetSystemSetStages().customEqSelectIndex, 1000000);
    EXPECT_TRUE(profile.GetEqValues(13).empty());
    auto slot1 = profile.GetEqValues(0);
    ASSERT_EQ(slot1.size(), 10u);
    EXPECT_EQ(slot1[0], 7);
    EXPECT_EQ(slot1[1], 11);
    EXPECT_EQ(profile.GetEqValues(99), slot1);
    EXPECT_EQ(profile.GetEqValues(4), std::vector<std::int32_t>(10, 0));  // and stored
    EXPECT_EQ(profile.GetCustomEqValues(1000000), std::vector<std::int32_t>(10, 0));
    EXPECT_EQ(profile.GetCustomEqNames(), (std::vector<std::string>{"Bass", "5", ""}));
    profile.SetCustomEqValues({1, 2, 3}, 1);
    profile.SetEqValues({9}, 13);
    ASSERT_TRUE(profile.Save());
    Json::Value saved = Saved(dir);
    EXPECT_EQ(saved["EQHzValueInfo"].size(), 5u);
    EXPECT_EQ(saved["EQHzValueInfo"][4].size(), 10u);
    EXPECT_EQ(saved["CustomEQHzValueInfo"].size(), 2u);
    EXPECT_EQ(saved["CustomEQHzValueInfo"][1][2]["value"], 3);
}

TEST(ProfileRecords, LightStepsComeFromBareNamesInTheInstallFolderFirst) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "install");
    std::filesystem::create_directories(dir / "cwd");
    WriteText(dir / "install" / "Good.light",
              R"({"LEDEffectList": [{"LEDREGMode": 2, "LEDDirection": 5, "red": 300,
                                     "Time": 250, "Cyle": 3}]})");
    WriteText(dir / "cwd" / "Good.light", R"({"LEDEffectList": []})");
    WriteText(dir / "secret.light", R"({"LEDEffectList": [{"Time": 1}]})");
    WriteText(dir / "config.json",
              R"({"LightInfo": [[{"Guid": "Good"}, {"Guid": "../secret"}, {"Guid": 12}]]})");
    auto profile = LoadEntry<CKeyboardProfiledata>(dir, R"({"LightInfo": {"SelectItem": 0}})");
    profile.SetLightStepFolders({dir / "install", dir / "cwd"});
    profile.LoadLightConfig(dir / "config.json");
    profile.GetLightInfo();
    auto steps = profile.GetLightSteps();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].light.selectItem, 2);
    EXPECT_EQ(steps[0].light.fx, 1);
    EXPECT_EQ(steps[0].light.red, 44);
    EXPECT_EQ(steps[0].light.present, 0);
    EXPECT_EQ(steps[0].time, 250);
    EXPECT_EQ(steps[0].cycle, 3);

    LightInfo light;
    light.selectItem = 1;
    profile.SetLightInfo(light);
    EXPECT_TRUE(profile.GetLightSteps().empty());  // "../secret" is refused
    EXPECT_EQ(profile.TakeDamagedLightFile(), "");

    // A damaged effect file runs as no steps, is named once, and stays as it is.
    WriteText(dir / "install" / "Good.light", "{\"LEDEffectList\": [");
    light.selectItem = 0;
    profile.SetLightInfo(light);
    EXPECT_TRUE(profile.GetLightSteps().empty());
    EXPECT_EQ(profile.TakeDamagedLightFile(), (dir / "install" / "Good.light").string());
    EXPECT_EQ(profile.TakeDamagedLightFile(), "");
}

TEST(ProfileRecords, LightListEntriesCarryThePresentFlag) {
    TempFolder dir;
    auto profile = LoadEntry<CKeyboardProfiledata>(
        dir, R"({"LightList": [{"LEDREGMode": 4, "LEDMultiColor": 2, "green": 9}, null]})");
    auto list = profile.GetLightList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].selectItem, 4);
    EXPECT_EQ(list[0].multiColor, 1);
    EXPECT_EQ(list[0].green, 9);
    EXPECT_EQ(list[0].present, 1);
    EXPECT_EQ(list[1], LightInfo{});
}
