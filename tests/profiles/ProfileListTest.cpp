#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "TempFolder.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileListModel.h"
#include "profiles/ProfileNames.h"

using namespace vivori::profiles;
using namespace vivori::testing;

namespace {

class ProfileListTest : public ::testing::Test {
  protected:
    ProfileListModel Model(const char* kind = "keyboard", int deviceKind = 1) {
        return ProfileListModel(folders.DataFolder(kind), folders.DefaultDataFile(kind),
                                deviceKind);
    }
    std::filesystem::path Folder(const char* kind = "keyboard") { return folders.DataFolder(kind); }
    Json::Value List() { return ReadJsonFile(Folder() / "ProfileList.ini"); }
    std::set<std::string> FilesInFolder() {
        std::set<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(Folder()))
            names.insert(item.path().filename().string());
        return names;
    }
    // A model holding the named profiles, in order, with `selected` selected.
    ProfileListModel WithNames(std::vector<std::string> names, int selected = 0) {
        ProfileListModel model = Model();
        EXPECT_TRUE(model.Load());
        while (model.Entries().size() < names.size()) EXPECT_TRUE(model.Add());
        // Through names of their own first, so no wanted name is taken on the way.
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t i = 0; i < names.size(); ++i) {
                EXPECT_TRUE(model.Select(int(i)));
                const std::string name = pass ? names[i] : "step " + std::to_string(i);
                EXPECT_TRUE(model.Rename(name)) << name;
            }
        }
        EXPECT_TRUE(model.Select(selected));
        return model;
    }

    TempFolder dir;
    DataFolders folders = dir.Folders();
};

std::vector<std::string> NamesOf(const ProfileListModel& model) {
    return model.Names();
}

}  // namespace

TEST_F(ProfileListTest, FirstStartCreatesProfile1AsACopyOfTheDefaultWithItsNames) {
    ProfileListModel model = Model();
    ASSERT_TRUE(model.Load());
    const Json::Value list = List();
    ASSERT_EQ(list["profilelist"].size(), 1u);
    const Json::Value& entry = list["profilelist"][0];
    EXPECT_EQ(entry["profilename"], "Профиль1");
    EXPECT_EQ(entry["profileislink"], 0);
    EXPECT_EQ(entry["profilelinkmame"], "");
    EXPECT_EQ(list["profileselect"], 0);
    EXPECT_EQ(model.SelectedUUID(), entry["profileUUID"].asString());

    Json::Value expected = ReadJsonFile(folders.DefaultDataFile("keyboard"));
    expected["profilename"] = "Профиль1";
    expected["profileUUID"] = entry["profileUUID"];
    EXPECT_EQ(ReadJsonFile(*model.SelectedPath()), expected);
    // A second start finds the list and creates nothing.
    ProfileListModel again = Model();
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Entries().size(), 1u);
    EXPECT_EQ(FilesInFolder().size(), 3u);  // list, profile, lock
}

TEST(ProfileNames, NewCopyAndImportNamesIgnoreCaseInEveryAlphabet) {
    EXPECT_EQ(DefaultProfileName({"Профиль1", "Профиль3"}), "Профиль2");
    EXPECT_EQ(DefaultProfileName({"Профиль1", "профиль2"}), "Профиль3");
    EXPECT_EQ(DefaultProfileName({"ПРОФИЛЬ1", "ПРОФИЛЬ2"}), "Профиль3");
    EXPECT_EQ(DefaultProfileName({}), "Профиль1");
    EXPECT_EQ(CopyProfileName("Game", {"Game", "Game copy"}), "Game copy copy");
    EXPECT_EQ(CopyProfileName("Game", {"Game", "GAME COPY"}), "Game copy copy");
    EXPECT_EQ(CopyProfileName("Игра", {"ИГРА COPY"}), "Игра copy copy");
    EXPECT_EQ(ImportProfileName("Game", {"Game", "Game(1)"}), "Game(1)(2)");
    EXPECT_EQ(ImportProfileName("game", {"GAME", "gAME(1)"}), "game(1)(2)");
    EXPECT_EQ(ImportProfileName("Game", {"Other"}), "Game");
    EXPECT_EQ(ProfileFileName(" Raid 1 "), "Raid 1.json");
    EXPECT_EQ(ProfileFileName("../a/b\\c"), "_._a_b_c.json");
    EXPECT_EQ(ProfileFileName(""), "profile.json");
    EXPECT_EQ(TrimmedName(" \t "), "");
    EXPECT_EQ(TrimmedName("  Game 1 "), "Game 1");
}

