#include <gtest/gtest.h>

#include "macros/RecoilPatterns.h"
#include "profiles/JsonFile.h"
#include "profiles/TempFolder.h"

namespace vivori::testing {
namespace {

using namespace vivori::macros;

// One shot in the pattern layout: press, release, pulls of `x` left and 3 up with
// `delay` after the vertical pull, two closing events.
std::string Shot(const char* action, int x, int delay) {
    return std::string(R"({"Action":"down","Button":1,"Delay":10,"Type":1},)") +
           R"({"Action":"up","Button":1,"Delay":0,"Type":1},)" + R"({"Action":")" + action +
           R"(","Button":)" + std::to_string(x) + R"(,"Delay":5,"Type":4},)" +
           R"({"Action":"up","Button":3,"Delay":)" + std::to_string(delay) + R"(,"Type":5},)" +
           R"({"Action":"down","Button":0,"Delay":0,"Type":4},)" +
           R"({"Action":"up","Button":0,"Delay":0,"Type":5})";
}

class RecoilPatternsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(user);
        EnsurePatterns(user, defaults);
    }
    TempFolder temp;
    std::filesystem::path user = temp / "mouse";
    std::filesystem::path defaults = VIVORI_DEFAULT_DATA_DIR;
};

TEST_F(RecoilPatternsTest, SavingABulletWritesItsSixEventsAndLeavesTheRestAlone) {
    const std::string before = ReadText(user / "ShootData_2.Shoot");
    ASSERT_TRUE(SaveBullet(user, 2, 0, {.x = 3, .y = 12, .delay = 95, .left = true, .up = false}));
    const Json::Value events = profiles::ReadJsonFile(user / "ShootData_2.Shoot")["Events"];
    const char* expected[6][4] = {{"down", "1", "10", "1"}, {"up", "1", "0", "1"},
                                  {"down", "3", "5", "4"},  {"up", "12", "95", "5"},
                                  {"down", "0", "0", "4"},  {"up", "0", "0", "5"}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(events[i]["Action"].asString(), expected[i][0]) << i;
        EXPECT_EQ(events[i]["Button"].asString(), expected[i][1]) << i;
        EXPECT_TRUE(events[i]["Delay"].isInt()) << i;  // an integer in pattern files
        EXPECT_EQ(events[i]["Delay"].asString(), expected[i][2]) << i;
        EXPECT_EQ(events[i]["Type"].asString(), expected[i][3]) << i;
    }
    EXPECT_EQ(events.size(), 180u);
    EXPECT_EQ(ReadBullet(user, 2, 0), (Bullet{3, 12, 95, true, false}));
    // Out-of-range values are kept to what a record holds; indexes are clamped.
    ASSERT_TRUE(SaveBullet(user, 9, 99, {.x = 300, .y = -4, .delay = 70000}));
    EXPECT_EQ(ReadBullet(user, 3, 29), (Bullet{255, 0, 65535, false, false}));
    EXPECT_NE(ReadText(user / "ShootData_2.Shoot"), before);
}

TEST_F(RecoilPatternsTest, ResetRestoresOnePatternFromTheDefaultCopy) {
    ASSERT_TRUE(SaveBullet(user, 1, 4, {.x = 9}));
    ASSERT_TRUE(SaveBullet(user, 0, 4, {.x = 9}));
    ASSERT_TRUE(ResetPattern(user, defaults, 1).ok);
    EXPECT_EQ(ReadText(user / "ShootData_1.Shoot"), ReadText(defaults / "ShootData_1.Shoot"));
    EXPECT_EQ(ReadBullet(user, 0, 4).x, 9);
}

