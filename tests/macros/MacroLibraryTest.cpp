#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "macros/MacroEvents.h"
#include "macros/MacroLibrary.h"
#include "platform/Identifier.h"
#include "profiles/JsonFile.h"
#include "profiles/TempFolder.h"

using namespace vivori;
using namespace vivori::macros;
using vivori::testing::ReadText;
using vivori::testing::TempFolder;
using vivori::testing::WriteText;
namespace fs = std::filesystem;

namespace {

class MacroLibraryTest : public ::testing::Test {
  protected:
    TempFolder temp;
    fs::path folder = temp / "keyboard";
    MacroLibrary library{folder};

    void SetUp() override { fs::create_directories(folder); }

    // A list with fixed identifiers, as an earlier run would have left it.
    void WriteList(const std::vector<MacroEntry>& entries) {
        Json::Value doc(Json::objectValue);
        doc["MacroInfo"] = Json::Value(Json::arrayValue);
        for (const auto& e : entries) {
            Json::Value row;
            row["MacroName"] = e.name;
            row["Guid"] = e.guid;
            doc["MacroInfo"].append(row);
        }
        ASSERT_TRUE(profiles::WriteJsonFile(folder / "macro.config", doc));
    }

    fs::path Import(const std::string& fileName, const std::string& text) {
        fs::path file = temp / fileName;
        WriteText(file, text);
        return file;
    }
};

Json::Value TwoEvents() {
    Json::Value events(Json::arrayValue);
    events.append(MakeEventObject(true, kTypeKey, 0x04, 35));
    Json::Value up = MakeEventObject(false, kTypeKey, 0x04, 0);
    up["Delay"] = 120;  // the editor may hand over a number; the file keeps a string
    events.append(up);
    return events;
}

}  // namespace

TEST_F(MacroLibraryTest, SavedMacroFileMatchesTheGoldenByteForByteAndRoundTrips) {
    WriteList({{"Jump", "2026_01_02_03_04_05_006"}});
    ASSERT_TRUE(library.Save(0, TwoEvents()));
    const fs::path file = folder / "2026_01_02_03_04_05_006.mac";
    const std::string golden = ReadText(fs::path(VIVORI_MACRO_GOLDEN_DIR) / "jump.mac");
    EXPECT_EQ(ReadText(file), golden);

    // Loading and saving again changes nothing.
    ASSERT_TRUE(library.Save(0, library.Document(0)["Events"]));
    EXPECT_EQ(ReadText(file), golden);
    ASSERT_EQ(library.Events(0).size(), 2u);
    EXPECT_EQ(library.Events(0)[1].delay, 120);
}

TEST_F(MacroLibraryTest, AddPicksTheSmallestFreeNameAndStopsAtFifty) {
    WriteList({{"macro_1", "a"}, {"MACRO_3", "b"}});
    auto added = library.Add();
    ASSERT_TRUE(added);
    EXPECT_EQ(library.List().back().name, "macro_2");
    EXPECT_EQ(library.List().back().guid, added.guid);
    ASSERT_TRUE(library.Add());
    EXPECT_EQ(library.List().back().name, "macro_4");  // macro_3 is taken, whatever its case

    while (library.List().size() < kMaxMacros) ASSERT_TRUE(library.Add());
    const std::string before = ReadText(folder / "macro.config");
    EXPECT_EQ(library.Add().error, MacroError::LimitReached);
    EXPECT_EQ(ReadText(folder / "macro.config"), before);
    // Import has no limit.
    EXPECT_TRUE(library.Import(Import("more.mac", R"({"Events":[]})")));
    EXPECT_EQ(library.List().size(), kMaxMacros + 1);

    std::set<std::string> guids;
    for (const auto& e : library.List()) EXPECT_TRUE(guids.insert(e.guid).second) << e.guid;
}