TEST_F(ProfileListTest, AddCopyAndImportNameNewProfilesByTheRules) {
    ProfileListModel model = WithNames({"Профиль1", "профиль3", "Game", "GAME copy"}, 2);
    ASSERT_TRUE(model.Add());
    EXPECT_EQ(model.Entries().back().name, "Профиль2");
    EXPECT_EQ(model.Selected(), 4);  // Add selects the new profile
    ASSERT_TRUE(model.Select(2));
    ASSERT_TRUE(model.Copy());
    EXPECT_EQ(model.Entries().back().name, "Game copy copy");
    EXPECT_EQ(model.Selected(), 2);  // a copy is not selected
    // The copy carries every setting of its source.
    Json::Value source = ReadJsonFile(*model.PathAt(2));
    Json::Value copy = ReadJsonFile(*model.PathAt(5));
    EXPECT_EQ(copy["Device"], source["Device"]);
    EXPECT_EQ(copy["profilename"], "Game copy copy");

    ASSERT_TRUE(model.Select(1));
    ASSERT_TRUE(model.Rename("GAME(1)"));
    const auto exported = dir / "Game.json";
    ASSERT_TRUE(model.Export(exported, false));
    ASSERT_TRUE(model.Import(exported));
    EXPECT_EQ(model.Entries().back().name, "Game(1)(2)");
    EXPECT_EQ(model.Selected(), 1);
    Json::Value imported = ReadJsonFile(*model.PathAt(model.Entries().size() - 1));
    EXPECT_EQ(imported["profilename"], "Game(1)(2)");
    EXPECT_EQ(imported["profileUUID"], model.Entries().back().uuid);
    // Every identifier is its own, though several were made within a millisecond.
    std::set<std::string> ids;
    for (const auto& entry : model.Entries()) ids.insert(entry.uuid);
    EXPECT_EQ(ids.size(), model.Entries().size());
}

TEST_F(ProfileListTest, AddStopsAtFiftyWhileCopyGoesOn) {
    ProfileListModel model = Model();
    ASSERT_TRUE(model.Load());
    while (model.Entries().size() < kMaxAddedProfiles) ASSERT_TRUE(model.Add());
    const ProfileOutcome refused = model.Add();
    EXPECT_EQ(refused.status, ProfileStatus::Limit);
    EXPECT_NE(refused.message.find("50"), std::string::npos);
    EXPECT_EQ(List()["profilelist"].size(), kMaxAddedProfiles);
    EXPECT_TRUE(model.Copy());
    EXPECT_EQ(List()["profilelist"].size(), kMaxAddedProfiles + 1);
}

