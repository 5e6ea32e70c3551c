#include <gtest/gtest.h>

#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/JsonFile.h"
#include "profiles/TempFolder.h"

using namespace vivori;
using namespace vivori::macros;
using vivori::testing::ReadText;
using vivori::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t Macro(uint8_t index, uint8_t mode = 0) {
    return 0x700000u | index << 8 | mode;
}
constexpr uint32_t kKeyA = 0x200004;
constexpr uint32_t kKeyB = 0x200005;
constexpr uint32_t kKeyC = 0x200006;

class MacroDeletionTest : public ::testing::Test {
  protected:
    TempFolder temp;
    profiles::DataFolders folders = temp.Folders();
    fs::path folder = folders.DataFolder("keyboard");
    MacroLibrary library{folder};

    void SetUp() override {
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(library.Add());
        Json::Value list(Json::objectValue);
        for (const char* id : {"current", "other"}) {
            Json::Value row;
            row["profilename"] = id;
            row["profileUUID"] = id;
            row["profileislink"] = 0;
            row["profilelinkmame"] = "";
            list["profilelist"].append(row);
        }
        list["profileselect"] = 0;
        ASSERT_TRUE(profiles::WriteJsonFile(folder / "ProfileList.ini", list));
    }

    // Keys: one per macro, plus a key that keeps its own function.
    void WriteProfile(const char* id, std::vector<uint32_t> assignments) {
        Json::Value doc(Json::objectValue);
        const uint32_t defaults[] = {kKeyA, kKeyB, kKeyC, kKeyA};
        for (size_t i = 0; i < assignments.size(); ++i) {
            Json::Value key;
            key["Assignment"] = assignments[i];
            key["DefaultAssignment"] = defaults[i % 4];
            doc["Device"][0]["KeyList"].append(key);
        }
        doc["profilename"] = id;
        doc["profileUUID"] = id;
        ASSERT_TRUE(profiles::WriteJsonFile(folder / (std::string(id) + ".Json"), doc));
    }

    std::vector<uint32_t> Assignments(const char* id) {
        profiles::CBasicProfiledata data;
        data.LoadScratch(folder / (std::string(id) + ".Json"));
        std::vector<uint32_t> codes;
        for (const auto& k : data.GetScratchKeyList()) codes.push_back(k.current.Code());
        return codes;
    }
};

}  // namespace

TEST_F(MacroDeletionTest, DeletingAMacroGivesItsKeysTheirDefaultsAndMovesLaterOnesDown) {
    WriteProfile("current", {Macro(0), Macro(1), Macro(2, 3), kKeyC});
    WriteProfile("other", {Macro(1), Macro(2), Macro(0), 0x710100 | 9});  // repeat mode, index 1

    const auto plan = PlanMacroDeletion(folders, "keyboard", 1);
    EXPECT_TRUE(plan.selectedProfileUsesMacro);
    EXPECT_EQ(plan.profilesToRepair.size(), 2u);
    ASSERT_TRUE(RepairProfiles(folders, "keyboard", plan, 1));
    const std::string deletedGuid = library.List()[1].guid;
    ASSERT_TRUE(library.Delete(1));

    EXPECT_EQ(Assignments("current"), (std::vector<uint32_t>{Macro(0), kKeyB, Macro(1, 3), kKeyC}));
    EXPECT_EQ(Assignments("other"), (std::vector<uint32_t>{kKeyA, Macro(1), Macro(0), kKeyA}));
    EXPECT_EQ(library.List().size(), 2u);
    EXPECT_FALSE(fs::exists(folder / (deletedGuid + ".mac")));
    // The profile files keep everything else.
    EXPECT_EQ(profiles::ReadJsonFile(folder / "other.Json")["profilename"].asString(), "other");
}

TEST_F(MacroDeletionTest, PlanningWritesNothingSoDecliningLeavesEveryFileAsItWas) {
    WriteProfile("current", {Macro(2)});
    WriteProfile("other", {Macro(2), Macro(1)});
    const std::string current = ReadText(folder / "current.Json");
    const std::string other = ReadText(folder / "other.Json");
    const std::string list = ReadText(folder / "macro.config");

    const auto plan = PlanMacroDeletion(folders, "keyboard", 2);
    EXPECT_TRUE(plan.selectedProfileUsesMacro);  // the question is asked before any repair
    EXPECT_EQ(ReadText(folder / "current.Json"), current);
    EXPECT_EQ(ReadText(folder / "other.Json"), other);
    EXPECT_EQ(ReadText(folder / "macro.config"), list);

    // A macro only other profiles use needs no question, and a profile that does not
    // use macros at or after it is not rewritten.
    const auto quiet = PlanMacroDeletion(folders, "keyboard", 1);
    EXPECT_FALSE(quiet.selectedProfileUsesMacro);
    EXPECT_EQ(quiet.profilesToRepair.size(), 2u);  // both hold macro 2, which moves down
    const auto none = PlanMacroDeletion(folders, "keyboard", 5);
    EXPECT_TRUE(none.profilesToRepair.empty());
}