TEST_F(MacroLibraryTest, RenameRefusesBlankAndTakenNamesAndKeepsUnknownKeys) {
    WriteList({{"Jump", "a"}, {"Crouch", "b"}});
    Json::Value doc = profiles::ReadJsonFile(folder / "macro.config");
    doc["WrittenBy"] = "a newer version";
    profiles::WriteJsonFile(folder / "macro.config", doc);

    EXPECT_EQ(library.Rename(0, "  \t").error, MacroError::EmptyName);
    EXPECT_EQ(library.Rename(0, "crouch").error, MacroError::DuplicateName);
    EXPECT_EQ(library.Rename(0, "JUMP").error, MacroError::DuplicateName);  // its own name too
    EXPECT_EQ(library.Rename(5, "Run").error, MacroError::NoSuchMacro);
    // Names in other scripts compare without case too; other bytes stay as they are.
    ASSERT_TRUE(library.Rename(1, "Прыжок Été"));
    EXPECT_EQ(library.Rename(0, "прыжок éTÉ").error, MacroError::DuplicateName);
    EXPECT_TRUE(library.Rename(1, "Прыжок Été\xff"));
    ASSERT_TRUE(library.Rename(1, "Crouch"));
    ASSERT_TRUE(library.Rename(0, "Run"));
    EXPECT_EQ(library.List()[0].name, "Run");
    EXPECT_EQ(profiles::ReadJsonFile(folder / "macro.config")["WrittenBy"].asString(),
              "a newer version");
}

TEST_F(MacroLibraryTest, ImportNamesAfterTheFileAndCopiesACleanFileByteForByte) {
    WriteList({{"Jump", "a"}, {"Jump_1", "b"}});
    const std::string text =
        "{ \"Events\" : [ {\"Action\":\"down\",\"Type\":1,\"Button\":1,"
        "\"Delay\":\"10\"} ], \"MacroName\":\"old\", \"Guid\":\"old\", "
        "\"Version\":64 }";
    auto result = library.Import(Import("Jump.mac", text));
    ASSERT_TRUE(result) << result.message;
    EXPECT_TRUE(result.notes.empty());
    EXPECT_EQ(library.List().back().name, "Jump_1_2");
    EXPECT_EQ(ReadText(folder / (result.guid + ".mac")), text);

    // Export copies it back out, and asks before overwriting.
    const fs::path out = temp / "out.mac";
    ASSERT_TRUE(library.Export(2, out, false));
    EXPECT_EQ(ReadText(out), text);
    EXPECT_EQ(library.Export(2, out, false).error, MacroError::TargetExists);
    EXPECT_TRUE(library.Export(2, out, true));
}

TEST_F(MacroLibraryTest, HostileAndMalformedImportsAreRefusedOrCorrectedWithAReason) {
    struct Case {
        const char* text;
        MacroError error;
    };
    const Case refused[] = {
        {"", MacroError::BadFile},
        {"not json at all", MacroError::BadFile},
        {"[1, 2, 3]", MacroError::BadFile},
        {R"({"Events": {"Action": "down"}})", MacroError::BadFile},
        {R"({"Events": [{"Action":"down","Type":10,"Button":4}, 7]})", MacroError::BadFile},
        {R"({"Events": [)", MacroError::BadFile},
    };
    for (const auto& c : refused) {
        auto r = library.Import(Import("bad.mac", c.text));
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_FALSE(r.message.empty());
    }
    EXPECT_TRUE(library.List().empty());  // nothing was added by a refusal

    // Too large to be a macro: refused before it is read.
    const fs::path huge = temp / "huge.mac";
    {
        std::ofstream out(huge, std::ios::binary);
        out << "{\"Events\":[";
        std::string pad(1 << 20, ' ');
        for (int i = 0; i < 9; ++i) out << pad;
        out << "]}";
    }
    EXPECT_EQ(library.Import(huge).error, MacroError::ReadFailed);

    // Out-of-range values are clamped, the stored copy holds the clamped values, and
    // the notes say what changed.
    auto fixed = library.Import(Import(
        "loud.mac", R"({"Events":[{"Action":"down","Type":300,"Button":4096,"Delay":"99999"}]})"));
    ASSERT_TRUE(fixed) << fixed.message;
    EXPECT_EQ(fixed.notes.size(), 3u);
    const auto events = library.Events(0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, 127);
    EXPECT_EQ(events[0].button, 255);
    EXPECT_EQ(events[0].delay, 65535);
    const Json::Value stored = library.Document(0);
    EXPECT_EQ(stored["Events"][0]["Type"].asInt(), 127);
    EXPECT_EQ(stored["Events"][0]["Delay"].asString(), "65535");
    EXPECT_EQ(stored["Events"][0]["Button"].asInt(), 255);
}

