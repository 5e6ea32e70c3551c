// The audio light styles and "AudioFile.json": default and user copies.
#include <gtest/gtest.h>

#include "profiles/AudioStyles.h"
#include "profiles/JsonFile.h"
#include "profiles/TempFolder.h"

namespace vivori::profiles {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

TEST(AudioStyles, FirstLoadCopiesTheDefaultAndASaveKeepsTheFilesOtherKeys) {
    TempFolder temp;
    AudioStyleFile file(temp.Folders());
    AudioStyleSet set = file.Load();
    EXPECT_EQ(set.names[2], "第三组");
    EXPECT_EQ(set.levels[1], (std::array<int, 3>{9, 3, 1}));
    ASSERT_TRUE(std::filesystem::exists(file.UserFile()));
    // Keys of the file that are not the styles' survive a save.
    Json::Value root = ReadJsonFile(file.UserFile());
    root["Other"] = 7;
    ASSERT_TRUE(WriteJsonFile(file.UserFile(), root));
    set.style = 3;
    set.names[0] = "Bass";
    set.levels[3] = {1, 0, 9};
    ASSERT_TRUE(file.Save(set));
    EXPECT_EQ(AudioStyleFile(temp.Folders()).Load(), set);
    EXPECT_EQ(ReadJsonFile(file.UserFile())["Other"].asInt(), 7);
    // A G level of 0 reaches the recorder as 1; R and B as they are.
    EXPECT_EQ(RecorderLevels(set), (std::array<int, 3>{1, 1, 9}));
    // The profile reset brings the default styles back.
    EXPECT_EQ(file.Reset().names[0], "第一组");
}

TEST(AudioStyles, DamagedUserCopyFallsBackToTheDefaultAndIsKeptAside) {
    TempFolder temp;
    AudioStyleFile file(temp.Folders());
    std::filesystem::create_directories(file.UserFile().parent_path());
    WriteText(file.UserFile(), R"({"Device": {"AudioLightInfo": {"nAudioStyle": )");
    const AudioStyleSet set = file.Load();
    EXPECT_EQ(set.levels[0], (std::array<int, 3>{5, 5, 5}));
    EXPECT_EQ(ReadText(file.UserFile().string() + ".bad"),
              R"({"Device": {"AudioLightInfo": {"nAudioStyle": )");
    EXPECT_EQ(AudioStylesOf(ReadJsonFile(file.UserFile())["Device"]), set);
    // Nothing but the file and the kept copy: the write went through a renamed temporary.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file.UserFile().parent_path()))
        files += entry.path().filename().string().rfind("AudioFile.json", 0) == 0;
    EXPECT_EQ(files, 2);
}

TEST(AudioStyles, OutOfRangeAndWrongTypedValuesAreHeldOrIgnored) {
    Json::Value device;
    device["AudioLightInfo"]["nAudioStyle"] = 12;
    device["AudioLightInfo"]["nStyleR0"] = 40;
    device["AudioLightInfo"]["nStyleG0"] = "x";
    device["AudioLightInfo"]["nStyleName2"] = Json::Value(Json::arrayValue);
    const AudioStyleSet set = AudioStylesOf(device);
    EXPECT_EQ(set.style, 3);
    EXPECT_EQ(set.levels[0], (std::array<int, 3>{9, 0, 0}));
    EXPECT_EQ(set.names[1], "");
    EXPECT_EQ(AudioStylesOf(Json::Value()).style, 0);
}

}  // namespace
}  // namespace vivori::profiles
