#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"

using namespace vivori;
using namespace vivori::profiles;
using namespace vivori::testing;

TEST(JsonFile, WritesStyledTextWithThreeSpacesAndOneLineBreak) {
    TempFolder dir;
    Json::Value value;
    value["b"] = 1;
    value["a"]["c"] = "x";
    ASSERT_TRUE(WriteJsonFile(dir / "f.json", value));
    EXPECT_EQ(ReadText(dir / "f.json"),
              "{\n   \"a\" : {\n      \"c\" : \"x\"\n   },\n   \"b\" : 1\n}\n");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(JsonFile, BadFilesReadAsNullAndTellWhyWithoutThrowing) {
    TempFolder dir;
    WriteText(dir / "empty.json", "");
    WriteText(dir / "truncated.json", "{\"Device\": [ {\"LightInfo\": {\"Red\": 2");
    WriteText(dir / "garbage.json", "\x01\xff not json");
    WriteText(dir / "big.json", std::string(kMaxTextFileBytes + 1, ' '));
    std::filesystem::create_directory(dir / "folder.json");
    DebugCapture capture;

    EXPECT_EQ(ReadJsonDocument(dir / "missing.json").state, FileState::Missing);
    for (const char* name : {"empty.json", "truncated.json", "garbage.json"}) {
        JsonDocument doc = ReadJsonDocument(dir / name);
        EXPECT_EQ(doc.state, FileState::Corrupt) << name;
        EXPECT_TRUE(doc.value.isNull()) << name;
        EXPECT_TRUE(capture.Contains(name)) << name;
    }
    EXPECT_EQ(ReadJsonDocument(dir / "big.json").state, FileState::Unreadable);
    EXPECT_EQ(ReadJsonDocument(dir / "folder.json").state, FileState::Unreadable);
    EXPECT_FALSE(ReadTextFile(dir / "big.json"));
    EXPECT_EQ(ReadTextFile(dir / "empty.json"), "");
}

TEST(JsonFile, DeepNestingIsRefusedNotOverflowed) {
    TempFolder dir;
    WriteText(dir / "deep.json", std::string(100000, '['));
    EXPECT_EQ(ReadJsonDocument(dir / "deep.json").state, FileState::Corrupt);
}

TEST(JsonFile, BareFileNamesRejectPathsAndDots) {
    EXPECT_TRUE(IsBareFileName("2024_05_01_13_07_09_042.Json"));
    EXPECT_TRUE(IsBareFileName(".hidden"));
    for (std::string_view bad : {"", ".", "..", "../x", "a/b", "a\\b", "x..light", "/abs"})
        EXPECT_FALSE(IsBareFileName(bad)) << bad;
    EXPECT_FALSE(IsBareFileName(std::string_view("a\0b", 3)));
}

TEST(JsonFile, GettersAcceptCleanConversionsAndFallBackOnTheRest) {
    Json::Value v;
    v["int"] = 7;
    v["bool"] = true;
    v["numeric"] = "42";
    v["signed"] = "-3";
    v["real"] = 2.9;
    v["word"] = "abc";
    v["object"]["x"] = 1;
    v["huge"] = Json::UInt64(1) << 40;
    EXPECT_EQ(JsonInt(v, "int", -1), 7);
    EXPECT_EQ(JsonInt(v, "bool", -1), 1);
    EXPECT_EQ(JsonInt(v, "numeric", -1), 42);
    EXPECT_EQ(JsonInt(v, "signed", -1), -3);
    EXPECT_EQ(JsonInt(v, "real", -1), 2);
    EXPECT_EQ(JsonInt(v, "word", -1), -1);
    EXPECT_EQ(JsonInt(v, "object", -1), -1);
    EXPECT_EQ(JsonInt(v, "huge", -1), -1);
    EXPECT_EQ(JsonInt(v, "missing", -1), -1);
    EXPECT_TRUE(JsonBool(v, "int", false));
    EXPECT_EQ(JsonString(v, "int"), "7");
    EXPECT_EQ(JsonString(v, "object", "none"), "none");
    // Const access on wrong types neither throws nor creates members.
    Json::Value array(Json::arrayValue);
    EXPECT_TRUE(JsonMember(array, "x").isNull());
    EXPECT_TRUE(JsonElement(v, 3).isNull());
    EXPECT_TRUE(JsonElement(array, 1000000).isNull());
    EXPECT_EQ(array.size(), 0u);
    EXPECT_FALSE(v.isMember("missing"));
}

TEST(JsonFile, WritableAccessRepairsWrongTypes) {
    Json::Value v;
    v["LightInfo"] = 5;
    v["KeyList"] = "text";
    ObjectMember(v, "LightInfo")["Red"] = 1;
    ObjectElement(ArrayMember(v, "KeyList"), 2)["Assignment"] = 3;
    EXPECT_EQ(v["LightInfo"]["Red"].asInt(), 1);
    EXPECT_EQ(v["KeyList"].size(), 3u);
}

TEST(JsonUpdate, ChangesOnlyItsMemberAndNeverOverwritesAnUnreadableFile) {
    TempFolder dir;
    WriteText(dir / "s.json", "{\"other\": [1, 2], \"LANGUAGE\": 1}");
    ASSERT_TRUE(SaveJsonMember(dir / "s.json", "LANGUAGE", 2));
    Json::Value saved = ReadJsonFile(dir / "s.json");
    EXPECT_EQ(saved["LANGUAGE"].asInt(), 2);
    EXPECT_EQ(saved["other"].size(), 2u);

    std::string big(kMaxTextFileBytes + 10, ' ');
    WriteText(dir / "big.json", big);
    EXPECT_FALSE(SaveJsonMember(dir / "big.json", "LANGUAGE", 2));
    EXPECT_EQ(std::filesystem::file_size(dir / "big.json"), big.size());
}

TEST(JsonUpdate, SavingOverACorruptFileKeepsTheOldBytesAside) {
    TempFolder dir;
    WriteText(dir / "s.json", "{\"half\": ");
    ASSERT_TRUE(SaveJsonMember(dir / "s.json", "LANGUAGE", 4));
    EXPECT_EQ(ReadJsonFile(dir / "s.json")["LANGUAGE"].asInt(), 4);
    EXPECT_EQ(ReadText(dir / "s.json.bad"), "{\"half\": ");
}
