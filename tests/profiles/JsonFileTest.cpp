#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <future>

#include "TempFolder.h"
#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"
#include "profiles/RecordFields.h"

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
    EXPECT_EQ(JsonInt(v, "huge", -1), INT_MAX);  // clamped, not dropped
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

TEST(JsonFile, NumbersPastTheIntRangeAreClampedOrTruncatedAsTheirFieldRequires) {
    const auto parse = [](const char* text) { return *ParseJsonText(text); };
    const Json::Value v = parse(
        R"({"big": 4294967340, "neg": -4294967340, "huge": 18446744073709551615,
            "real": 1e30, "nreal": -1e30, "text": "-99999999999999999999"})");
    EXPECT_EQ(JsonInt(v, "big", -1), INT_MAX);
    EXPECT_EQ(JsonInt(v, "neg", -1), INT_MIN);
    EXPECT_EQ(AsInt64(v["huge"]), INT64_MAX);
    EXPECT_EQ(AsInt64(v["real"]), INT64_MAX);
    EXPECT_EQ(AsInt64(v["nreal"]), INT64_MIN);
    EXPECT_EQ(AsInt64(v["text"]), INT64_MIN);
    // Byte fields keep the low bits of the whole number (300 reads as 44, and so does
    // 2^32 + 44); 32-bit fields take the nearest value they hold.
    const LightStep step =
        ReadLightStep(parse(R"({"red": 4294967340, "Time": 1e12, "Cyle": -5e12})"));
    EXPECT_EQ(step.light.red, 44);
    EXPECT_EQ(step.time, INT_MAX);
    EXPECT_EQ(step.cycle, INT_MIN);
}

TEST(JsonFile, WritesTheReaderWouldRefuseAreRefusedWithNothingChanged) {
    TempFolder dir;
    WriteText(dir / "p.json", "{}\n");
    const std::string big(kMaxTextFileBytes + 1, ' ');
    EXPECT_FALSE(WriteFileAtomically(dir / "p.json", big));
    EXPECT_NE(LastWriteError().find("more than the 8388608 bytes"), std::string::npos)
        << LastWriteError();
    EXPECT_EQ(ReadText(dir / "p.json"), "{}\n");
    // Styled text is what counts: 3 MB of "é" are written as 9 MB of \u00e9 escapes.
    Json::Value doc(Json::objectValue);
    std::string accents;
    for (int i = 0; i < 1500000; ++i) accents += "\xC3\xA9";
    doc["Name"] = accents;
    ASSERT_GT(StyledJson(doc).size(), kMaxTextFileBytes);
    EXPECT_FALSE(WriteJsonFile(dir / "p.json", doc));
    EXPECT_EQ(ReadText(dir / "p.json"), "{}\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(JsonFile, FifosAndOtherNonFilesAreRefusedWithoutBlocking) {
    TempFolder dir;
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&] {
        std::string why;
        const bool got = ReadTextFile(dir / "pipe", &why).has_value();
        return std::make_pair(got, why);
    });
    ASSERT_EQ(read.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "reading a FIFO blocked";
    const auto [got, why] = read.get();
    EXPECT_FALSE(got);
    EXPECT_EQ(why, "it is not a regular file");
    EXPECT_EQ(ReadJsonDocument(dir / "pipe").state, FileState::Unreadable);
    EXPECT_FALSE(WriteJsonFile(dir / "pipe", Json::Value(1)));
    EXPECT_NE(LastWriteError().find("not a regular file"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(lstat((dir / "pipe").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(JsonFile, ReadOnlyTargetsAreNotReplaced) {
    TempFolder dir;
    WriteText(dir / "p.json", "{\"kept\": 1}");
    std::filesystem::permissions(dir / "p.json", std::filesystem::perms::owner_read);
    EXPECT_FALSE(WriteJsonFile(dir / "p.json", Json::Value(2)));
    EXPECT_NE(LastWriteError().find("read-only"), std::string::npos);
    EXPECT_EQ(ReadText(dir / "p.json"), "{\"kept\": 1}");
}

TEST(JsonFile, SymbolicLinksAreWrittenThroughToTheirTarget) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "real");
    WriteText(dir / "real" / "p.json", "{}");
    std::filesystem::create_symlink("real/p.json", dir / "link.json");
    ASSERT_TRUE(WriteJsonFile(dir / "link.json", Json::Value(7)));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.json"));
    EXPECT_EQ(ReadText(dir / "real" / "p.json"), "7\n");
}

TEST(JsonFile, NewFilesFollowTheUmaskAndOldOnesKeepTheirMode) {
    TempFolder dir;
    const mode_t old = umask(027);
    const bool written = WriteJsonFile(dir / "new.json", Json::Value(1));
    umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(std::filesystem::status(dir / "new.json").permissions(),
              std::filesystem::perms(0640));
    std::filesystem::permissions(dir / "new.json", std::filesystem::perms(0600));
    ASSERT_TRUE(WriteJsonFile(dir / "new.json", Json::Value(2)));
    EXPECT_EQ(std::filesystem::status(dir / "new.json").permissions(),
              std::filesystem::perms(0600));
}

TEST(JsonUpdate, EachDamagedFileIsKeptAsideAndTheThreeNewestSurvive) {
    TempFolder dir;
    for (int n = 1; n <= 4; ++n) {
        WriteText(dir / "s.json", "{\"broken\": " + std::to_string(n));
        ASSERT_TRUE(SaveJsonMember(dir / "s.json", "LANGUAGE", n));
    }
    EXPECT_EQ(ReadText(dir / "s.json.bad"), "{\"broken\": 4");
    EXPECT_EQ(ReadText(dir / "s.json.bad.1"), "{\"broken\": 3");
    EXPECT_EQ(ReadText(dir / "s.json.bad.2"), "{\"broken\": 2");
    EXPECT_FALSE(std::filesystem::exists(dir / "s.json.bad.3"));
    EXPECT_EQ(ReadJsonFile(dir / "s.json")["LANGUAGE"].asInt(), 4);
}
