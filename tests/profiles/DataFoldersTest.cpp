#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempFolder.h"
#include "profiles/Autostart.h"
#include "profiles/JsonFile.h"
#include "profiles/LanguageSetting.h"
#include "profiles/LightNameLists.h"
#include "profiles/ProfileSelection.h"

using namespace vivori::profiles;
using namespace vivori::testing;

TEST(DataFolders, UserFoldersAreCreatedUnderTheInjectedRoots) {
    TempFolder dir;
    DataFolders folders = dir.Folders();
    auto keyboard = folders.DataFolder(kKeyboardFolder);
    EXPECT_EQ(keyboard, dir / "data" / "VELTRA VIVORI Trivex V2" / "keyboard");
    EXPECT_TRUE(std::filesystem::is_directory(keyboard));
    EXPECT_EQ(folders.DataFolder(DeviceFolderName(6)), folders.DataFolder(DeviceFolderName(2)));
    EXPECT_TRUE(std::filesystem::is_directory(folders.UpdateFolder()));
    EXPECT_EQ(folders.DefaultDataFile(kMousePadFolder),
              dir / "install" / "DefaultData" / "MousePad.Json");
    EXPECT_EQ(folders.LightStepFolders().front(), dir / "install");
}

TEST(DataFolders, TheAutostartEntryQuotesTheProgramAndHonoursTheDesktopsOwnSwitch) {
    TempFolder dir;
    DataFolders folders = dir.Folders();
    EXPECT_FALSE(AutostartEnabled(folders));
    // A path with a space, a dollar and a quote stays one argument.
    ASSERT_EQ(SetAutostart(folders, true, "/opt/my apps/$x\"y/vivori-trivex"), "");
    const std::string entry = ReadTextFile(folders.AutostartFile()).value_or("");
    EXPECT_NE(entry.find("Exec=\"/opt/my apps/\\\\$x\\\\\"y/vivori-trivex\" --hidden\n"),
              std::string::npos)
        << entry;
    EXPECT_TRUE(AutostartEnabled(folders));
    // Switched off in the desktop's own settings: off here too.
    ASSERT_TRUE(WriteFileAtomically(folders.AutostartFile(), entry + "Hidden=true\n"));
    EXPECT_FALSE(AutostartEnabled(folders));
    ASSERT_EQ(SetAutostart(folders, false, "/x"), "");
    EXPECT_FALSE(std::filesystem::exists(folders.AutostartFile()));
    EXPECT_EQ(SetAutostart(folders, false, "/x"), "") << "removing a missing entry is fine";
}

TEST(DataFolders, TheUpdateFolderIsPrivateAndOneOthersMayEnterIsRefused) {
    TempFolder dir;
    DataFolders folders = dir.Folders();
    const auto update = folders.UpdateFolder();
    EXPECT_EQ(update, dir / "cache" / "VELTRA VIVORI Trivex V2" / "UpdateData");
    for (const auto& folder : {update, update.parent_path()}) {
        struct stat info {};
        ASSERT_EQ(lstat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
    // Opened up (by whoever): not repaired and not used.
    ASSERT_EQ(chmod(update.parent_path().c_str(), 0755), 0);
    EXPECT_TRUE(folders.UpdateFolder().empty());
    ASSERT_EQ(chmod(update.parent_path().c_str(), 0700), 0);
    ASSERT_EQ(chmod(update.c_str(), 0777), 0);
    EXPECT_TRUE(folders.UpdateFolder().empty());
}

TEST(DataFolders, LanguageIsStoredBesideOtherSettingsKeys) {
    TempFolder dir;
    DataFolders folders = dir.Folders();
    EXPECT_FALSE(ReadLanguageSetting(folders));
    WriteText(folders.SettingsFolder() / "settings.json", R"({"Skin": "dark"})");
    ASSERT_TRUE(WriteLanguageSetting(folders, 2052));
    EXPECT_EQ(ReadLanguageSetting(folders), 2052);
    EXPECT_EQ(ReadJsonFile(folders.SettingsFolder() / "settings.json")["Skin"], "dark");
}

TEST(DataFolders, ShippedLightNamesGiveEveryPageItsModeMap) {
    TempFolder dir;
    DataFolders folders = dir.Folders();
    const int modeCounts[] = {10, 31, 9, 9};  // mouse, keyboard, mouse pad, headset
    for (int t = 0; t < 4; ++t) {
        LightNameLists lists;
        LoadDefaultLightNames(folders.DefaultLightFile(), t, lists);
        ASSERT_EQ(lists.modeMap.size(), std::size_t(modeCounts[t])) << t;
        EXPECT_EQ(lists.modeNames.size(), lists.modeMap.size());
        EXPECT_EQ(lists.modeVisible.size(), lists.modeMap.size());
        EXPECT_FALSE(lists.areaNames.empty());
        // 0xFE marks a host-driven keyboard mode and must map back to no index.
        for (int code : lists.modeMap) EXPECT_NE(code, 0xFE);
    }
}

TEST(DataFolders, MissingListsLeaveTheHeldNamesUnchanged) {
    TempFolder dir;
    WriteText(dir / "light.json", R"({"DefaultLightName": [[{"LightName": "A", "value": 7,
                                       "visible": 1}]]})");
    WriteText(dir / "custom.config",
              R"({"LightInfo": [[], [{"LightName": "Mine", "Guid": "g"}]]})");
    LightNameLists lists;
    lists.areaNames = {"previous"};
    lists.customNames = {"previous"};
    LoadDefaultLightNames(dir / "light.json", 0, lists);
    LoadDefaultLightNames(dir / "light.json", -1, lists);
    LoadDefaultLightNames(dir / "light.json", 1 << 30, lists);
    EXPECT_EQ(lists.modeMap, std::vector<int>{7});
    EXPECT_EQ(lists.modeVisible, std::vector<bool>{true});
    EXPECT_EQ(lists.areaNames, std::vector<std::string>{"previous"});
    LoadCustomLightNames(dir / "custom.config", 1, lists);
    EXPECT_EQ(lists.customNames, std::vector<std::string>{"Mine"});
    LoadCustomLightNames(dir / "missing.config", 1, lists);
    EXPECT_EQ(lists.customNames, std::vector<std::string>{"Mine"});
}

TEST(DataFolders, SelectionFallsBackToTheFirstEntryAndRefusesPaths) {
    TempFolder dir;
    DataFolders folders = dir.Folders();
    auto list = folders.DataFolder(kMouseFolder) / "ProfileList.ini";
    EXPECT_FALSE(ReadSelectedProfile(folders, kMouseFolder));
    WriteText(list, R"({"profilelist": [{"profilename": "A", "profileUUID": "u0"},
                                        {"profilename": "B", "profileUUID": "u1"}],
                        "profileselect": 99})");
    auto selected = ReadSelectedProfile(folders, kMouseFolder);
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->name, "A");
    EXPECT_EQ(selected->path, folders.DataFolder(kMouseFolder) / "u0.Json");
    EXPECT_EQ(ReadJsonFile(list)["profilelist"].size(), 2u);

    WriteText(list, R"({"profilelist": [{"profileUUID": "../../../etc/passwd"}]})");
    EXPECT_FALSE(ReadSelectedProfile(folders, kMouseFolder));
}
