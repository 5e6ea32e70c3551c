#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/Debug.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/JsonFile.h"

using namespace vivori;
using namespace vivori::profiles;
using namespace vivori::testing;

namespace {

class ProfileFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folders_.emplace(dir_.Folders());
        path_ = folders_->DataFolder(kKeyboardFolder) / "p.Json";
        profile_.SetDefaultProfilePath(folders_->DefaultDataFile(kKeyboardFolder));
        profile_.SetProfilePath(path_);
    }
    Json::Value DefaultEntry() const {
        return ReadJsonFile(folders_->DefaultDataFile(kKeyboardFolder))["Device"][0];
    }

    TempFolder dir_;
    std::optional<DataFolders> folders_;
    std::filesystem::path path_;
    CKeyboardProfiledata profile_;
};

}  // namespace

TEST_F(ProfileFile, LoadingAMissingFileCreatesItFromTheDefaultEntry) {
    Json::Value entry = profile_.Load(path_);
    EXPECT_EQ(entry, DefaultEntry());
    Json::Value written = ReadJsonFile(path_);
    ASSERT_EQ(written["Device"].size(), 1u);
    EXPECT_EQ(written["Device"][0], DefaultEntry());
    EXPECT_EQ(profile_.GetKeyList().size(), 126u);
}

TEST_F(ProfileFile, LoadingAFileWithoutTheEntryAddsItAndKeepsTheRest) {
    WriteText(path_, R"({"profilename": "Game", "profileUUID": "u1", "Extra": {"x": 1}})");
    profile_.Load(path_);
    Json::Value written = ReadJsonFile(path_);
    EXPECT_EQ(written["profilename"], "Game");
    EXPECT_EQ(written["Extra"]["x"], 1);
    EXPECT_EQ(written["Device"][0], DefaultEntry());
}

TEST_F(ProfileFile, BadFilesAreLeftInPlaceAndDefaultsUsedInMemory) {
    const std::string bad[] = {
        "",                                                 // empty
        R"({"Device": [{"LightInfo": {"Red")",              // truncated
        "[1, 2, 3]",                                        // not an object
        R"({"Device": {"0": {}}, "profilename": "kept"})",  // "Device" not an array
    };
    for (const auto& text : bad) {
        WriteText(path_, text);
        DebugCapture capture;
        EXPECT_EQ(profile_.Load(path_), DefaultEntry()) << text;
        EXPECT_EQ(ReadText(path_), text) << "the bad file must stay as it was";
        EXPECT_TRUE(capture.Contains(path_.filename().string())) << text;
    }
}

TEST_F(ProfileFile, SavingOverACorruptFileWritesTheProfileAndKeepsTheOldBytes) {
    WriteText(path_, R"({"Device": [{"Light)");
    profile_.Load(path_);
    LightInfo info = profile_.GetLightInfo();
    info.red = 12;
    profile_.SetLightInfo(info);
    ASSERT_TRUE(profile_.Save());
    EXPECT_EQ(ReadJsonFile(path_)["Device"][0]["LightInfo"]["Red"], 12);
    EXPECT_EQ(ReadText(path_.string() + ".bad"), R"({"Device": [{"Light)");
}

TEST_F(ProfileFile, SavingOverAFileWhoseDeviceIsNotAListKeepsTheOldBytesAndTheOtherKeys) {
    const std::string odd = R"({"Device": {"0": {"Red": 3}}, "profilename": "kept"})";
    WriteText(path_, odd);
    profile_.Load(path_);
    ASSERT_TRUE(profile_.Save());
    Json::Value saved = ReadJsonFile(path_);
    EXPECT_EQ(saved["profilename"], "kept");
    EXPECT_EQ(saved["Device"][0], DefaultEntry());
    EXPECT_EQ(ReadText(path_.string() + ".bad"), odd);
}

TEST_F(ProfileFile, RepeatedSavesWriteTheSameBytesAndLeaveOnlyTheFile) {
    profile_.Load(path_);
    ASSERT_TRUE(profile_.Save());
    const std::string first = ReadText(path_);
    EXPECT_EQ(first, StyledJson(ReadJsonFile(path_)));
    ASSERT_TRUE(profile_.Save());
    ASSERT_TRUE(profile_.SaveScratchTo(path_.parent_path() / "copy.Json"));
    EXPECT_EQ(ReadText(path_), first);
    EXPECT_EQ(profile_.Document(), DefaultEntry());  // the entry lent to the write came back
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path_.parent_path()), {}), 2);
}

TEST_F(ProfileFile, SaveNeverOverwritesAFileItCannotReRead) {
    profile_.Load(path_);
    std::string oversized =
        R"({"profilename": "big", "pad": ")" + std::string(kMaxTextFileBytes, 'x') + "\"}";
    WriteText(path_, oversized);
    EXPECT_FALSE(profile_.Save());
    EXPECT_EQ(std::filesystem::file_size(path_), oversized.size());
}

TEST_F(ProfileFile, SaveReplacesOnlyItsEntryAndKeepsUnknownKeys) {
    WriteText(path_, R"({"Device": [{"Old": 1, "LightInfo": {"Red": 1}}, {"Second": true}],
                        "profilename": "Game", "profileUUID": "u1", "Future": [1, 2]})");
    profile_.Load(path_);
    KeyboardSystemStages stages = profile_.GetSystemStages();
    stages.repeat = 33;
    profile_.SetSystemStages(stages);
    ASSERT_TRUE(profile_.Save());
    Json::Value saved = ReadJsonFile(path_);
    EXPECT_EQ(saved["profilename"], "Game");
    EXPECT_EQ(saved["profileUUID"], "u1");
    EXPECT_EQ(saved["Future"].size(), 2u);
    EXPECT_EQ(saved["Device"][1]["Second"], true);
    EXPECT_EQ(saved["Device"][0]["Old"], 1);  // keys of the entry we do not know survive too
    EXPECT_EQ(saved["Device"][0]["SystemStages"]["Repeat"], 33);
}

TEST_F(ProfileFile, AMissingDefaultGivesZeroRecordsAndWritesNothing) {
    CKeyboardProfiledata profile;
    profile.SetDefaultProfilePath(dir_ / "none.Json");
    EXPECT_TRUE(profile.Load(path_).isNull());
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_EQ(profile.GetLightInfo(), LightInfo{});
    EXPECT_TRUE(profile.GetKeyList().empty());
}

TEST_F(ProfileFile, ScratchDocumentUpdatesAnotherProfilesKeyList) {
    std::filesystem::path other = path_.parent_path() / "other.Json";
    profile_.Load(path_);
    profile_.LoadScratch(other);
    auto keys = profile_.GetScratchKeyList();
    ASSERT_EQ(keys.size(), 126u);
    keys[3].current = KeyAssign::FromCode(3, 0x700102);
    profile_.SetScratchKeyList(keys);
    ASSERT_TRUE(profile_.SaveScratchTo(other));
    Json::Value saved = ReadJsonFile(other)["Device"][0]["KeyList"][3];
    EXPECT_EQ(saved["Assignment"], 0x700102);
    EXPECT_EQ(saved["DefaultAssignment"], 0x20003C);
    EXPECT_EQ(profile_.GetKeyList()[3].current.Code(), 0x20003Cu);  // own profile untouched
}