TEST_F(ProfileListTest, DeleteSelectsTheRowBeforeAndKeepsTheLastProfile) {
    struct Case {
        int deleted;
        int selectedAfter;
        std::vector<std::string> left;
    };
    for (const Case& c : {Case{0, 0, {"B", "C"}}, Case{1, 0, {"A", "C"}}, Case{2, 1, {"A", "B"}}}) {
        std::filesystem::remove_all(Folder());
        ProfileListModel model = WithNames({"A", "B", "C"}, c.deleted);
        const std::filesystem::path file = *model.SelectedPath();
        ASSERT_TRUE(model.Delete());
        EXPECT_EQ(NamesOf(model), c.left) << "deleting " << c.deleted;
        EXPECT_EQ(model.Selected(), c.selectedAfter) << "deleting " << c.deleted;
        EXPECT_EQ(List()["profileselect"], c.selectedAfter);
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    ProfileListModel model = WithNames({"A", "B"}, 1);
    ASSERT_TRUE(model.Delete());
    const ProfileOutcome last = model.Delete();
    EXPECT_EQ(last.status, ProfileStatus::LastProfile);
    EXPECT_EQ(List()["profilelist"].size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(*model.SelectedPath()));
}

TEST_F(ProfileListTest, RenameRefusesBlankAndTakenNamesButNotTheProfilesOwn) {
    ProfileListModel model = WithNames({"Game", "Игра"}, 0);
    EXPECT_EQ(model.Rename("   ").status, ProfileStatus::Blank);
    EXPECT_EQ(model.Rename("иГРА").status, ProfileStatus::Duplicate);
    EXPECT_EQ(model.Entries()[0].name, "Game");
    ASSERT_TRUE(model.Rename("GAME"));
    EXPECT_EQ(List()["profilelist"][0]["profilename"], "GAME");
    EXPECT_EQ(ReadJsonFile(*model.SelectedPath())["profilename"], "GAME");
}

TEST_F(ProfileListTest, AnOutOfRangeSelectionCountsAsTheFirstAndNeverGrowsTheList) {
    ProfileListModel model = WithNames({"A", "B"}, 1);
    Json::Value list = List();
    list["profileselect"] = 99;
    ASSERT_TRUE(WriteJsonFile(Folder() / "ProfileList.ini", list));
    ProfileListModel reread = Model();
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.Selected(), 0);
    ASSERT_TRUE(reread.Add());
    EXPECT_EQ(List()["profilelist"].size(), 3u);
    EXPECT_EQ(reread.Select(7).status, ProfileStatus::Refused);
    EXPECT_EQ(List()["profilelist"].size(), 3u);
}

TEST_F(ProfileListTest, HostileImportsWriteNothingOutsideTheDeviceFolder) {
    ProfileListModel model = Model();
    ASSERT_TRUE(model.Load());
    const auto before = FilesInFolder();
    const std::string nul("a\0b", 3);
    for (const std::string& uuid : {std::string("../escape"), std::string("/tmp/escape"), nul,
                                    std::string(300, 'x'), std::string("..")}) {
        Json::Value document;
        document["profilename"] = "x";
        document["profileUUID"] = uuid;
        ASSERT_TRUE(WriteJsonFile(dir / "bad.json", document));
        const ProfileOutcome outcome = model.Import(dir / "bad.json");
        EXPECT_EQ(outcome.status, ProfileStatus::BadFile) << uuid;
        EXPECT_NE(outcome.message.find("plain name"), std::string::npos);
    }
    for (const char* text : {R"({"profilename": 5, "profileUUID": "a"})",
                             R"({"profilename": "a", "profileUUID": "a", "Device": 3})",
                             R"({"profilename": "a", "profileUUID": "a", "Device": [1]})",
                             R"({"profilename": "a"})", "[1, 2]", "{not json"}) {
        WriteText(dir / "bad.json", text);
        EXPECT_EQ(model.Import(dir / "bad.json").status, ProfileStatus::BadFile) << text;
    }
    EXPECT_EQ(FilesInFolder(), before);
    EXPECT_EQ(model.Entries().size(), 1u);

    // A hostile name inside the file is not used: the file title names the profile.
    Json::Value document;
    document["profilename"] = "../../" + std::string(300, 'n');
    document["profileUUID"] = "fine";
    ASSERT_TRUE(WriteJsonFile(dir / "Raid.json", document));
    ASSERT_TRUE(model.Import(dir / "Raid.json"));
    EXPECT_EQ(model.Entries().back().name, "Raid");
    EXPECT_EQ(FilesInFolder().size(), before.size() + 1);
    std::set<std::string> top;
    for (const auto& item : std::filesystem::directory_iterator(dir.Path()))
        top.insert(item.path().filename().string());
    EXPECT_EQ(top, (std::set<std::string>{"data", "install", "bad.json", "Raid.json"}));
    EXPECT_FALSE(std::filesystem::exists("/tmp/escape.Json"));
}