TEST_F(MacroLibraryTest, ACorrectedImportIsStoredInTheOneFormEveryEventAlike) {
    auto r = library.Import(Import("mixed.mac", R"({"Events":[
        {"Action":"down","Type":"10","Button":true,"Delay":35.9,"Note":"kept"},
        {"Action":"up","Type":10,"Button":4,"Delay":1e30},
        {"Action":"down","Type":10,"Button":-1e30,"Delay":"-99999999999999999999"}],
        "MacroName":"old"})"));
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(r.notes.size(), 3u);  // the past-range delay and button, the negative delay
    const Json::Value stored = library.Document(0);
    const Json::Value& events = stored["Events"];
    ASSERT_EQ(events.size(), 3u);
    for (const Json::Value& e : events) {
        EXPECT_TRUE(e["Type"].isInt()) << e;
        EXPECT_TRUE(e["Button"].isInt()) << e;
        EXPECT_TRUE(e["Delay"].isString()) << e;
    }
    EXPECT_EQ(events[0]["Type"].asInt(), 10);
    EXPECT_EQ(events[0]["Button"].asInt(), 1);
    EXPECT_EQ(events[0]["Delay"].asString(), "35");
    EXPECT_EQ(events[0]["Note"].asString(), "kept");
    EXPECT_EQ(events[1]["Delay"].asString(), "65535");  // past the 64-bit range: by its sign
    EXPECT_EQ(events[2]["Button"].asInt(), 0);
    EXPECT_EQ(events[2]["Delay"].asString(), "0");
    EXPECT_EQ(stored["MacroName"].asString(), "old");
}

TEST_F(MacroLibraryTest, ImportsTheReaderCouldNotReadBackAreRefusedBeforeTheListChanges) {
    // 3 MB of "é" become 9 MB of \u00e9 escapes in the stored form a correction needs.
    std::string text = R"({"Events":[{"Action":"down","Type":300,"Button":4}],"Note":")";
    for (int i = 0; i < 1500000; ++i) text += "\xC3\xA9";
    text += "\"}";
    ASSERT_LT(text.size(), profiles::kMaxTextFileBytes);
    auto big = library.Import(Import("big.mac", text));
    EXPECT_EQ(big.error, MacroError::BadFile);
    EXPECT_NE(big.message.find("more than the 8388608 bytes"), std::string::npos) << big.message;
    EXPECT_TRUE(library.List().empty());

    // A FIFO is refused at once, not waited on.
    ASSERT_EQ(mkfifo((temp / "pipe.mac").c_str(), 0600), 0);
    auto pipe = library.Import(temp / "pipe.mac");
    EXPECT_EQ(pipe.error, MacroError::ReadFailed);
    EXPECT_NE(pipe.message.find("not a regular file"), std::string::npos) << pipe.message;
    EXPECT_TRUE(library.List().empty());
}

TEST_F(MacroLibraryTest, FileTitlesInAnotherEncodingGetNamesOfTheirOwn) {
    const std::string clean = R"({"Events":[]})";
    ASSERT_TRUE(library.Import(Import("\xE9t\xE9.mac", clean)));   // Latin-1 "été"
    ASSERT_TRUE(library.Import(Import("\xE9t\xE9 .mac", clean)));  // another one
    ASSERT_TRUE(library.Import(Import("\xFF.mac", clean)));
    ASSERT_TRUE(library.Import(Import("\xFE.mac", clean)));
    const auto list = library.List();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "\uFFFDt\uFFFD");
    EXPECT_EQ(list[2].name, "\uFFFD");
    EXPECT_EQ(list[3].name, "\uFFFD_1");  // the same text once valid: numbered
    std::set<std::string> names;
    for (const auto& e : list) EXPECT_TRUE(names.insert(e.name).second) << e.name;
}

TEST_F(MacroLibraryTest, IdentifiersFromTheListNeverLeaveTheFolder) {
    const fs::path outside = temp / "victim.mac";
    WriteText(outside, "precious");
    WriteText(temp / "keyboard.mac", "precious too");
    WriteList({{"evil", "../victim"},
               {"evil2", "/tmp/../" + temp.Path().filename().string()},
               {"ok", "2026_01_01_00_00_00_000"}});
    EXPECT_EQ(library.Save(0, TwoEvents()).error, MacroError::BadIdentifier);
    EXPECT_EQ(library.Export(0, temp / "copy.mac", true).error, MacroError::BadIdentifier);
    EXPECT_TRUE(library.Document(0).isNull());
    EXPECT_TRUE(library.Events(1).empty());
    ASSERT_TRUE(library.Delete(0));  // leaves the list; no file is touched
    ASSERT_TRUE(library.Delete(0));
    EXPECT_EQ(ReadText(outside), "precious");
    EXPECT_EQ(ReadText(temp / "keyboard.mac"), "precious too");
    ASSERT_EQ(library.List().size(), 1u);
    EXPECT_EQ(library.List()[0].name, "ok");
}