TEST_F(RecoilPatternsTest, ImportsAreCheckedClampedOrRefusedAndExportsAskBeforeOverwriting) {
    const std::string original = ReadText(user / "ShootData_0.Shoot");
    struct Case {
        const char* text;
        const char* reason;
    } hostile[] = {{"not json", "not a JSON object"},
                   {R"({"Events": {"Action": "down"}})", "no \"Events\" list"},
                   {R"({"Events": [1, 2]})", "event 1 is not an event object"},
                   {R"([{"Action": "down"}])", "not a JSON object"}};
    for (const Case& c : hostile) {
        WriteText(temp / "bad.shoot", c.text);
        const RecoilResult result = ImportPattern(user, 0, temp / "bad.shoot");
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
        EXPECT_EQ(ReadText(user / "ShootData_0.Shoot"), original);
    }
    EXPECT_FALSE(ImportPattern(user, 0, temp / "missing.shoot").ok);

    const std::string clean = R"({"Events":[)" + Shot("down", 7, 40) + R"(],"Note":"kept"})";
    WriteText(temp / "clean.shoot", clean);
    RecoilResult result = ImportPattern(user, 3, temp / "clean.shoot");
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(result.notes.empty());
    EXPECT_EQ(ReadText(user / "ShootData_3.Shoot"), clean);  // byte for byte

    // Values a record cannot hold are clamped, never wrapped.
    WriteText(temp / "wide.shoot", R"({"Events":[)" + Shot("down", 700, -5) + "]}");
    result = ImportPattern(user, 3, temp / "wide.shoot");
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.notes.size(), 2u);
    const Json::Value stored = profiles::ReadJsonFile(user / "ShootData_3.Shoot")["Events"][2];
    EXPECT_EQ(stored["Button"].asInt(), 255);
    EXPECT_EQ(profiles::ReadJsonFile(user / "ShootData_3.Shoot")["Events"][3]["Delay"].asInt(), 0);

    ASSERT_TRUE(ExportPattern(user, defaults, 3, temp / "out.shoot", false).ok);
    EXPECT_FALSE(ExportPattern(user, defaults, 0, temp / "out.shoot", false).ok);
    EXPECT_EQ(ReadText(temp / "out.shoot"), ReadText(user / "ShootData_3.Shoot"));
    EXPECT_TRUE(ExportPattern(user, defaults, 0, temp / "out.shoot", true).ok);
}

TEST_F(RecoilPatternsTest, WhatIsNoRecoilPatternIsRefusedWithTheReasonAndNothingIsWritten) {
    const std::string original = ReadText(user / "ShootData_1.Shoot");
    std::string keyboardShot;  // a keyboard macro of six key events
    for (int i = 0; i < 6; ++i)
        keyboardShot +=
            std::string(i ? "," : "") + R"({"Action":"down","Button":4,"Delay":"35","Type":10})";
    std::string tooMany;
    for (int i = 0; i < 31; ++i) tooMany += (i ? "," : "") + Shot("down", 1, 30);
    std::string wrongType = Shot("down", 1, 30);
    wrongType.replace(wrongType.find(R"("Type":1)"), 8, R"("Type":300)");
    const std::string cases[][2] = {
        {R"({"Events":[]})", "holds no events"},
        {R"({"Events":[)" + Shot("down", 1, 30) + R"(,{"Action":"up","Button":1,"Type":1}]})",
         "holds 7 events"},
        {R"({"Events":[)" + tooMany + "]}", "holds 186 events"},
        {R"({"Events":[)" + keyboardShot + R"(],"MacroName":"jump","Version":64})",
         "event 1 is a keyboard key, where a recoil pattern has a mouse button"},
        {R"({"Events":[)" + wrongType + "]}", "event 1 is Type 300"},
    };
    for (const auto& [text, reason] : cases) {
        WriteText(temp / "other.shoot", text);
        const RecoilResult result = ImportPattern(user, 1, temp / "other.shoot");
        EXPECT_FALSE(result.ok) << text;
        EXPECT_NE(result.message.find(reason), std::string::npos) << result.message;
    }
    // The two-event keyboard macro the macro tests import.
    EXPECT_NE(ImportPattern(user, 1, std::filesystem::path(VIVORI_MACRO_GOLDEN_DIR) / "jump.mac")
                  .message.find("event 1 is a keyboard key"),
              std::string::npos);
    EXPECT_EQ(ReadText(user / "ShootData_1.Shoot"), original);
    // Every shipped pattern is one.
    for (int n = 0; n < kRecoilPatternCount; ++n)
        EXPECT_TRUE(ImportPattern(user, n, defaults / RecoilFileName(n)).ok) << n;
}

}  // namespace
}  // namespace vivori::testing
