#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "TempFolder.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/JsonFile.h"

using namespace vivori::profiles;
using namespace vivori::testing;

namespace {

// Saves the two profiles in turn until killed. Each differs in size, so a torn
// write would show as a parse failure or a mix of the two.
[[noreturn]] void SaveForever(const std::filesystem::path& path, const Json::Value& a,
                              const Json::Value& b) {
    CKeyboardProfiledata profile;
    profile.SetProfilePath(path);
    for (bool first = true;; first = !first) profile.SaveDeviceEntry(first ? a : b, path);
}

Json::Value Entry(int keys, int code) {
    Json::Value entry;
    for (int i = 0; i < keys; ++i) entry["KeyList"][i]["Assignment"] = code;
    return entry;
}

}  // namespace

TEST(CrashSafety, AProfileKilledWhileSavingHoldsTheOldOrTheNewContentWhole) {
    TempFolder dir;
    const auto path = dir / "p.Json";
    const Json::Value a = Entry(126, 0x200029);
    const Json::Value b = Entry(40, 0x700001);
    WriteText(path, R"({"profilename": "kept"})");
    // The file holds a saved entry before the first kill, so every round checks a
    // file that a writer was replacing.
    CKeyboardProfiledata seed;
    ASSERT_TRUE(seed.SaveDeviceEntry(b, path));
    std::mt19937 random(12345);
    int changes = 0;
    Json::Value previous = b;
    for (int round = 0; round < 60; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever(path, a, b);
        // Long enough for several saves even on a loaded machine, at a random point.
        usleep(200 + random() % 12000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        JsonDocument doc = ReadJsonDocument(path);
        ASSERT_EQ(doc.state, FileState::Parsed) << "round " << round;
        EXPECT_EQ(doc.value["profilename"], "kept");
        const Json::Value& entry = doc.value["Device"][0];
        ASSERT_TRUE(entry == a || entry == b) << "round " << round << ": " << entry;
        changes += entry != previous;
        previous = entry;
    }
    // The writers did get to replace the file, so the kills met saves in progress.
    EXPECT_GT(changes, 0);
    // Temporary files of killed writers are the only leftovers, never the profile.
    for (const auto& file : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_TRUE(file.path() == path ||
                    file.path().filename().string().rfind(".p.Json.", 0) == 0)
            << file.path();
}