TEST_F(MacroLibraryTest, DeletingOneOfTwoEntriesThatShareAFileKeepsTheFile) {
    WriteList({{"Jump", "2026_01_02_03_04_05_006"}, {"Jump again", "2026_01_02_03_04_05_006"}});
    ASSERT_TRUE(library.Save(0, TwoEvents()));
    ASSERT_TRUE(library.Delete(0));
    EXPECT_EQ(library.Events(0).size(), 2u);  // the remaining entry still plays it
    ASSERT_TRUE(library.Delete(0));
    EXPECT_FALSE(fs::exists(folder / "2026_01_02_03_04_05_006.mac"));
}

// Key assignments name macros by position: a list written over a damaged one would
// give them other macros, so the damaged one stays as it is until the user mends it.
TEST_F(MacroLibraryTest, ADamagedListIsUnknownAndLeftAsItIsByEveryChange) {
    const std::string damaged = "{\"MacroInfo\": [ {\"MacroName\": \"Jump\"";
    const std::string odd = R"({"MacroInfo": {"0": "Jump"}, "Other": 1})";
    for (const std::string& text : {damaged, odd, std::string("[1, 2]"), std::string()}) {
        WriteText(folder / "macro.config", text);
        const MacroList list = library.ReadList();
        EXPECT_FALSE(list.known) << text;
        EXPECT_NE(list.problem.find("macro.config"), std::string::npos);
        EXPECT_TRUE(library.List().empty());
        EXPECT_EQ(library.Add().error, MacroError::ListUnreadable);
        EXPECT_EQ(library.Import(Import("Jump.mac", R"({"Events": []})")).error,
                  MacroError::ListUnreadable);
        EXPECT_EQ(library.Rename(0, "Hop").error, MacroError::ListUnreadable);
        EXPECT_EQ(library.Delete(0).error, MacroError::ListUnreadable);
        EXPECT_EQ(library.Save(0, TwoEvents()).error, MacroError::ListUnreadable);
        EXPECT_EQ(library.Export(0, temp / "out.mac", true).error, MacroError::ListUnreadable);
        EXPECT_EQ(ReadText(folder / "macro.config"), text);
        EXPECT_FALSE(fs::exists(folder / "macro.config.bad"));
    }
    // Missing, or without "MacroInfo": known, and empty.
    fs::remove(folder / "macro.config");
    EXPECT_TRUE(library.ReadList().known);
    WriteText(folder / "macro.config", R"({"Other": 1})");
    EXPECT_TRUE(library.ReadList().known);
    ASSERT_TRUE(library.Add());
    EXPECT_EQ(profiles::ReadJsonFile(folder / "macro.config")["Other"].asInt(), 1);
}

TEST_F(MacroLibraryTest, ListChangesKeepTheKeysOfEveryEntryTheyDoNotOwn) {
    WriteText(folder / "macro.config", R"({"MacroInfo": [
        {"MacroName": "Jump", "Guid": "a", "Colour": 3},
        {"MacroName": "Crouch", "Guid": "b", "Colour": 4},
        {"MacroName": "Run", "Guid": "c", "Colour": 5}]})");
    ASSERT_TRUE(library.Rename(0, "Hop"));
    ASSERT_TRUE(library.Delete(1));
    ASSERT_TRUE(library.Add());
    const Json::Value info = profiles::ReadJsonFile(folder / "macro.config")["MacroInfo"];
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(info[0]["MacroName"].asString(), "Hop");
    EXPECT_EQ(info[0]["Colour"].asInt(), 3);
    EXPECT_EQ(info[1]["Guid"].asString(), "c");
    EXPECT_EQ(info[1]["Colour"].asInt(), 5);
    EXPECT_EQ(info[2]["MacroName"].asString(), "macro_1");
}

TEST(TimeStampIdentifier, IdentifiersMadeInOneMillisecondNeverCollide) {
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) EXPECT_TRUE(seen.insert(MakeTimeStampIdentifier()).second);
    // Shape: year_month_day_hour_minute_second_millisecond.
    const std::string id = MakeTimeStampIdentifier();
    int y, mo, d, h, mi, s, ms;
    EXPECT_EQ(std::sscanf(id.c_str(), "%d_%d_%d_%d_%d_%d_%d", &y, &mo, &d, &h, &mi, &s, &ms), 7);
    // One that is taken is skipped.
    std::string taken = MakeTimeStampIdentifier();
    std::string next = MakeTimeStampIdentifier([&](const std::string& c) { return c <= taken; });
    EXPECT_GT(next, taken);
}