TEST_F(ProfileListTest, ADamagedListIsKeptAsideAndRebuiltFromTheProfileFiles) {
    ProfileListModel model = WithNames({"A", "B"}, 1);
    const std::vector<ProfileEntry> entries = model.Entries();
    const std::string damaged = "{\"profilelist\": [ {\"profilename\": \"A\", ";
    WriteText(Folder() / "ProfileList.ini", damaged);
    ProfileListModel reread = Model();
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(ReadText(Folder() / "ProfileList.ini.bad"), damaged);
    ASSERT_EQ(reread.Entries().size(), 2u);
    EXPECT_EQ(reread.Entries()[0].uuid, entries[0].uuid);
    EXPECT_EQ(reread.Entries()[1].name, "B");
    EXPECT_EQ(List()["profilelist"].size(), 2u);
}

TEST_F(ProfileListTest, ResetRestoresTheDefaultsButAHeadsetKeepsItsCustomEqualisers) {
    ProfileListModel keyboard = WithNames({"Mine"});
    Json::Value changed = ReadJsonFile(*keyboard.SelectedPath());
    changed["Device"][0]["LightInfo"] = "changed";
    ASSERT_TRUE(WriteJsonFile(*keyboard.SelectedPath(), changed));
    ASSERT_TRUE(keyboard.Reset());
    Json::Value reset = ReadJsonFile(*keyboard.SelectedPath());
    EXPECT_EQ(reset["Device"], ReadJsonFile(folders.DefaultDataFile("keyboard"))["Device"]);
    EXPECT_EQ(reset["profilename"], "Mine");

    ProfileListModel headset = Model("HD", 7);
    ASSERT_TRUE(headset.Load());
    Json::Value mine = ReadJsonFile(*headset.SelectedPath());
    Json::Value& device = mine["Device"][0];
    device["CustomEQNameInfo"] = Json::arrayValue;
    device["CustomEQNameInfo"].append("Bass");
    device["CustomEQHzValueInfo"][0] = Json::arrayValue;
    device["CustomEQHzValueInfo"][0].append(7);
    device["LightInfo"] = "changed";
    ASSERT_TRUE(WriteJsonFile(*headset.SelectedPath(), mine));
    ASSERT_TRUE(headset.Reset());
    Json::Value after = ReadJsonFile(*headset.SelectedPath());
    EXPECT_EQ(after["Device"][0]["CustomEQNameInfo"], device["CustomEQNameInfo"]);
    EXPECT_EQ(after["Device"][0]["CustomEQHzValueInfo"], device["CustomEQHzValueInfo"]);
    EXPECT_NE(after["Device"][0]["LightInfo"], "changed");
}

