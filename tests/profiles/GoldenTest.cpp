#include <gtest/gtest.h>

#include <cstdlib>

#include "TempFolder.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CRi6533Profiledata.h"

using namespace vivori::profiles;
using namespace vivori::testing;

namespace {

const std::filesystem::path kGolden = VIVORI_GOLDEN_DIR;

// Compares byte for byte; VIVORI_UPDATE_GOLDEN=1 rewrites the expected file instead.
void ExpectGolden(const std::filesystem::path& written, const std::string& name) {
    if (const char* update = std::getenv("VIVORI_UPDATE_GOLDEN"); update && *update == '1')
        std::filesystem::copy_file(written, kGolden / name,
                                   std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(ReadText(written), ReadText(kGolden / name)) << name;
}

}  // namespace

TEST(Golden, KeyboardProfileWrittenFromScratch) {
    TempFolder dir;
    CKeyboardProfiledata profile;
    profile.SetProfilePath(dir / "new.Json");
    profile.Load(dir / "new.Json");  // no default: starts empty
    profile.SetLightInfo({.selectItem = 5,
                          .light = 4,
                          .speed = 2,
                          .fx = 1,
                          .multiColor = 0,
                          .red = 255,
                          .green = 128,
                          .blue = 0,
                          .working1 = 9,
                          .present = 1,
                          .zzccLedMode = 1,
                          .customGroup = 2,
                          .oldLedMode = 5});
    profile.SetAudioLightInfo({.audioMode = 2, .foregroundGreen = 200, .sevenColorFlag = 1});
    profile.SetKeyList(
        {{KeyAssign::FromCode(0, 0x200029), {}}, {KeyAssign::FromCode(1, 0x70000B), {}}});
    profile.SetSystemStages({.repeat = 20, .repeatDelay = 1, .pollingRate = 3, .winFlag = 1});
    profile.SetCustomLightGroup(1);
    profile.SetCustomLightColors({{255, 0, 0, 255}, {0, 0, 255, 128}}, 1);
    ASSERT_TRUE(profile.Save());
    ExpectGolden(dir / "new.Json", "keyboard_profile.Json");
}

TEST(Golden, HeadsetSaveMergesIntoAFileWithUnknownKeys) {
    TempFolder dir;
    std::filesystem::copy_file(kGolden / "headset_before.Json", dir / "h.Json");
    CRi6533Profiledata profile;
    profile.SetProfilePath(dir / "h.Json");
    profile.Load(dir / "h.Json");
    SystemSetStages stages = profile.GetSystemSetStages();
    stages.eqType = 2;
    stages.micInValue = 55;
    profile.SetSystemSetStages(stages);
    profile.SetEqValues({7, 11, 6, -3, -11, -1, 6, 13, 6, 13}, 2);
    profile.SetCustomEqNames({"Ночь", "Music"});
    ASSERT_TRUE(profile.Save());
    ExpectGolden(dir / "h.Json", "headset_after.Json");
}