TEST_F(MacroDeletionTest, ARefusedSelectedEntryNeverMakesAnotherProfileTheSelectedOne) {
    // The selected entry names a path outside the folder, so it is left out; the
    // profile after it must not take its place in the question asked.
    Json::Value list = profiles::ReadJsonFile(folder / "ProfileList.ini");
    list["profilelist"][0]["profileUUID"] = "../current";
    ASSERT_TRUE(profiles::WriteJsonFile(folder / "ProfileList.ini", list));
    WriteProfile("other", {Macro(1)});
    const auto plan = PlanMacroDeletion(folders, "keyboard", 1);
    EXPECT_FALSE(plan.selectedProfileUsesMacro);
    EXPECT_EQ(plan.profilesToRepair.size(), 1u);
}

TEST_F(MacroDeletionTest, AProfileThatCannotBeReadIsNeverRewritten) {
    WriteProfile("current", {Macro(1)});
    vivori::testing::WriteText(folder / "other.Json", "{\"Device\": [ {\"KeyList\": [");
    const auto plan = PlanMacroDeletion(folders, "keyboard", 1);
    EXPECT_EQ(plan.profilesToRepair.size(), 1u);
    // It is named, so the user can be asked before its keys go out of step.
    EXPECT_EQ(plan.unreadableProfiles, (std::vector<fs::path>{folder / "other.Json"}));
    ASSERT_TRUE(RepairProfiles(folders, "keyboard", plan, 1));
    EXPECT_EQ(ReadText(folder / "other.Json"), "{\"Device\": [ {\"KeyList\": [");
    EXPECT_EQ(Assignments("current"), (std::vector<uint32_t>{kKeyA}));
}

TEST_F(MacroDeletionTest, ADeletionThatCannotFinishLeavesEveryProfileAsItWas) {
    WriteProfile("current", {Macro(1), Macro(2)});
    WriteProfile("other", {Macro(2)});
    const std::string current = ReadText(folder / "current.Json");
    const std::string other = ReadText(folder / "other.Json");
    const std::string unreadable(profiles::kMaxTextFileBytes + 1, ' ');

    // A planned profile that can no longer be read: the one already repaired is put back.
    auto plan = PlanMacroDeletion(folders, "keyboard", 1);
    ASSERT_EQ(plan.profilesToRepair.size(), 2u);
    vivori::testing::WriteText(folder / "other.Json", unreadable);
    EXPECT_FALSE(DeleteMacroWithRepair(library, folders, "keyboard", plan, 1));
    EXPECT_EQ(ReadText(folder / "current.Json"), current);
    EXPECT_EQ(library.List().size(), 3u);

    // The macro list cannot be written: the repaired profiles are put back.
    vivori::testing::WriteText(folder / "other.Json", other);
    const std::string list = ReadText(folder / "macro.config");
    vivori::testing::WriteText(folder / "macro.config", list + unreadable);
    plan = PlanMacroDeletion(folders, "keyboard", 1);
    EXPECT_FALSE(DeleteMacroWithRepair(library, folders, "keyboard", plan, 1));
    EXPECT_EQ(ReadText(folder / "current.Json"), current);
    EXPECT_EQ(ReadText(folder / "other.Json"), other);

    // With everything readable it goes through.
    vivori::testing::WriteText(folder / "macro.config", list);
    ASSERT_TRUE(DeleteMacroWithRepair(library, folders, "keyboard", plan, 1));
    EXPECT_EQ(Assignments("current"), (std::vector<uint32_t>{kKeyA, Macro(1)}));
    EXPECT_EQ(Assignments("other"), (std::vector<uint32_t>{Macro(1)}));
    EXPECT_EQ(library.List().size(), 2u);
}

TEST_F(MacroDeletionTest, AListChangedSinceThePlanDeletesNothingAndRestoresTheProfiles) {
    WriteProfile("current", {Macro(0), Macro(1), kKeyC});
    WriteProfile("other", {Macro(2), kKeyB});
    const auto plan = PlanMacroDeletion(folders, "keyboard", 1);
    const std::string current = ReadText(folder / "current.Json");
    // Another program deletes macro 0 meanwhile: position 1 is now another macro.
    MacroLibrary(folder).Delete(0);
    const auto result = DeleteMacroWithRepair(library, folders, "keyboard", plan, 1);
    EXPECT_FALSE(result);
    EXPECT_EQ(library.List().size(), 2u);
    EXPECT_EQ(ReadText(folder / "current.Json"), current);
}
