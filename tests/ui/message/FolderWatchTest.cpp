#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "RecordingWindow.h"
#include "ui/message/FolderWatch.h"

using namespace vivori::ui;
namespace fs = std::filesystem;

namespace {

void WriteAndRename(const fs::path& file) {
    std::ofstream(file.string() + ".tmp") << "{}";
    fs::rename(file.string() + ".tmp", file);
}

}  // namespace

TEST(FolderWatch, ABurstIsToldOncePerFolderAndAFolderMadeAnewIsWatchedAgain) {
    char pattern[] = "/tmp/vivori-watch-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path root = pattern, a = root / "keyboard", b = root / "mouse";
    fs::create_directories(a);
    fs::create_directories(b);
    PumpMessages();  // the thread's loop, which the watch reports through
    std::vector<fs::path> told;
    FolderWatch watch([&](const fs::path& folder) { told.push_back(folder); }, 50);
    ASSERT_TRUE(watch.Watch(a));
    ASSERT_TRUE(watch.Watch(b));
    EXPECT_TRUE(watch.Watch(a));  // once is enough
    EXPECT_FALSE(watch.Watch(root / "missing"));

    // Files written to a temporary name and renamed, as every stored file is.
    WriteAndRename(a / "ProfileList.ini");
    WriteAndRename(a / "x.Json");
    WriteAndRename(b / "y.Json");
    ASSERT_TRUE(PumpUntil([&] { return told.size() >= 2; }));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(told.size(), 2u);
    EXPECT_EQ(std::set<fs::path>(told.begin(), told.end()), (std::set<fs::path>{a, b}));

    told.clear();
    PumpUntil([] { return false; }, 150);
    EXPECT_TRUE(told.empty());

    fs::remove_all(a);
    fs::create_directories(a);
    PumpUntil([] { return false; }, 150);
    told.clear();
    ASSERT_TRUE(watch.Watch(a));
    WriteAndRename(a / "ProfileList.ini");
    EXPECT_TRUE(PumpUntil([&] { return told == std::vector<fs::path>{a}; }));
    fs::remove_all(root);
}
