// The colour palette's memory file: first copy from the default, round trip, and a
// damaged user copy that is shown as defaults and never written over.
#include <gtest/gtest.h>

#include "profiles/JsonFile.h"
#include "profiles/PaletteOptions.h"
#include "profiles/TempFolder.h"

namespace vivori::profiles {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

TEST(PaletteFile, FirstLoadCopiesTheDefaultAndSavesRoundTrip) {
    TempFolder temp;
    PaletteFile file(temp.Folders());
    ASSERT_FALSE(std::filesystem::exists(file.UserFile()));
    PaletteOptions options = file.Load();
    EXPECT_TRUE(std::filesystem::exists(file.UserFile()));
    EXPECT_EQ(options.presets[0], 0xFFFF0000u);
    EXPECT_FALSE(options.collected[3]);  // empty until the user fills it

    options.presetSelected = 7;
    options.collected[3] = 0xFF123456;
    options.collectedSelected = 3;
    ASSERT_TRUE(file.SavePresets(options));
    ASSERT_TRUE(file.SaveCollected(options));
    const PaletteOptions again = PaletteFile(temp.Folders()).Load();
    EXPECT_EQ(again.presetSelected, 7);
    EXPECT_EQ(again.collectedSelected, 3);
    EXPECT_EQ(again.collected[3], 0xFF123456u);
    EXPECT_EQ(again.presets, options.presets);
    const Json::Value stored = ReadJsonFile(file.UserFile());
    EXPECT_EQ(stored["coloroptioninfo"]["palletDialogcollectcoloroption"][3]["color"].asString(),
              "FF123456");
    EXPECT_EQ(stored["coloroptioninfo"]["palletDialogcollectcoloroption"][3]["UserData"].asString(),
              "1");
}

TEST(PaletteFile, DamagedUserCopyShowsTheDefaultsAndIsNeverOverwritten) {
    TempFolder temp;
    PaletteFile file(temp.Folders());
    std::filesystem::create_directories(file.UserFile().parent_path());
    const std::string damaged = R"({"coloroptioninfo": {"palletDialogcoloroption": [{"col)";
    WriteText(file.UserFile(), damaged);
    PaletteOptions options = file.Load();
    EXPECT_TRUE(file.Damaged());
    EXPECT_EQ(options.presets[0], 0xFFFF0000u);  // the default copy's colours
    options.collected[0] = 0xFF00FF00;
    EXPECT_FALSE(file.SaveCollected(options));
    EXPECT_FALSE(file.SavePresets(options));
    EXPECT_EQ(ReadText(file.UserFile()), damaged);
}

TEST(PaletteFile, WrongTypesAndIndexesReadAsNothing) {
    TempFolder temp;
    PaletteFile file(temp.Folders());
    std::filesystem::create_directories(file.UserFile().parent_path());
    WriteText(
        file.UserFile(),
        R"({"coloroptioninfo": {"palletDialogcoloroption": [{"color": "nothex"}, {"color": 5}],)"
        R"("palletDialogcoloroption_selectitem": 4000,)"
        R"("palletDialogcollectcoloroption": {"color": "FF00FF00"},)"
        R"("palletDialogcollectcoloroption_selectitem": "x"}})");
    const PaletteOptions options = file.Load();
    EXPECT_EQ(options.presets[0], 0u);  // not hexadecimal: 0
    EXPECT_FALSE(options.presets[1]);   // not a text: the layout's colour stays
    EXPECT_EQ(options.presetSelected, -1);
    EXPECT_EQ(options.collectedSelected, -1);
    EXPECT_FALSE(options.collected[0]);
    EXPECT_EQ(ParsePaletteColour("FF00FF00"), 0xFF00FF00u);
    EXPECT_EQ(PaletteColourText(0xFF0a0B0c), "FF0A0B0C");
}

}  // namespace
}  // namespace vivori::profiles