TEST_F(ProfileListTest, ExportAsksBeforeOverwritingAndFailedWritesKeepTheOldFiles) {
    ProfileListModel model = WithNames({"A", "B"});
    const auto target = dir / "out.json";
    WriteText(target, "old");
    EXPECT_EQ(model.Export(target, false).status, ProfileStatus::Exists);
    EXPECT_EQ(ReadText(target), "old");
    ASSERT_TRUE(model.Export(target, true));
    EXPECT_EQ(ReadJsonFile(target)["profilename"], "A");

    // A profile file that cannot be replaced: rename and reset say so, and the list
    // keeps the old name.
    const std::filesystem::path file = *model.SelectedPath();
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    const ProfileOutcome renamed = model.Rename("C");
    EXPECT_EQ(renamed.status, ProfileStatus::WriteFailed);
    EXPECT_NE(renamed.message.find(file.string()), std::string::npos);
    EXPECT_EQ(List()["profilelist"][0]["profilename"], "A");
    EXPECT_EQ(model.Reset().status, ProfileStatus::WriteFailed);
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(ProfileListTest, TwoProcessesAddingAtOnceLoseNoProfile) {
    ProfileListModel model = Model();
    ASSERT_TRUE(model.Load());
    constexpr int kEach = 12;
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ProfileListModel mine = Model();
            bool ok = bool(mine.Load());
            for (int i = 0; i < kEach; ++i) ok = bool(mine.Add()) && ok;
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ASSERT_TRUE(model.Load());
    ASSERT_EQ(model.Entries().size(), 1u + 2 * kEach);
    std::set<std::string> ids, names;
    for (std::size_t i = 0; i < model.Entries().size(); ++i) {
        ids.insert(model.Entries()[i].uuid);
        names.insert(model.Entries()[i].name);
        EXPECT_TRUE(std::filesystem::exists(*model.PathAt(i)));
    }
    EXPECT_EQ(ids.size(), model.Entries().size());
    EXPECT_EQ(names.size(), model.Entries().size());
}

TEST(ProfileNames, ANameIsRefusedForControlCharactersBrokenTextOrLengthInCharacters) {
    EXPECT_EQ(ProfileNameRefusal("Raid 2"), "");
    EXPECT_EQ(ProfileNameRefusal(std::string(kMaxProfileNameChars, 'x')), "");
    // Characters, not bytes: 32 Cyrillic letters are 64 bytes and still fit.
    std::string cyrillic;
    for (std::size_t i = 0; i < kMaxProfileNameChars; ++i) cyrillic += "Ж";
    EXPECT_EQ(ProfileNameRefusal(cyrillic), "");
    EXPECT_NE(ProfileNameRefusal(cyrillic + "Ж").find("longer than 32"), std::string::npos);
    for (const std::string& name : {std::string("a\nb"), std::string("a\tb"), std::string("a\x7f"),
                                    std::string("a\xc2\x85"), std::string("a\0b", 3)})
        EXPECT_NE(ProfileNameRefusal(name).find("control character"), std::string::npos) << name;
    EXPECT_NE(ProfileNameRefusal("a\xff").find("UTF-8"), std::string::npos);
}

TEST_F(ProfileListTest, RenameCopyAndImportRefuseNamesTheListCannotShow) {
    ProfileListModel model = WithNames({"Raid"});
    const auto path = *model.PathAt(0);
    for (const std::string& bad :
         {std::string("two\nlines"), std::string(33, 'n'), std::string("bell\a")}) {
        const ProfileOutcome outcome = model.Rename(bad);
        EXPECT_EQ(outcome.status, ProfileStatus::BadName) << bad;
        EXPECT_FALSE(outcome.message.empty());
    }
    EXPECT_EQ(List()["profilelist"][0]["profilename"], "Raid");
    EXPECT_EQ(ReadJsonFile(path)["profilename"], "Raid");

    // "Raid copy ... copy" fits five times in 32 characters; the sixth copy is refused
    // and leaves neither an entry nor a file behind.
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(model.Copy()) << i;
    const auto files = FilesInFolder();
    const ProfileOutcome sixth = model.Copy();
    EXPECT_EQ(sixth.status, ProfileStatus::BadName);
    EXPECT_NE(sixth.message.find("rename it first"), std::string::npos) << sixth.message;
    EXPECT_EQ(FilesInFolder(), files);
    EXPECT_EQ(List()["profilelist"].size(), 6u);

    // An import is named after its file: a title the list cannot show is refused, and
    // so is the "(1)" that would take a fitting title past the limit.
    const std::string thirty(30, 't');
    ASSERT_TRUE(model.Export(dir / (thirty + ".json"), false));
    ASSERT_TRUE(model.Export(dir / "line\nbreak.json", false));
    ASSERT_TRUE(model.Export(dir / (std::string(33, 'l') + ".json"), false));
    EXPECT_TRUE(model.Import(dir / (thirty + ".json")));
    EXPECT_EQ(model.Import(dir / (thirty + ".json")).status, ProfileStatus::BadName);
    EXPECT_EQ(model.Import(dir / "line\nbreak.json").status, ProfileStatus::BadName);
    EXPECT_EQ(model.Import(dir / (std::string(33, 'l') + ".json")).status, ProfileStatus::BadName);
    EXPECT_EQ(List()["profilelist"].size(), 7u);
    // A title in another encoding is made valid text rather than refused.
    ASSERT_TRUE(model.Export(dir / "caf\xe9.json", false));
    ASSERT_TRUE(model.Import(dir / "caf\xe9.json"));
    EXPECT_EQ(model.Entries().back().name, "caf\xef\xbf\xbd");
}

TEST_F(ProfileListTest, AProfileOfAnotherDeviceKindIsRefusedWithTheReason) {
    ProfileListModel keyboard = Model();
    ASSERT_TRUE(keyboard.Load());
    ProfileListModel mouse = Model("mouse", 2);
    ASSERT_TRUE(mouse.Load());
    ASSERT_TRUE(mouse.Export(dir / "Sniper.json", false));
    const auto files = FilesInFolder();
    const ProfileOutcome refused = keyboard.Import(dir / "Sniper.json");
    EXPECT_EQ(refused.status, ProfileStatus::BadFile);
    EXPECT_NE(refused.message.find("it is a mouse profile, and this is the keyboard's list"),
              std::string::npos)
        << refused.message;
    EXPECT_EQ(FilesInFolder(), files);
    EXPECT_EQ(List()["profilelist"].size(), 1u);
    // Through the receiver the keyboard is the same kind.
    ProfileListModel receiver = Model("keyboard", 9);
    ASSERT_TRUE(receiver.Load());
    EXPECT_EQ(receiver.Import(dir / "Sniper.json").status, ProfileStatus::BadFile);

    ASSERT_TRUE(keyboard.Export(dir / "Typing.json", false));
    ProfileListModel pad = Model("MousePad", 3);
    ASSERT_TRUE(pad.Load());
    EXPECT_NE(pad.Import(dir / "Typing.json").message.find("keyboard profile"), std::string::npos);
    ProfileListModel headset = Model("HD", 7);
    ASSERT_TRUE(headset.Load());
    ASSERT_TRUE(headset.Export(dir / "Music.json", false));
    EXPECT_NE(mouse.Import(dir / "Music.json").message.find("headset profile"), std::string::npos);

    // Its own kind goes in, and so does a profile of lighting only (a pad's), which
    // every kind carries.
    EXPECT_TRUE(keyboard.Import(dir / "Typing.json"));
    ASSERT_TRUE(pad.Export(dir / "Glow.json", false));
    EXPECT_TRUE(keyboard.Import(dir / "Glow.json"));
    EXPECT_TRUE(mouse.Import(dir / "Glow.json"));
}

TEST_F(ProfileListTest, ASaveReachesOnlyAProfileTheListStillNames) {
    ProfileListModel model = WithNames({"A", "B"}, 1);
    const auto path = *model.PathAt(1);
    int saves = 0;
    const auto save = [&] {
        ++saves;
        WriteText(path, R"({"profilename": "B", "profileUUID": "x"})");
        return true;
    };
    EXPECT_EQ(SaveIfListed(path, save), ListedSave::Saved);
    EXPECT_EQ(SaveIfListed(path, [] { return false; }), ListedSave::Failed);
    ASSERT_TRUE(model.Delete());  // as another program would
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(SaveIfListed(path, save), ListedSave::NotListed);
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(SaveIfListed(dir / "elsewhere" / "x.Json", save), ListedSave::NotListed);
}
